# The installed program: `cmake --install` lays out one program folder, and CPack packs it
# into a .deb with a start-up script, a menu entry and an icon.
#   bin/kvor-pro                      starts the program in the user's own program folder
#   lib/kvor-pro/kvor                 the program
#   lib/kvor-pro/tools/               kvor-dbf, kvor-barcode, kvor-print
#   lib/kvor-pro/*.txt, *.pdf         the documents of the help menu
#   lib/kvor-pro/Trivan05.ini.example the update settings to start from
#   share/applications/kvor-pro.desktop, share/icons/hicolor/scalable/apps/kvor-pro.svg
include(GNUInstallDirs)
set(KVOR_INSTALL_FOLDER ${CMAKE_INSTALL_LIBDIR}/kvor-pro)

if(TARGET kvor)
    install(TARGETS kvor RUNTIME DESTINATION ${KVOR_INSTALL_FOLDER})
endif()
foreach(tool kvor-dbf kvor-barcode kvor-print)
    if(TARGET ${tool})
        install(TARGETS ${tool} RUNTIME DESTINATION ${KVOR_INSTALL_FOLDER}/tools)
    endif()
endforeach()
# The help documents are made by the build where they are generated, or kept in docs/help/.
file(GLOB kvor_help_documents ${PROJECT_SOURCE_DIR}/docs/help/*.txt)
install(FILES ${kvor_help_documents} DESTINATION ${KVOR_INSTALL_FOLDER})
if(KVOR_HELP_PDF)
    install(FILES ${KVOR_HELP_PDF} DESTINATION ${KVOR_INSTALL_FOLDER} OPTIONAL)
endif()
install(FILES packaging/Trivan05.ini.example DESTINATION ${KVOR_INSTALL_FOLDER})
install(PROGRAMS packaging/kvor-pro DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/kvor-pro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/kvor-pro.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_PACKAGE_NAME kvor-pro)
set(CPACK_PACKAGE_VENDOR "Kvor Pro")
set(CPACK_PACKAGE_CONTACT "Kvor Pro <podpora@kvor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Requests for the official certification of seed lots")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries found by dpkg-shlibdeps: the X11 platform plugin that Qt loads at run time
# and the faces that stand in for the fonts of the printed forms.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, fonts-dejavu-core")
# Opening documents (the help, the laboratory's result) goes through the desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
