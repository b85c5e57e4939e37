// The music file read as MP3 through libmpg123, from a file or from memory.
#include "audio/mp3_stream.h"
#include "system/files.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>

// Where the decoder's bytes come from: an open file, or a block of memory.
struct Mp3Source
{
    std::FILE* file = nullptr;
    const unsigned char* bytes = nullptr;
    size_t size = 0;
    size_t position = 0;
};

namespace
{
// A read that yields no samples this many times in a row ends the stream,
// so that a decoder that stops making progress cannot spin.
const int maxIdleReads = 8;

ssize_t readSource(void* handle, void* buffer, size_t bytes)
{
    Mp3Source& source = *static_cast<Mp3Source*>(handle);
    if (source.file) {
        size_t got = std::fread(buffer, 1, bytes, source.file);
        if (got == 0 && std::ferror(source.file))
            return -1;
        return static_cast<ssize_t>(got);
    }
    if (source.position >= source.size)
        return 0;
    size_t got = std::min(bytes, source.size - source.position);
    std::memcpy(buffer, source.bytes + source.position, got);
    source.position += got;
    return static_cast<ssize_t>(got);
}

off_t seekSource(void* handle, off_t offset, int whence)
{
    Mp3Source& source = *static_cast<Mp3Source*>(handle);
    if (source.file) {
        if (fseeko(source.file, offset, whence) != 0)
            return -1;
        return ftello(source.file);
    }
    off_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<off_t>(source.position);
    else if (whence == SEEK_END)
        base = static_cast<off_t>(source.size);
    else if (whence != SEEK_SET)
        return -1;
    if (offset < -base)
        return -1;
    source.position = static_cast<size_t>(base + offset);
    return static_cast<off_t>(source.position);
}

// Starts the decoder on the stream's source and locks the output to the
// format of the first frame: one rate, one channel count, 16-bit signed.
// A stream that changes format later is converted to it, not fed through
// in a format the player no longer expects: mono frames in a stereo stream
// are doubled, stereo frames in a mono stream are mixed down.
bool startDecoder(Mp3Stream& stream)
{
    static bool libraryReady = mpg123_init() == MPG123_OK;
    if (!libraryReady)
        return false;
    int error = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &error);
    if (!decoder)
        return false;
    stream.decoder = decoder;
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    if (mpg123_replace_reader_handle(decoder, readSource, seekSource, nullptr) != MPG123_OK
        || mpg123_open_handle(decoder, stream.source) != MPG123_OK)
        return false;

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(decoder, &rate, &channels, &encoding) != MPG123_OK)
        return false;
    if (rate <= 0 || channels < 1 || channels > 2)
        return false;
    // Frames at another rate go through the decoder's general resampler:
    // its half- and quarter-rate paths print a line per Layer I joint-stereo
    // frame to stderr despite MPG123_QUIET (the general one only rarely).
    mpg123_param(decoder, MPG123_FORCE_RATE, rate, 0.0);
    mpg123_format_none(decoder);
    if (mpg123_format(decoder, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK)
        return false;

    stream.sampleRate = static_cast<unsigned>(rate);
    stream.channelCount = static_cast<unsigned>(channels);
    stream.finished = false;
    return true;
}
}

bool openMp3File(Mp3Stream& stream, const char* file)
{
    closeMp3(stream);
    if (!file)
        return false;
    std::FILE* opened = openRegularFile(file);
    if (!opened)
        return false;
    stream.source = new Mp3Source;
    stream.source->file = opened;
    if (startDecoder(stream))
        return true;
    closeMp3(stream);
    return false;
}

bool openMp3Bytes(Mp3Stream& stream, const unsigned char* bytes, size_t size)
{
    closeMp3(stream);
    stream.source = new Mp3Source;
    stream.source->bytes = bytes;
    stream.source->size = bytes ? size : 0;
    if (startDecoder(stream))
        return true;
    closeMp3(stream);
    return false;
}

size_t readMp3Block(Mp3Stream& stream, int16_t* samples, size_t maxSamples)
{
    if (!stream.decoder || stream.finished || stream.channelCount == 0)
        return 0;
    size_t wanted = maxSamples - maxSamples % stream.channelCount;
    size_t filled = 0;
    int idleReads = 0;
    while (filled < wanted) {
        size_t bytes = 0;
        unsigned char* out = reinterpret_cast<unsigned char*>(samples + filled);
        int result = mpg123_read(stream.decoder, out, (wanted - filled) * sizeof(int16_t), &bytes);
        filled += bytes / sizeof(int16_t);

        // The locked format is the only one the decoder may announce.
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0;
            int encoding = 0;
            mpg123_getformat(stream.decoder, &rate, &channels, &encoding);
            if (rate != static_cast<long>(stream.sampleRate)
                || channels != static_cast<int>(stream.channelCount)
                || encoding != MPG123_ENC_SIGNED_16) {
                stream.finished = true;
                break;
            }
        } else if (result != MPG123_OK) {
            // The end of the input, or damage the decoder cannot skip.
            stream.finished = true;
            break;
        }

        idleReads = bytes == 0 ? idleReads + 1 : 0;
        if (idleReads >= maxIdleReads) {
            stream.finished = true;
            break;
        }
    }
    // Hand out whole frames only, even if the decoder stopped mid-frame.
    return filled - filled % stream.channelCount;
}

bool seekMp3(Mp3Stream& stream, size_t frame)
{
    if (!stream.decoder)
        return false;
    if (mpg123_seek(stream.decoder, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    stream.finished = false;
    return true;
}

void closeMp3(Mp3Stream& stream)
{
    if (stream.decoder) {
        mpg123_close(stream.decoder);
        mpg123_delete(stream.decoder);
    }
    if (stream.source) {
        if (stream.source->file)
            std::fclose(stream.source->file);
        delete stream.source;
    }
    stream = Mp3Stream();
}
