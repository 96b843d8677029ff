# The printer surface's benchmark: measuring and drawing a whole text to "Print to PDF"
# (bench/surface_bench.sh runs it on the 4 MB text).
add_executable(q2_surface_bench ${CMAKE_CURRENT_LIST_DIR}/surface_bench.cpp)
target_link_libraries(q2_surface_bench PRIVATE q2_platform_print)
