# frmMain, frmAbout, the pictures and the help page beside the executable.
target_sources(q2_ui PRIVATE frm_main.cpp frm_about.cpp pictures.cpp)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/quireon2.html ${CMAKE_BINARY_DIR}/quireon2.html COPYONLY)
