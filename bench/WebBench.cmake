# Web panel: click to confirmed, the 128 x 128 page's first draw, a pushed change to its
# drawing, the page's size and the server's CPU with 16 idle pages, in headless chromium
# against the browser tests' host (`cmake --build build --target bench_web`).
if(TARGET web_test_host)
    add_custom_target(bench_web
        COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/web/web_page_bench.py
            --host $<TARGET_FILE:web_test_host>
        DEPENDS web_test_host
        USES_TERMINAL)
endif()
