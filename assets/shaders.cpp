// The shader set: loaded in order, each followed at once by its start-up uniforms.
#include "assets/shaders.h"

#include <SFML/System/Err.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

// SFML sizes a shader file by seeking to its end; a directory of that name
// seems endless there and the read throws. Only files are handed over.
bool loadShaderFiles(sf::Shader& shader, const char* vertexFile, const char* fragmentFile)
{
    for (const char* file : {vertexFile, fragmentFile})
    {
        std::error_code error;
        std::filesystem::file_status status = std::filesystem::status(file, error);
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        {
            sf::err() << "Failed to open shader file \"" << file << "\": not a regular file" << std::endl;
            return false;
        }
    }
    return shader.loadFromFile(vertexFile, fragmentFile);
}

namespace
{

// A file's whole text, or nothing when it cannot be read.
std::string fileText(const char* file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

// The blur's source with NARROW_BLUR defined, loaded only when the blur itself
// loaded, and quietly: the blur has already said what is wrong with its file.
void loadNarrowBlur()
{
    if (blurShader.getNativeHandle() == 0)
        return;
    std::string vertex = fileText("vertex_shader.vs.txt");
    std::string fragment = fileText("blur_shader.fs.txt");
    if (vertex.empty() || fragment.empty())
        return;
    std::ostringstream discarded;
    std::streambuf* messages = sf::err().rdbuf(discarded.rdbuf());
    narrowBlurShader.loadFromMemory(vertex, "#define NARROW_BLUR\n" + fragment);
    sf::err().rdbuf(messages);
    narrowBlurShader.setUniform("texture", sf::Shader::CurrentTexture);
    narrowBlurShader.setUniform("blur_radius", 0.0f);
}
}

void loadDistortionTexture()
{
    distortionTexture.setRepeated(true);
    distortionTexture.setSmooth(true);
    distortionTexture.loadFromFile("heatmap.png");
}

bool loadShaders()
{
    // Heat haze over a distortion map; the only shader the show cannot do without.
    if (!loadShaderFiles(heatShader, "heat_shader.vs.txt", "heat_shader.fs.txt"))
    {
        sf::err() << "Failed to load shader, exiting..." << std::endl;
        return false;
    }
    heatShader.setUniform("currentTexture", sf::Shader::CurrentTexture);
    heatShader.setUniform("distortionMapTexture", distortionTexture);

    // Blur, grown from none by blur_radius.
    loadShaderFiles(blurShader, "vertex_shader.vs.txt", "blur_shader.fs.txt");
    blurShader.setUniform("texture", sf::Shader::CurrentTexture);
    blurShader.setUniform("blur_radius", 0.0f);
    blurShader.setUniform("source_halvings", 0.0f);
    loadNarrowBlur();

    // Water ripple, driven by time.
    loadShaderFiles(rippleShader, "vertex_shader.vs.txt", "ripple_shader.fs.txt");
    rippleShader.setUniform("texture", sf::Shader::CurrentTexture);

    // Shock wave from a centre point.
    loadShaderFiles(shockwaveShader, "vertex_shader.vs.txt", "shockwave_shader.fs.txt");
    shockwaveShader.setUniform("texture", sf::Shader::CurrentTexture);
    shockwaveShader.setUniform("center", sf::Glsl::Vec2(0.5f, 0.5f));
    shockwaveShader.setUniform("shockParams", sf::Glsl::Vec3(10.0f, 0.8f, 0.1f));

    // Pixelation into blocks.
    loadShaderFiles(pixelationShader, "vertex_shader.vs.txt", "pixelation_shader.fs.txt");
    pixelationShader.setUniform("texture", sf::Shader::CurrentTexture);
    pixelationShader.setUniform("rt_w", 1280.0f);
    pixelationShader.setUniform("rt_h", 720.0f);
    pixelationShader.setUniform("pixel_w", 10.0f);
    pixelationShader.setUniform("pixel_h", 10.0f);
    pixelationShader.setUniform("vx_offset", 1.0f);
    return true;
}
