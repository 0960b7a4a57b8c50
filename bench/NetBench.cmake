# Panel server: route request to ACK and to the routing update, and the CPU of idle clients
# (a small timing program on loopback sockets).
if(TARGET corvantis_net)
    add_executable(bench_net_timing ${CMAKE_CURRENT_LIST_DIR}/net/PanelServerTimingBench.cpp
        ${PROJECT_SOURCE_DIR}/tests/net/FakeMatrixControl.cpp
        ${PROJECT_SOURCE_DIR}/tests/net/FakeMatrixControl.h)
    set_target_properties(bench_net_timing PROPERTIES AUTOMOC ON)
    target_include_directories(bench_net_timing PRIVATE ${PROJECT_SOURCE_DIR}/tests/net
        ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_net_timing PRIVATE corvantis_net)
endif()

# The same route through the whole program and the virtual line paced at 9600 baud.
if(TARGET corvantis_service AND TARGET corvantis_simlib)
    add_executable(bench_net_line ${CMAKE_CURRENT_LIST_DIR}/net/PanelLineTimingBench.cpp)
    target_include_directories(bench_net_line PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_net_line PRIVATE corvantis_service corvantis_simlib)
endif()

# Requests while routes wait: sixteen blocks to their ACKs, and the program without a window
# stopped by SIGTERM with routes queued.
if(TARGET corvantis_service AND TARGET corvantis_simlib AND TARGET corvantis)
    add_executable(bench_net_queued ${CMAKE_CURRENT_LIST_DIR}/net/QueuedActionsTimingBench.cpp)
    target_include_directories(bench_net_queued PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_net_queued PRIVATE corvantis_service corvantis_simlib)
    target_compile_definitions(bench_net_queued PRIVATE
        CORVANTIS_PROGRAM="$<TARGET_FILE:corvantis>")
    add_dependencies(bench_net_queued corvantis)
endif()

# SW-P-08: the largest answers (tally dump, all source names) to their last byte, and a connect
# through the whole program and the virtual line to its connected answer.
if(TARGET corvantis_net)
    add_executable(bench_net_swp08 ${CMAKE_CURRENT_LIST_DIR}/net/Swp08ServerTimingBench.cpp
        ${PROJECT_SOURCE_DIR}/tests/net/FakeMatrixControl.cpp
        ${PROJECT_SOURCE_DIR}/tests/net/FakeMatrixControl.h)
    set_target_properties(bench_net_swp08 PROPERTIES AUTOMOC ON)
    target_include_directories(bench_net_swp08 PRIVATE ${PROJECT_SOURCE_DIR}/tests/net
        ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_net_swp08 PRIVATE corvantis_net)
endif()
if(TARGET corvantis_service AND TARGET corvantis_simlib)
    add_executable(bench_net_swp08_line ${CMAKE_CURRENT_LIST_DIR}/net/Swp08LineTimingBench.cpp)
    target_include_directories(bench_net_swp08_line PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_net_swp08_line PRIVATE corvantis_service corvantis_simlib)
endif()
# A route's acknowledgement and a front-panel report to the window's signal and to the panels.
if(TARGET corvantis_service AND TARGET corvantis_simlib)
    add_executable(bench_net_state ${CMAKE_CURRENT_LIST_DIR}/net/StateChangeTimingBench.cpp)
    target_include_directories(bench_net_state PRIVATE ${CMAKE_CURRENT_LIST_DIR}/support)
    target_link_libraries(bench_net_state PRIVATE corvantis_service corvantis_simlib)
endif()
