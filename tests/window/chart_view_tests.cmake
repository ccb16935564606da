# The chart view, its widget, the information text, the exports and the language files. The PNG
# exports are decoded back with libpng, so those tests need it.
add_executable(korvid_chart_view_tests
    ${CMAKE_CURRENT_LIST_DIR}/qt_tests_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_view_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_widget_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wu_info_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/languages_test.cpp
)
target_link_libraries(korvid_chart_view_tests PRIVATE korvid_window korvid_testing GTest::gtest)
if(PNG_FOUND)
    target_sources(korvid_chart_view_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../png/png_decode.cpp)
    target_link_libraries(korvid_chart_view_tests PRIVATE PNG::PNG ZLIB::ZLIB)
    target_compile_definitions(korvid_chart_view_tests PRIVATE KORVID_HAVE_LIBPNG=1)
endif()
gtest_discover_tests(korvid_chart_view_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
