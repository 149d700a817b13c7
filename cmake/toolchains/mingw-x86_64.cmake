# 64-bit Windows: the same sources, built to run under Wine's 64-bit loader
# on machines that cannot execute 32-bit binaries. Debian's
# g++-mingw-w64-x86-64.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZT_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
