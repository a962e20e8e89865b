# Windows programs from Linux with Debian's MinGW-w64 (posix threads flavour), included by the
# toolchain file of each architecture after it has set FRAMORA_MINGW_TRIPLET,
# CMAKE_SYSTEM_PROCESSOR and FRAMORA_WINE_NAMES. Runtime libraries are linked statically, so
# the .exe needs nothing but Windows' own DLLs.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${FRAMORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${FRAMORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${FRAMORA_MINGW_TRIPLET}-windres)
set(CMAKE_AR ${FRAMORA_MINGW_TRIPLET}-gcc-ar-posix CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${FRAMORA_MINGW_TRIPLET}-gcc-ranlib-posix CACHE FILEPATH "Archive indexer")

set(CMAKE_FIND_ROOT_PATH /usr/${FRAMORA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine on the build machine, always in a throwaway Wine prefix of the
# build folder (never the user's own), quietly, without offering to download Mono or Gecko, and
# without adding menu entries to the home folder.
# A machine without the loader of this architecture still builds everything; only the tests
# that run Windows programs cannot run there (scripts/test-windows knows which can).
find_program(FRAMORA_WINE NAMES ${FRAMORA_WINE_NAMES} PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(FRAMORA_WINE NAMES ${FRAMORA_WINE_NAMES})
if(NOT FRAMORA_WINE)
  set(FRAMORA_WINE wine)
endif()
set(FRAMORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEPREFIX=${FRAMORA_WINEPREFIX} WINEDEBUG=-all
                                  WINEDLLOVERRIDES=mscoree,mshtml,winemenubuilder.exe= ${FRAMORA_WINE})
