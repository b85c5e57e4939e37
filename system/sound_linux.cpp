// On Linux OpenAL Soft logs through its own level and ALSA through an
// error handler of its own: both are turned off.
#include "system/sound.h"

#include <alsa/asoundlib.h>

#include <cstdlib>

namespace
{
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
}

void quietSoundLibraries()
{
    // A level the viewer set on purpose is kept.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    snd_lib_error_set_handler(ignoreAlsaError);
}
