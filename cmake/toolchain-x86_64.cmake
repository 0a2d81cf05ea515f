# Cross build for x86_64 Windows with mingw-w64.
# The posix thread model: GoogleTest for the Windows-side tests needs std::mutex.
# Everything is linked statically, so no threading DLL is needed at run time.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(VELMORA_THREAD_MODEL posix)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# zlib from libz-mingw-w64-dev, linked statically: the program needs no zlib1.dll.
set(ZLIB_USE_STATIC_LIBS ON)
