#!/usr/bin/env python3
"""The show's page in a real browser: headless Chromium driven through chromedriver (Selenium),
the site served by scripts/serve-web on a free port, with the headers that isolate it across
origins (the threaded program) or without them (the program on one thread).

    browser.py frames|live|failures BUILD_DIR SOURCE_DIR

frames    the capture page's frames, pixel for pixel those of velmora-capture, over a span at
          every chapter key, on one thread and on the threaded page
live      the page as a viewer gets it: loading, the first picture, the start on a click, the
          sound, the chapter keys landing where the capture does, pictures presented steadily,
          isolated and not
failures  a missing module and a damaged datafile: the page says so, in the show's own words

The site is $VELMORA_WEB_SITE, else SOURCE_DIR/build-web/site (scripts/web-build makes it);
velmora-capture is BUILD_DIR's. Pictures worth keeping go to BUILD_DIR/screenshots/browser-*.png.
Run with Debian's python3 (its python3-selenium).
"""

import base64
import hashlib
import operator
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from array import array
from concurrent.futures import ThreadPoolExecutor

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

WIDTH, HEIGHT = 320, 240
FRAME_BYTES = WIDTH * HEIGHT * 4
FPS = 60
SEED = 1
# The chapter keys and their music times (ms), as the show's scripts set them (src/show/script_*.cpp).
CHAPTERS = {'F1': 0, 'F2': 15000, 'F3': 45000, 'F4': 76200, 'F5': 93800, 'F6': 109480,
            'F7': 140880, 'F8': 172280, 'F9': 203480, 'F10': 232730, 'F12': 250724}
SITE_FILES = ['index.html', 'page.js', 'page.css', 'worklet.js', 'velmora.js', 'velmora.wasm',
              'velmora-threads.js', 'velmora-threads.wasm', 'velmora-threads.worker.js',
              'oldskool.dat', 'drift.mod']
CHROMIUM = '/usr/bin/chromium'
CHROMEDRIVER = '/usr/bin/chromedriver'
# The desktop's measure of two pictures being the same moment of the show (program_refresh_rates.sh).
SAME_PICTURE_RMSE = 0.03


class Failure(Exception):
    pass


def fail(text):
    raise Failure(text)


def say(text):
    print(text, flush=True)


