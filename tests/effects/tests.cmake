# The effects keep their state for the whole run and never reset it, so each
# effect whose steps are counted gets an executable of its own and walks its
# steps in one test.

add_demo_test(bouncing_name_test effects
  SOURCES effects/bouncing_name_test.cpp
  LIBS effects screen fakes vterm_screen)

add_demo_test(helix_phases_test effects
  SOURCES effects/helix_phases_test.cpp
  LIBS effects screen)
add_demo_test(helix_columns_test effects
  SOURCES effects/helix_columns_test.cpp
  LIBS effects screen)
add_demo_test(bouncing_ball_test effects
  SOURCES effects/bouncing_ball_test.cpp
  LIBS effects screen)
add_demo_test(bursts_test effects
  SOURCES effects/bursts_test.cpp
  LIBS effects screen fakes)
add_demo_test(closing_logo_test effects
  SOURCES effects/closing_logo_test.cpp
  LIBS effects screen fakes vterm_screen)
