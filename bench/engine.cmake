tav_benchmark(engine_bench ${CMAKE_CURRENT_LIST_DIR}/EngineBench.cpp)
target_link_libraries(engine_bench PRIVATE tavprint_core tav_platform dotgauge tav_public_headers)

if(TARGET tavprint_cli)
    tav_benchmark(batch_bench ${CMAKE_CURRENT_LIST_DIR}/BatchBench.cpp)
    target_link_libraries(batch_bench PRIVATE tavprint_cli tavprint_core tav_datasource
        tav_platform dotgauge tav_public_headers)
endif()

add_executable(write_typical_label ${CMAKE_CURRENT_LIST_DIR}/WriteTypicalLabel.cpp)
target_link_libraries(write_typical_label PRIVATE tav_template tav_platform)