def wait_for(what, probe, timeout, step=0.05):
    """Polls `probe` until it gives something true, which is returned; fails after `timeout` s."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            fail(f'no {what} within {timeout:g} s')
        time.sleep(step)


# --- The site, its server, the capture -------------------------------------------------------

def find_site(source):
    site = os.environ.get('VELMORA_WEB_SITE') or os.path.join(source, 'build-web', 'site')
    missing = [name for name in SITE_FILES if not os.path.isfile(os.path.join(site, name))]
    if missing:
        what = f'missing {", ".join(missing)}' if os.path.isdir(site) else 'no such folder'
        fail(f'no built site at {site} ({what}): build it with '
             f'{os.path.join(source, "scripts", "web-build")}, or name one in VELMORA_WEB_SITE')
    return site


class Server:
    """scripts/serve-web serving a folder on a port of its own choosing, until closed."""

    def __init__(self, source, folder, isolated):
        command = [sys.executable, os.path.join(source, 'scripts', 'serve-web'), '--no-build',
                   '--port', '0', '--folder', folder] + ([] if isolated else ['--plain'])
        self.process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                        text=True)
        line = self.process.stdout.readline()
        found = re.search(r'http://127\.0\.0\.1:\d+/', line)
        if not found:
            self.close()
            fail(f'serve-web did not start: {line.strip() or "nothing said"}')
        self.url = found.group(0)

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()


def capture(build, out, start, frames, assets=None):
    """velmora-capture's PNG frames of `frames` frames from `start` at FPS, seeded with SEED, in out/frames."""
    command = [os.path.join(build, 'velmora-capture'), '--frames', '--out', out, '--from', str(start),
               '--to', str(start + frames * 1000 // FPS), '--fps', str(FPS), '--seed', str(SEED)]
    if assets:
        command += ['--assets', assets]
    return subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)


def captured_frames(build, out, start, frames):
    done = capture(build, out, start, frames)
    if done.returncode != 0:
        fail(f'velmora-capture from {start} ms: exit {done.returncode}: {done.stderr.strip()}')
    return decode([frame_path(out, n) for n in range(frames)])


def frame_path(out, n):
    return os.path.join(out, 'frames', f'frame_{n:06d}.png')


def decode(paths):
    """The pictures' pixels, red, green, blue, alpha, one bytes object each (ImageMagick decodes)."""
    raw = subprocess.run(['convert'] + paths + ['-depth', '8', 'rgba:-'], capture_output=True).stdout
    if len(raw) != len(paths) * FRAME_BYTES:
        fail(f'ImageMagick decoded {len(raw)} bytes of {len(paths)} pictures ({paths[0]} ...)')
    return [raw[i * FRAME_BYTES:(i + 1) * FRAME_BYTES] for i in range(len(paths))]


def write_png(pixels, path):
    subprocess.run(['convert', '-size', f'{WIDTH}x{HEIGHT}', '-depth', '8', 'rgba:-', '-alpha', 'off',
                    path], input=pixels, check=True)


def rmse(a, b):
    """The RMSE of two pictures' red, green and blue, 0..1, as ImageMagick's `compare -metric RMSE`
    normalises it (their alpha is opaque in both)."""
    squares = sum(d * d for d in map(operator.sub, a, b))
    return (squares / (WIDTH * HEIGHT * 3)) ** 0.5 / 255


def pixels_differing(a, b):
    return sum(map(operator.ne, array('I', a), array('I', b)))


def distinct_colours(pixels):
    return len(set(array('I', pixels)))


# --- The browser ------------------------------------------------------------------------------

class Browser:
    """Headless Chromium with a profile of its own, sound allowed without a gesture's check."""

    def __init__(self):
        self.profile = tempfile.TemporaryDirectory(prefix='velmora-chromium-')
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--autoplay-policy=no-user-gesture-required', '--window-size=1024,768',
                     f'--user-data-dir={self.profile.name}']:
            options.add_argument(flag)
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER, log_path=os.devnull), options=options)
        except WebDriverException as error:
            self.profile.cleanup()
            fail(f'Chromium could not be started through {CHROMEDRIVER}: {error.msg}')
        self.driver.set_page_load_timeout(60)
        self.driver.set_script_timeout(120)

    def close(self):
        try:
            self.driver.quit()
        finally:
            self.profile.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def open(self, url):
        self.driver.get(url)

    def no_cache(self):
        """Every file fetched anew, as on a first visit."""
        self.driver.execute_cdp_cmd('Network.enable', {})
        self.driver.execute_cdp_cmd('Network.setCacheDisabled', {'cacheDisabled': True})

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)

    def state(self):
        return self.run('return window.velmoraTest ? velmoraTest.state : null') or {}

    def element(self, name):
        return self.driver.find_element(By.ID, name)

    def shown(self, name):
        return self.element(name).is_displayed()

    def key(self, code):
        """A key pressed and let go, as the keyboard sends it (function keys only)."""
        virtual = 111 + int(code[1:])
        for kind in ('keyDown', 'keyUp'):
            self.driver.execute_cdp_cmd('Input.dispatchKeyEvent', {
                'type': kind, 'code': code, 'key': code, 'windowsVirtualKeyCode': virtual,
                'nativeVirtualKeyCode': virtual})

    def canvas(self):
        """The canvas's pixels and the page's clock (ms) when they were read."""
        text, now = self.run('return [velmoraTest.canvas(), performance.now()]')
        return base64.b64decode(text), now

    def now(self):
        return self.run('return performance.now()')

    def screenshot(self, path):
        if not self.driver.save_screenshot(path):
            fail(f'no screenshot written to {path}')


