# The chart view, its widget, the information text, the exports and the language files.
add_executable(korvid_chart_view_tests
    ${CMAKE_CURRENT_LIST_DIR}/qt_tests_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_view_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_widget_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wu_info_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/languages_test.cpp
)
target_link_libraries(korvid_chart_view_tests PRIVATE korvid_window korvid_testing GTest::gtest)
gtest_discover_tests(korvid_chart_view_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
