// libFuzzer target over the music reader: open the bytes as MP3, then read
// them to the end in the block size the player uses. Any crash, leak, hang
// or runaway output is a fault in our reader. Built by scripts/fuzz.sh.
#include "audio/mp3_stream.h"

#include <cstdlib>
#include <vector>

namespace
{
const size_t blockSamples = 4096;  // as the player's stream asks for
// Every frame starts with a 4-byte header and holds at most 1152 samples a
// channel, doubled for mono in a stereo stream and at most sixfold when
// converted from 8 kHz up to 48 kHz.
const size_t maxSamplesPerByte = 1152 * 2 * 6 / 4;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Mp3Stream stream;
    if (!openMp3Bytes(stream, data, size))
        return 0;
    if (stream.channelCount < 1 || stream.channelCount > 2 || stream.sampleRate == 0)
        std::abort();

    std::vector<int16_t> block(blockSamples);
    size_t total = 0;
    for (;;) {
        size_t got = readMp3Block(stream, block.data(), block.size());
        if (got > block.size() || got % stream.channelCount != 0)
            std::abort();
        total += got;
        if (total > maxSamplesPerByte * (size + 4096))
            std::abort();
        if (stream.finished)
            break;
    }

    // Back to the start, as stopping the player's stream does, and read one more block.
    if (seekMp3(stream, 0))
        readMp3Block(stream, block.data(), block.size());
    closeMp3(stream);
    return 0;
}
