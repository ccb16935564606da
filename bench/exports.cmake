# A batch PNG export against rendering the same charts off screen and encoding them.
if(TARGET korvid_window)
    add_executable(korvid_bench_exports ${CMAKE_CURRENT_LIST_DIR}/exports_bench.cpp)
    target_link_libraries(korvid_bench_exports PRIVATE korvid_window korvid_loggen)
    add_test(NAME korvid_bench_exports_quick COMMAND korvid_bench_exports --quick)
    set_tests_properties(korvid_bench_exports_quick PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endif()
