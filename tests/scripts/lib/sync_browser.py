#!/usr/bin/env python3
"""How far the page's picture is from its sound, measured as sync_measure.py measures the desktop
program's: Chromium runs with a window on the X server that DISPLAY names and plays to the sound
server that PULSE_SERVER names (scripts/measure-sync --browser starts both, of its own). The page
is served by scripts/serve-web, isolated across origins (the threaded program) or plainly (one
thread), seeded, in a window small enough that the canvas is at scale 1. A click starts the show;
the chapter key at or before FROM_MS takes it near that place, T turns the clock overlay on, and
the overlay is found in Chromium's window by what it reads. Once the music is past FROM_MS (and the
key's jump settled) the measurement runs over SECONDS. With HIDE_S above 0 the page is first
hidden for that long, its window minimised, and shown again.

    sync_browser.py SITE isolated|plain FROM_MS SECONDS REFERENCE.wav GLYPHS SOURCE_DIR [HIDE_S]

REFERENCE.wav is the music from FROM_MS as velmora-capture decodes it. Run with Debian's python3
(its python3-selenium and python3-xlib).
"""
import os
import re
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from Xlib import Xatom

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import CHAPTERS, CHROMEDRIVER, CHROMIUM, Failure, Server, fail, say, wait_for  # noqa: E402
import sync_measure  # noqa: E402

TITLE = 'Velmora by Zorvek'
# Inside it the canvas can only be at scale 1 (the page fits whole multiples of 320x240).
WINDOW = (400, 320)
SETTLE = 1500  # ms of music after the chapter key's jump before the measurement may start


class Chromium:
    """Chromium with a window of its own, a fresh profile, sound allowed without a gesture's check."""

    def __init__(self, url, environment):
        self.profile = tempfile.TemporaryDirectory(prefix='velmora-chromium-')
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--autoplay-policy=no-user-gesture-required', '--force-device-scale-factor=1',
                     f'--window-size={WINDOW[0]},{WINDOW[1]}', '--window-position=0,0',
                     f'--user-data-dir={self.profile.name}', f'--app={url}']:
            options.add_argument(flag)
        # Without the bar saying that the browser is driven, which would come and go above the page.
        options.add_experimental_option('excludeSwitches', ['enable-automation'])
        try:
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER, log_path=os.devnull, env=environment),
                                           options=options)
        except WebDriverException as error:
            self.profile.cleanup()
            fail(f'Chromium could not be started through {CHROMEDRIVER}: {error.msg}')
        self.driver.set_script_timeout(30)

    def close(self):
        try:
            self.driver.quit()
        finally:
            self.profile.cleanup()

    def run(self, script, *args):
        return self.driver.execute_script(script, *args)

    def state(self):
        return self.run('return window.velmoraTest ? velmoraTest.state : null') or {}

    def key(self, code, key, virtual):
        """A key pressed and let go, as the keyboard sends it."""
        for kind in ('keyDown', 'keyUp'):
            self.driver.execute_cdp_cmd('Input.dispatchKeyEvent', {
                'type': kind, 'code': code, 'key': key, 'windowsVirtualKeyCode': virtual,
                'nativeVirtualKeyCode': virtual})


def window_id():
    found = subprocess.run(['xdotool', 'search', '--onlyvisible', '--name', f'^{TITLE}$'],
                           capture_output=True, text=True).stdout.split()
    return int(found[0]) if found else None


def clock_now(window, origin, glyphs):
    """The music time the overlay shows now, or None."""
    image = window.get_image(origin[0] + sync_measure.OVERLAY, origin[1] + sync_measure.OVERLAY, 64, 8,
                             sync_measure.X.ZPixmap, 0xFFFFFFFF)
    return sync_measure.clock_ms(sync_measure.read_clock(image.data, 64, 0, 0, glyphs))


def sound_stream():
    """What the sound server says of Chromium's stream, its sample format and how much it buffers,
    in one line; empty when it has none."""
    listed = subprocess.run(['pactl', 'list', 'short', 'sink-inputs'], capture_output=True, text=True).stdout
    # index, sink, client, driver, then the format ("float32le 2ch 48000Hz")
    streams = [line.split('\t') for line in listed.splitlines() if line.count('\t') >= 4]
    if not streams:
        return ''
    parts = ['format ' + streams[-1][4]]
    text = subprocess.run(['pactl', 'list', 'sink-inputs'], capture_output=True, text=True).stdout
    for name in ('Buffer Latency', 'Sink Latency'):
        found = re.search(rf'^\s*{name}: (.*)$', text, re.M)
        if found:
            parts.append(f'{name.lower()} {found.group(1).strip()}')
    return '; '.join(parts)


