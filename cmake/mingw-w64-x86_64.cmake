# Cross-compiling for Windows x86-64 with Debian's MinGW-w64, posix thread
# model (std::thread needs it). Libraries and headers are looked up only in
# the compiler's own root and in the folder of the cross-built dependencies,
# OSTRALIS_WINDOWS_DEPS (a cache variable or the environment variable).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT OSTRALIS_WINDOWS_DEPS AND DEFINED ENV{OSTRALIS_WINDOWS_DEPS})
  set(OSTRALIS_WINDOWS_DEPS $ENV{OSTRALIS_WINDOWS_DEPS})
endif()
# try_compile reads this file again in a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES OSTRALIS_WINDOWS_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${OSTRALIS_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
