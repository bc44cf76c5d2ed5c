"""A storm of random key and mouse events for the show's window, sent as real input through the X
server's XTEST extension by one long-lived client, in bursts and pauses.

    storm.py SEED EVENTS

The same seed sends the same actions in the same order, so a storm that breaks the program can be
replayed (only when a held key is let go depends on the clock). The mix: chapter keys, F11 (each
switch makes a new window, which gets the focus before the storm goes on), Home and End, the
overlay keys, C, Up and Down held, Left and Right held long enough to pass the start and the end of
the show, mouse buttons held, wheel clicks, pointer motion and stray keys. Every key and button is
let go by the end. It ends with 0 when it sent them all, with 1 when the program stopped answering
(no new window after F11, the window gone).
"""

import collections
import random
import sys
import time

from Xlib import X, XK, display, error
from Xlib.ext import xtest

TITLE = 'Zorvek'
CHAPTERS = ['F1', 'F2', 'F3', 'F4', 'F5', 'F6', 'F7', 'F8', 'F9', 'F10', 'F12']
# Keys the show gives no meaning to. Not Escape (it ends the show) and no key that an X server may
# act on itself when held with others (BackSpace, Delete, Print).
STRAYS = ['a', 'b', 'd', 'g', 'q', 'w', 'x', 'z', '1', '5', '9', 'space', 'Return', 'Tab',
          'Shift_L', 'Control_L', 'Alt_L', 'Super_L', 'Caps_Lock', 'Num_Lock', 'Prior', 'Next',
          'Insert', 'KP_5', 'KP_Add', 'minus', 'comma', 'slash']
EVENT_NAMES = {X.KeyPress: 'key down', X.KeyRelease: 'key up', X.ButtonPress: 'button down',
               X.ButtonRelease: 'button up', X.MotionNotify: 'motion'}
WINDOW_WAIT = 10.0  # seconds for the new window after F11


class Stopped(Exception):
    pass


