#pragma once
// Opening a data file of the show for reading.
#include <cstdio>

// Opens a regular file for binary reading; anything else (a directory, a
// pipe that would block) is refused with nullptr.
std::FILE* openRegularFile(const char* file);
