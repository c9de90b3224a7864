# Intro, ball-scene and helix frames, drawn and presented into the byte sink.
add_executable(bench_frames frames_bench.cpp)
target_link_libraries(bench_frames PRIVATE effects screen fakes benchmark::benchmark_main)