def screenshots(build):
    folder = os.path.join(build, 'screenshots')
    os.makedirs(folder, exist_ok=True)
    return folder


# --- frames -----------------------------------------------------------------------------------

SPAN_FRAMES = 30  # half a second at 60 frames/s, from each chapter's key on
# Spans run again on the threaded page: the Mandelbrot zoom and the warp maps over fed-back
# pictures share their rows out over the pool, where an error in the split would show at once.
THREADED_SPANS = ['F2', 'F9']

# Renders a span's frames in the page and gives back each frame's SHA-256 (of its base64, as
# velmoraTest.capture.frame gives it); the frames are kept for a look at one that differs.
RENDER_SPAN = '''
const [from, fps, seed, count, done] = arguments;
const hex = (digest) => Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
try {
  velmoraTest.capture.begin(from, fps, seed);
  const frames = [], digests = [];
  for (let n = 0; n < count; ++n) {
    frames.push(velmoraTest.capture.frame(n));
    digests.push(crypto.subtle.digest('SHA-256', new TextEncoder().encode(frames[n])));
  }
  window.velmoraSpan = frames;
  Promise.all(digests).then((list) => done(list.map(hex)), (error) => done(String(error)));
} catch (error) {
  done(String(error));
}
'''


def render_span(browser, url, start):
    browser.open(url + '?capture')
    wait_for('capture page ready', lambda: browser.state().get('captureReady') or browser.state().get('failed'), 60)
    state = browser.state()
    if state.get('failed'):
        fail(f'the capture page failed: {browser.element("message").text}')
    digests = browser.driver.execute_async_script(RENDER_SPAN, start, FPS, SEED, SPAN_FRAMES)
    if not isinstance(digests, list) or len(digests) != SPAN_FRAMES:
        fail(f'the capture page rendered no frames from {start} ms: {digests}')
    return state['threaded'], digests


def compare_span(browser, chapter, variant, digests, expected, shots):
    """Prints how the page's span matches the capture's, with the first frame that differs side by
    side with the capture's; returns the frames identical and whether any differs."""
    start = CHAPTERS[chapter]
    wanted = [hashlib.sha256(base64.b64encode(frame)).hexdigest() for frame in expected]
    differing = [n for n in range(SPAN_FRAMES) if digests[n] != wanted[n]]
    line = f'{chapter} ({start} ms), {variant}: {SPAN_FRAMES} frames, {SPAN_FRAMES - len(differing)} identical'
    picture = os.path.join(shots, f'browser-frames-{chapter}-{variant.replace(" ", "-")}-differs.png')
    if differing:
        n = differing[0]
        page = base64.b64decode(browser.run('return window.velmoraSpan[arguments[0]]', n))
        side = picture + '.work'
        write_png(page, side + '-page.png')
        write_png(expected[n], side + '-capture.png')
        subprocess.run(['convert', side + '-page.png', side + '-capture.png', '+append', picture], check=True)
        os.remove(side + '-page.png')
        os.remove(side + '-capture.png')
        line += (f'; first differing: frame {n} (music time {start + n * 1000 // FPS} ms), '
                 f'{pixels_differing(page, expected[n])} of {WIDTH * HEIGHT} pixels, RMSE {rmse(page, expected[n]):.4f} '
                 f'(page | capture: {picture})')
    say(line)
    return SPAN_FRAMES - len(differing), bool(differing)


