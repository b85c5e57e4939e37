#pragma once
// The five post-processing shaders and the heat shader's distortion map.
#include <SFML/Graphics/Shader.hpp>
#include <SFML/Graphics/Texture.hpp>

extern sf::Shader& heatShader;
extern sf::Shader& blurShader;
extern sf::Shader& narrowBlurShader; // the blur's source built for narrow radii
extern sf::Shader& rippleShader;
extern sf::Shader& shockwaveShader;
extern sf::Shader& pixelationShader;

// "heatmap.png", repeated and smoothed, handed to the heat shader.
extern sf::Texture& distortionTexture;

// Prepares distortionTexture and loads "heatmap.png" into it (result ignored).
void loadDistortionTexture();

// Loads one pair of shader files into shader, refusing a name that is not a
// plain file (a folder, a device) with a line on sf::err().
bool loadShaderFiles(sf::Shader& shader, const char* vertexFile, const char* fragmentFile);

// Loads the five shaders in order with their start-up uniforms. Only the heat
// shader's failure counts: then it writes "Failed to load shader, exiting..."
// to sf::err() and returns false.
bool loadShaders();
