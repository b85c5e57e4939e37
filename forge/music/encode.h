#pragma once
// Writing the finished track: 16-bit PCM through LAME into an MP3 file.
#include <string>
#include <vector>

// Encodes interleaved stereo samples (-1..1) at sampleRate into mp3File at
// about 192 kbit/s. Returns false after one line on stderr.
bool encodeMp3(const std::vector<float>& stereo, int sampleRate, const std::string& mp3File);