def run_spans(source, site, shots, expected):
    """Every span on one thread, then THREADED_SPANS on the threaded page; returns the frames
    identical and the spans where any differs."""
    identical, failed = 0, []
    with Browser() as browser:
        for isolated, chapters, variant in [(False, list(CHAPTERS), 'one thread'), (True, THREADED_SPANS, 'threads')]:
            with Server(source, site, isolated) as server:
                for chapter in chapters:
                    threaded, digests = render_span(browser, server.url, CHAPTERS[chapter])
                    if threaded != isolated:
                        fail(f'the capture page served {"isolated" if isolated else "plain"} ran '
                             f'the {"threaded" if threaded else "unthreaded"} program')
                    same, differs = compare_span(browser, chapter, variant, digests, expected[chapter].result(), shots)
                    identical += same
                    if differs:
                        failed.append(f'{chapter} ({variant})')
    return identical, failed


def test_frames(build, source):
    began = time.monotonic()
    site = find_site(source)
    shots = screenshots(build)
    for old in os.listdir(shots):
        if old.startswith('browser-frames-') and old.endswith('-differs.png'):
            os.remove(os.path.join(shots, old))
    # The capture's spans are rendered one after another beside the browser's.
    captures = ThreadPoolExecutor(max_workers=1)
    with tempfile.TemporaryDirectory(prefix='velmora-browser-frames-') as work:
        expected = {chapter: captures.submit(captured_frames, build, os.path.join(work, chapter), start, SPAN_FRAMES)
                    for chapter, start in CHAPTERS.items()}
        try:
            identical, failed = run_spans(source, site, shots, expected)
        finally:
            captures.shutdown(cancel_futures=True)
    compared = (len(CHAPTERS) + len(THREADED_SPANS)) * SPAN_FRAMES
    say(f'frames compared: {compared}, identical: {identical} ({len(CHAPTERS)} chapters, '
        f'{len(CHAPTERS) + len(THREADED_SPANS)} spans, {time.monotonic() - began:.0f} s)')
    if failed:
        fail(f'{compared - identical} frames in the browser differ from velmora-capture\'s, in {", ".join(failed)}')
    say('ok: every frame in Chromium is the capture\'s, on one thread and on the threaded page')


# --- live -------------------------------------------------------------------------------------

RATE = 48000           # the show's sound: frames a second
LIVE_FRAMES = 240      # the capture after a chapter key: four seconds at 60 frames/s
AFTER_KEY = 1500       # ms from a chapter key to the picture read
NEAR = 700             # ms either way of that moment searched among the captured frames
# Chapter keys whose picture is then held against the capture's. Both build their pictures pass by
# pass from the key on, on the 60 Hz grid of music time that the capture's frames sample (F9 with
# the random specks of the seed, F8 rolled ever faster), so either is the capture's only at the
# right moment of the right chapter.
LIVE_KEYS = ['F9', 'F8']

# The keys the page got, with the page's clock, recorded ahead of its own handlers.
RECORD_KEYS = """
window.velmoraKeys = [];
addEventListener('keydown', (event) => velmoraKeys.push([event.code, performance.now()]), true);
"""


def load_with_progress(browser, url, shots):
    """The page over a slow network: the bar fills while the files come, then the first picture."""
    cdp = browser.driver.execute_cdp_cmd
    cdp('Network.emulateNetworkConditions', {'offline': False, 'latency': 20,
                                            'downloadThroughput': 1_500_000, 'uploadThroughput': -1})
    try:
        browser.open(url)
        seen, shot = [], False
        read = """return [Number(document.getElementById('loading').getAttribute('aria-valuenow')),
                          !document.getElementById('loading').hidden, velmoraTest.state.firstPicture]"""

        def bar():
            nonlocal shot
            value, showing, shown = browser.run(read)
            if showing and (not seen or seen[-1] != value):
                seen.append(value)
            if showing and 10 <= value <= 90 and not shot:
                browser.screenshot(os.path.join(shots, 'browser-loading.png'))
                shot = True
            return shown

        shown = wait_for('first picture over a slow network', bar, 120, step=0.02)
    finally:
        cdp('Network.emulateNetworkConditions', {'offline': False, 'latency': 0,
                                                'downloadThroughput': -1, 'uploadThroughput': -1})
    say(f'loading at 1.5 MB/s: the bar showed {len(seen)} values, {seen[0]:.0f}% to {seen[-1]:.0f}%; '
        f'first picture at {shown / 1000:.1f} s')
    if not shot:
        fail(f'the progress bar never showed part of the files: {seen}')
    if seen != sorted(seen) or seen[-1] != 100:
        fail(f'the progress bar went {seen}, not up to 100%')


