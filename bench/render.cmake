# Drawing a typical label on the cairo canvases and finishing the document, per label.
tav_benchmark(render_bench ${CMAKE_CURRENT_LIST_DIR}/CanvasBench.cpp)
target_link_libraries(render_bench PRIVATE tav_platform_cairo)
