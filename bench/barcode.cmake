# Code 128 pictures per second, in memory and to a file, beside libzint's Code 128 on the same
# texts when libzint is installed (a benchmark-only dependency).
tav_benchmark(barcode_bench ${CMAKE_CURRENT_LIST_DIR}/BarcodeBench.cpp)
target_link_libraries(barcode_bench PRIVATE barcode_core barcode tav_public_headers)
find_path(TAV_ZINT_INCLUDE_DIR zint.h)
find_library(TAV_ZINT_LIBRARY zint)
if(TAV_ZINT_INCLUDE_DIR AND TAV_ZINT_LIBRARY)
    target_include_directories(barcode_bench PRIVATE ${TAV_ZINT_INCLUDE_DIR})
    target_link_libraries(barcode_bench PRIVATE ${TAV_ZINT_LIBRARY})
    target_compile_definitions(barcode_bench PRIVATE TAV_BENCH_WITH_ZINT)
else()
    message(STATUS "libzint not found: barcode_bench runs without the Zint comparison")
endif()
