tav_benchmark(engine_bench ${CMAKE_CURRENT_LIST_DIR}/EngineBench.cpp)
target_link_libraries(engine_bench PRIVATE tavprint_core tav_platform)

tav_benchmark(batch_bench ${CMAKE_CURRENT_LIST_DIR}/BatchBench.cpp)
target_link_libraries(batch_bench PRIVATE tavprint_core tav_datasource tav_platform)
