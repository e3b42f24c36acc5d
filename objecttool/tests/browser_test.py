#!/usr/bin/env python3
"""The web viewer in a real browser: Debian's headless Chromium, driven through
chromedriver, loads pages that orbivane-host and orbivane-object wrote from
file://, turns the object with keys, mouse, wheel and touch, and checks which
view is shown twice: by the page's state (data-column, data-row) and by
comparing a screenshot of the viewer with that frame as ffmpeg decodes it.

Usage: browser_test.py ORBIVANE_HOST ORBIVANE_OBJECT WORK_DIR
Leaves WORK_DIR/web-viewer.png, the screenshot the README shows."""
import gzip
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

HOST, TOOL, WORK = (os.path.abspath(a) for a in sys.argv[1:4])


def run(*args):
    subprocess.run(args, check=True, cwd=WORK, stdout=subprocess.DEVNULL)


def decoded_frames(movie, width, height):
    """Every frame of the movie as rgb24 bytes, decoded by ffmpeg."""
    raw = subprocess.run(['ffmpeg', '-loglevel', 'error', '-i', movie, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'],
                         check=True, cwd=WORK, stdout=subprocess.PIPE).stdout
    size = width * height * 3
    return [raw[i:i + size] for i in range(0, len(raw), size)]


def png_pixels(png):
    return subprocess.run(['ffmpeg', '-loglevel', 'error', '-f', 'png_pipe', '-i', '-', '-f', 'rawvideo',
                           '-pix_fmt', 'rgb24', '-'], input=png, check=True, stdout=subprocess.PIPE).stdout


def swapped_halves(frame, width, height):
    half, out = width // 2 * 3, bytearray()
    for y in range(height):
        row = frame[y * width * 3:(y + 1) * width * 3]
        out += row[half:] + row[:half]
    return bytes(out)


def left_half(frame, width, height):
    return b''.join(frame[y * width * 3:y * width * 3 + width // 2 * 3] for y in range(height))


def difference(a, b):
    """Mean absolute difference of every fifth byte; inf when sizes differ."""
    if len(a) != len(b):
        return float('inf')
    return sum(abs(x - y) for x, y in zip(a[::5], b[::5])) / len(a[::5])


class Viewer:
    def __init__(self, driver):
        self.d = driver

    def cdp(self, command, params=None):
        return self.d.execute_cdp_cmd(command, params or {})

    def open(self, page, scripts=True, reduced_motion=False):
        self.cdp('Emulation.setScriptExecutionDisabled', {'value': not scripts})
        self.cdp('Emulation.setEmulatedMedia', {'features': [
            {'name': 'prefers-reduced-motion', 'value': 'reduce' if reduced_motion else 'no-preference'}]})
        self.d.get('file://' + os.path.join(WORK, page))
        self.view = self.d.find_element('css selector', '.ov-view')
        if scripts:
            total = int(self.view.get_attribute('aria-valuemax'))
            self.wait(lambda: self.view.get_attribute('data-ready') == str(total), 'every frame decoded')
            # Room below the viewer, so that swipes and wheels that are not the viewer's can scroll the page.
            self.js("document.body.style.paddingBottom = '2000px'")

    def js(self, script):
        return self.d.execute_script(script)

    def wait(self, condition, what, seconds=5):
        end = time.time() + seconds
        while time.time() < end:
            if condition():
                return
            time.sleep(0.02)
        raise AssertionError('timed out waiting for ' + what)

    def state(self):
        v = self.view
        return int(v.get_attribute('data-column')), int(v.get_attribute('data-row'))

    def scroll(self):
        return self.js('return window.scrollY')

    def centre(self):
        r = self.js("var r = document.querySelector('.ov-view').getBoundingClientRect();"
                    "return [r.left + r.width / 2, r.top + r.height / 2, r.width, r.height]")
        return r[0], r[1]

    def rect(self):
        return self.js("var r = document.querySelector('.ov-view').getBoundingClientRect();"
                       "return [r.left, r.top + window.scrollY, r.width, r.height]")

    def picture(self):
        return png_pixels(self.view.screenshot_as_png)

    def mouse_drag(self, dx, steps, pause, release_after, event_gap=None):
        """Press, move dx pixels in steps, release. With event_gap the events carry
        timestamps that far apart (seconds), so the page sees that speed however
        slowly a busy machine delivers them."""
        x, y = self.centre()
        start = time.time()

        def mouse(kind, at_x, step, **extra):
            event = {'type': kind, 'x': at_x, 'y': y, **extra}
            if event_gap is not None:
                event['timestamp'] = start + step * event_gap
            self.cdp('Input.dispatchMouseEvent', event)

        mouse('mouseMoved', x, 0)
        mouse('mousePressed', x, 0, button='left', clickCount=1)
        for i in range(1, steps + 1):
            mouse('mouseMoved', x + dx * i / steps, i, button='left', buttons=1)
            time.sleep(pause)
        time.sleep(release_after)
        mouse('mouseReleased', x + dx, steps + 1, button='left', clickCount=1)

    def wheel(self, dx, dy):
        x, y = self.centre()
        self.cdp('Input.dispatchMouseEvent', {'type': 'mouseWheel', 'x': x, 'y': y, 'deltaX': dx, 'deltaY': dy})
        time.sleep(0.3)

    def swipe(self, dx, dy, hold=0.0, steps=12):
        x, y = self.centre()
        self.cdp('Input.dispatchTouchEvent', {'type': 'touchStart', 'touchPoints': [{'x': x, 'y': y}]})
        time.sleep(hold)
        for i in range(1, steps + 1):
            self.cdp('Input.dispatchTouchEvent', {'type': 'touchMove', 'touchPoints': [
                {'x': x + dx * i / steps, 'y': y + dy * i / steps}]})
            time.sleep(0.016)
        time.sleep(0.2)  # the finger rests before lifting: no glide
        self.cdp('Input.dispatchTouchEvent', {'type': 'touchEnd', 'touchPoints': []})
        time.sleep(0.4)

    def keys(self, *keys):
        ActionChains(self.d).send_keys(*keys).perform()
        time.sleep(0.05)


class Checks:
    def __init__(self):
        self.passed, self.failed = 0, []

    def check(self, what, condition, detail=''):
        if condition:
            self.passed += 1
        else:
            self.failed.append(what)
            print('FAIL: %s %s' % (what, detail))


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    run(HOST, '--columns', '8', '--rows', '3', '--size', '160x120', '--out', 'object.mov', '--web', 'object.html',
        '--sheet', 'object.png')
    run(HOST, '--stereo', '--columns', '6', '--rows', '1', '--size', '120x90', '--out', 'pair.mov')
    run(TOOL, 'web', 'pair.mov', '--stereo', 'parallel', '--autoplay', '-o', 'pair.html')
    run(HOST, '--out', 'demo.mov')
    run(TOOL, 'web', 'demo.mov', '-o', 'demo.html')
    frames = decoded_frames('object.mov', 160, 120)
    pair = decoded_frames('pair.mov', 240, 90)
    c = Checks()
    c.check('orbivane-host --sheet wrote the sheet beside the movie', os.path.getsize(os.path.join(WORK, 'object.png')) > 0)

    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    profile = tempfile.mkdtemp(prefix='orbivane-chromium-')
    for flag in ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--hide-scrollbars', '--force-device-scale-factor=1', '--window-size=720,420',
                 '--user-data-dir=' + profile]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    try:
        v = Viewer(driver)
        v.cdp('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 1})

        def shows(what, column, row, expected=None):
            state = v.state()
            picture = v.picture()
            wanted = expected if expected is not None else frames[row * 8 + column]
            distances = [difference(picture, f) for f in frames] if expected is None else [difference(picture, wanted)]
            best = min(range(len(distances)), key=distances.__getitem__)
            ok = state == (column, row) and distances[best] < 6 and (expected is not None or best == row * 8 + column)
            c.check(what, ok, 'state %s, picture closest to frame %d (difference %.1f), wanted (%d, %d)'
                    % (state, best, distances[best], column, row))

        # The initial view, before any script runs, in a box that keeps its size once scripts run.
        v.open('object.html', scripts=False)
        before = v.rect()
        c.check('no script: the poster is the initial view', difference(v.picture(), frames[0]) < 6)
        v.open('object.html')
        c.check('the box does not move or resize when the script starts', v.rect() == before, '%s %s' % (before, v.rect()))
        shows('scripted: the initial view', 0, 0)

        # Keys act only while the viewer has focus; pan wraps over 360 degrees, tilt stops at the rows' ends.
        v.keys(Keys.ARROW_RIGHT)
        c.check('keys do nothing without focus', v.state() == (0, 0))
        v.keys(Keys.TAB)
        c.check('Tab focuses the viewer', v.js("return document.activeElement === document.querySelector('.ov-view')"))
        c.check('the focus is visible', v.js("var s = getComputedStyle(document.querySelector('.ov-view'));"
                                             "return s.outlineStyle === 'solid' && parseFloat(s.outlineWidth) >= 2"))
        v.keys(Keys.ARROW_RIGHT)
        shows('right (the front turns right) from the first column wraps to the last', 7, 0)
        v.keys(Keys.ARROW_LEFT)
        v.keys(Keys.ARROW_DOWN)
        c.check('tilt stops at the first row', v.state() == (0, 0))
        v.keys(Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP)
        shows('tilt stops at the last row', 0, 2)
        c.check('the slider announces the view', v.view.get_attribute('aria-valuetext') == 'column 1 of 8, row 3 of 3')
        v.keys(Keys.END)
        c.check('End goes to the last column', v.state() == (7, 2))
        v.keys(Keys.HOME)

        # Mouse: a slow drag turns one column per 20 pixels, the front following the pointer, and stops where
        # released; past the first or last column it wraps.
        v.mouse_drag(60, 6, 0.03, 0.25)
        shows('a drag of 60 pixels to the right turns three columns back', 5, 2)
        v.mouse_drag(-100, 10, 0.03, 0.25)
        shows('a drag to the left past the last column wraps', 2, 2)
        v.mouse_drag(0, 1, 0, 0)  # a plain click leaves the view alone
        c.check('a click does not turn', v.state() == (2, 2))

        # Inertia: a flick keeps turning after release, unless the user asks for reduced motion.
        # The page sees a quick flick whatever the machine's load (the events carry their own times);
        # the views it shows in the half second after release tell whether it glides on.
        def views_after_release():
            seen = []
            for _ in range(10):
                time.sleep(0.05)
                seen.append(v.state())
            return seen
        v.mouse_drag(120, 4, 0, 0, event_gap=0.005)
        glide = views_after_release()
        c.check('a flick glides on after release', len(set(glide)) > 1, str(glide))
        v.open('object.html', reduced_motion=True)
        before = v.state()
        v.mouse_drag(120, 4, 0, 0, event_gap=0.005)
        still = views_after_release()
        c.check('reduced motion: no glide', set(still) == {((before[0] - 6) % 8, before[1])}, '%s %s' % (before, still))
        v.open('object.html')

        # Wheel: sideways turns, down tilts; at the last row the page scrolls on.
        v.wheel(100, 0)
        c.check('a sideways wheel turns', v.state() == (2, 0), str(v.state()))
        v.wheel(0, 100)
        c.check('a wheel down tilts', v.state() == (2, 2), str(v.state()))
        v.wheel(0, 100)
        c.check('at the last row the wheel scrolls the page', v.scroll() > 0 and v.state() == (2, 2))

        # Touch: sideways drags turn; a quick vertical swipe scrolls the page; a deliberate one (held first) tilts.
        v.open('object.html')
        v.swipe(60, 0)
        shows('a sideways touch drag turns', 5, 0)
        c.check('... without scrolling the page', v.scroll() == 0)
        v.swipe(0, -150)
        c.check('a quick vertical swipe scrolls the page', v.scroll() > 50 and v.state() == (5, 0),
                '%s %s' % (v.scroll(), v.state()))
        v.js('window.scrollTo(0, 0)')
        v.swipe(0, -40, hold=0.5)
        shows('a held vertical drag tilts', 5, 2)
        c.check('... without scrolling the page', v.scroll() == 0)

        # Autoplay spins, stops on interaction, and stays off with reduced motion.
        v.open('pair.html', reduced_motion=True)
        time.sleep(0.5)
        c.check('reduced motion: no autoplay', v.state() == (0, 0) and
                v.d.find_element('css selector', '.ov-spin').get_attribute('aria-pressed') == 'false')
        v.open('pair.html')
        v.wait(lambda: v.state()[0] != 0, 'the autoplay spin')
        v.mouse_drag(0, 1, 0, 0)
        stopped = v.state()
        time.sleep(0.5)
        c.check('autoplay stops on interaction', v.state() == stopped, '%s %s' % (stopped, v.state()))

        # One row: a vertical swipe, held or not, is the page's.
        v.swipe(0, -150, hold=0.5)
        c.check('one row: a vertical swipe scrolls the page', v.scroll() > 50 and v.state() == stopped)
        v.js('window.scrollTo(0, 0)')

        # Stereo: side by side as stored, cross-eyed (halves swapped), one eye (the left half).
        frame = pair[stopped[0]]
        choice = Select(v.d.find_element('css selector', '.ov-eyes select'))
        shows('stereo side by side', stopped[0], 0, frame)
        choice.select_by_value('cross')
        shows('stereo cross-eyed', stopped[0], 0, swapped_halves(frame, 240, 90))
        choice.select_by_value('one')
        shows('stereo one eye', stopped[0], 0, left_half(frame, 240, 90))
        c.check('one eye: the box is one eye wide', v.rect()[2:] == [120, 90], str(v.rect()))

        # The default capture: page size against the frames' own bytes, runtime size, and the README's screenshot.
        info = json.loads(subprocess.run([TOOL, 'inspect', '--json', 'demo.mov'], cwd=WORK, check=True,
                                         stdout=subprocess.PIPE).stdout)
        page = open(os.path.join(WORK, 'demo.html'), 'rb').read()
        ratio = len(page) / info['video']['sample_bytes']
        c.check('the page is within 4% of its frames\' bytes', ratio < 1.04, 'ratio %.3f' % ratio)
        runtime = b''.join(re.findall(rb'<style>(.*?)</style>', page, re.S) +
                           [re.findall(rb'<script>(.*?)</script>', page, re.S)[-1]])
        runtime_gz = len(gzip.compress(runtime, 9))
        c.check('the runtime is at most 5 KB gzipped', runtime_gz <= 5120, '%d bytes' % runtime_gz)
        print('page/frames %.3f, runtime %d bytes gzipped' % (ratio, runtime_gz))
        v.open('demo.html')
        v.js("document.body.style.paddingBottom = ''")
        v.cdp('Emulation.setDeviceMetricsOverride', {'width': 560, 'height': 400, 'deviceScaleFactor': 1, 'mobile': False})
        v.keys(Keys.TAB, Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP)
        v.d.save_screenshot(os.path.join(WORK, 'web-viewer.png'))
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)

    print('%d passed, %d failed' % (c.passed, len(c.failed)))
    return 1 if c.failed else 0


if __name__ == '__main__':
    sys.exit(main())
