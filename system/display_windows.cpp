// A Windows program always runs on a desktop: the window can be opened.
#include "system/display.h"

bool displayAvailable()
{
    return true;
}

const char* missingDisplayMessage()
{
    return "ostralis: no desktop to open the window on";
}