def main(argv):
    if len(argv) not in (8, 9) or argv[2] not in ('isolated', 'plain'):
        print(__doc__.split('\n\n')[1], file=sys.stderr)
        return 2
    site, isolated, start, seconds, reference, glyph_path, source = argv[1:8]
    isolated, start, seconds = isolated == 'isolated', int(start), float(seconds)
    hide = float(argv[8]) if len(argv) > 8 else 0
    glyphs = sync_measure.read_glyphs(glyph_path)
    chapter = max((key for key in CHAPTERS if CHAPTERS[key] <= start), key=CHAPTERS.get)
    try:
        with Server(source, site, isolated) as server:
            browser = Chromium(server.url + '?seed=1', dict(os.environ))
            try:
                return play_and_measure(browser, isolated, chapter, start, seconds, reference, glyphs, hide)
            finally:
                browser.close()
    except Failure as failure:
        print(f'FAIL: {failure}', flush=True)
        return 1


def hide_page(browser, window_number, seconds):
    """The page hidden for `seconds`, as when its window is minimised, then shown again; fails unless
    the page was told. With no window manager on the private X server, the window's state is set
    as one would set it."""
    browser.run("window.velmoraHidden = []; document.addEventListener('visibilitychange', "
                "() => velmoraHidden.push([document.hidden, performance.now()]));")
    server = sync_measure.display.Display()
    window = server.create_resource_object('window', window_number)
    state = server.intern_atom('_NET_WM_STATE')
    window.change_property(state, Xatom.ATOM, 32, [server.intern_atom('_NET_WM_STATE_HIDDEN')])
    server.flush()
    time.sleep(seconds)
    window.change_property(state, Xatom.ATOM, 32, [])
    server.flush()
    changes = wait_for('the page shown again', lambda: (lambda seen: len(seen) >= 2 and seen)(
        browser.run('return velmoraHidden')), 5)
    if [hidden for hidden, _ in changes[:2]] != [True, False]:
        fail(f'the page was not hidden and shown again: {changes}')
    say(f'page hidden for {(changes[1][1] - changes[0][1]) / 1000:.1f} s, then shown again')


def play_and_measure(browser, isolated, chapter, start, seconds, reference, glyphs, hide):
    state = wait_for('first picture', lambda: (browser.state().get('firstPicture') or browser.state().get('failed'))
                     and browser.state(), 60)
    if state['failed']:
        fail(f'the page failed: {browser.driver.find_element(By.ID, "message").text}')
    if state['threaded'] != isolated:
        fail(f'served {"isolated" if isolated else "plain"}, the page runs the '
             f'{"threaded" if state["threaded"] else "unthreaded"} program')
    browser.driver.find_element(By.ID, 'stage').click()
    wait_for('sound after the start', lambda: browser.state()['audio']['played'] > 0, 10)
    if CHAPTERS[chapter] > 0:
        browser.key(chapter, chapter, 111 + int(chapter[1:]))
    browser.key('KeyT', 't', 84)

    window_number = wait_for('Chromium\'s window', window_id, 10)
    origin = wait_for('the clock overlay in Chromium\'s window',
                      lambda: sync_measure.locate(window_number, glyphs), 10, step=0.2)
    window = sync_measure.display.Display().create_resource_object('window', window_number)
    landed = CHAPTERS[chapter]
    wait_for(f'the show at {chapter} ({landed} ms)',
             lambda: landed <= (clock_now(window, origin, glyphs) or -1) < landed + 5000, 5, step=0.05)
    ready = max(start, landed) + SETTLE
    wait_for(f'the music at {ready} ms', lambda: (clock_now(window, origin, glyphs) or 0) >= ready,
             (ready - landed) / 1000 + 10, step=0.05)

    state = browser.state()
    say(f'page: {"threads" if state["threaded"] else "one thread"}, the picture at {origin[0]},{origin[1]} '
        f'of Chromium\'s window; measured from {ready} ms, reached by {chapter}; the latency the page reports '
        f'{state["audio"]["latency"] * 1000:.1f} ms (the worklet\'s queue {state["audio"]["queue"] * 1000:.1f}, '
        f'the context\'s base {state["audio"]["base"] * 1000:.1f} and output {state["audio"]["output"] * 1000:.1f})')
    say('Chromium\'s stream: ' + (sound_stream() or 'none on the sound server'))
    if hide > 0:
        hide_page(browser, window_number, hide)
    done = sync_measure.measure(window_number, reference, start, seconds, glyphs, origin)
    state = browser.state()
    say(f'at the end the page reports {state["audio"]["latency"] * 1000:.1f} ms (the worklet\'s queue '
        f'{state["audio"]["queue"] * 1000:.1f}); Chromium\'s stream: ' +
        (sound_stream() or 'gone'))
    if state['failed']:
        fail(f'the page failed: {browser.driver.find_element(By.ID, "message").text}')
    return done


if __name__ == '__main__':
    sys.exit(main(sys.argv))
