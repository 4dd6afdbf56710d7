# One full redraw of the designer's visible canvas for the shipped examples.
if(TARGET editor_app)
    tav_benchmark(editor_canvas_bench ${CMAKE_CURRENT_LIST_DIR}/EditorCanvasBench.cpp)
    target_compile_definitions(editor_canvas_bench PRIVATE TAV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_link_libraries(editor_canvas_bench PRIVATE editor_app)
endif()
