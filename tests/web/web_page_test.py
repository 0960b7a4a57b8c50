#!/usr/bin/python3
"""The web panel in a real browser: headless chromium over WebDriver against the test host
(the real core and the virtual line). Every wait is bounded and ends by itself."""
import argparse
import json
import os
import queue
import re
import socket
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.by import By

PIN = '4711'


def wait_for(what, condition, seconds=10.0):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError(f'timed out waiting until {what}')


# What a page knew when a step failed, so that a failure on a busy machine says why.
DIAGNOSIS = """const m = corvantis.model, st = m.state;
    return JSON.stringify({connected: m.connected, session: m.session, visibility: document.visibilityState,
      frames: corvantis.frames(), message: document.getElementById('message').textContent,
      marks: corvantis.marks(2, 4), route: st && st.routes[2], health: st && st.routers});"""


def step(text):
    print(f'-- {text}', flush=True)


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


class Host:
    def __init__(self, program, config, log):
        self.log = log
        self.process = subprocess.Popen(
            [program, '--config', config, '--salvo', '--pacing', '--pin', PIN, '--debug-log', log],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.lines = queue.Queue()
        threading.Thread(target=self.read, daemon=True).start()
        self.port = int(self.expect('ready').split()[1])

    def read(self):
        for line in self.process.stdout:
            self.lines.put(line.strip())

    def expect(self, start):
        try:
            line = self.lines.get(timeout=20)
        except queue.Empty:
            line = '(nothing)'
        if not line.startswith(start):
            raise AssertionError(f'the test host said "{line}", not "{start}"')
        return line

    def command(self, text):
        self.process.stdin.write(text + '\n')
        self.process.stdin.flush()
        return self.expect('done')

    def stop(self):
        if self.process.poll() is None:
            self.process.stdin.write('quit\n')
            self.process.stdin.flush()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


def browser(profiles, width, height):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ('--headless=new', '--no-sandbox', '--disable-dev-shm-usage',
                     f'--window-size={width},{height}', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update',
                     f'--user-data-dir={tempfile.mkdtemp(dir=profiles)}'):
        options.add_argument(argument)
    options.set_capability('goog:loggingPrefs', {'performance': 'ALL', 'browser': 'ALL'})
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver', port=free_port()),
                            options=options)


