# The benchmark of the repair search (native only): velmora_bench, run by
# scripts/bench.sh. Skipped with a message when Google Benchmark is missing.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  add_executable(velmora_bench bench/repair_bench.cpp bench/check_bench.cpp tests/support/test_support.cpp
                 tests/support/memory_files.cpp)
  velmora_options(velmora_bench)
  target_include_directories(velmora_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(velmora_bench PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
  target_link_libraries(velmora_bench PRIVATE velmora_core benchmark::benchmark)
else()
  message(STATUS "Google Benchmark not found: velmora_bench is not built")
endif()

# Undo and redo on the largest table (velmora_undo_bench, plain figures, no
# Google Benchmark needed), run by scripts/bench.sh --undo.
add_executable(velmora_undo_bench bench/undo_bench.cpp tests/support/test_support.cpp)
velmora_options(velmora_undo_bench)
target_include_directories(velmora_undo_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(velmora_undo_bench PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
target_link_libraries(velmora_undo_bench PRIVATE velmora_core)
# The rescue's benchmark (native only, no library needed): velmora_rescue_bench
# prints the time and peak memory of each kind of damage on a file just under the limit.
add_executable(velmora_rescue_bench bench/rescue_bench.cpp tests/support/test_support.cpp)
velmora_options(velmora_rescue_bench)
target_include_directories(velmora_rescue_bench PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(velmora_rescue_bench PRIVATE VELMORA_CORPUS_DIR="${VELMORA_CORPUS_DIR}")
target_link_libraries(velmora_rescue_bench PRIVATE velmora_core)
