# The 64-bit twin of the Windows program; its tests run with Wine's 64-bit loader, which also
# works on machines whose kernel cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(FRAMORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(FRAMORA_WINE_NAMES wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