def first_picture(browser, url, isolated):
    """Loads the page up to the first picture and the start line; returns the ms from the page's
    request to the first picture, and the picture's colours."""
    browser.open(url)
    state = wait_for('first picture', lambda: browser.state().get('firstPicture') and browser.state(), 60)
    if state['failed']:
        fail(f'the page failed: {browser.element("message").text}')
    if state['threaded'] != isolated:
        fail(f'served {"isolated" if isolated else "plain"}, the page runs the '
             f'{"threaded" if state["threaded"] else "unthreaded"} program')
    if not browser.shown('start') or browser.shown('loading'):
        fail('with the first picture shown the page does not offer the start (or still shows the bar)')
    pixels, _ = browser.canvas()
    colours = distinct_colours(pixels)
    if colours <= 16:
        fail(f'the first picture on the canvas is blank ({colours} colours)')
    return state['firstPicture'], colours


def start_show(browser):
    """Starts the show with a click, and waits for its sound to play."""
    browser.element('stage').click()
    wait_for('show started by the click', lambda: browser.state().get('started'), 10)
    wait_for('sound played after the start', lambda: browser.state()['audio']['played'] > 0, 10)
    browser.run(RECORD_KEYS)


def presenting(browser, seconds):
    """Pictures presented in each of `seconds` seconds of the page's clock, and the sound's state at
    the start and the end."""
    read = 'return [performance.now(), velmoraTest.state.presents, velmoraTest.state.audio]'
    first = browser.run(read)
    marks, last = [first], first
    while len(marks) <= seconds:
        time.sleep(0.02)
        last = browser.run(read)
        if last[0] - marks[-1][0] >= 1000:
            marks.append(last)
    rates = [(b[1] - a[1]) * 1000 / (b[0] - a[0]) for a, b in zip(marks, marks[1:])]
    return rates, first, last


def check_steady(rates, refresh, what):
    """Every second after the first (where the sound gets going) brings pictures at nearly the
    display's rate."""
    say(f'{what}: presented {" ".join(f"{r:.1f}" for r in rates)} pictures a second from the start '
        f'(display {refresh} Hz)')
    if min(rates[1:]) < 0.75 * refresh:
        fail(f'{what}: presented {min(rates[1:]):.1f} pictures in a second at {refresh} Hz')


def check_sound(first, last):
    seconds = (last[0] - first[0]) / 1000
    before, after = first[2], last[2]
    played = (after['played'] - before['played']) / seconds
    advanced = after['time'] - before['time']
    say(f'sound: context {after["context"]}, played {played:.0f} frames a second, peak {after["peak"]:.3f}, '
        f'context time advanced {advanced:.2f} s in {seconds:.2f} s, latency {after["latency"] * 1000:.0f} ms')
    if not after['context']:
        fail('no audio context after the start')
    if abs(played - RATE) > 0.1 * RATE:
        fail(f'the worklet played {played:.0f} frames a second, not {RATE}')
    if after['peak'] <= 0.01:
        fail(f'the sound played is silence (peak {after["peak"]})')
    if advanced < seconds - 1.5:
        fail(f'the audio context\'s time advanced {advanced:.2f} s in {seconds:.2f} s')


