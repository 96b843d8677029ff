# Source-file choice, FontDlg and PrtDlg sources are added to q2_ui here.
target_sources(q2_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/source_file.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_file.h
  ${CMAKE_CURRENT_LIST_DIR}/printer_dialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printer_dialogs.h
  ${CMAKE_CURRENT_LIST_DIR}/font_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/font_dlg.h
  ${CMAKE_CURRENT_LIST_DIR}/prt_dlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/prt_dlg.h
)
