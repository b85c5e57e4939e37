// A name in the working folder that is not a regular file (a folder, a
// device such as CON) is refused once opened.
#include "system/files.h"

#include <sys/stat.h>

std::FILE* openRegularFile(const char* file)
{
    std::FILE* opened = std::fopen(file, "rb");
    if (!opened)
        return nullptr;
    struct _stat64 status;
    if (_fstat64(_fileno(opened), &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(opened);
        return nullptr;
    }
    return opened;
}

const char* showFolderHint()
{
    return "the folder unzipped with ostralis.exe; double-clicking it there starts it there";
}
