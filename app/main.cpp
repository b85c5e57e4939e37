// Ostralis: a show of twelve scenes, played once, full screen.
#include "app/startup.h"

int main()
{
    return playShow();
}
