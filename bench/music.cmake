# Rendering cost of the show's module per second of music.
add_executable(bench_music music_render.cpp)
target_link_libraries(bench_music PRIVATE music_core benchmark::benchmark_main)
target_compile_definitions(bench_music PRIVATE SHOW_MODULE_PATH="${CMAKE_SOURCE_DIR}/qk17.xm")
