// The player's GL objects, built before main as they always were: the
// display is checked first, and without one the program says so in one line
// and ends with -1 before any GL object exists. The tools leave this file
// out and build the objects themselves once their options are read.
#include "system/display.h"
#include "assets/graphics_objects.h"

#include <cstdlib>
#include <iostream>

namespace
{
struct GraphicsBeforeMain
{
    GraphicsBeforeMain()
    {
        if (!displayAvailable())
        {
            std::cerr << missingDisplayMessage() << std::endl;
            std::exit(-1);
        }
        createGraphicsObjects();
    }
};
const GraphicsBeforeMain graphicsBeforeMain;
}
