# QtTest tests of the status window, run offscreen against the test fakes.
add_executable(status_window_test ${CMAKE_CURRENT_LIST_DIR}/status_window_test.cpp)
set_target_properties(status_window_test PROPERTIES AUTOMOC ON)
target_link_libraries(status_window_test PRIVATE q2_ui q2_test_fakes Qt6::Test)
add_test(NAME status_window_test COMMAND status_window_test)
set_tests_properties(status_window_test PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
