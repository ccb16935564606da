# The main window; included from this folder's CMakeLists.txt.
target_sources(korvid_window PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/busy.cpp
    ${CMAKE_CURRENT_LIST_DIR}/clients_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/failure_text.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_clients.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_finished.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_follow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_exports.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_histo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_language.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_live.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_layout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_menus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frm_main_trees.cpp
    ${CMAKE_CURRENT_LIST_DIR}/korvid_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_control.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_column_widths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_model.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_page_selection.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_unit_shown.cpp
    ${CMAKE_CURRENT_LIST_DIR}/live_watch.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt_event_sources.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt_platform.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qt_tray.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/translate_form.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wu_images.cpp
    ${CMAKE_CURRENT_LIST_DIR}/window_settings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wu_tree.cpp
)
target_link_libraries(korvid_window PUBLIC
    korvid_workunits korvid_history korvid_translation korvid_util korvid_livenet)
