add_library(q2_platform_files STATIC temp_file.cpp output_path.cpp)
target_link_libraries(q2_platform_files PUBLIC q2_settings)
# Where the settings file lives (shared by the window and the terminal command; no Qt).
include(GNUInstallDirs)
target_sources(q2_platform_files PRIVATE settings_path.cpp)
set_source_files_properties(settings_path.cpp PROPERTIES
  COMPILE_DEFINITIONS "QUIREON2_INSTALL_BINDIR=\"${CMAKE_INSTALL_FULL_BINDIR}\"")
