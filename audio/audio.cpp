// Audio output: not built yet; the show is silent.
#include "audio/audio.h"

void initAudioOutput() {}
MusicChannel createMusicStream(const char*) { return 0; }
void playMusicStream(MusicChannel) {}
int musicStreamRequests() { return 0; }
