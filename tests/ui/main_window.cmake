# QtTest tests of the main window, start-up and shutdown, run offscreen against the test
# fakes and the real settings file.
add_executable(main_window_test ${CMAKE_CURRENT_LIST_DIR}/main_window_test.cpp)
set_target_properties(main_window_test PROPERTIES AUTOMOC ON)
target_link_libraries(main_window_test PRIVATE q2_ui q2_platform_desktop q2_test_fakes Qt6::Test)
add_test(NAME main_window_test COMMAND main_window_test)
# A comma locale: the window must store and read numbers with a point all the same.
set_tests_properties(main_window_test PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=de_DE.UTF-8;LANG=de_DE.UTF-8"
                     TIMEOUT 120)
