# Included into libqrencode's own CMake project (CMAKE_PROJECT_INCLUDE) by scripts/build-windows,
# so that its DLL is named qrencode.dll as Windows programs expect, not libqrencode.dll.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
