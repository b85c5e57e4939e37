// Asks Xlib, silently, whether a display can be opened.
#include "system/display.h"

#include <X11/Xlib.h>

bool displayAvailable()
{
    // Start-up loads pictures on two threads, each with a GL context on the
    // one display connection: Xlib must lock it, which it does only when told
    // so before anything else uses X.
#if defined(__linux__)
    XInitThreads();
#endif

    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XCloseDisplay(display);
    return true;
}

const char* missingDisplayMessage()
{
    return "ostralis: no display can be opened; set DISPLAY to a running X server";
}
