# The preparation-run benchmark, on a fixed-width surface built on the test fakes.
add_executable(q2_prep_bench ${CMAKE_CURRENT_LIST_DIR}/prep_bench.cpp)
target_link_libraries(q2_prep_bench PRIVATE q2_textprep q2_test_fakes)
