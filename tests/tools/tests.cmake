# The committed song, the generator that writes it, and the writer's sample layout.
add_demo_test(module_test tools
  SOURCES tools/module_test.cpp
  LIBS module_writer PkgConfig::OPENMPT)
target_compile_definitions(module_test PRIVATE
  COMMITTED_MODULE="${CMAKE_SOURCE_DIR}/qk17.xm"
  MAKE_MODULE="$<TARGET_FILE:make_module>")
add_dependencies(module_test make_module)
