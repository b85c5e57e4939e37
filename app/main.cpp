// Ostralis: a show of twelve scenes, played once, full screen.
#include "app/startup.h"
#include "system/console.h"

int main()
{
    int exitCode = playShow();
    if (exitCode != 0)
        holdConsoleAfterFailure();
    return exitCode;
}
