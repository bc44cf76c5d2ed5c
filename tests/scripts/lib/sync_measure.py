#!/usr/bin/env python3
"""How far the picture is from the sound, as a viewer would see and hear them.

The program runs in a window at scale 1 with its clock overlay on, playing to a PulseAudio null
sink. At once, on one monotonic clock:
  - the sink's monitor is recorded (parec, 10 ms reads, a 2 ms latency asked of the server, which
    also keeps the null sink from rendering more than that ahead of its clock), and every read is
    stamped with the time it arrived;
  - the clock overlay is read from the window every fraction of a millisecond (the X server's own
    picture: what a screen would show), and every change is stamped with the time it was seen.
Afterwards the recording is matched against the music as the program decodes it (a WAV of the
same span written by the capture tool): first by its loudness envelope at 1 ms steps, then sample
by sample, which gives the music time heard at each moment. For each picture that appeared, the
offset is the time it shows less the music time heard when it appeared (positive: the picture is
ahead of the sound).

Accuracy: the recording's timing comes from the earliest-arriving reads (a read arrives after its
last sample was captured, never before), a few ms at worst; the null sink plays what it renders
within the 2 ms the recorder asks for; the overlay is polled far more often than it changes; it
shows hundredths, cut toward zero, so 4.5 ms are added to each reading and the spread of single
readings is about +-5 ms on top of the real one. The median over hundreds of pictures is what
counts.

usage: sync_measure.py WINDOW REFERENCE.wav REFERENCE_START_MS SECONDS GLYPHS
The window shows the picture alone; for one that shows it somewhere inside (a browser's, see
sync_browser.py), locate() finds it and measure() takes where.
With SYNC_KEEP=FILE in the environment, the readings (monotonic ns, music ms shown) and the
recording's start and lag are kept there.
"""
import array
import os
import statistics
import subprocess
import sys
import threading
import time
import wave

from Xlib import X, display

RATE = 48000
OVERLAY = 9  # the overlay's text starts at (9, 9) of the picture


def now_ns():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC)


def read_glyphs(path):
    rows = open(path).read().split()
    chars = "0123456789:."
    glyphs = {}
    for i, c in enumerate(chars):
        glyphs[tuple(row[i * 8:(i + 1) * 8] for row in rows)] = c
    return glyphs


