add_library(pty_run STATIC support/pty_run.cpp)
target_link_libraries(pty_run PUBLIC util)

# The real program in a pseudo-terminal.
add_demo_test(run_test demo
  SOURCES demo/run_test.cpp
  LIBS pty_run vterm_screen)
target_compile_definitions(run_test PRIVATE TEXTDEMO_BINARY="$<TARGET_FILE:textdemo>")
add_dependencies(run_test textdemo)
