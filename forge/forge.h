#pragma once
// The forge's two jobs, each writing its files into the show directory.
#include <string>

// Paints every picture of the show into showDir and a contact sheet of them
// all to sheetFile. Returns 0 on success, non-zero after one line on stderr.
int forgePictures(const std::string& showDir, const std::string& sheetFile);

// Composes, masters and encodes the music track to mp3File; with a stemsDir,
// also writes each voice as it sounds in the track as a WAV file there
// ("piano.wav" and one for each other voice).
// Returns 0 on success, non-zero after one line on stderr.
int forgeMusic(const std::string& mp3File, const std::string& stemsDir = "");
