// The forge: makes every picture and the music of the show from our own code.
//   ostralis-forge pictures SHOW_DIR SHEET.png
//   ostralis-forge music FILE.mp3
#include "forge.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "pictures") == 0)
        return forgePictures(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "music") == 0)
        return forgeMusic(argv[2]);

    std::cerr << "usage: ostralis-forge pictures SHOW_DIR SHEET.png | music FILE.mp3" << std::endl;
    return 2;
}
