# One full redraw of the designer's visible canvas for the shipped examples.
if(TARGET editor_app)
    tav_benchmark(editor_canvas_bench ${CMAKE_CURRENT_LIST_DIR}/EditorCanvasBench.cpp)
    target_compile_definitions(editor_canvas_bench PRIVATE TAV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_link_libraries(editor_canvas_bench PRIVATE editor_app)
endif()

# One step of dragging an element on the real window (move + repaint of the visible canvas).
if(TARGET editor_app)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    tav_benchmark(editor_drag_bench ${CMAKE_CURRENT_LIST_DIR}/EditorDragBench.cpp)
    target_compile_definitions(editor_drag_bench PRIVATE TAV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    target_include_directories(editor_drag_bench PRIVATE ${PROJECT_SOURCE_DIR}/tests/editor/app)
    target_link_libraries(editor_drag_bench PRIVATE editor_app Qt6::Test)
endif()
