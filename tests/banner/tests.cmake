# The banner tests link their own allocator (banner/failing_allocator.cpp)
# instead of banner_memory, so that any allocation can be made to fail.
add_demo_test(banner_tests banner
  SOURCES banner/glyph_font_test.cpp banner/banner_build_test.cpp banner/scroller_test.cpp
          banner/scroller_random_test.cpp banner/failing_allocator.cpp
  LIBS banner)
