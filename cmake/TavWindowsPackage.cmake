# The folder to zip for Windows users: the DLLs, their import libraries, the public headers and a
# readme, in TAV-windows-x86/ (32-bit) or TAV-windows-x64/ of the build folder.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(TAV_WINDOWS_PACKAGE ${PROJECT_BINARY_DIR}/TAV-windows-x86)
else()
    set(TAV_WINDOWS_PACKAGE ${PROJECT_BINARY_DIR}/TAV-windows-x64)
endif()
get_property(libraries GLOBAL PROPERTY TAV_INSTALLED_LIBRARIES)
get_property(headers GLOBAL PROPERTY TAV_PUBLIC_HEADERS)
list(APPEND headers ${PROJECT_SOURCE_DIR}/include/tav_api.h)

set(commands
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TAV_WINDOWS_PACKAGE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TAV_WINDOWS_PACKAGE}/bin
        ${TAV_WINDOWS_PACKAGE}/include ${TAV_WINDOWS_PACKAGE}/lib
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tavdevices> ${QRENCODE_DLL}
        ${TAV_WINDOWS_PACKAGE}/bin
    COMMAND ${CMAKE_COMMAND} -E copy ${headers} ${TAV_WINDOWS_PACKAGE}/include
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/cmake/windows-readme.txt
        ${TAV_WINDOWS_PACKAGE}/README.txt
    COMMAND ${CMAKE_COMMAND} -E copy ${TAV_QRENCODE_PREFIX}/COPYING
        ${TAV_WINDOWS_PACKAGE}/qrencode-COPYING.txt)
foreach(lib IN LISTS libraries)
    get_target_property(importLib ${lib} TAV_IMPORT_LIBRARY)
    list(APPEND commands
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${lib}> ${TAV_WINDOWS_PACKAGE}/bin
        COMMAND ${CMAKE_COMMAND} -E copy ${importLib} ${TAV_WINDOWS_PACKAGE}/lib)
endforeach()
add_custom_target(windows_package ALL ${commands}
    DEPENDS ${libraries} tavdevices
    COMMENT "The Windows folder to zip: ${TAV_WINDOWS_PACKAGE}"
    VERBATIM)
