# With the Qt layers, the receive fuzzer also drives the status poller and the routing engine.
if(TARGET fuzz_receive AND TARGET corvantis_link)
    target_link_libraries(fuzz_receive PRIVATE corvantis_link)
    target_compile_definitions(fuzz_receive PRIVATE CORVANTIS_FUZZ_LINK)
endif()
