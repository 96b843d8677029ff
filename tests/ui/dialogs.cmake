# QtTest tests of the source file choice, the font dialog and the printer dialog, run
# offscreen against the test fakes.
function(q2_dialogs_test name)
  add_executable(${name} ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE q2_ui q2_test_fakes Qt6::Test)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

q2_dialogs_test(source_file_test)
q2_dialogs_test(font_dlg_test)
q2_dialogs_test(prt_dlg_test)

# The paper choice through a real "Print to PDF" job.
q2_dialogs_test(dialogs_paper_pdf_test)
target_link_libraries(dialogs_paper_pdf_test PRIVATE q2_printing q2_platform_print)
