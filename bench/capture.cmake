# The capture program on the whole show: speed, output size and bitrate, peak memory.
add_executable(bench_capture capture_bench.cpp)
target_link_libraries(bench_capture PRIVATE PkgConfig::FFMPEG benchmark::benchmark_main)
target_compile_definitions(bench_capture PRIVATE CAPTURE_BINARY="$<TARGET_FILE:textdemo-capture>"
  SHOW_FOLDER="${CMAKE_SOURCE_DIR}")
add_dependencies(bench_capture textdemo-capture)
