# SPDX-License-Identifier: MIT
# Cross-builds the core and zerka-cli for 64-bit Windows with Debian's MinGW-w64 compilers,
# in their POSIX-threads flavour (the win32 flavour has no std::thread). Every program is
# linked statically, so zerka-cli.exe runs on a bare Windows, and under wine, with no
# MinGW DLLs beside it. Tests built this way run under wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZERKA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZERKA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZERKA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZERKA_MINGW_TRIPLET}-windres)

# Headers and libraries only from the MinGW tree, programs only from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZERKA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(ZERKA_WINE wine)
if(ZERKA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZERKA_WINE})
endif()
