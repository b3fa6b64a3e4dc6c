# SPDX-License-Identifier: MIT
# Read by cpack once per generator: the installer and the zip would otherwise share a name
# but for the extension, and only the zip unpacks into a folder of its own.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
