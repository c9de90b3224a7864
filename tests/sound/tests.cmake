# The real program through a sound server of the test's own (PulseAudio with
# a null sink), recorded and compared with the song's render.
add_library(heard_show STATIC sound/sound_server.cpp sound/heard_show.cpp support/song_alignment.h)
target_link_libraries(heard_show PUBLIC pty_run vterm_screen music_core util Threads::Threads)

add_executable(heard_test sound/heard_test.cpp)
target_link_libraries(heard_test PRIVATE heard_show GTest::gtest GTest::gtest_main)
target_compile_definitions(heard_test PRIVATE TEXTDEMO_BINARY="$<TARGET_FILE:textdemo>"
  MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>")
add_dependencies(heard_test textdemo make_module)
# Alone, so that no other test's load decides what is heard.
add_test(NAME HeardShow COMMAND heard_test)
set_tests_properties(HeardShow PROPERTIES LABELS sound RUN_SERIAL ON TIMEOUT 180)
