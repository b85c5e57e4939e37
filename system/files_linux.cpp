// Opened without blocking, so that a pipe by the file's name cannot hold
// the show, then checked for being a regular file.
#include "system/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::FILE* openRegularFile(const char* file)
{
    int descriptor = open(file, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return nullptr;
    struct stat status;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        return nullptr;
    }
    std::FILE* opened = fdopen(descriptor, "rb");
    if (!opened)
        close(descriptor);
    return opened;
}

const char* showFolderHint()
{
    return "the release's launcher and scripts/play.sh start it there";
}
