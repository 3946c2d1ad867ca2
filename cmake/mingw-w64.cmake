# Cross build for 64-bit Windows with Debian's mingw-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
# The win32 thread model: the program has one thread, and the posix model's runtime (winpthreads,
# some 24 KB) would come into the exe with every exception and static local. Its GCC 12 lacks
# std::mutex and std::thread.
set(kavren_cxx_compiler x86_64-w64-mingw32-g++-win32)
set(CMAKE_CXX_COMPILER ${kavren_cxx_compiler})
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
