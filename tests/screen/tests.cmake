add_demo_test(screen_buffer_test screen
  SOURCES screen/screen_buffer_test.cpp screen/console_test.cpp
  LIBS screen fakes vterm_screen)
# The tick mark starts at 0 once per process: the pacer has its own.
add_demo_test(frame_pacer_test screen
  SOURCES screen/frame_pacer_test.cpp
  LIBS screen fakes)
