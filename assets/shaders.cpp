// The shader set: loaded in order, each followed at once by its start-up uniforms.
#include "assets/shaders.h"

#include <SFML/System/Err.hpp>

void loadDistortionTexture()
{
    distortionTexture.setRepeated(true);
    distortionTexture.setSmooth(true);
    distortionTexture.loadFromFile("heatmap.png");
}

bool loadShaders()
{
    // Heat haze over a distortion map; the only shader the show cannot do without.
    if (!heatShader.loadFromFile("heat_shader.vs.txt", "heat_shader.fs.txt"))
    {
        sf::err() << "Failed to load shader, exiting..." << std::endl;
        return false;
    }
    heatShader.setUniform("currentTexture", sf::Shader::CurrentTexture);
    heatShader.setUniform("distortionMapTexture", distortionTexture);

    // Blur, grown from none by blur_radius.
    blurShader.loadFromFile("vertex_shader.vs.txt", "blur_shader.fs.txt");
    blurShader.setUniform("texture", sf::Shader::CurrentTexture);
    blurShader.setUniform("blur_radius", 0.0f);

    // Water ripple, driven by time.
    rippleShader.loadFromFile("vertex_shader.vs.txt", "ripple_shader.fs.txt");
    rippleShader.setUniform("texture", sf::Shader::CurrentTexture);

    // Shock wave from a centre point.
    shockwaveShader.loadFromFile("vertex_shader.vs.txt", "shockwave_shader.fs.txt");
    shockwaveShader.setUniform("texture", sf::Shader::CurrentTexture);
    shockwaveShader.setUniform("center", sf::Glsl::Vec2(0.5f, 0.5f));
    shockwaveShader.setUniform("shockParams", sf::Glsl::Vec3(10.0f, 0.8f, 0.1f));

    // Pixelation into blocks.
    pixelationShader.loadFromFile("vertex_shader.vs.txt", "pixelation_shader.fs.txt");
    pixelationShader.setUniform("texture", sf::Shader::CurrentTexture);
    pixelationShader.setUniform("rt_w", 1280.0f);
    pixelationShader.setUniform("rt_h", 720.0f);
    pixelationShader.setUniform("pixel_w", 10.0f);
    pixelationShader.setUniform("pixel_h", 10.0f);
    pixelationShader.setUniform("vx_offset", 1.0f);
    return true;
}
