#pragma once
// Our audio output: initialised once at start-up; scene 0 asks it to stream
// the music file once from its start. Nothing is read back and nothing is
// reported: a machine without sound, or a missing or damaged file, gives a
// silent show.

using MusicChannel = unsigned;  // 0 stands for "no stream"

// Opens the default output device, quietly; without a device the show is silent.
void initAudioOutput();

// Opens an MP3 file as a stream. Returns 0 when there is no output or the
// file cannot be decoded.
MusicChannel createMusicStream(const char* file);

// Starts a stream created above; 0 is ignored.
void playMusicStream(MusicChannel channel);

// How many times a stream was asked for, whether or not it could play: the
// capture tool uses it to find the frame in which the music starts.
int musicStreamRequests();

// For the preview, which pauses and moves the show: pauses or resumes every
// stream started so far, and moves them to a point of the music in seconds.
void pauseMusicStreams(bool paused);
// Holds back every stream started from now on: it stays silent, though it
// is moved with the rest, until pauseMusicStreams(false) lets it play.
void holdMusicStreams();
void seekMusicStreams(float seconds);
// Stops and closes every stream, held ones included, for a show run again
// from its start: the next stream asked for is channel 1 again.
void closeMusicStreams();
