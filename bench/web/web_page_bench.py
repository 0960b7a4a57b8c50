#!/usr/bin/python3
"""Web panel timings in headless chromium against the test host on the virtual line (paced at
9600 baud): a click to the cell drawn confirmed against the same route made by the window,
the 128 x 128 page's first full draw, a pushed change to its drawing, the page's own files,
and the server's CPU with 16 idle pages."""
import argparse
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'tests', 'web'))
import web_page_test as web  # noqa: E402

PAGE_DIR = os.path.join(os.path.dirname(__file__), '..', '..', 'src', 'web', 'page')
ROUTES = 10


def cpu_seconds(pid):
    with open(f'/proc/{pid}/stat') as stat:
        fields = stat.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')


class Host(web.Host):
    def __init__(self, program, routers):
        self.process = web.subprocess.Popen(
            [program, '--routers', str(routers), '--pacing', '--pin', web.PIN],
            stdin=web.subprocess.PIPE, stdout=web.subprocess.PIPE, text=True)
        self.lines = web.queue.Queue()
        web.threading.Thread(target=self.read, daemon=True).start()
        self.port = int(self.expect('ready').split()[1])


def click_to_confirmed(page, host):
    """Milliseconds from the click to the frame that drew the cell confirmed, and the same
    route's time on the line alone."""
    web_ms, wire_ms, drawn_ms = [], [], []
    for n in range(ROUTES):
        output, inp = n % 16, (n * 5 + 3) % 16
        page.js("""const [o, i] = arguments;
            const canvas = document.getElementById('canvas'), grid = corvantis.grid;
            window.clicked = 0; window.shown = 0; window.target = [o, i];
            canvas.addEventListener('click', () => { window.clicked = performance.now(); },
                                    {capture: true, once: true});
            if (!grid.plainDraw) {
              grid.plainDraw = grid.draw.bind(grid);
              grid.draw = () => { grid.plainDraw();
                if (window.clicked && !window.shown &&
                    corvantis.mark(...window.target) === 'confirmed') window.shown = performance.now(); };
            }""",
                output, inp)
        page.click_cell(output, inp)
        web.wait_for('the cell is confirmed', lambda: page.js('return window.shown'), 10)
        web_ms.append(page.js('return window.shown - window.clicked'))
        drawn_ms.append(page.js('return corvantis.changeToDraw()'))
        # The same kind of route by the window (to another input), for the line's own time.
        wire_ms.append(float(host.command(f'time-route {output} {(inp + 1) % 16}').split()[-1]))
    return statistics.median(web_ms), statistics.median(wire_ms), max(drawn_ms)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--host', required=True)
    parser.add_argument('--idle-seconds', type=float, default=30)
    arguments = parser.parse_args()

    size = sum(os.path.getsize(os.path.join(PAGE_DIR, name)) for name in os.listdir(PAGE_DIR))
    print(f'page files: {size / 1024:.1f} KiB (limit 200 KB)')

    host = Host(arguments.host, 8)
    drivers = []
    with tempfile.TemporaryDirectory() as profiles:
        try:
            start = time.monotonic()
            page = web.Page(web.browser(profiles, 1280, 800), host.port)
            drivers.append(page.driver)
            web.wait_for('the first draw', lambda: page.js('return corvantis.firstDrawAt()'))
            first = page.js('return corvantis.firstDrawAt()')
            print(f'128 x 128 first full draw: {first:.0f} ms after navigation '
                  f'(draw itself {page.js("return corvantis.drawMs()"):.1f} ms; limit 1000 ms)')

            page.login()
            clicked, wire, drawn = click_to_confirmed(page, host)
            print(f'click to cell drawn confirmed: {clicked:.1f} ms, the route by the window '
                  f'{wire:.1f} ms: {clicked - wire:+.1f} ms (limit +50 ms); median of {ROUTES}')
            print(f'pushed change to drawn: at most {drawn:.1f} ms (one frame: 16.7 ms)')

            tabs = web.browser(profiles, 800, 600)
            drivers.append(tabs)
            for n in range(15):
                if n:
                    tabs.switch_to.new_window('tab')
                tabs.get(f'http://127.0.0.1:{host.port}/')
            time.sleep(5)
            before, began = cpu_seconds(host.process.pid), time.monotonic()
            time.sleep(arguments.idle_seconds)
            used = cpu_seconds(host.process.pid) - before
            share = 100 * used / (time.monotonic() - began)
            print(f'16 idle pages: server and virtual line together {share:.2f} % of one core '
                  f'(limit 1 %)')
            print(f'(whole run {time.monotonic() - start:.0f} s)')
        finally:
            for driver in drivers:
                driver.quit()
            host.stop()
    return 0


if __name__ == '__main__':
    sys.exit(main())
