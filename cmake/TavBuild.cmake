# Compiler settings shared by every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
if(TAV_WERROR)
    add_compile_options(-Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 reports these through inlined std::shared_ptr and std::vector code where no such
    # fault exists; clang, which builds the sanitizer run, keeps checking the real cases.
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wno-maybe-uninitialized>
                        $<$<COMPILE_LANGUAGE:CXX>:-Wno-free-nonheap-object>)
endif()

if(TAV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# A library is a static core with the logic (tests link it) plus a thin shared library whose
# only own source is its exports file.
function(tav_shared_library name)
    cmake_parse_arguments(ARG "" "CORE;HEADER;WINDOWS_NAME" "SOURCES" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_CORE} tav_public_headers)
    set_property(GLOBAL APPEND PROPERTY TAV_PUBLIC_HEADERS ${PROJECT_SOURCE_DIR}/include/${ARG_HEADER})
    set_target_properties(${name} PROPERTIES TAV_HEADER ${ARG_HEADER})
    if(WIN32)
        # WINDOWS_NAME.dll, its exports listed in WINDOWS_NAME.def (cmake/TavWindows.cmake).
        tav_windows_dll(${name} ${ARG_WINDOWS_NAME})
        set_property(GLOBAL APPEND PROPERTY TAV_INSTALLED_LIBRARIES ${name})
        return()
    endif()
    set_target_properties(${name} PROPERTIES
        VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
    target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
    if(NOT TAV_SANITIZE)
        # clang leaves the sanitizer runtime to the program, so only plain builds can insist.
        target_link_options(${name} PRIVATE -Wl,--no-undefined)
    endif()
    # tests/exports checks that the library exports exactly what this header declares.
    set_property(GLOBAL APPEND PROPERTY TAV_INSTALLED_LIBRARIES ${name})
endfunction()
