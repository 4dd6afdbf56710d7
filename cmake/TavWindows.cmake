# The Windows build (cmake/mingw-*.cmake, scripts/build-windows): DLLs that need nothing beside
# them but Windows itself, the C and C++ runtimes of GCC and winpthread linked in statically.
add_link_options(-static-libgcc -static-libstdc++ -static)
# Release DLLs without their symbol tables (a third of their size).
add_link_options($<$<CONFIG:Release>:-s>)
# Windows 7 and later (K32GetProcessMemoryInfo, GetTickCount64).
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(TAV_WINDOWS_STDCALL_DECORATION ON)
endif()

# Makes `target` the DLL `dllName`.dll with exactly the exports of `dllName`.def (beside the
# calling CMakeLists.txt, lines "Name = Name@N"), and the import library `dllName`.lib for
# callers. On 32-bit Windows the __stdcall functions carry the size of their arguments in their
# symbol (_Name@N); the DLL exports the plain name, and the import library, made by dlltool -k
# from the decorated names, binds a caller's Name@N to it. On 64-bit Windows there is one
# calling convention and no decoration: both lists hold the plain names.
function(tav_windows_dll target dllName)
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${dllName}.def)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(STRINGS ${source} lines REGEX "^[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*=")
    set(exports "")
    set(decorated "")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*([A-Za-z0-9_]+)[ \t]*=[ \t]*([A-Za-z0-9_@]+).*" "\\1;\\2"
               pair "${line}")
        list(GET pair 0 plain)
        list(GET pair 1 symbol)
        if(TAV_WINDOWS_STDCALL_DECORATION)
            string(APPEND exports "    ${plain} = ${symbol}\n")
            string(APPEND decorated "    ${symbol}\n")
        else()
            string(APPEND exports "    ${plain}\n")
            string(APPEND decorated "    ${plain}\n")
        endif()
    endforeach()
    set(linkDef ${CMAKE_CURRENT_BINARY_DIR}/${dllName}.def)
    set(importDef ${CMAKE_CURRENT_BINARY_DIR}/${dllName}-import.def)
    file(WRITE ${linkDef} "LIBRARY ${dllName}.dll\nEXPORTS\n${exports}")
    file(WRITE ${importDef} "LIBRARY ${dllName}.dll\nEXPORTS\n${decorated}")

    target_sources(${target} PRIVATE ${linkDef})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${dllName} PREFIX ""
        VERSION "" SOVERSION "")
    # --kill-at: the header's dllexport would add the decorated names as exports of their own.
    target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--no-undefined)
    # The linker's own import library binds the plain names only; dlltool's takes its place, so
    # that the other DLLs of the build link through it as callers do.
    set(importLib ${PROJECT_BINARY_DIR}/lib/${dllName}.lib)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_DLLTOOL} -k -d ${importDef} -D ${dllName}.dll -l ${importLib}
        COMMAND ${CMAKE_COMMAND} -E copy ${importLib} $<TARGET_LINKER_FILE:${target}>
        BYPRODUCTS ${importLib}
        COMMENT "Import library ${dllName}.lib"
        VERBATIM)
    set_target_properties(${target} PROPERTIES TAV_IMPORT_LIBRARY ${importLib})
endfunction()