class Storm:
    def __init__(self, seed, total):
        self.d = display.Display()
        if not self.d.query_extension('XTEST').present:
            raise Stopped('the X server has no XTEST extension')
        self.root = self.d.screen().root
        self.rng = random.Random(seed)
        self.total = total
        self.sent = collections.Counter()  # events per kind
        self.held = {}  # ('key', keycode) or ('button', n) -> (time to let go, kind)
        self.switches = 0
        self.recent = collections.deque(maxlen=40)  # the last events sent, for a report
        self.past_ends = collections.Counter()  # holds from one end of the show past it
        self.window = self.find_window(None)
        self.focus()

    # --- the window -----------------------------------------------------------------------------

    def find_window(self, old):
        """The show's viewable window, other than `old`; waits for it."""
        deadline = time.monotonic() + WINDOW_WAIT
        while time.monotonic() < deadline:
            for w in self.root.query_tree().children:
                if old is not None and w.id == old.id:
                    continue
                try:
                    if (w.get_wm_name() == TITLE and
                            w.get_attributes().map_state == X.IsViewable):
                        return w
                except error.XError:
                    pass  # gone between the listing and the question
            time.sleep(0.005)
        raise Stopped('%s; windows: %s; keys down: %s' % (
            'no new window after F11' if old else 'no window named ' + TITLE, self.windows(),
            self.keys_down()))

    def keys_down(self):
        """The keycodes the X server holds down, for a report."""
        bits = self.d.query_keymap()
        return [i * 8 + b for i, byte in enumerate(bits) for b in range(8) if byte >> b & 1]

    def windows(self):
        """The top-level windows, named and with their state, for a report."""
        states = {X.IsUnmapped: 'unmapped', X.IsUnviewable: 'unviewable', X.IsViewable: 'shown'}
        out = []
        for w in self.root.query_tree().children:
            try:
                out.append('%#x %r %s' % (w.id, w.get_wm_name(),
                                          states[w.get_attributes().map_state]))
            except error.XError:
                pass
        focus = self.d.get_input_focus().focus
        return ', '.join(out) + '; focus %s' % (focus if isinstance(focus, int) else
                                                '%#x' % focus.id)

    def focus(self):
        """Keys go to the window with the focus, and there is no window manager to give it;
        mouse buttons go to the window under the pointer, which is brought over it."""
        self.window.set_input_focus(X.RevertToPointerRoot, X.CurrentTime)
        g = self.window.get_geometry()
        origin = self.root.translate_coords(self.window, 0, 0)
        self.area = (origin.x, origin.y, g.width, g.height)
        self.move()
        self.d.sync()

    # --- sending --------------------------------------------------------------------------------

    def send(self, kind, event, detail=0, x=0, y=0):
        xtest.fake_input(self.d, event, detail, x=x, y=y)
        self.sent[kind] += 1
        self.recent.append('%.3f %s %d' % (time.monotonic(), EVENT_NAMES[event], detail))

    def code(self, name):
        return self.d.keysym_to_keycode(XK.string_to_keysym(name))

    def press(self, kind, what, hold):
        """Presses a key (a name) or a mouse button (a number) and lets it go after `hold` seconds
        (0: at once). A key already held is let go first."""
        item = ('button', what) if isinstance(what, int) else ('key', self.code(what))
        down, up = (X.ButtonPress, X.ButtonRelease) if item[0] == 'button' else \
            (X.KeyPress, X.KeyRelease)
        if item in self.held:
            self.send(self.held.pop(item)[1], up, item[1])
        self.send(kind, down, item[1])
        if hold > 0:
            self.held[item] = (time.monotonic() + hold, kind)
        else:
            self.send(kind, up, item[1])

    def let_go(self, every=False):
        now = time.monotonic()
        for item, (when, kind) in list(self.held.items()):
            if every or when <= now:
                up = X.ButtonRelease if item[0] == 'button' else X.KeyRelease
                self.send(kind, up, item[1])
                del self.held[item]

    def move(self):
        x, y, w, h = self.area
        self.send('pointer motion', X.MotionNotify, x=x + self.rng.randrange(w),
                  y=y + self.rng.randrange(h))

    def wait(self, seconds):
        """Sleeps, letting held keys go when their time comes."""
        self.d.flush()
        end = time.monotonic() + seconds
        while True:
            now = time.monotonic()
            if now >= end:
                break
            due = min([when for when, _ in self.held.values()] + [end])
            time.sleep(max(0.0, min(due, end) - now))
            self.let_go()
            self.d.flush()

    # --- what a restless viewer does ------------------------------------------------------------

    def one_action(self):
        r = self.rng
        pick = r.choices(['chapter', 'home/end', 'overlay', 'held', 'arrow', 'button', 'wheel',
                          'motion', 'stray'],
                         weights=[10, 4, 8, 8, 6, 6, 3, 12, 10])[0]
        if pick == 'chapter':
            self.press('chapter keys', r.choice(CHAPTERS), 0)
        elif pick == 'home/end':
            self.press('Home/End', r.choice(['Home', 'End']), 0)
        elif pick == 'overlay':
            self.press('E/F/T', r.choice('eft'), 0)
        elif pick == 'held':
            self.press('C/Up/Down held', r.choice(['c', 'Up', 'Down']), r.uniform(0.05, 1.2))
        elif pick == 'arrow':
            self.press('Left/Right', r.choice(['Left', 'Right']),
                       r.choice([0, r.uniform(0.05, 0.8)]))
        elif pick == 'button':
            self.press('mouse buttons', r.choice([1, 1, 3, 3, 2]), r.uniform(0.05, 1.0))
        elif pick == 'wheel':
            self.press('mouse buttons', r.choice([4, 5]), 0)
        elif pick == 'motion':
            for _ in range(r.randint(1, 5)):
                self.move()
        else:
            self.press('stray keys', r.choice(STRAYS), r.choice([0, 0, r.uniform(0.05, 0.5)]))

    def burst(self):
        r = self.rng
        for _ in range(r.randint(3, 30)):
            self.one_action()
            self.let_go()
            if r.random() < 0.3:
                self.d.flush()
                time.sleep(r.uniform(0, 0.004))
        self.wait(r.uniform(0.01, 0.08))

    def switch(self):
        """F11: the old window goes, a new one comes and gets the focus. Keys pressed before the
        switch is made are to be ignored; keys held meanwhile stay held and are let go later, in
        the new window. Control and Alt held together are let go first: with them an F key is
        the X server's own (it switches virtual terminals) and never reaches a window."""
        chords = [('key', self.code(k)) for k in ('Control_L', 'Alt_L')]
        if all(c in self.held for c in chords):
            for c in chords:
                self.send(self.held.pop(c)[1], X.KeyRelease, c[1])
        self.press('F11', 'F11', 0)
        if self.rng.random() < 0.3:
            for _ in range(self.rng.randint(1, 8)):
                self.one_action()
        self.d.flush()
        self.window = self.find_window(self.window)
        self.switches += 1
        self.focus()

    def long_hold(self):
        """An arrow key or a mouse button held alone for a while, often from one end of the show,
        so that the seeks pass it: Home then Left, End then Right."""
        r = self.rng
        self.let_go(every=True)
        what = r.choice(['Left', 'Right', 1, 3])
        backwards = what in ('Left', 1)
        if r.random() < 0.8:
            self.press('Home/End', 'Home' if backwards else 'End', 0)
            self.past_ends['start' if backwards else 'end'] += 1
        kind = 'Left/Right' if isinstance(what, str) else 'mouse buttons'
        hold = r.uniform(0.6, 1.4)
        self.press(kind, what, hold)
        waited = 0.0
        while waited < hold:  # as many draws whatever the timing, so that a seed replays
            step = r.uniform(0.05, 0.3)
            self.wait(step)
            waited += step
            self.move()
        self.let_go(every=True)

    def run(self):
        r = self.rng
        began = time.monotonic()
        while sum(self.sent.values()) < self.total:
            x = r.random()
            if x < 0.32:
                self.switch()
            elif x < 0.38:
                self.long_hold()
            else:
                self.burst()
        self.let_go(every=True)
        self.d.sync()
        return time.monotonic() - began


def main():
    seed, total = int(sys.argv[1]), int(sys.argv[2])
    storm = None
    try:
        storm = Storm(seed, total)
        seconds = storm.run()
    except (Stopped, error.XError) as e:
        print('storm: %s' % e, file=sys.stderr)
        if storm:
            print('storm: after %d events and %d switches; the last ones, at %.3f now:\n  %s' %
                  (sum(storm.sent.values()), storm.switches, time.monotonic(),
                   '\n  '.join(storm.recent)), file=sys.stderr)
        return 1
    sent = storm.sent
    print('storm: seed %d, %d events sent in %.1f s' % (seed, sum(sent.values()), seconds))
    print('storm: ' + ', '.join('%s %d' % (k, sent[k]) for k in sorted(sent)))
    print('storm: %d switches between fullscreen and window, each to a new window' %
          storm.switches)
    print('storm: held past the start %d times, past the end %d times' %
          (storm.past_ends['start'], storm.past_ends['end']))
    return 0


if __name__ == '__main__':
    sys.exit(main())
