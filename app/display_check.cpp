// Asks Xlib, silently, whether a display can be opened.
#include "app/display_check.h"

#include <X11/Xlib.h>

bool displayAvailable()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}
