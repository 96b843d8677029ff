# The desktop library q2_platform_desktop: the single-copy lock and the help page (Qt).
include(GNUInstallDirs)
add_library(q2_platform_desktop STATIC single_copy_lock.cpp help_opener.cpp)
target_link_libraries(q2_platform_desktop PUBLIC q2_platform_files Qt6::Gui)
set_source_files_properties(help_opener.cpp PROPERTIES
  COMPILE_DEFINITIONS "QUIREON2_INSTALL_HELPDIR=\"${CMAKE_INSTALL_FULL_DATADIR}/quireon2\"")
