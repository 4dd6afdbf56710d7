# Cross-compiling the libraries for Windows with Debian's MinGW-w64 (see scripts/build-windows).
# Set TAV_MINGW_ARCH to i686 (the DLLs we ship) or x86_64 (the same DLLs for the tests under
# 64-bit Wine) before including this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${TAV_MINGW_ARCH})
set(triple ${TAV_MINGW_ARCH}-w64-mingw32)

# The posix thread model: the portable code locks with std::mutex, which the win32 model of
# GCC 12 does not provide. Its one runtime DLL (libwinpthread-1.dll) is linked statically, so
# the libraries need nothing beside them but the system.
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-gcc-ranlib-posix CACHE FILEPATH "")
set(CMAKE_DLLTOOL ${triple}-dlltool CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${triple}-objdump CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
