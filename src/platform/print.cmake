# The printer surface: cairo pages, fontconfig/FreeType fonts, CUPS queues and jobs, and the
# built-in "Print to PDF" printer. No Qt.
add_library(q2_platform_print STATIC
  surface_text.cpp
  paper.cpp
  font_cache.cpp
  cups_queues.cpp
  cups_surface.cpp
)
target_link_libraries(q2_platform_print PUBLIC
  q2_settings PkgConfig::CAIRO PkgConfig::FONTCONFIG PkgConfig::FREETYPE Cups::Cups)
# A job's PDF is written to a temp file while it is drawn.
target_link_libraries(q2_platform_print PRIVATE q2_platform_files)
