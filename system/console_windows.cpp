// A console that Windows opened for a double-clicked program closes with the
// program. It is the program's alone when the console lists no other process.
#include "system/console.h"

#include <windows.h>
#include <conio.h>
#include <cstdio>

void holdConsoleAfterFailure()
{
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1)
        return;
    // Input redirected from a file or a pipe: nobody is there to press a key.
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    if (input == INVALID_HANDLE_VALUE || input == nullptr || !GetConsoleMode(input, &mode))
        return;
    std::fputs("press a key to close\n", stderr);
    std::fflush(stderr);
    _getch();
}
