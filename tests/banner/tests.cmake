# The banner tests link their own allocateBytes (in banner_test.cpp) instead
# of banner_memory, so that any allocation can be made to fail.
add_demo_test(banner_tests banner
  SOURCES banner/banner_test.cpp banner/scroller_test.cpp
  LIBS banner)
