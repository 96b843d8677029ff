# frmStatus sources are added to q2_ui here.
target_sources(q2_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/frm_status.cpp)
