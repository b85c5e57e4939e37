#pragma once
// Writing the finished track: 16-bit PCM through LAME into an MP3 file, and
// a voice on its own as a 32-bit float WAV file.
#include <string>
#include <vector>

// Encodes interleaved stereo samples (-1..1) at sampleRate into mp3File at
// about 192 kbit/s. Returns false after one line on stderr.
bool encodeMp3(const std::vector<float>& stereo, int sampleRate, const std::string& mp3File);

// Writes interleaved stereo samples at sampleRate as a 32-bit float WAV file,
// unclipped. Returns false after one line on stderr.
bool writeWav(const std::vector<float>& stereo, int sampleRate, const std::string& wavFile);
