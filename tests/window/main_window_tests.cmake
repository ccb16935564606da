# The main window's tests; included from this folder's CMakeLists.txt.
add_executable(korvid_main_window_tests
    ${CMAKE_CURRENT_LIST_DIR}/qt_tests_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/failure_text_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_wiring_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt_platform_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_format_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_events_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_settings_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wu_tree_test.cpp
)
target_link_libraries(korvid_main_window_tests PRIVATE
    korvid_window korvid_testing korvid_loggen GTest::gtest)
gtest_discover_tests(korvid_main_window_tests PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
# These tests run the program itself.
if(TARGET Korvid)
    target_sources(korvid_main_window_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/screenshot_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/program_signal_test.cpp)
    target_compile_definitions(korvid_main_window_tests PRIVATE
        KORVID_PROGRAM="$<TARGET_FILE:Korvid>")
    add_dependencies(korvid_main_window_tests Korvid)
endif()
# The live page follows an in-process simulated client.
if(TARGET korvid_clientsim)
    target_sources(korvid_main_window_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/live_page_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/live_clients_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/live_chart_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/finished_units_test.cpp
                                                    ${CMAKE_CURRENT_LIST_DIR}/live_control_test.cpp)
    target_link_libraries(korvid_main_window_tests PRIVATE korvid_clientsim)
endif()
