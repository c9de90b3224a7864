# The Windows program under Wine. Only in a build that is given the exe
# (tools/test-windows.sh builds it and passes it here).
set(TEXTDEMO_WINDOWS_EXE "" CACHE FILEPATH "the Windows build of the demo, for the test under Wine")
if(NOT TEXTDEMO_WINDOWS_EXE)
  return()
endif()

add_library(wine_prefix STATIC windows/wine_prefix.cpp)
target_link_libraries(wine_prefix PUBLIC pty_run)
target_link_libraries(wine_prefix PUBLIC util)

add_demo_test(wine_show_test windows
  SOURCES windows/wine_show_test.cpp
  LIBS wine_prefix effects screen fakes vterm_screen)
target_compile_definitions(wine_show_test PRIVATE TEXTDEMO_EXE="${TEXTDEMO_WINDOWS_EXE}"
  MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>")
add_dependencies(wine_show_test make_module)

# Its sound, through Wine's PulseAudio driver into a server of the test's own.
if(TARGET heard_show)
  add_executable(wine_sound_test windows/wine_sound_test.cpp)
  target_link_libraries(wine_sound_test PRIVATE heard_show wine_prefix GTest::gtest GTest::gtest_main)
  target_compile_definitions(wine_sound_test PRIVATE TEXTDEMO_EXE="${TEXTDEMO_WINDOWS_EXE}"
    MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>")
  add_dependencies(wine_sound_test make_module)
  add_test(NAME WineSound COMMAND wine_sound_test)
  set_tests_properties(WineSound PROPERTIES LABELS windows RUN_SERIAL ON TIMEOUT 240)
endif()
