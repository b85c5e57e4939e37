// The music: not composed yet.
#include "forge.h"

#include <iostream>

int forgeMusic(const std::string&)
{
    std::cerr << "ostralis-forge: the music is not composed yet" << std::endl;
    return 1;
}
