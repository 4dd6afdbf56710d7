if(TARGET editor_core)
    tav_benchmark(editor_bench ${CMAKE_CURRENT_LIST_DIR}/EditorBench.cpp)
    target_link_libraries(editor_bench PRIVATE editor_core tav_platform)
endif()
