# 64-bit Windows: the same DLLs, for the tests under wine64 (this kernel runs no 32-bit code).
set(TAV_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
