# The deterministic benchmark text generator.
add_executable(q2_make_text ${CMAKE_CURRENT_LIST_DIR}/make_texts.cpp)
