# The whole show with the real song through a sound server of its own.
add_executable(bench_heard heard_bench.cpp)
target_link_libraries(bench_heard PRIVATE heard_show benchmark::benchmark_main)
target_compile_definitions(bench_heard PRIVATE TEXTDEMO_BINARY="$<TARGET_FILE:textdemo>"
  SHOW_FOLDER="${CMAKE_SOURCE_DIR}")
add_dependencies(bench_heard textdemo)
