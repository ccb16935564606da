add_executable(korvid_bench_history ${CMAKE_CURRENT_LIST_DIR}/history_bench.cpp)
target_link_libraries(korvid_bench_history PRIVATE korvid_history korvid_workunits korvid_loggen
                      ZLIB::ZLIB)
add_test(NAME korvid_bench_history_quick COMMAND korvid_bench_history --quick)