def check_key(browser, key, frames_folder, shots):
    """Presses a chapter key and holds the picture AFTER_KEY ms later against the capture of that
    chapter from its key on."""
    browser.key(key)
    pressed = wait_for(f'{key} on the page', lambda: [t for code, t in browser.run('return velmoraKeys')
                                                     if code == key], 10)[-1]
    wait_for(f'{AFTER_KEY} ms after {key}', lambda: browser.now() - pressed >= AFTER_KEY, 30)
    pixels, now = browser.canvas()
    after = now - pressed
    low = max(0, int((after - NEAR) * FPS / 1000))
    high = min(LIVE_FRAMES - 1, int((after + NEAR) * FPS / 1000) + 1)
    if low >= high:
        fail(f'the picture after {key} was read {after:.0f} ms later, past the capture')
    captured = decode([frame_path(frames_folder, n) for n in range(low, high + 1)])
    distances = [rmse(pixels, frame) for frame in captured]
    best = min(range(len(distances)), key=distances.__getitem__)
    say(f'{key}: the picture {after:.0f} ms after the key is closest to the captured frame {low + best} '
        f'({(low + best) * 1000 / FPS:.0f} ms after {CHAPTERS[key]} ms), RMSE {distances[best]:.4f}')
    if distances[best] > SAME_PICTURE_RMSE:
        picture = os.path.join(shots, f'browser-live-{key}.png')
        write_png(pixels, picture)
        fail(f'{after:.0f} ms after {key} the page does not show the capture\'s picture (RMSE '
             f'{distances[best]:.4f} at best over {low * 1000 // FPS}..{high * 1000 // FPS} ms; {picture})')


def test_live(build, source):
    site = find_site(source)
    shots = screenshots(build)
    with tempfile.TemporaryDirectory(prefix='velmora-browser-live-') as work, \
            ThreadPoolExecutor(max_workers=1) as captures:
        folders = {key: os.path.join(work, key) for key in LIVE_KEYS}
        rendered = [captures.submit(capture, build, folders[key], CHAPTERS[key], LIVE_FRAMES) for key in LIVE_KEYS]
        with Browser() as browser:
            browser.no_cache()
            with Server(source, site, isolated=True) as server:
                load_with_progress(browser, server.url, shots)
                shown, colours = first_picture(browser, server.url + '?seed=1', isolated=True)
                say(f'threaded: first picture {shown:.0f} ms after the page was asked for, every file fetched anew ({colours} colours)')
                browser.screenshot(os.path.join(shots, 'browser-start.png'))
                refresh = browser.run('return velmoraPage.refreshRate()') or 60
                start_show(browser)
                rates, first, last = presenting(browser, 4)
                check_steady(rates, refresh, 'threaded')
                check_sound(first, last)
                for key, job in zip(LIVE_KEYS, rendered):
                    done = job.result()
                    if done.returncode != 0:
                        fail(f'velmora-capture of {key}: exit {done.returncode}: {done.stderr.strip()}')
                    check_key(browser, key, folders[key], shots)
                browser.key('F6')
                wait_for('F6 on the page', lambda: 'F6' in [code for code, _ in browser.run('return velmoraKeys')], 10)
                time.sleep(AFTER_KEY / 1000)
                browser.screenshot(os.path.join(shots, 'browser-f6.png'))
            with Server(source, site, isolated=False) as server:
                shown, colours = first_picture(browser, server.url + '?seed=1', isolated=False)
                say(f'one thread: first picture {shown:.0f} ms after the page was asked for, every file fetched anew ({colours} colours)')
                start_show(browser)
                rates, _, _ = presenting(browser, 4)
                check_steady(rates, refresh, 'one thread')
    say('ok: the page loads, starts on a click with its sound, lands where the capture does after '
        f'{" and ".join(LIVE_KEYS)}, and presents steadily with threads and without')


# --- failures ---------------------------------------------------------------------------------

# Where the message is on show, over everything else on the page.
MESSAGE_ON_TOP = """
const box = document.getElementById('message').getBoundingClientRect();
const x = box.left + box.width / 2, y = box.top + box.height / 2;
return box.width > 0 && box.height > 0 && box.top >= 0 && box.bottom <= innerHeight &&
       document.elementFromPoint(x, y) === document.getElementById('message');
"""

