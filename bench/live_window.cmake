# The window's Live page following a farm of simulated clients served by a child process. Not a
# ctest: it measures the event loop over seconds of real time.
if(TARGET korvid_window AND TARGET korvid-clientsim)
    add_executable(korvid_bench_live_window ${CMAKE_CURRENT_LIST_DIR}/live_window_bench.cpp)
    target_link_libraries(korvid_bench_live_window PRIVATE korvid_window)
    add_dependencies(korvid_bench_live_window korvid-clientsim)
    target_compile_definitions(korvid_bench_live_window PRIVATE
        KORVID_CLIENTSIM="$<TARGET_FILE:korvid-clientsim>")
endif()
