# The chart's paint into a QImage against a plain QPainter polyline, and a tool that saves the
# sample chart as PNG. Both need the Qt canvas.
if(TARGET korvid_window)
    add_executable(korvid_bench_chart ${CMAKE_CURRENT_LIST_DIR}/chart_bench.cpp)
    target_link_libraries(korvid_bench_chart PRIVATE korvid_window korvid_loggen)
    add_test(NAME korvid_bench_chart_quick COMMAND korvid_bench_chart --quick)
    set_tests_properties(korvid_bench_chart_quick PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)

    add_executable(korvid_chart_sample ${CMAKE_CURRENT_LIST_DIR}/chart_sample.cpp)
    target_link_libraries(korvid_chart_sample PRIVATE korvid_window korvid_loggen)
endif()
