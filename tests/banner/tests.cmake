# The fakes' allocator can be made to refuse any allocation.
add_demo_test(banner_tests banner
  SOURCES banner/banner_test.cpp banner/scroller_test.cpp
  LIBS banner fakes)
