# What the two MinGW-w64 toolchains share. ZT_MINGW_TRIPLET names the target
# (i686-w64-mingw32 or x86_64-w64-mingw32), as Debian's packages install it.
set(CMAKE_SYSTEM_NAME Windows)

# The POSIX-threads flavour of Debian's two: its C++ library has std::mutex,
# which GoogleTest needs; -static below puts winpthread inside the program.
set(CMAKE_C_COMPILER ${ZT_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZT_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZT_MINGW_TRIPLET}-windres)

# Headers and libraries of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C++ runtime and libgcc go inside the program: a technician copies one
# .exe and it needs no DLL beyond those every Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
