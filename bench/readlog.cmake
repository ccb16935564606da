add_library(korvid_loggen STATIC ${CMAKE_CURRENT_LIST_DIR}/log_generator.cpp)
target_include_directories(korvid_loggen PUBLIC ${CMAKE_CURRENT_LIST_DIR})

add_executable(korvid-loggen ${CMAKE_CURRENT_LIST_DIR}/loggen_main.cpp)
target_link_libraries(korvid-loggen PRIVATE korvid_loggen)

add_executable(korvid_bench_readlog ${CMAKE_CURRENT_LIST_DIR}/readlog_bench.cpp)
target_link_libraries(korvid_bench_readlog PRIVATE korvid_loggen korvid_workunits korvid_util)
add_test(NAME bench_readlog_quick COMMAND korvid_bench_readlog --quick)
