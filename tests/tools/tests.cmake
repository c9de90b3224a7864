add_library(module_test_support STATIC tools/module_bytes.cpp)
target_link_libraries(module_test_support PUBLIC PkgConfig::OPENMPT)

add_demo_test(xm_writer_test tools
  SOURCES tools/xm_writer_test.cpp
  LIBS module_writer module_test_support)
add_demo_test(module_parts_test tools
  SOURCES tools/score_test.cpp tools/instruments_test.cpp
  LIBS module_writer module_test_support)

# The committed song and the generator that writes it.
add_demo_test(module_test tools
  SOURCES tools/module_test.cpp tools/generator_test.cpp
  LIBS module_test_support)
target_compile_definitions(module_test PRIVATE
  COMMITTED_MODULE="${CMAKE_SOURCE_DIR}/qk17.xm"
  MAKE_MODULE="$<TARGET_FILE:make_module>")
add_dependencies(module_test make_module)
