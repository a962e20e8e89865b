# Desktop integration and the Debian package. The desktop entry and the AppStream metainfo
# are configured from the same variables as src/app/identity.h.in, so the launcher, the
# software centre and the About box can never disagree about the name, the description or
# the version.
include(GNUInstallDirs)

set(FRAMORA_RELEASE_DATE "2026-12-07" CACHE STRING "Date of this version's release")
set(FRAMORA_DEB_NAME ${FRAMORA_PACKAGE_NAME})

set(FRAMORA_LINUX_DIR ${CMAKE_BINARY_DIR}/generated/linux)
configure_file(${PROJECT_SOURCE_DIR}/resources/linux/app.desktop.in
               ${FRAMORA_LINUX_DIR}/${FRAMORA_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/linux/app.metainfo.xml.in
               ${FRAMORA_LINUX_DIR}/${FRAMORA_APP_ID}.metainfo.xml @ONLY)

install(TARGETS Framoraaudioconverter RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS framora_guard RUNTIME DESTINATION ${FRAMORA_GUARD_DIR})
install(FILES ${FRAMORA_LINUX_DIR}/${FRAMORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${FRAMORA_LINUX_DIR}/${FRAMORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page of the command line, compressed as Debian keeps manual pages.
configure_file(${PROJECT_SOURCE_DIR}/packaging/linux/Framoraaudioconverter.1.in
               ${FRAMORA_LINUX_DIR}/Framoraaudioconverter.1 @ONLY)
add_custom_command(OUTPUT ${FRAMORA_LINUX_DIR}/Framoraaudioconverter.1.gz
                   COMMAND gzip -9nkf Framoraaudioconverter.1
                   DEPENDS ${FRAMORA_LINUX_DIR}/Framoraaudioconverter.1
                   WORKING_DIRECTORY ${FRAMORA_LINUX_DIR} VERBATIM)
add_custom_target(framora_manual_page ALL DEPENDS ${FRAMORA_LINUX_DIR}/Framoraaudioconverter.1.gz)
install(FILES ${FRAMORA_LINUX_DIR}/Framoraaudioconverter.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The 45 px icon is for the Windows icon file only; hicolor has no such size.
set(FRAMORA_ICON_SIZES 16 24 32 48 64 128 256)
foreach(size ${FRAMORA_ICON_SIZES})
  install(FILES ${PROJECT_SOURCE_DIR}/resources/images/app-icon-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${FRAMORA_APP_ID}.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/resources/images/framora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${FRAMORA_APP_ID}.svg)

# cpack -G DEB in the build folder makes the package.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME ${FRAMORA_DEB_NAME})
set(CPACK_PACKAGE_VENDOR ${FRAMORA_PUBLISHER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${FRAMORA_DESCRIPTION})
set(CPACK_PACKAGE_DESCRIPTION
    "${FRAMORA_TITLE} turns one still image and one audio file into a video file by running the FFmpeg program installed on the system.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${FRAMORA_HOME_URL})
set(CPACK_PACKAGE_CONTACT "Framora developers <developers@framora.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# dpkg-shlibdeps finds the libraries the program links (Qt, the C++ runtime) with the versions
# their symbols need; the platform plugin is loaded at run time, so it is named here. FFmpeg is
# only named by the user and run through the shell, hence a recommendation.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, fonts-dejavu-core")
include(CPack)
