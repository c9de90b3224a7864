# The Windows program under Wine. Only in a build that is given the exe
# (tools/test-windows.sh builds it and passes it here).
set(TEXTDEMO_WINDOWS_EXE "" CACHE FILEPATH "the Windows build of the demo, for the test under Wine")
if(NOT TEXTDEMO_WINDOWS_EXE)
  return()
endif()

add_library(wine_prefix STATIC windows/wine_prefix.cpp)
if(NOT TARGET pty_run)
  add_library(pty_run STATIC support/pty_run.cpp)
  target_link_libraries(pty_run PUBLIC util)
endif()

add_demo_test(wine_show_test windows
  SOURCES windows/wine_show_test.cpp
  LIBS wine_prefix pty_run effects screen fakes vterm_screen)
target_compile_definitions(wine_show_test PRIVATE TEXTDEMO_EXE="${TEXTDEMO_WINDOWS_EXE}"
  MAKE_MODULE_BINARY="$<TARGET_FILE:make_module>")
add_dependencies(wine_show_test make_module)
