# Panel server: route request to ACK and to the routing update, and the CPU of idle clients
# (a small timing program on loopback sockets).
if(TARGET corvantis_net)
    add_executable(bench_net_timing ${CMAKE_CURRENT_LIST_DIR}/net/PanelServerTimingBench.cpp
        ${PROJECT_SOURCE_DIR}/tests/net/FakeMatrixControl.cpp
        ${PROJECT_SOURCE_DIR}/tests/net/FakeMatrixControl.h)
    set_target_properties(bench_net_timing PROPERTIES AUTOMOC ON)
    target_include_directories(bench_net_timing PRIVATE ${PROJECT_SOURCE_DIR}/tests/net)
    target_link_libraries(bench_net_timing PRIVATE corvantis_net)
endif()
