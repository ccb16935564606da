if(TARGET korvid_live)
    korvid_fuzz_target(live_session korvid_live)
endif()
