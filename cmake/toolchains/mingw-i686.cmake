# 32-bit Windows, the program technicians run: Debian's g++-mingw-w64-i686.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZT_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
