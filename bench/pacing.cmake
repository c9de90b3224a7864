# The frame pacer's intervals and processor use on the real clock.
add_executable(bench_pacing pacing_bench.cpp)
target_link_libraries(bench_pacing PRIVATE screen ${TEXTDEMO_PLATFORM} benchmark::benchmark_main)
