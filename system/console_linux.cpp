// A terminal outlives the program started in it: nothing to hold.
#include "system/console.h"

void holdConsoleAfterFailure()
{
}
