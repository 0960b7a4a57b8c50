# The main window: start to first paint and memory, the grid redraw, and the CPU while idle.
if(NOT TARGET corvantis_ui OR NOT TARGET corvantis_simlib)
    return()
endif()

add_executable(bench_ui_startup ${CMAKE_CURRENT_LIST_DIR}/ui/StartupBench.cpp)
target_link_libraries(bench_ui_startup PRIVATE corvantis_ui corvantis_simlib)

add_executable(bench_ui_grid ${CMAKE_CURRENT_LIST_DIR}/ui/GridBench.cpp)
target_link_libraries(bench_ui_grid PRIVATE corvantis_ui benchmark::benchmark)

add_executable(bench_ui_idle ${CMAKE_CURRENT_LIST_DIR}/ui/IdleCpuBench.cpp)
target_link_libraries(bench_ui_idle PRIVATE corvantis_ui)
target_compile_definitions(bench_ui_idle PRIVATE
    CORVANTIS_SIM_PATH="$<TARGET_FILE:corvantis-sim>")
add_dependencies(bench_ui_idle corvantis-sim)
