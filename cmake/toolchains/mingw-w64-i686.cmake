# The 32-bit Windows program, the main Windows product; its tests need Wine's 32-bit loader.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(FRAMORA_MINGW_TRIPLET i686-w64-mingw32)
set(FRAMORA_WINE_NAMES wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