def record(stop, reads, out):
    proc = subprocess.Popen(["parec", "-d", "null.monitor", "--raw", "--format=s16le",
                             "--rate=%d" % RATE, "--channels=2", "--latency-msec=2"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    fd = proc.stdout.fileno()
    total = 0
    while not stop.is_set():
        chunk = os.read(fd, 1920)
        if not chunk:
            break
        t = now_ns()
        out.append(chunk)
        total += len(chunk)
        reads.append((t, total // 4))
    proc.terminate()
    proc.wait()


def clock_ms(text):
    # "MM:SS.HH"
    if len(text) != 8 or text[2] != ':' or text[5] != '.':
        return None
    try:
        return (int(text[0:2]) * 60 + int(text[3:5])) * 1000 + int(text[6:8]) * 10
    except ValueError:
        return None


def read_clock(data, width, x, y, glyphs):
    """The overlay's text with its top left at (x, y) of a picture `width` pixels wide (32-bit
    pixels, blue green red): a '?' for each place that holds no glyph."""
    text = []
    for i in range(8):
        rows = []
        for row in range(8):
            at = ((y + row) * width + x + i * 8) * 4
            rows.append(''.join('#' if data[p] == 0 and data[p + 1] == 255 and data[p + 2] == 0 else '.'
                                for p in range(at, at + 32, 4)))
        text.append(glyphs.get(tuple(rows), '?'))
    return ''.join(text)


def locate(window_id, glyphs):
    """Where the picture's top left is in a window that shows it somewhere inside at scale 1 (a
    browser's, with its page around it): the place whose overlay reads a clock. None if none does."""
    d = display.Display()
    w = d.create_resource_object('window', window_id)
    geometry = w.get_geometry()
    width, height = geometry.width, geometry.height
    data = w.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF).data
    tried = set()
    # Every pure green pixel may be part of the overlay's first glyph, which lies within 8x8 of it.
    for at in range(0, width * height * 4, 4):
        if data[at] != 0 or data[at + 1] != 255 or data[at + 2] != 0:
            continue
        gx, gy = at // 4 % width, at // 4 // width
        for x in range(gx - 7, gx + 1):
            for y in range(gy - 7, gy + 1):
                if (x, y) in tried or x < 0 or y < 0 or x + 64 > width or y + 8 > height:
                    continue
                tried.add((x, y))
                if clock_ms(read_clock(data, width, x, y, glyphs)) is not None:
                    return x - OVERLAY, y - OVERLAY
    return None


def watch(window_id, seconds, glyphs, origin=(0, 0)):
    d = display.Display()
    w = d.create_resource_object('window', window_id)
    seen = []
    last = None
    end = now_ns() + int(seconds * 1e9)
    while now_ns() < end:
        img = w.get_image(origin[0] + OVERLAY, origin[1] + OVERLAY, 64, 8, X.ZPixmap, 0xFFFFFFFF)
        t = now_ns()
        ms = clock_ms(read_clock(img.data, 64, 0, 0, glyphs))
        if ms is not None and ms != last:
            seen.append((t, ms))
            last = ms
        time.sleep(0.0002)
    return seen


def mono(frames_bytes):
    a = array.array('h')
    a.frombytes(frames_bytes)
    return [a[i] + a[i + 1] for i in range(0, len(a) - 1, 2)]


def envelope(samples, step):
    # Loudness per step, less its mean: the match is of how it changes, not of its level.
    e = [sum(abs(s) for s in samples[i:i + step]) for i in range(0, len(samples) - step, step)]
    mean = sum(e) / max(len(e), 1)
    return [x - mean for x in e]


def best_lag(a, b, lags, length, offset_a=0):
    """The lag L in `lags` for which b[offset_a + L + i] best matches a[offset_a + i] (normalised)."""
    best, best_score = None, None
    for lag in lags:
        s = 0.0
        na = nb = 0.0
        for i in range(length):
            x = a[offset_a + i]
            j = offset_a + lag + i
            if j < 0 or j >= len(b):
                break
            y = b[j]
            s += x * y
            na += x * x
            nb += y * y
        else:
            score = s / ((na * nb) ** 0.5 or 1)
            if best_score is None or score > best_score:
                best, best_score = lag, score
    return best, best_score


def measure(window_id, ref_path, ref_start, seconds, glyphs, origin=(0, 0)):
    """Prints the offset of the picture at `origin` of the window from the sound; 0 when measured."""
    stop = threading.Event()
    reads, chunks = [], []
    recorder = threading.Thread(target=record, args=(stop, reads, chunks))
    recorder.start()
    time.sleep(0.5)
    seen = watch(window_id, seconds, glyphs, origin)
    time.sleep(0.3)
    stop.set()
    recorder.join()
    if len(seen) < 20 or not reads:
        print("too little seen: %d pictures, %d reads" % (len(seen), len(reads)))
        return 1

    # The recording's first sample, on the monotonic clock: no read comes before its samples.
    t0 = min(t - frames * 1e9 / RATE for t, frames in reads)
    rec = mono(b''.join(chunks))
    with wave.open(ref_path) as w:
        assert w.getframerate() == RATE and w.getnchannels() == 2
        ref = mono(w.readframes(w.getnframes()))

    # A first guess from the pictures: at the middle of the watch, the sound is near the clock.
    mid_t, mid_ms = seen[len(seen) // 2]
    rec_at = int((mid_t - t0) * RATE / 1e9)
    guess = int((mid_ms - ref_start) * RATE / 1000) - rec_at  # ref index = rec index + lag
    step = RATE // 1000
    env_rec = envelope(rec, step)
    env_ref = envelope(ref, step)
    span = 1500  # ms of envelope compared
    start = max(0, rec_at // step - span // 2)
    lag_ms, score = best_lag(env_rec, env_ref, range(guess // step - 400, guess // step + 401), span, start)
    if lag_ms is None:
        print("the recording does not match the music")
        return 1
    fine, fine_score = best_lag(rec, ref, range(lag_ms * step - 5 * step, lag_ms * step + 5 * step + 1),
                                RATE // 10, start * step)
    lag = fine if fine is not None else lag_ms * step
    if os.environ.get("SYNC_KEEP"):
        with open(os.environ["SYNC_KEEP"], "w") as f:
            f.write("t0 %d lag %d envelope-lag %d\n" % (t0, lag, lag_ms * step))
            for t, ms in seen:
                f.write("%d %d\n" % (t, ms))

    offsets = []
    for t, ms in seen:
        k = (t - t0) * RATE / 1e9
        heard = ref_start + (k + lag) * 1000.0 / RATE
        offsets.append(ms + 4.5 - heard)
    offsets.sort()
    n = len(offsets)
    print("pictures: %d over %.1f s; match %.3f (envelope) %.3f (samples)" %
          (n, seconds, score, fine_score or 0))
    if (fine_score or 0) < 0.95:
        print("the recording matches the music only in part (a dropout, or a jump of the sound):"
              " this run is not to be trusted")
    print("offset picture - sound: median %+.1f ms, 10%% %+.1f, 90%% %+.1f" %
          (statistics.median(offsets), offsets[n // 10], offsets[n * 9 // 10]))
    return 0


def main():
    window_id, ref_path, ref_start, seconds, glyph_path = sys.argv[1:6]
    return measure(int(window_id, 0), ref_path, int(ref_start), float(seconds), read_glyphs(glyph_path))


if __name__ == '__main__':
    sys.exit(main())