class Page:
    def __init__(self, driver, port):
        self.driver = driver
        self.port = port
        driver.get(f'http://127.0.0.1:{port}/')
        wait_for('the page has the state', lambda: self.js('return corvantis.model.connected'))

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def requests(self):
        urls = []
        for entry in self.driver.get_log('performance'):
            message = json.loads(entry['message'])['message']
            if message['method'] in ('Network.requestWillBeSent', 'Network.webSocketCreated'):
                urls.append(message['params'].get('request', message['params']).get('url'))
        return urls

    def login(self):
        self.driver.find_element(By.ID, 'pin').send_keys(PIN + '\n')
        wait_for('the PIN was taken', lambda: self.js('return corvantis.model.session.route'))

    def click_cell(self, output, inp):
        # In the window's own coordinates: an offset from the canvas would be taken from the
        # centre of its visible part, which moves when the page around it does.
        centre = self.js('return corvantis.cellCenter(arguments[0], arguments[1])', output, inp)
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(int(centre['x']), int(centre['y'])).click()
        actions.perform()

    def mark(self, output, inp):
        return self.js('return corvantis.mark(arguments[0], arguments[1])', output, inp)

    def watch(self, element_id):
        """Keeps every text and hidden state the element goes through."""
        self.js("""const el = document.getElementById(arguments[0]);
            window.seen = window.seen || {}; const seen = window.seen[arguments[0]] = [];
            new MutationObserver(() => seen.push(el.hidden ? '(hidden)' : el.textContent))
              .observe(el, {attributes: true, childList: true, characterData: true, subtree: true});""",
                element_id)

    def seen(self, element_id):
        return self.js('return window.seen[arguments[0]]', element_id)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--host', required=True)
    parser.add_argument('--config', required=True)
    arguments = parser.parse_args()
    images = os.environ.get('CORVANTIS_IMAGES_DIR')
    drivers = []
    with tempfile.TemporaryDirectory() as profiles:
        host = Host(arguments.host, arguments.config, os.path.join(profiles, 'debug.txt'))
        try:
            first = Page(browser(profiles, 1280, 800), host.port)
            drivers.append(first.driver)
            own = (f'http://127.0.0.1:{host.port}/', f'ws://127.0.0.1:{host.port}/')
            # The browser's own pages (chrome://) and data: URLs stay inside it.
            strangers = [url for url in first.requests()
                         if re.match(r'(https?|wss?|ftp)://', url) and not url.startswith(own)]
            assert not strangers, f'requests left the machine: {strangers}'

            step('log in and route by a click')
            first.login()
            # A router that answers only the second transmission: the route stays pending for
            # a router time-out, long enough to be drawn.
            host.command('slow on')
            first.click_cell(2, 4)
            wait_for('the clicked cell is confirmed', lambda: first.mark(2, 4) == 'confirmed')
            host.command('slow off')
            marks = first.js('return corvantis.marks(2, 4)')
            assert marks[-2:] == ['pending', 'confirmed'], f'the cell went {marks}'

            step('a second browser')
            second = Page(browser(profiles, 1024, 700), host.port)
            drivers.append(second.driver)
            assert second.mark(2, 4) == 'confirmed', 'the second browser does not see the route'

            step('a lock taken in the window')
            host.command('lock 5')
            wait_for('the window\'s lock shows', lambda: first.js(
                'const b = document.querySelector(\'.col[data-output="5"] .lock.other\');'
                'return b && b.title.includes("this computer")'))

            step('a salvo')
            first.watch('batchText')
            first.driver.find_element(By.CSS_SELECTOR, '#salvos button').click()
            result = wait_for('the salvo ends', lambda: re.search(
                r'Evening news: \d+ of 24 confirmed.*',
                first.driver.find_element(By.ID, 'batchText').text), 30)
            assert 'skipped' in result.group(0), f'the locked output was not skipped: {result}'
            progress = [t for t in first.seen('batchText') if re.fullmatch(r'Evening news: \d+ of 24', t)]
            assert progress, f'no progress was shown: {first.seen("batchText")}'

            step('a phone')
            phone = Page(browser(profiles, 390, 844), host.port)
            drivers.append(phone.driver)
            assert phone.driver.find_element(By.ID, 'phoneView').is_displayed()
            assert not phone.driver.find_element(By.ID, 'gridView').is_displayed()
            if images:
                phone.driver.save_screenshot(os.path.join(images, 'web-phone.png'))

            # Router 1 holds outputs 17 to 24; its first output went to its second input.
            step('a silent router')
            host.command('silent 1 on')
            wait_for('the silent router\'s outputs are stale',
                     lambda: second.mark(16, 1) == 'stale', 20)
            if images:
                first.js('document.getElementById("scroller").scrollTo(0, 0)')
                wait_for('the grid shows the stale router', lambda: first.mark(16, 1) == 'stale')
                first.driver.save_screenshot(os.path.join(images, 'web-grid.png'))
            host.command('silent 1 off')

            step('the server restarts')
            first.watch('offline')
            host.command('restart 9 2')
            wait_for('the page is back with what changed meanwhile',
                     lambda: first.mark(9, 2) == 'confirmed', 15)
            assert 'Disconnected, reconnecting\u2026' in first.seen('offline'), \
                f'the page never said it was disconnected: {first.seen("offline")}'
        except AssertionError:
            for number, driver in enumerate(drivers, 1):
                print(f'browser {number}:', driver.execute_script(DIAGNOSIS), flush=True)
                for entry in driver.get_log('browser'):
                    print(f'  console: {entry["message"]}', flush=True)
            if os.path.exists(host.log):
                with open(host.log, errors='replace') as log:
                    # One "Comm Event" a byte at 9600 baud would bury the rest.
                    lines = [line.rstrip() for line in log if 'Comm Event' not in line]
                print('the core\'s trace, last lines:', *lines[-50:], sep='\n  ', flush=True)
            raise
        finally:
            for driver in drivers:
                driver.quit()
            host.stop()
    print('web page test passed')
    return 0


if __name__ == '__main__':
    sys.exit(main())
