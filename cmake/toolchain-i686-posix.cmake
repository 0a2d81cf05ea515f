# Cross build of the test suites for i686 Windows. GoogleTest needs std::mutex, which
# only the posix thread model of mingw-w64 has; the shipped program keeps the win32
# thread model of cmake/toolchain-i686.cmake, whose settings this takes otherwise.
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(VELMORA_THREAD_MODEL posix)
