# The Debian package: `cpack -G DEB` in the build folder makes quireon2_<version>_<arch>.deb
# for /usr, its dependencies found by dpkg-shlibdeps.
include(GNUInstallDirs)

# The package's copyright and changelog, compressed without a time stamp.
set(q2_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/quireon2)
configure_file(data/debian/changelog ${CMAKE_BINARY_DIR}/debian/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/debian/changelog.gz
                   COMMAND sh -c "gzip -9n < changelog > changelog.gz"
                   DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog
                   WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/debian VERBATIM)
add_custom_target(q2_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/debian/changelog.gz)
install(FILES data/debian/copyright ${CMAKE_BINARY_DIR}/debian/changelog.gz
        DESTINATION ${q2_doc_dir})

set(CPACK_PACKAGE_NAME quireon2)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quireon2 developers")
set(CPACK_PACKAGE_CONTACT "The Quireon2 developers <quireon2@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "print plain text files as folded booklets")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without these the program runs but prints with substitute fonts, or finds no printers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups")
# The summary is the first line; CPack indents these lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quireon2 prints a plain text file on an ordinary printer as a folded booklet
(two pages per side, both sides of each sheet, optionally in signatures) or 1,
2 or 4 pages per sheet side, with word wrap by measured printed width, tab
expansion, headers, footers and page outlines, a font per layout, and guided
two-sided printing on printers that cannot print both sides.

The window program is quireon2; quireon2-print does the same from a terminal.")
set(CPACK_GENERATOR DEB)
include(CPack)
