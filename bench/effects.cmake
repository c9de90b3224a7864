# A whole scene-2 frame (dotted field, ball, burst, present) and a helix frame
# (helix at column 40, present), into the byte sink.
add_executable(bench_effects effects_bench.cpp)
target_link_libraries(bench_effects PRIVATE effects screen fakes benchmark::benchmark_main)
