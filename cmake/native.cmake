# Native (Linux) build: the core's GoogleTest suite.
find_package(GTest REQUIRED)
add_executable(velmora_tests ${VELMORA_TEST_SUPPORT_SOURCES} ${VELMORA_CORE_TEST_SOURCES}
               ${VELMORA_POSIX_TEST_SOURCES})
velmora_options(velmora_tests)
target_include_directories(velmora_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(velmora_tests PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
target_link_libraries(velmora_tests PRIVATE velmora_core GTest::gtest GTest::gtest_main)
add_test(NAME velmora_tests COMMAND velmora_tests)

# The command line: velmora-cli, its library (which the tests link) and its tests;
# the program's own test runs the built velmora-cli on a batch.
add_library(velmora_cli_lib STATIC ${VELMORA_CLI_SOURCES} ${VELMORA_CLI_POSIX_SOURCES})
velmora_options(velmora_cli_lib)
target_link_libraries(velmora_cli_lib PUBLIC velmora_core)
add_executable(velmora-cli ${VELMORA_CLI_MAIN_SOURCE})
velmora_options(velmora-cli)
target_link_libraries(velmora-cli PRIVATE velmora_cli_lib)
# Batches start it once per script step: the C++ run time linked in starts faster.
target_link_options(velmora-cli PRIVATE -static-libstdc++ -static-libgcc)
# Linked whole (with zlib's archive) it starts without the dynamic loader's
# relocations, in half the time: a check of a folder of small files is mostly
# start-up. The converter to code page 932 is still loaded by iconv when needed.
# Only where zlib's archive is installed, and never with the sanitizers.
find_library(VELMORA_ZLIB_ARCHIVE NAMES libz.a)
if(VELMORA_ZLIB_ARCHIVE AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
  set_target_properties(ZLIB::ZLIB PROPERTIES IMPORTED_LOCATION "${VELMORA_ZLIB_ARCHIVE}"
                        IMPORTED_LOCATION_RELEASE "${VELMORA_ZLIB_ARCHIVE}" IMPORTED_LOCATION_DEBUG "${VELMORA_ZLIB_ARCHIVE}")
  target_link_options(velmora-cli PRIVATE -static)
endif()
target_sources(velmora_tests PRIVATE ${VELMORA_CLI_TEST_SOURCES})
target_link_libraries(velmora_tests PRIVATE velmora_cli_lib)
add_executable(velmora_cli_program_tests ${VELMORA_CLI_PROGRAM_TEST_SOURCES} ${VELMORA_TEST_SUPPORT_SOURCES})
velmora_options(velmora_cli_program_tests)
target_include_directories(velmora_cli_program_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(velmora_cli_program_tests PRIVATE VELMORA_CLI_PROGRAM="$<TARGET_FILE:velmora-cli>"
                           VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
target_link_libraries(velmora_cli_program_tests PRIVATE velmora_core GTest::gtest GTest::gtest_main)
add_dependencies(velmora_cli_program_tests velmora-cli)
add_test(NAME velmora_cli_program_tests COMMAND velmora_cli_program_tests)
