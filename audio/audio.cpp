// Our audio output: the music decoded from MP3 by libmpg123 and played by
// an sf::SoundStream (SFML's audio module on OpenAL). Without a sound device
// nothing of SFML's audio is ever created, so the show stays silent and
// neither OpenAL nor the system's sound layer gets a chance to print anything.
#include "audio/audio.h"
#include "audio/mp3_stream.h"
#include "system/sound.h"

#include <SFML/Audio/SoundStream.hpp>

#include <AL/alc.h>

#include <cstdlib>
#include <vector>

namespace
{
// About a tenth of a second per block at 44.1 kHz stereo.
const size_t blockSamples = 8192;

// One music file played once from its start.
class MusicStream : public sf::SoundStream
{
public:
    explicit MusicStream(const Mp3Stream& opened) : mp3(opened), block(blockSamples)
    {
        initialize(mp3.channelCount, mp3.sampleRate);
        ready = true;
    }

    ~MusicStream() override
    {
        // The streaming thread reads our members: end it before they go.
        stop();
        closeMp3(mp3);
    }

private:
    bool onGetData(Chunk& data) override
    {
        data.samples = block.data();
        data.sampleCount = readMp3Block(mp3, block.data(), block.size());
        return !mp3.finished;
    }

    void onSeek(sf::Time offset) override
    {
        // sf::SoundStream::stop() seeks too, even on a stream never initialised.
        if (!ready)
            return;
        sf::Int64 frame = offset.asMicroseconds() * mp3.sampleRate / 1000000;
        seekMp3(mp3, frame > 0 ? static_cast<size_t>(frame) : 0);
    }

    Mp3Stream mp3;
    std::vector<sf::Int16> block;
    bool ready = false;
};

bool outputChecked = false;
bool outputAvailable = false;
int streamRequests = 0;
bool streamsHeld = false;
std::vector<MusicStream*> heldStreams;  // asked to play while held
std::vector<MusicStream*> musicStreams;  // channel n is musicStreams[n - 1]

// The show never stops its music; at process exit the streaming threads are
// ended before the libraries they call are torn down.
void endStreamsAtExit()
{
    for (MusicStream* stream : musicStreams)
        stream->stop();
}
}

void initAudioOutput()
{
    if (outputChecked)
        return;
    outputChecked = true;

    // Quiet OpenAL and the system's sound layer before anything of them runs.
    quietSoundLibraries();

    // Ask for the default device once; SFML opens its own when the music
    // starts, so this one is closed again (a file-writing driver would
    // otherwise have two writers).
    ALCdevice* device = alcOpenDevice(nullptr);
    outputAvailable = device != nullptr;
    if (device)
        alcCloseDevice(device);
    if (outputAvailable)
        std::atexit(endStreamsAtExit);
}

MusicChannel createMusicStream(const char* file)
{
    ++streamRequests;
    if (!outputAvailable)
        return 0;
    Mp3Stream mp3;
    if (!openMp3File(mp3, file))
        return 0;
    musicStreams.push_back(new MusicStream(mp3));
    return static_cast<MusicChannel>(musicStreams.size());
}

void playMusicStream(MusicChannel channel)
{
    if (channel == 0 || channel > musicStreams.size())
        return;
    if (streamsHeld)
        heldStreams.push_back(musicStreams[channel - 1]);
    else
        musicStreams[channel - 1]->play();
}

void holdMusicStreams()
{
    streamsHeld = true;
}

int musicStreamRequests()
{
    return streamRequests;
}

void pauseMusicStreams(bool paused)
{
    if (!paused && streamsHeld)
    {
        // A held stream has not played yet: it starts where it was moved to.
        streamsHeld = false;
        for (MusicStream* stream : heldStreams)
            stream->play();
        heldStreams.clear();
    }
    for (MusicStream* stream : musicStreams)
    {
        if (paused && stream->getStatus() == sf::SoundSource::Playing)
            stream->pause();
        else if (!paused && stream->getStatus() == sf::SoundSource::Paused)
            stream->play();
    }
}

void seekMusicStreams(float seconds)
{
    for (MusicStream* stream : musicStreams)
        stream->setPlayingOffset(sf::seconds(seconds > 0 ? seconds : 0));
}

void closeMusicStreams()
{
    for (MusicStream* stream : musicStreams)
        delete stream;
    musicStreams.clear();
    heldStreams.clear();
}
