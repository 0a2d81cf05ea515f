# Windows builds (mingw-w64): everything is linked statically, so the program needs
# no DLL beyond Windows' own.
set(VELMORA_STATIC_LINK -static -static-libgcc -static-libstdc++)

# The core's test suite for Windows, run under wine64 from the x86_64 build and, as
# 32-bit code, from the i686 test build; it exercises the Windows file layer too.
# GoogleTest is compiled from Debian's sources; it needs the posix thread model.
if(VELMORA_THREAD_MODEL STREQUAL "posix" AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  add_executable(velmora_win_tests ${VELMORA_TEST_SUPPORT_SOURCES} ${VELMORA_CORE_TEST_SOURCES}
                 ${VELMORA_WIN_TEST_SOURCES})
  velmora_options(velmora_win_tests)
  target_include_directories(velmora_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(velmora_win_tests PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
  target_link_libraries(velmora_win_tests PRIVATE velmora_core gtest gtest_main ${VELMORA_STATIC_LINK})
endif()

# The command line: velmora-cli.exe, a console program (the tests run it too).
add_library(velmora_cli_lib STATIC ${VELMORA_CLI_SOURCES} ${VELMORA_CLI_WIN_SOURCES})
velmora_options(velmora_cli_lib)
target_link_libraries(velmora_cli_lib PUBLIC velmora_core)
add_executable(velmora-cli ${VELMORA_CLI_MAIN_SOURCE})
velmora_options(velmora-cli)
target_link_libraries(velmora-cli PRIVATE velmora_cli_lib)
target_link_options(velmora-cli PRIVATE -mconsole ${VELMORA_STATIC_LINK})
