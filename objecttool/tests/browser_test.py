#!/usr/bin/env python3
"""The web viewer in a real browser: Debian's headless Chromium, driven through
chromedriver, loads pages that orbivane-host and orbivane-object wrote, from
file:// and from a local HTTP server that declares each charset; turns the
object with keys, mouse, wheel and touch (pinch too), on several screens, a
slow link and a slow CPU, and checks which view is shown twice: by the page's
state (data-column, data-row) and by comparing a screenshot of the viewer with
that frame as ffmpeg decodes it.

Usage: browser_test.py ORBIVANE_HOST ORBIVANE_OBJECT WEB_PAGE_FIXTURE WORK_DIR
Leaves WORK_DIR/web-viewer.png, the screenshot the README shows."""
import functools
import gzip
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

HOST, TOOL, FIXTURE, WORK = (os.path.abspath(a) for a in sys.argv[1:5])


def run(*args):
    subprocess.run(args, check=True, cwd=WORK, stdout=subprocess.DEVNULL)


class Server:
    """Python's HTTP server on 127.0.0.1 over WORK: a page asked for with
    ?charset=NAME comes with that charset in its Content-Type (none: no charset)."""

    def __init__(self):
        requests = self.requests = []

        class Handler(http.server.SimpleHTTPRequestHandler):
            def send_header(self, name, value):
                charset = re.search(r'[?&]charset=([\w-]+)', self.path)
                if name.lower() == 'content-type' and charset and value.startswith('text/html'):
                    value = 'text/html' + ('' if charset.group(1) == 'none' else '; charset=' + charset.group(1))
                super().send_header(name, value)

            def log_message(self, *args):
                requests.append(self.path)

        self.httpd = http.server.ThreadingHTTPServer(('127.0.0.1', 0), functools.partial(Handler, directory=WORK))
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()
        self.url = 'http://127.0.0.1:%d/' % self.httpd.server_address[1]

    def stop(self):
        self.httpd.shutdown()

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

    def open(self, page, scripts=True, reduced_motion=False, wait=True):
        """Opens a page of WORK (or a URL) and, with scripts, waits until its
        first viewer has decoded every frame."""
        self.cdp('Emulation.setScriptExecutionDisabled', {'value': not scripts})
        self.cdp('Emulation.setEmulatedMedia', {'features': [
            {'name': 'prefers-reduced-motion', 'value': 'reduce' if reduced_motion else 'no-preference'}]})
        url = page if '://' in page else 'file://' + os.path.join(WORK, page)
        self.d.get(url)
        if not wait:
            return
        self.wait(lambda: self.js('return location.href') == url and self.js('return document.readyState') == 'complete',
                  'the page', 30)
        self.view = self.d.find_element('css selector', '.ov-view')
        if scripts:
            self.wait(lambda: self.ready() == self.total(), 'every frame decoded (or as many as the memory budget holds)', 20)
            # Room below the viewer, so that swipes and wheels that are not the viewer's can scroll the page.
            self.js("document.body.style.paddingBottom = '2000px'")

    def ready(self):
        return int(self.view.get_attribute('data-ready') or 0)

    def total(self):
        return min(int(self.view.get_attribute(name) or -1) for name in ['data-frames', 'data-budget'])

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

    def mouse_drag(self, dx, steps, pause, release_after, event_gap=None, dy=0):
        """Press, move dx pixels in steps, release. With event_gap the events carry
        timestamps that far apart (seconds), so the page sees that speed however
        slowly a busy machine delivers them."""
        x, y = self.centre()
        start = time.time()

        def mouse(kind, at_x, step, **extra):
            event = {'type': kind, 'x': at_x, 'y': y + dy * step / (steps + 1), **extra}
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

    def swipe(self, dx, dy, hold=0.0, steps=12, spread=None):
        """One finger moving (dx, dy); with spread, two fingers that far apart
        sideways moving apart by dx each (a pinch)."""
        x, y = self.centre()

        def points(i):
            if spread is None:
                return [{'x': x + dx * i / steps, 'y': y + dy * i / steps, 'id': 0}]
            d = spread / 2 + dx * i / steps
            return [{'x': x - d, 'y': y, 'id': 0}, {'x': x + d, 'y': y, 'id': 1}]
        self.cdp('Input.dispatchTouchEvent', {'type': 'touchStart', 'touchPoints': points(0)})
        time.sleep(hold)
        for i in range(1, steps + 1):
            self.cdp('Input.dispatchTouchEvent', {'type': 'touchMove', 'touchPoints': points(i)})
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



