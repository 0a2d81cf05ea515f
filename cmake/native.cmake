# Native (Linux) build: the core's GoogleTest suite.
find_package(GTest REQUIRED)
add_executable(velmora_tests ${VELMORA_TEST_SUPPORT_SOURCES} ${VELMORA_CORE_TEST_SOURCES}
               ${VELMORA_POSIX_TEST_SOURCES})
velmora_options(velmora_tests)
target_include_directories(velmora_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(velmora_tests PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
target_link_libraries(velmora_tests PRIVATE velmora_core GTest::gtest GTest::gtest_main)
add_test(NAME velmora_tests COMMAND velmora_tests)
