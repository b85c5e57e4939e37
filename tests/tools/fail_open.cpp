// Preloaded (LD_PRELOAD) by the catalogue's retry test: the first
// OSTRALIS_FAIL_OPEN_COUNT openings (1 unless given) of a file named
// OSTRALIS_FAIL_OPEN, in any folder, fail as a passing read error would.
// Each refusal is one line on standard error, so that a test can tell the
// failure happened.
#include <dlfcn.h>
#include <errno.h>
#include <cstdio>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace
{
using OpenFile = FILE* (*)(const char*, const char*);

std::atomic<int> refused{0};

// Whether this opening is one to refuse: the named file, while refusals are left.
bool refuse(const char* path)
{
    const char* name = std::getenv("OSTRALIS_FAIL_OPEN");
    if (!name || !path)
        return false;
    const char* slash = std::strrchr(path, '/');
    if (std::strcmp(slash ? slash + 1 : path, name) != 0)
        return false;
    const char* countText = std::getenv("OSTRALIS_FAIL_OPEN_COUNT");
    int count = countText ? std::atoi(countText) : 1;
    if (refused.fetch_add(1) >= count)
        return false;
    std::fprintf(stderr, "fail-open: refused opening %s\n", name);
    errno = EIO;
    return true;
}

FILE* openOrRefuse(const char* symbol, const char* path, const char* mode)
{
    if (refuse(path))
        return nullptr;
    static OpenFile real = reinterpret_cast<OpenFile>(dlsym(RTLD_NEXT, "fopen"));
    static OpenFile real64 = reinterpret_cast<OpenFile>(dlsym(RTLD_NEXT, "fopen64"));
    return (std::strcmp(symbol, "fopen") == 0 ? real : real64)(path, mode);
}
}

extern "C" FILE* fopen(const char* path, const char* mode)
{
    return openOrRefuse("fopen", path, mode);
}

extern "C" FILE* fopen64(const char* path, const char* mode)
{
    return openOrRefuse("fopen64", path, mode);
}