def make_pages():
    run(HOST, '--columns', '8', '--rows', '3', '--size', '160x120', '--out', 'object.mov', '--web', 'object.html',
        '--sheet', 'object.png')
    run(TOOL, 'web', 'object.mov', '-o', 'titled.html', '--title', 'Vase <blue>', '--view', '4,2')
    run(TOOL, 'web', 'object.mov', '-o', 'folder.html', '--folder')
    run(TOOL, 'web', 'object.mov', '-o', 'bare.html', '--bare', '--intro', '1')
    run(TOOL, 'web', 'object.mov', '-o', 'grown.html', '--grow')
    run(HOST, '--stereo', '--columns', '6', '--rows', '1', '--size', '120x90', '--out', 'pair.mov')
    run(TOOL, 'web', 'pair.mov', '--stereo', 'parallel', '--autoplay', '-o', 'pair.html')
    run(HOST, '--columns', '12', '--rows', '2', '--size', '1280x960', '--antialias', '1', '--out', 'large.mov')
    run(TOOL, 'web', 'large.mov', '-o', 'large.html')
    run(HOST, '--out', 'demo.mov')
    run(TOOL, 'web', 'demo.mov', '-o', 'demo.html')
    run(FIXTURE, 'several.html', 'object.mov', 'pair.mov', 'object.mov', 'object.mov')
    # object.mov's 24 frames as 2 columns x 3 rows x 2 frames per view x 2 states, the second shown while pressed.
    run(FIXTURE, '--config', json.dumps({'columns': 2, 'framesPerView': 2, 'animate': True, 'animationStep': 0.05,
                                         'states': [{'name': 'closed'}, {'name': 'open'}], 'mouseDownState': 1,
                                         'pans': [0, 180]}), 'animated.html', 'object.mov')
    for name, fields in [('reversed', {'reversePan': True, 'reverseTilt': True, 'wrapTilt': True}),
                         ('swapped', {'swapAxes': True}),
                         ('states', {'rows': 1, 'states': [{'name': 'red'}, {'name': 'blue'}, {'name': 'held'}],
                                     'mouseDownState': 2})]:
        run(FIXTURE, '--config', json.dumps(fields), name + '.html', 'object.mov')
    with open(os.path.join(WORK, 'embed.html'), 'w') as page:
        page.write('<!DOCTYPE html><body style="margin:0"><iframe src="bare.html" style="width:100%;border:0"></iframe>'
                   '<script>addEventListener("message", function (e) { var f = document.querySelector("iframe");'
                   ' if (e.source === f.contentWindow && e.data.orbivane === "size") f.style.height = e.data.height + "px";'
                   ' });</script>')


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    make_pages()
    frames = decoded_frames('object.mov', 160, 120)
    pair = decoded_frames('pair.mov', 240, 90)
    c = Checks()
    c.check('orbivane-host --sheet wrote the sheet beside the movie', os.path.getsize(os.path.join(WORK, 'object.png')) > 0)

    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    options.page_load_strategy = 'none'  # pages are watched while they load
    profile = tempfile.mkdtemp(prefix='orbivane-chromium-')
    for flag in ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--hide-scrollbars', '--force-device-scale-factor=1', '--window-size=720,420',
                 '--user-data-dir=' + profile]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    server = Server()
    try:
        v = Viewer(driver)
        v.cdp('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 2})
        v.cdp('Emulation.setDeviceMetricsOverride', {'width': 720, 'height': 420, 'deviceScaleFactor': 1, 'mobile': False})

        def shows(what, column, row, expected=None):
            state = v.state()
            picture = v.picture()
            wanted = expected if expected is not None else frames[row * 8 + column]
            distances = [difference(picture, f) for f in frames] if expected is None else [difference(picture, wanted)]
            best = min(range(len(distances)), key=distances.__getitem__)
            ok = state == (column, row) and distances[best] < 6 and (expected is not None or best == row * 8 + column)
            c.check(what, ok, 'state %s, picture closest to frame %d (difference %.1f), wanted (%d, %d)'
                    % (state, best, distances[best], column, row))

        def attr(name, selector='.ov-view'):
            return v.d.find_element('css selector', selector).get_attribute(name)

        # Without scripts: the initial view, in a box that keeps its size once scripts run, and nothing focusable.
        v.open('object.html', scripts=False)
        before = v.rect()
        c.check('no script: the poster is the initial view', difference(v.picture(), frames[0]) < 6)
        c.check('no script: no slider that does nothing', attr('tabindex') is None and attr('role') is None)
        v.open('object.html')
        c.check('the box does not move or resize when the script starts', v.rect() == before, '%s %s' % (before, v.rect()))
        shows('scripted: the initial view', 0, 0)

        # Every charset a server may declare, and none; every frame decodes.
        for charset, read_as in [('utf-8', 'utf-8'), ('windows-1252', 'windows-1252'), ('iso-8859-1', 'windows-1252'),
                                 ('none', 'utf-8')]:
            v.open(server.url + 'object.html?charset=' + charset)
            c.check('served as %s: read as %s, every frame decodes' % (charset, read_as), attr('data-failed') is None
                    and v.ready() == 24 and v.js('return document.characterSet').lower() == read_as,
                    v.js('return document.characterSet'))
        v.open(server.url + 'folder.html?charset=utf-8')
        c.check('folder form over HTTP: every frame decodes', attr('data-failed') is None and v.ready() == 24)
        v.keys(Keys.TAB, Keys.ARROW_RIGHT)
        shows('folder form: the arrow turns', 7, 0)
        v.open('folder.html')
        c.check('folder form from file://: every frame decodes', attr('data-failed') is None and v.ready() == 24)

        # Keys act only while the viewer has focus; pan wraps over 360 degrees, tilt stops at the rows' ends.
        v.open('object.html')
        v.keys(Keys.ARROW_RIGHT)
        c.check('keys do nothing without focus', v.state() == (0, 0))
        v.keys(Keys.TAB)
        c.check('Tab focuses the viewer', v.js("return document.activeElement === document.querySelector('.ov-view')"))
        c.check('the focus is visible', v.js("var s = getComputedStyle(document.querySelector('.ov-view'));"
                                             "return s.outlineStyle === 'solid' && parseFloat(s.outlineWidth) >= 2"))
        v.keys(Keys.ARROW_RIGHT)
        shows('right (the front turns right) from the first column wraps to the last', 7, 0)
        value = int(attr('aria-valuenow'))
        v.keys(Keys.ARROW_RIGHT)
        c.check('right raises the slider value', int(attr('aria-valuenow')) == value + 1, attr('aria-valuenow'))
        v.keys(Keys.ARROW_LEFT, Keys.ARROW_LEFT)
        v.keys(Keys.ARROW_DOWN)
        c.check('tilt stops at the first row', v.state() == (0, 0))
        v.keys(Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP)
        shows('tilt stops at the last row', 0, 2)
        c.check('the slider says the angle seen', attr('aria-valuetext') == 'turned 0\u00b0, tilted -20\u00b0',
                attr('aria-valuetext'))
        hint = v.js("return document.getElementById(document.querySelector('.ov-view')"
                    ".getAttribute('aria-describedby')).textContent")
        c.check('the hint describes the viewer', hint == v.d.find_element('css selector', '.ov-hint').text != '', hint)
        v.keys(Keys.END)
        c.check('End goes to the slider\'s last value', v.state() == (0, 2) and attr('aria-valuenow') == '24')
        v.keys(Keys.HOME)
        c.check('Home goes to its first value', v.state() == (7, 2) and attr('aria-valuenow') == '17')
        v.keys(Keys.ARROW_LEFT)

        # Mouse: a slow drag turns one column per 20 pixels, the front following the pointer, and stops where
        # released; past the first or last column it wraps. A sideways drag that drifts down does not tilt.
        v.mouse_drag(60, 6, 0.03, 0.25)
        shows('a drag of 60 pixels to the right turns three columns back', 5, 2)
        v.mouse_drag(-100, 10, 0.03, 0.25, dy=20)
        shows('a drag to the left past the last column wraps, drifting 20 px down without tilting', 2, 2)
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

        # Wheel: sideways turns; up and down always scroll the page, notch after notch; Ctrl+wheel zooms.
        v.open('object.html')
        v.wheel(100, 0)
        c.check('a sideways wheel turns', v.state() == (2, 0), str(v.state()))
        scrolled = []
        for _ in range(3):
            v.wheel(0, 100)
            scrolled.append(v.scroll())
        c.check('every wheel notch down scrolls the page, none tilts', scrolled[0] > 0 and scrolled == sorted(set(scrolled))
                and v.state() == (2, 0), '%s %s' % (scrolled, v.state()))
        v.js('window.scrollTo(0, 0)')
        x, y = v.centre()
        v.cdp('Input.dispatchMouseEvent', {'type': 'mouseWheel', 'x': x, 'y': y, 'deltaX': 0, 'deltaY': -200,
                                           'modifiers': 2})
        time.sleep(0.3)
        c.check('Ctrl+wheel zooms the object, not the page', float(attr('data-zoom') or 1) > 1.5 and
                v.js('return visualViewport.scale') == 1, attr('data-zoom'))
        v.mouse_drag(40, 4, 0.03, 0.2)
        c.check('zoomed in, a drag pans instead of turning', v.state() == (2, 0))

        # Touch: sideways drags turn; a quick vertical swipe scrolls the page; a deliberate one (held first) tilts;
        # two fingers zoom.
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
        v.swipe(-60, -20)
        c.check('a sideways swipe that drifts 20 px up does not tilt', v.state() == (0, 2), str(v.state()))
        v.swipe(40, 0, spread=40)
        c.check('a pinch zooms the object', float(attr('data-zoom') or 1) > 1.5, attr('data-zoom'))
        hint = v.d.find_element('css selector', '.ov-hint').text
        c.check('a touch screen\'s hint tells of resting the finger to tilt', 'rest your finger' in hint, hint)

        # Autoplay spins; it stops on interaction and on keyboard focus, pauses on hover and out of view,
        # and stays off with reduced motion.
        v.open('pair.html', reduced_motion=True)
        time.sleep(0.5)
        c.check('reduced motion: no autoplay', v.state() == (0, 0) and attr('aria-pressed', '.ov-spin') == 'false')
        v.open('pair.html')
        v.wait(lambda: v.state()[0] != 0, 'the autoplay spin')

        def still_for(seconds):
            seen = {v.state()}
            end = time.time() + seconds
            while time.time() < end:
                time.sleep(0.05)
                seen.add(v.state())
            return len(seen) == 1
        x, y = v.centre()
        v.cdp('Input.dispatchMouseEvent', {'type': 'mouseMoved', 'x': x, 'y': y})
        time.sleep(0.1)
        c.check('autoplay pauses while the mouse is over the viewer', still_for(0.6))
        v.cdp('Input.dispatchMouseEvent', {'type': 'mouseMoved', 'x': 5, 'y': 5})
        v.wait(lambda: not still_for(0.4), 'the spin after the mouse left')
        v.js("document.body.style.paddingTop = '3000px'")
        time.sleep(0.3)
        c.check('autoplay pauses out of view', still_for(0.6))
        v.js("document.body.style.paddingTop = ''")
        v.wait(lambda: not still_for(0.4), 'the spin back in view')
        v.js("window.seen = []; document.addEventListener('visibilitychange', function () {"
             " seen.push(document.visibilityState); });"
             "document.addEventListener('ov-view', function () { seen.push('turned while ' + document.visibilityState); });")
        v.d.switch_to.new_window('tab')
        time.sleep(0.6)
        v.d.close()
        v.d.switch_to.window(v.d.window_handles[0])
        seen = v.js('return seen')
        hidden = seen[seen.index('hidden'):] if 'hidden' in seen else []
        c.check('autoplay pauses in a hidden tab', 'visible' in hidden and 'turned while hidden' not in hidden, str(seen))
        v.keys(Keys.TAB)
        text = attr('aria-valuetext')
        c.check('autoplay stops on keyboard focus', still_for(0.6) and attr('aria-valuetext') == text)
        v.open('pair.html')
        v.mouse_drag(0, 1, 0, 0)
        stopped = v.state()
        c.check('autoplay stops on interaction', still_for(0.5), '%s %s' % (stopped, v.state()))

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

        # The record's wishes: animated views play (not under reduced motion), the pressed state shows while
        # the button is down, reversed and swapped controls, tilt that wraps.
        v.open('animated.html')
        seen = set()
        for _ in range(20):
            seen.add(attr('data-frame'))
            time.sleep(0.02)
        c.check('animated views play their frames', seen == {'0', '1'}, str(seen))
        x, y = v.centre()
        v.cdp('Input.dispatchMouseEvent', {'type': 'mousePressed', 'x': x, 'y': y, 'button': 'left', 'clickCount': 1})
        time.sleep(0.2)
        pressed = attr('data-state')
        v.cdp('Input.dispatchMouseEvent', {'type': 'mouseReleased', 'x': x, 'y': y, 'button': 'left', 'clickCount': 1})
        time.sleep(0.2)
        c.check('the pressed state shows while the button is down', (pressed, attr('data-state')) == ('1', '0'),
                '%s %s' % (pressed, attr('data-state')))
        v.open('animated.html', reduced_motion=True)
        c.check('reduced motion: animated views hold still', {attr('data-frame')} == {'0'} and still_for(0.3))
        for page, keys, expected in [('reversed.html', [Keys.ARROW_RIGHT, Keys.ARROW_UP], (1, 2)),
                                     ('swapped.html', [Keys.ARROW_UP], (1, 0))]:
            v.open(page)
            v.keys(Keys.TAB, *keys)
            c.check(page + ': the keys follow the record\'s controls', v.state() == expected, str(v.state()))

        # An intro spin turns once round, shows the drag hint, and stops where it began.
        v.open('bare.html', wait=False)
        v.wait(lambda: v.js("var v = document.querySelector('.ov-view'); return v && v.dataset.column !== '0'"), 'the intro')
        v.view = v.d.find_element('css selector', '.ov-view')
        c.check('the intro shows the drag hint', v.d.find_element('css selector', '.ov-tip').is_displayed())
        v.wait(lambda: still_for(0.3), 'the end of the intro', 10)
        c.check('the intro stops after one turn where it began', v.state() == (0, 0), str(v.state()))

        v.open('states.html')
        choice = Select(v.d.find_element('css selector', '.ov-states select'))
        names = [o.text for o in choice.options]
        choice.select_by_visible_text('blue')
        time.sleep(0.1)
        c.check('the other states are offered as a choice', names == ['red', 'blue'] and attr('data-state') == '1'
                and attr('aria-valuetext').endswith(', blue'), '%s %s' % (names, attr('aria-valuetext')))
        v.view.click()
        v.keys('+', Keys.ESCAPE)
        c.check('+ zooms and Escape leaves the zoom', attr('data-zoom') == '1.00', attr('data-zoom'))

        # Several viewers on one page, each its own; the API goes to a view and tells of every change.
        v.cdp('Emulation.setDeviceMetricsOverride', {'width': 720, 'height': 300, 'deviceScaleFactor': 1, 'mobile': False})
        v.open('several.html', wait=False)
        v.wait(lambda: v.js("var v = document.querySelector('.ov-view'); return v && v.dataset.ready === '24'"), 'viewers')
        v.view = v.d.find_element('css selector', '.ov-view')
        time.sleep(0.5)
        v.js("window.changes = []; document.addEventListener('ov-view', function (e) { if (e.target.id === 'ov1') changes.push(e.detail); });"
             "document.getElementById('ov1').orbivane.go(4, 1);")
        time.sleep(0.2)
        ready = "return Array.from(document.querySelectorAll('.ov-view'), function (e) { return e.dataset.ready; })"
        c.check('several viewers, each with its frames, the one out of view not yet decoded',
                v.js(ready) == ['24', '6', '24', None], str(v.js(ready)))
        v.js("document.getElementById('ov4').scrollIntoView()")
        v.wait(lambda: v.js(ready)[3] == '24', 'the last viewer, once in view')
        v.js('window.scrollTo(0, 0)')
        v.cdp('Emulation.setDeviceMetricsOverride', {'width': 720, 'height': 420, 'deviceScaleFactor': 1, 'mobile': False})
        shows('the API goes to a view', 4, 1)
        c.check('... and the change is told', v.js('return changes') == [{'column': 4, 'row': 1, 'state': 0}],
                str(v.js('return changes')))

        # --title and --view.
        v.open('titled.html')
        c.check('--title names the page and the viewer', v.d.title == 'Vase <blue>' and attr('aria-label') == 'Vase <blue>')
        shows('--view opens on that view', 3, 1)
        c.check('the viewer stops at the frame\'s own width', v.rect()[2] == 160, str(v.rect()))
        v.open('grown.html')
        box, bar = v.rect(), v.js("return document.querySelector('.ov-bar').getBoundingClientRect().bottom")
        c.check('--grow: the 160 x 120 frames fill the space, the controls still on screen',
                box[2] > 300 and bar <= 420, '%s, controls end at %s' % (box, bar))

        # Screens: a large movie fits the window's height with its controls in view, on a laptop and a phone
        # either way round; at device pixel ratio 2 the canvas has a pixel for each of the screen's.
        for width, height, scale, mobile in [(1200, 557, 1, False), (390, 844, 3, True), (844, 390, 3, True),
                                             (720, 420, 2, False)]:
            v.cdp('Emulation.setDeviceMetricsOverride', {'width': width, 'height': height, 'deviceScaleFactor': scale,
                                                         'mobile': mobile})
            v.open('large.html')
            v.js("document.body.style.paddingBottom = ''")
            box = v.js("var r = document.querySelector('.ov-bar').getBoundingClientRect(),"
                       "    c = document.querySelector('canvas'), s = c.getBoundingClientRect();"
                       "return [r.bottom, innerHeight, s.width * devicePixelRatio, c.width, s.width]")
            v.d.save_screenshot(os.path.join(WORK, 'large-%dx%d.png' % (width, height)))
            c.check('%d x %d: viewer and controls in view' % (width, height), box[0] <= box[1] and box[4] > 100, str(box))
            c.check('%d x %d: one canvas pixel per screen pixel' % (width, height), abs(box[2] - box[3]) <= 1, str(box))
            c.check('%d x %d: decoded frames within the budget the screen sets' % (width, height),
                    v.ready() <= int(attr('data-budget')), attr('data-budget'))
        v.cdp('Emulation.setDeviceMetricsOverride', {'width': 720, 'height': 420, 'deviceScaleFactor': 1, 'mobile': False})

        # A self-sizing iframe: the bare page tells its parent how tall it is.
        v.open(server.url + 'embed.html', wait=False)
        v.wait(lambda: v.js("var f = document.querySelector('iframe');"
                            "var d = f && f.contentDocument && f.contentDocument.documentElement;"
                            "return d && Math.abs(f.offsetHeight - d.scrollHeight) < 2"
                            " && f.offsetHeight > 150"), 'the iframe\'s height', 10)
        v.js("document.body.style.paddingBottom = '2000px'")
        box = v.js("var r = document.querySelector('iframe').getBoundingClientRect(); return [r.left + r.width / 2, r.top + 60]")
        v.cdp('Input.dispatchMouseEvent', {'type': 'mouseWheel', 'x': box[0], 'y': box[1], 'deltaX': 0, 'deltaY': 100})
        time.sleep(0.4)
        c.check('a wheel over the viewer in an iframe scrolls the page', v.scroll() > 0, str(v.scroll()))
        inner = "var v = document.querySelector('iframe').contentDocument.querySelector('.ov-view');" \
                "return [v.dataset.column, v.dataset.row]"
        v.js("document.querySelector('iframe').contentWindow.postMessage({orbivane: 'go', column: 3, row: 1}, '*')")
        time.sleep(0.3)
        c.check('the parent page turns the viewer in its iframe', v.js(inner) == ['3', '1'], str(v.js(inner)))
        c.check('bare: no heading and no hint', v.js("var d = document.querySelector('iframe').contentDocument;"
                                                    "return !d.querySelector('h1') && !d.querySelector('.ov-hint').offsetWidth"))

        # A slow link and a slow CPU: progress shows, the object turns before the page is in, and no task is long.
        info = json.loads(subprocess.run([TOOL, 'inspect', '--json', 'demo.mov'], cwd=WORK, check=True,
                                         stdout=subprocess.PIPE).stdout)
        v.cdp('Network.enable')
        v.cdp('Network.emulateNetworkConditions', {'offline': False, 'latency': 20, 'downloadThroughput': 400000,
                                                   'uploadThroughput': 400000})
        v.cdp('Emulation.setCPUThrottlingRate', {'rate': 4})
        v.open(server.url + 'demo.html?charset=utf-8', wait=False)
        v.wait(lambda: v.js("var v = document.querySelector('.ov-view'); return v && +v.dataset.ready > 4"),
               'the first frames', 20)
        v.view = v.d.find_element('css selector', '.ov-view')
        loading = v.js("return [document.readyState, !document.querySelector('.ov-load').hidden]")
        before = v.state()
        v.mouse_drag(-80, 8, 0.03, 0.2)
        turned = v.state()
        c.check('a slow link: progress shows and the object turns while the page loads',
                loading == ['loading', True] and turned != before and v.js('return document.readyState') == 'loading',
                '%s %s %s' % (loading, before, turned))
        v.wait(lambda: v.js('return document.readyState') == 'complete', 'the whole page', 60)
        v.wait(lambda: v.ready() == v.total(), 'every frame', 30)
        longest = v.js("return new Promise(function (done) { new PerformanceObserver(function (list) {"
                       " done(Math.max.apply(null, list.getEntries().map(function (e) { return e.duration; })));"
                       " }).observe({type: 'longtask', buffered: true}); setTimeout(function () { done(0); }, 500); })")
        v.cdp('Emulation.setCPUThrottlingRate', {'rate': 1})
        # Generous for a busy machine; holding the whole page's frames in one task took 3.8 s.
        c.check('4x CPU slowdown: no task of the page\'s longer than 1.5 s', longest < 1500, '%s ms' % longest)
        v.cdp('Network.emulateNetworkConditions', {'offline': False, 'latency': 0, 'downloadThroughput': -1,
                                                   'uploadThroughput': -1})

        # The default capture: runtime size, and the README's screenshot.
        page = open(os.path.join(WORK, 'demo.html'), 'rb').read()
        ratio = len(page) / info['video']['sample_bytes']
        runtime = b''.join(re.findall(rb'<style>(.*?)</style>', page, re.S) +
                           re.findall(rb'<script>(.*?)</script>', page, re.S))
        runtime_gz = len(gzip.compress(runtime, 9))
        c.check('the runtime is under 8 KB gzipped', runtime_gz < 8192, '%d bytes' % runtime_gz)
        c.check('the page is within 38% of its frames\' bytes (base64: 4 characters for 3 bytes)', ratio < 1.38, 'ratio %.3f' % ratio)
        print('page/frames %.3f (gzipped %.3f), runtime %d bytes gzipped, longest task at 4x slowdown %s ms'
              % (ratio, len(gzip.compress(page, 6)) / info['video']['sample_bytes'], runtime_gz, longest))
        v.cdp('Emulation.setTouchEmulationEnabled', {'enabled': False})
        v.open('demo.html')
        v.js("document.body.style.paddingBottom = ''")
        v.cdp('Emulation.setDeviceMetricsOverride', {'width': 560, 'height': 400, 'deviceScaleFactor': 1, 'mobile': False})
        v.keys(Keys.TAB, Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_UP)
        v.d.save_screenshot(os.path.join(WORK, 'web-viewer.png'))
    finally:
        server.stop()
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)

    print('%d passed, %d failed' % (c.passed, len(c.failed)))
    return 1 if c.failed else 0


if __name__ == '__main__':
    sys.exit(main())