# What is broken in a copy of the site: a name, the file it concerns, and what is done to it.
DAMAGES = [
    ('module', 'drift.mod', 'missing', lambda path: os.remove(path)),
    ('datafile', 'oldskool.dat', 'cut at 100000 bytes', lambda path: os.truncate(path, 100000)),
]


def show_words(build, folder):
    """What the desktop's show says of these files: velmora-capture reading them ends with the show's
    own message."""
    with tempfile.TemporaryDirectory(prefix='velmora-capture-') as out:
        done = capture(build, os.path.join(out, 'capture'), 0, 6, assets=folder)
    lines = done.stderr.strip().splitlines()
    if done.returncode == 0 or not lines:
        fail(f'velmora-capture took the files of {folder} (exit {done.returncode})')
    return lines[-1]


def failing_page(browser, url):
    """Loads the page and, if it offers the start, starts it: returns the state once it failed."""
    browser.open(url)
    state = wait_for('failure or first picture', lambda: (browser.state().get('failed') or
                                                          browser.state().get('firstPicture')) and browser.state(), 60)
    before = None
    if not state['failed']:
        before = browser.element('message').text if browser.shown('message') else ''
        browser.element('stage').click()
        state = wait_for('failure after the start', lambda: browser.state().get('failed') and browser.state(), 30)
    return state, before


def test_failures(build, source):
    site = find_site(source)
    shots = screenshots(build)
    problems = []
    with tempfile.TemporaryDirectory(prefix='velmora-browser-failures-') as work, Browser() as browser:
        for (name, file, damage, spoil), isolated in zip(DAMAGES, [False, True]):
            folder = os.path.join(work, name)
            shutil.copytree(site, folder)
            spoil(os.path.join(folder, file))
            words = show_words(build, folder)
            with Server(source, folder, isolated) as server:
                state, before = failing_page(browser, server.url)
                shown = browser.shown('message')
                text = browser.element('message').text
                on_top = browser.run(MESSAGE_ON_TOP)
                offers = browser.shown('start') or browser.shown('loading')
                pixels, _ = browser.canvas()
                browser.screenshot(os.path.join(shots, f'browser-failure-{name}.png'))
            program = 'threads' if state['threaded'] else 'one thread'
            said = text.replace('\n', ' | ')
            when = 'after the start' if before is not None else 'while loading'
            say(f'{file} {damage} ({program}): failed {when}; the page says: "{said}"')
            if before is not None:
                say(f'  before the start it said: "{before}"')
            say(f'  the show\'s words (velmora-capture on the same files): "{words}"; canvas '
                f'{distinct_colours(pixels)} colours')
            if not shown or not on_top:
                problems.append(f'{file} {damage}: the message is not on show')
            if offers:
                problems.append(f'{file} {damage}: the page still offers the start or the progress bar')
            if file not in text:
                problems.append(f'{file} {damage}: the message does not name {file}')
            if words not in text.splitlines():
                problems.append(f'{file} {damage}: the message is not in the show\'s words ("{words}")')
    if problems:
        fail('; '.join(problems))
    say('ok: a missing module and a damaged datafile are said on the page, naming the file, in the show\'s words')


TESTS = {'frames': test_frames, 'live': test_live, 'failures': test_failures}


def main(argv):
    if len(argv) != 4 or argv[1] not in TESTS:
        print(__doc__.split('\n\n')[1], file=sys.stderr)
        return 2
    build, source = os.path.abspath(argv[2]), os.path.abspath(argv[3])
    try:
        if not os.access(os.path.join(build, 'velmora-capture'), os.X_OK):
            fail(f'no velmora-capture in {build}')
        TESTS[argv[1]](build, source)
    except Failure as failure:
        print(f'FAIL: {failure}', flush=True)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
