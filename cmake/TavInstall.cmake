# Installation: public C headers, the shared libraries, tavprint, a pkg-config file and a CMake
# package config (find_package(TAV) gives TAV::tavprint and the other libraries).
include(CMakePackageConfigHelpers)

# Each shared library registers itself and its one public header (tav_shared_library).
get_property(TAV_PUBLIC_HEADERS GLOBAL PROPERTY TAV_PUBLIC_HEADERS)
list(APPEND TAV_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/include/tav_api.h)
get_property(TAV_INSTALLED_LIBRARIES GLOBAL PROPERTY TAV_INSTALLED_LIBRARIES)

install(FILES ${TAV_PUBLIC_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tav)
foreach(lib IN LISTS TAV_INSTALLED_LIBRARIES)
    target_include_directories(${lib} INTERFACE
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/tav>)
endforeach()
install(TARGETS ${TAV_INSTALLED_LIBRARIES} EXPORT TAVTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The device registry the libraries share (platform/Device.h): no header of its own and nothing
# outside links it by name, so no development link.
install(TARGETS tavdevices
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_SKIP
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavprint_program)
    install(TARGETS tavprint_program RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(EXPORT TAVTargets NAMESPACE TAV:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/TAV)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/TAVConfig.cmake.in
    ${PROJECT_BINARY_DIR}/TAVConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/TAV)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/TAVConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/TAVConfig.cmake ${PROJECT_BINARY_DIR}/TAVConfigVersion.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/TAV)

list(TRANSFORM TAV_INSTALLED_LIBRARIES PREPEND "-l" OUTPUT_VARIABLE TAV_PC_LIBS)
list(JOIN TAV_PC_LIBS " " TAV_PC_LIBS)
file(RELATIVE_PATH TAV_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${PROJECT_SOURCE_DIR}/cmake/tav.pc.in ${PROJECT_BINARY_DIR}/tav.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tav.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
