#pragma once
// The music file read as MP3: opened, then decoded block by block into
// 16-bit signed samples to its end. Plain routines that need no sound
// device, so the tests and the fuzzer can drive them directly.
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct mpg123_handle_struct;
struct Mp3Source;

struct Mp3Stream
{
    mpg123_handle_struct* decoder = nullptr;
    Mp3Source* source = nullptr;  // the bytes the decoder reads from
    unsigned sampleRate = 0;      // of the first frame; kept to the end
    unsigned channelCount = 0;    // 1 or 2, of the first frame; kept to the end
    bool finished = true;         // no more samples until rewound
};

// Opens an MP3 file or MP3 bytes in memory (which must outlive the stream).
// On success the output format is locked to the first frame's rate and
// channel count; false for a missing, empty or undecodable input.
bool openMp3File(Mp3Stream& stream, const char* file);
bool openMp3Bytes(Mp3Stream& stream, const unsigned char* bytes, size_t size);

// Decodes up to maxSamples interleaved samples (whole frames only) and
// returns how many were written. Returns fewer, and sets finished, at the
// end of the input or on a fault the decoder cannot get past.
size_t readMp3Block(Mp3Stream& stream, int16_t* samples, size_t maxSamples);

// Moves back to a sample frame (0 is the start), so that reading resumes there.
bool seekMp3(Mp3Stream& stream, size_t frame);

// Releases the decoder and the input; the stream can be opened again.
void closeMp3(Mp3Stream& stream);
