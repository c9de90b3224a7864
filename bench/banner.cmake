# One scroll step of the demo's longest (140) and shortest (57) banners.
add_executable(bench_banner banner_bench.cpp)
target_link_libraries(bench_banner PRIVATE banner fakes benchmark::benchmark_main)
