// Reads the root window back with XGetImage: on Xvfb it holds every window's
// pixels as shown.
#include "support/screen_grab.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

ScreenPixels grabScreen()
{
    ScreenPixels pixels;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return pixels;
    Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* image = XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image)
    {
        pixels.width = attributes.width;
        pixels.height = attributes.height;
        pixels.rgb.resize(std::size_t(pixels.width) * pixels.height * 3);
        std::size_t at = 0;
        for (unsigned y = 0; y < pixels.height; ++y)
            for (unsigned x = 0; x < pixels.width; ++x)
            {
                unsigned long pixel = XGetPixel(image, x, y);
                pixels.rgb[at++] = (pixel & image->red_mask) >> 16;
                pixels.rgb[at++] = (pixel & image->green_mask) >> 8;
                pixels.rgb[at++] = pixel & image->blue_mask;
            }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return pixels;
}
