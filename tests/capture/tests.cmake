# The capture program's video decoded and held against the schedule run on
# the scripted clock with libopenmpt's song; its failures and its stills.
# One test process, so that the whole show is captured and decoded once.
add_executable(capture_test ${CMAKE_CURRENT_LIST_DIR}/capture_test.cpp)
target_link_libraries(capture_test PRIVATE scenes effects banner screen fakes music_core console_font vterm_screen
  PkgConfig::FFMPEG GTest::gtest GTest::gtest_main Threads::Threads)
target_compile_definitions(capture_test PRIVATE CAPTURE_BINARY="$<TARGET_FILE:textdemo-capture>"
  MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>" SHOW_MODULE_PATH="${CMAKE_SOURCE_DIR}/qk17.xm")
add_dependencies(capture_test textdemo-capture make_module)
add_test(NAME Capture COMMAND capture_test)
# Alone: its two busy cores would otherwise load the pseudo-terminal tests.
set_tests_properties(Capture PROPERTIES LABELS capture RUN_SERIAL ON TIMEOUT 600)
