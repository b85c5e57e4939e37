// Preloaded into the player (LD_PRELOAD) by the quitting and stall tests:
// SFML's clock runs OSTRALIS_CLOCK_SCALE times faster than the true one, so
// a test reaches a late scene of the show in a fraction of its real time.
// Only SFML's own calls are sped up; Mesa, X and OpenAL keep the true clock.
#include <dlfcn.h>
#include <time.h>

#include <cstdlib>
#include <cstring>

namespace
{
using ClockGetTime = int (*)(clockid_t, timespec*);

ClockGetTime trueClock()
{
    static ClockGetTime real = reinterpret_cast<ClockGetTime>(dlsym(RTLD_NEXT, "clock_gettime"));
    return real;
}

double clockScale()
{
    static double scale = [] {
        const char* text = std::getenv("OSTRALIS_CLOCK_SCALE");
        double value = text ? std::atof(text) : 1.0;
        return value > 0 ? value : 1.0;
    }();
    return scale;
}

bool calledFromSfmlSystem(void* caller)
{
    Dl_info info;
    return dladdr(caller, &info) != 0 && info.dli_fname && std::strstr(info.dli_fname, "libsfml-system");
}
}

extern "C" int clock_gettime(clockid_t clock, timespec* time)
{
    int result = trueClock()(clock, time);
    if (result != 0 || clock != CLOCK_MONOTONIC || !calledFromSfmlSystem(__builtin_return_address(0)))
        return result;

    // Scaled from the first reading on, so the sped-up clock starts at the true time.
    static long double first = -1;
    long double now = time->tv_sec * 1e9L + time->tv_nsec;
    if (first < 0)
        first = now;
    long double scaled = first + (now - first) * clockScale();
    time->tv_sec = static_cast<time_t>(scaled / 1e9L);
    time->tv_nsec = static_cast<long>(scaled - time->tv_sec * 1e9L);
    return 0;
}
