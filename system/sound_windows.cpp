// On Windows only OpenAL Soft logs: its level is turned off. It reads the
// level from the C runtime's environment, which the player and the DLL share.
#include "system/sound.h"

#include <cstdlib>

void quietSoundLibraries()
{
    // A level the viewer set on purpose is kept.
    if (!std::getenv("ALSOFT_LOGLEVEL"))
        _putenv_s("ALSOFT_LOGLEVEL", "0");
}
