# The tests' own module, written by the project's XM writer.
add_library(music_test_module STATIC ${CMAKE_CURRENT_LIST_DIR}/test_module.cpp)
target_link_libraries(music_test_module PUBLIC module_writer GTest::gtest)

add_demo_test(music_position_test music
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/song_position_test.cpp LIBS music_core music_test_module)
add_demo_test(music_player_test music
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/playback_test.cpp LIBS music music_test_module)
foreach(test music_position_test music_player_test)
  target_compile_definitions(${test} PRIVATE SHOW_MODULE_PATH="${CMAKE_SOURCE_DIR}/qk17.xm")
endforeach()
add_demo_test(music_feed_test music
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/song_feed_test.cpp LIBS music music_test_module)
target_compile_definitions(music_feed_test PRIVATE SHOW_MODULE_PATH="${CMAKE_SOURCE_DIR}/qk17.xm")
