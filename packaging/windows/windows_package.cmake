# SPDX-License-Identifier: MIT
# What the Windows packages hold, and how cpack makes them: a zip to unpack anywhere, and an
# installer for the current user (NSIS.template.in beside this file). Both have the two
# programs, a readme, the licence and the sample files at their root.
set(zerka_windows_dir ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS zerka zerka-cli RUNTIME DESTINATION .)

# Notepad before Windows 10 shows LF-only text as one line. Copied as text, not configured,
# so no @ or $ in them is taken for a variable; rewritten only when changed, so a configure
# alone does not make cpack's install step copy them again.
set(zerka_windows_text ${CMAKE_BINARY_DIR}/packaging/windows)
function(zerka_copy_with_crlf from to)
  file(READ ${from} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(old)
  if(EXISTS ${to})
    file(READ ${to} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${to} "${text}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${from})
endfunction()
zerka_copy_with_crlf(${zerka_windows_dir}/README.txt ${zerka_windows_text}/README.txt)
zerka_copy_with_crlf(${PROJECT_SOURCE_DIR}/LICENSE ${zerka_windows_text}/LICENSE.txt)
install(FILES ${zerka_windows_text}/README.txt ${zerka_windows_text}/LICENSE.txt DESTINATION .)

# Without the outputs and backups of a trial run in the source tree.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples
        PATTERN New EXCLUDE
        PATTERN "*.~*~" EXCLUDE)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME zerka)
set(CPACK_PACKAGE_VENDOR "The Zerka developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyframe animation converter for rebuilt model hierarchies")
# cpack_project_config.cmake adds -setup for the installer.
set(CPACK_PACKAGE_FILE_NAME zerka-${PROJECT_VERSION}-win64)
set(CPACK_PROJECT_CONFIG_FILE ${zerka_windows_dir}/cpack_project_config.cmake)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Zerka)

# Our template instead of CMake's, which installs for all users into Program Files.
list(PREPEND CPACK_MODULE_PATH ${zerka_windows_dir})
set(CPACK_NSIS_PACKAGE_NAME Zerka)
set(CPACK_NSIS_DISPLAY_NAME Zerka)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/src/win32/zerka.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/src/win32/zerka.ico)
include(CPack)
