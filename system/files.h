#pragma once
// Opening a data file of the show for reading.
#include <cstdio>

// Opens a regular file for binary reading; anything else (a directory, a
// pipe that would block) is refused with nullptr.
std::FILE* openRegularFile(const char* file);

// Where a viewer finds the folder that holds the show's files on this
// system, said when the player is started elsewhere.
const char* showFolderHint();
