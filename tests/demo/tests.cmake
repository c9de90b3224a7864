add_library(pty_run STATIC support/pty_run.cpp)
target_link_libraries(pty_run PUBLIC util)

# Preloaded into the real program: memory that runs out mid-show.
add_library(failing_new SHARED support/failing_new.cpp)

# The real program in a pseudo-terminal.
add_demo_test(run_test demo
  SOURCES demo/run_test.cpp
  LIBS pty_run vterm_screen)
target_compile_definitions(run_test PRIVATE TEXTDEMO_BINARY="$<TARGET_FILE:textdemo>"
  MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>" FAILING_NEW_LIBRARY="$<TARGET_FILE:failing_new>")
add_dependencies(run_test textdemo make_module failing_new)

# The scene schedule with a scripted song and clock.
add_demo_test(schedule_test demo
  SOURCES demo/schedule_test.cpp
  LIBS scenes effects banner screen fakes vterm_screen)
