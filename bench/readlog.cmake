add_executable(korvid_bench_readlog ${CMAKE_CURRENT_LIST_DIR}/readlog_bench.cpp)
target_link_libraries(korvid_bench_readlog PRIVATE korvid_loggen korvid_workunits korvid_util)
if(TARGET korvid-inspect)
    add_dependencies(korvid_bench_readlog korvid-inspect)
    target_compile_definitions(korvid_bench_readlog PRIVATE
        KORVID_INSPECT="$<TARGET_FILE:korvid-inspect>")
endif()
add_test(NAME bench_readlog_quick COMMAND korvid_bench_readlog --quick)
