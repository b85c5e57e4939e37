#pragma once
// What the drawing helpers and the scenes share about a frame: its time step,
// written once per frame by the frame loop (or a tool running the show at a
// fixed rate), and how an opacity becomes a colour's alpha byte.
#include <SFML/Config.hpp>

// Seconds since the previous frame.
extern float frameDelta;

// An opacity of 0..255 as a colour's alpha byte: truncated, low 8 bits.
inline sf::Uint8 alphaByte(float alpha)
{
    return static_cast<sf::Uint8>(static_cast<int>(alpha));
}
