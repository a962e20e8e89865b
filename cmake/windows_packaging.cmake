# The Windows packages of this build's architecture, in packages/ of the build folder: the
# installer (wixl, from packaging/windows/framora.wxs) and the portable zip (the program, its
# console twin and a short text on how to use them). scripts/package-windows collects them into dist/.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FRAMORA_WIX_ARCH x64)
  set(FRAMORA_PACKAGE_ARCH win64)
  set(FRAMORA_PACKAGE_ARCH_TEXT "64-bit")
else()
  set(FRAMORA_WIX_ARCH x86)
  set(FRAMORA_PACKAGE_ARCH win32)
  set(FRAMORA_PACKAGE_ARCH_TEXT "32-bit")
endif()
set(FRAMORA_PACKAGES_DIR ${CMAKE_BINARY_DIR}/packages)
set(FRAMORA_PACKAGE_BASE ${FRAMORA_PACKAGES_DIR}/${FRAMORA_PACKAGE_NAME}-${PROJECT_VERSION}-${FRAMORA_PACKAGE_ARCH})
set(FRAMORA_MSI ${FRAMORA_PACKAGE_BASE}.msi)
set(FRAMORA_ZIP ${FRAMORA_PACKAGE_BASE}.zip)

find_program(FRAMORA_WIXL wixl)
if(NOT FRAMORA_WIXL)
  message(WARNING "wixl (Debian package wixl) not found: no Windows installer is made or tested.")
  return()
endif()

# framora_msi(<msi file> <version>): this build's installer under the given version. The
# packages carry the project's version; the upgrade test makes a higher one from the same files.
function(framora_msi msi version)
  set(wxs ${PROJECT_SOURCE_DIR}/packaging/windows/framora.wxs)
  set(icon ${PROJECT_SOURCE_DIR}/resources/images/framora.ico)
  # wixl takes its sources by paths relative to its working folder only.
  file(RELATIVE_PATH icon_path ${CMAKE_BINARY_DIR} ${icon})
  add_custom_command(
    OUTPUT ${msi}
    COMMAND ${FRAMORA_WIXL} -a ${FRAMORA_WIX_ARCH} -D Arch=${FRAMORA_WIX_ARCH} -D Version=${version}
            -D "Title=${FRAMORA_TITLE}" -D "Description=${FRAMORA_DESCRIPTION}"
            -D "Publisher=${FRAMORA_PUBLISHER}" -D "HelpLink=${FRAMORA_SUPPORT_URL}"
            -D "AboutLink=${FRAMORA_HOME_URL}" -D Program=src/win32_ui/Framoraaudioconverter.exe
            -D ConsoleTwin=src/win32_ui/Framoraaudioconverter.com -D Icon=${icon_path} -o ${msi}
            ${wxs}
    DEPENDS ${wxs} ${icon} Framoraaudioconverter Framoraaudioconverter_console
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Windows installer ${msi}"
    VERBATIM)
endfunction()

framora_msi(${FRAMORA_MSI} ${PROJECT_VERSION})

# The zip holds one folder, named as the installed one.
set(zip_stage ${FRAMORA_PACKAGES_DIR}/zip)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in
               "${zip_stage}/${FRAMORA_TITLE}/README.txt" @ONLY NEWLINE_STYLE CRLF)
add_custom_command(
  OUTPUT ${FRAMORA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Framoraaudioconverter>
          $<TARGET_FILE:Framoraaudioconverter_console> "${FRAMORA_TITLE}/"
  COMMAND ${CMAKE_COMMAND} -E tar cf ${FRAMORA_ZIP} --format=zip "${FRAMORA_TITLE}"
  DEPENDS Framoraaudioconverter Framoraaudioconverter_console
          "${zip_stage}/${FRAMORA_TITLE}/README.txt"
  WORKING_DIRECTORY ${zip_stage}
  COMMENT "Portable zip ${FRAMORA_ZIP}"
  VERBATIM)

add_custom_target(windows_packages ALL DEPENDS ${FRAMORA_MSI} ${FRAMORA_ZIP})
