# Install rules and the Debian package.
#
# Layout under the prefix:
#   lib/reportmerge/reportmerge     the window's program, help.chm beside it
#                                   (it finds help.chm through its own path)
#   bin/reportmerge                 symlink to the program
#   bin/reportmerge-cli
#   share/applications, share/metainfo, share/icons/hicolor

set(REPORTMERGE_APP_ID "example.brivane.ReportMerge")
set(REPORTMERGE_PROGRAM_DIR "${CMAKE_INSTALL_LIBDIR}/reportmerge")
set(REPORTMERGE_DATA_DIR "${PROJECT_SOURCE_DIR}/data")

if(TARGET reportmerge)
  install(TARGETS reportmerge RUNTIME DESTINATION "${REPORTMERGE_PROGRAM_DIR}")

  # A relative link, so the tree can be moved (DESTDIR, the package's staging).
  file(RELATIVE_PATH program_from_bindir
       "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBDIR}/reportmerge/reportmerge")
  set(program_link "${PROJECT_BINARY_DIR}/packaging/reportmerge")
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/packaging")
  file(CREATE_LINK "${program_from_bindir}" "${program_link}" SYMBOLIC)
  install(FILES "${program_link}" DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

if(TARGET help_chm)
  install(FILES "${REPORTMERGE_HELP_CHM}" DESTINATION "${REPORTMERGE_PROGRAM_DIR}")
endif()

if(TARGET reportmerge-cli)
  install(TARGETS reportmerge-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

install(FILES "${REPORTMERGE_DATA_DIR}/${REPORTMERGE_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

# Honours SOURCE_DATE_EPOCH, so a rebuild of the same release gives the same file.
string(TIMESTAMP REPORTMERGE_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file("${REPORTMERGE_DATA_DIR}/${REPORTMERGE_APP_ID}.metainfo.xml.in"
               "${PROJECT_BINARY_DIR}/packaging/${REPORTMERGE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/packaging/${REPORTMERGE_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

install(FILES "${REPORTMERGE_DATA_DIR}/copyright" DESTINATION "${CMAKE_INSTALL_DOCDIR}")

# Icons carry the desktop id as their name, so the desktop entry and the
# running window find them in the hicolor theme.
function(reportmerge_install_icon source size extension)
  if(EXISTS "${source}")
    install(FILES "${source}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps"
            RENAME "${REPORTMERGE_APP_ID}.${extension}")
  else()
    message(WARNING "${source} is missing: the package has no ${size} icon")
  endif()
endfunction()
reportmerge_install_icon("${REPORTMERGE_DATA_DIR}/icons/reportmerge.svg" scalable svg)
reportmerge_install_icon("${REPORTMERGE_DATA_DIR}/icons/reportmerge-32.png" 32x32 png)

# cpack -G DEB  ->  reportmerge_<version>_amd64.deb
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "reportmerge")
set(CPACK_PACKAGE_VENDOR "Brivane")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Brivane <support@brivane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "merge spreadsheet reports by summing marked cells")
set(CPACK_PACKAGE_DESCRIPTION
"Brivane 合并报表 (reportmerge) merges spreadsheet reports. In a template
workbook, every cell whose displayed text holds a question mark is to be
filled; the program writes into each such cell the sum of the numbers that
the same cell shows in every source workbook, saves the result under a name
the user chooses and opens it in the user's spreadsheet application. The
template and the sources are never changed. A command-line program,
reportmerge-cli, does the same merge for batch use.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_SECTION "office")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://brivane.example/")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The office does every workbook operation; Qt's Chinese translation makes its
# dialogs Chinese; nettle (SHA-256), libxml2 (workbook XML), libgsf (OLE2
# compound files) and GLib (text widths on the terminal) are named too, and
# dpkg-shlibdeps (package dpkg-dev) adds them and the Qt and C++ libraries
# with their versions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libreoffice-calc, qt6-translations-l10n, libnettle8, libxml2, libgsf-1-114, libglib2.0-0")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# help.chm needs a CHM viewer; xdg-utils opens the output for the user.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xchm, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
