# The terminal command's benchmark against the command-line tools users compare it with
# (bench/run_benchmarks.sh), and the surface's floor it is held to.
if(TARGET q2_platform_print AND TARGET q2_cli)
  add_executable(q2_cli_floor ${CMAKE_CURRENT_LIST_DIR}/cli_floor.cpp)
  target_link_libraries(q2_cli_floor PRIVATE q2_cli q2_platform_print q2_platform_files)
endif()
