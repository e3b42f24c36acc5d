#!/usr/bin/env python3
"""The web viewer's figures in headless Chromium (not a test; run it by hand on
a quiet machine): on a 1920 x 1080 screen, a 72 x 19 movie of 640 x 480 frames as one file and as a
folder, served over local HTTP; the time from the page's first byte to its
first paint, how many display frames show the view asked for while turning
one column per frame, the decoded frames' memory against the budget, and the
renderer's resident memory.

Usage: viewer_bench.py ORBIVANE_HOST ORBIVANE_OBJECT WORK_DIR [WIDTHxHEIGHT]"""
import functools
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

HOST, TOOL, WORK = (os.path.abspath(a) for a in sys.argv[1:4])
WIDTH, HEIGHT = (int(n) for n in (sys.argv[4] if len(sys.argv) > 4 else '1280x800').split('x'))


def renderer_rss_mb(driver):
    """Resident memory of this browser's renderer processes (descendants of
    its chromedriver), from /proc."""
    parents, total = {}, 0
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            parents[int(pid)] = int(open('/proc/%s/stat' % pid).read().rsplit(')', 1)[1].split()[1])
        except OSError:
            pass
    ours = {driver.service.process.pid}
    for _ in range(6):
        ours |= {pid for pid, parent in parents.items() if parent in ours}
    for pid in ours:
        try:
            if b'--type=renderer' in open('/proc/%d/cmdline' % pid, 'rb').read():
                total += int(open('/proc/%d/statm' % pid).read().split()[1]) * os.sysconf('SC_PAGE_SIZE')
        except OSError:
            pass
    return total / 2 ** 20


TURN = """return new Promise(function (done) {
  var fig = document.querySelector('.ov'), view = fig.querySelector('.ov-view'), api = fig.orbivane;
  var asked = -1, frames = 0, onTime = 0, start = performance.now();
  requestAnimationFrame(function tick() {
    if (asked >= 0 && view.dataset.column === String(asked)) onTime++;
    if (frames === 144) { done([onTime, frames, 1000 * frames / (performance.now() - start)]); return; }
    asked = (+view.dataset.column + 1) % 72;
    api.go(asked, +view.dataset.row);
    frames++;
    requestAnimationFrame(tick);
  });
});"""


def main():
    os.makedirs(WORK, exist_ok=True)
    subprocess.run([HOST, '--columns', '72', '--rows', '19', '--size', '640x480', '--antialias', '1', '--out', 'big.mov'],
                   check=True, cwd=WORK, stdout=subprocess.DEVNULL)
    for extra in [[], ['--folder']]:
        subprocess.run([TOOL, 'web', 'big.mov', '-o', 'folder.html' if extra else 'big.html'] + extra, check=True, cwd=WORK)
    httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(
        type('Quiet', (http.server.SimpleHTTPRequestHandler,), {'log_message': lambda *a: None}), directory=WORK))
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    try:
        for page in ['big.html', 'folder.html']:  # each in a browser of its own
            options = webdriver.ChromeOptions()
            options.binary_location = '/usr/bin/chromium'
            profile = tempfile.mkdtemp(prefix='orbivane-bench-')
            for flag in ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                         '--force-device-scale-factor=1', '--user-data-dir=' + profile]:
                options.add_argument(flag)
            driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
            try:
                measure(driver, 'http://127.0.0.1:%d/%s' % (httpd.server_address[1], page), page)
            finally:
                driver.quit()
                shutil.rmtree(profile, ignore_errors=True)
    finally:
        httpd.shutdown()


def measure(driver, url, page):
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': WIDTH, 'height': HEIGHT, 'deviceScaleFactor': 1, 'mobile': False, 'screenWidth': 1920, 'screenHeight': 1080})
    driver.get('about:blank')
    time.sleep(1)
    blank = renderer_rss_mb(driver)
    driver.get(url)
    paint = None
    while not paint:
        time.sleep(0.1)
        paint = driver.execute_script(
            "var n = performance.getEntriesByType('navigation')[0],"
            "    p = performance.getEntriesByName('first-contentful-paint')[0];"
            "return p && [p.startTime - n.responseStart, n.responseEnd - n.responseStart]")
    end = time.time() + 60
    while time.time() < end and driver.execute_script(
            "var v = document.querySelector('.ov-view'); return +v.dataset.ready < Math.min(72, +v.dataset.budget)"):
        time.sleep(0.1)
    on_time, frames, rate = driver.execute_script(TURN)
    state = driver.execute_script(
        "var v = document.querySelector('.ov-view'), c = v.querySelector('canvas');"
        "return [+v.dataset.ready, +v.dataset.budget, c.width, c.height, screen.width, screen.height]")
    decoded_mb = state[0] * state[2] * state[3] * 4 / 2 ** 20
    print('%s (%.1f MB): first paint %.0f ms after the first byte (page in after %.0f ms); turning: %d of %d '
          'display frames showed the view asked for, at %.0f frames/s; %d frames decoded at %d x %d '
          '(%.0f MB, budget %d frames for a %d x %d screen); renderer resident +%.0f MB over a blank page'
          % (page, os.path.getsize(os.path.join(WORK, page)) / 1e6, paint[0], paint[1], on_time, frames, rate,
             state[0], state[2], state[3], decoded_mb, state[1], state[4], state[5], renderer_rss_mb(driver) - blank))


if __name__ == '__main__':
    main()
