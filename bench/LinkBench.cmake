# Serial link: applying status replies (Google Benchmark), and the route round trip and the CPU
# used while waiting, measured against the virtual router line (a small timing program).
add_executable(bench_link_status ${CMAKE_CURRENT_LIST_DIR}/link/StatusApplyBench.cpp)
target_link_libraries(bench_link_status PRIVATE corvantis_link benchmark::benchmark)

if(TARGET corvantis_simlib)
    add_executable(bench_link_timing ${CMAKE_CURRENT_LIST_DIR}/link/LinkTimingBench.cpp)
    target_include_directories(bench_link_timing PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_link_timing PRIVATE corvantis_link corvantis_simlib)
endif()

# The same round trip through ser2net (raw TCP and RFC 2217) beside the local port, and the CPU
# while connected through it and idle.
if(TARGET corvantis_simlib)
    add_executable(bench_link_network ${CMAKE_CURRENT_LIST_DIR}/link/NetworkTimingBench.cpp)
    target_include_directories(bench_link_network PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_link_network PRIVATE corvantis_link corvantis_simlib)
endif()

# A batch of 128 routes through the core's action path, with the default gap and with none.
if(TARGET corvantis_core AND TARGET corvantis_simlib)
    add_executable(bench_link_batch ${CMAKE_CURRENT_LIST_DIR}/link/RouteBatchTimingBench.cpp)
    target_include_directories(bench_link_batch PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_link_batch PRIVATE corvantis_core corvantis_simlib)
endif()
