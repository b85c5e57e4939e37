// The pictures: not painted yet.
#include "forge.h"

#include <iostream>

int forgePictures(const std::string&, const std::string&)
{
    std::cerr << "ostralis-forge: the pictures are not painted yet" << std::endl;
    return 1;
}
