add_demo_test(effects_tests effects
  SOURCES effects/bouncing_name_test.cpp effects/effects_test.cpp
  LIBS effects screen fakes vterm_screen)
