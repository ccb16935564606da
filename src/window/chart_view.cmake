# The chart view, its widget, the information text, the exports and the language list.
target_sources(korvid_window PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/chart_view.cpp
    ${CMAKE_CURRENT_LIST_DIR}/chart_widget.cpp
    ${CMAKE_CURRENT_LIST_DIR}/exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/languages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/project_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wu_info.cpp
)
target_link_libraries(korvid_window PUBLIC korvid_workunits korvid_translation korvid_png
                      korvid_util)
