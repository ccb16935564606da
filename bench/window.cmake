if(TARGET korvid_window)
    add_executable(korvid_bench_window ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp)
    target_link_libraries(korvid_bench_window PRIVATE
        korvid_window korvid_loggen korvid_history korvid_workunits korvid_util)
    add_test(NAME bench_window_quick COMMAND korvid_bench_window --quick)
    set_tests_properties(bench_window_quick PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
