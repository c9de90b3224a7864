# One intro frame: the bouncing name drawn and presented into the byte sink.
add_executable(bench_intro intro_bench.cpp)
target_link_libraries(bench_intro PRIVATE effects screen fakes benchmark::benchmark_main)
