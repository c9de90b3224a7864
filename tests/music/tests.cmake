# A module the tests write byte by byte, for the tests and benchmarks.
add_library(music_test_module STATIC ${CMAKE_CURRENT_LIST_DIR}/test_module.cpp)

add_demo_test(music_file_test music
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/module_file_test.cpp ${CMAKE_CURRENT_LIST_DIR}/quiet_stderr_test.cpp
  LIBS music_sdl music_test_module)

add_demo_test(music_position_test music
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/song_position_test.cpp ${CMAKE_CURRENT_LIST_DIR}/song_render_test.cpp
  LIBS music_core music_test_module)
target_compile_definitions(music_position_test PRIVATE SHOW_MODULE_PATH="${CMAKE_SOURCE_DIR}/qk17.xm")

add_demo_test(music_player_test music
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/silent_player_test.cpp ${CMAKE_CURRENT_LIST_DIR}/start_music_test.cpp
  LIBS music_sdl music_test_module)
