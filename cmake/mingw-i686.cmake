# 32-bit Windows: the DLLs that callers load.
set(TAV_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
