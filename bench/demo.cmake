# The bytes of a whole show, the heaviest frames, the peak memory of a whole run.
add_executable(bench_show show_bench.cpp)
target_link_libraries(bench_show PRIVATE scenes effects banner screen fakes vterm_screen
  benchmark::benchmark_main)
target_compile_definitions(bench_show PRIVATE TEXTDEMO_BINARY="$<TARGET_FILE:textdemo>"
  MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>")
add_dependencies(bench_show textdemo make_module)
