'use strict';
// The page of the show: it fetches the program and the two files with a progress bar, starts the
// program (which builds the show and shows its first picture), and starts the show and its music
// together on the viewer's first click or key, as a browser allows sound only then. It presents
// the program's pictures on the canvas at the largest whole multiple that fits, hands over the
// keys and the mouse buttons, switches fullscreen (F11, a double click; Esc leaves it), plays the
// sound through an audio worklet, and says on the page whatever ends the show.
//
// Served isolated across origins (COOP/COEP headers), the page runs the threaded program, which
// renders on a pool of threads; anywhere else, the program that plays on one thread.
//   ?threads=0   the program without threads even where threads could run
//   ?seed=N      the random patterns seeded with N, as the capture's, instead of from the clock
//   ?capture     a test's page: no show, the capture's frames on request (velmoraTest.capture)

const velmoraPage = (() => {
  const params = new URLSearchParams(location.search);
  const capturing = params.has('capture');
  const threaded = self.crossOriginIsolated === true && params.get('threads') !== '0';
  const program = threaded ? 'velmora-threads' : 'velmora';
  const $ = (id) => document.getElementById(id);
  const stage = $('stage'), canvas = $('picture');
  const painter = canvas.getContext('2d', {alpha: false});
  const image = painter.createImageData(canvas.width, canvas.height);
  let ready = false, started = false, failed = false, musicMissing = false;

  // What tests read of the page.
  const state = {
    threaded, opened: performance.now(), firstPicture: 0, started: false, presents: 0, failed: false,
    audio: {context: false, played: 0, peak: 0, time: 0, latency: 0, queue: 0, base: 0, output: 0},
  };

  // The largest whole multiple of the picture in the window's device pixels, so that every pixel
  // of the show is a sharp square.
  function fit() {
    const ratio = window.devicePixelRatio || 1;
    const scale = Math.max(1, Math.floor(Math.min(innerWidth * ratio / canvas.width,
                                                  innerHeight * ratio / canvas.height)));
    canvas.style.width = `${canvas.width * scale / ratio}px`;
    canvas.style.height = `${canvas.height * scale / ratio}px`;
  }
  addEventListener('resize', fit);
  fit();

  // The display's refresh rate, from the animation frames while the page loads.
  const intervals = [];
  let lastFrame = 0;
  function measure(time) {
    if (lastFrame) intervals.push(time - lastFrame);
    lastFrame = time;
    if (intervals.length < 90 && !started) requestAnimationFrame(measure);
  }
  requestAnimationFrame(measure);
  function refreshRate() {
    if (intervals.length < 10) return 0;
    const sorted = [...intervals].sort((a, b) => a - b);
    const hz = Math.round(1000 / sorted[sorted.length >> 1]);
    return hz >= 24 && hz <= 500 ? hz : 0;
  }

  function message(text, fatal) {
    const box = $('message');
    box.textContent = box.hidden ? text : `${box.textContent}\n${text}`;
    box.hidden = false;
    if (!fatal) return;
    failed = state.failed = true;
    $('loading').hidden = true;
    $('start').hidden = true;
    audio.close();
  }

  function present(pointer, width, height) {
    image.data.set(Module.HEAPU8.subarray(pointer, pointer + width * height * 4));
    painter.putImageData(image, 0, 0);
    ++state.presents;
  }

  // The sound: an audio worklet at the show's sample rate, kept a queue ahead by the program.
  const audio = (() => {
    const QUEUE = 3072;       // frames queued ahead: 64 ms at 48 kHz
    const MOST_AT_ONCE = 4096;  // the program's largest pull
    let context = null, node = null, wanted = false, rate = 48000, channels = 2, latency = 0;
    // Sums over the worklet's reports since the last look: the frames it held ahead of each block
    // as it came (fewer than QUEUE: it plays on while a report goes and its block comes back), and
    // the browser's output latency, which moves by several ms from one report to the next.
    let ahead = 0, came = 0, output = 0, outputs = 0;

    // What is pulled now is heard after this many frames.
    function frames() {
      const queue = came ? ahead / came : QUEUE;
      const out = outputs ? output / outputs : context.outputLatency || 0;
      ahead = came = output = outputs = 0;
      Object.assign(state.audio, {queue: queue / rate, base: context.baseLatency || 0, output: out});
      return Math.round(queue + ((context.baseLatency || 0) + out) * rate);
    }

    return {
      open(sampleRate, count) {
        wanted = true;
        rate = sampleRate;
        channels = count;
      },
      close() {
        if (node) node.port.postMessage({stop: true});
        if (context) context.close();
        node = context = null;
      },
      push(pointer, count) {
        if (!node) return;
        const block = new Int16Array(count * channels);
        block.set(Module.HEAP16.subarray(pointer >> 1, (pointer >> 1) + count * channels));
        node.port.postMessage({frames: block}, [block.buffer]);
      },
      // Within the viewer's gesture: the context is made (and may start) here.
      async start() {
        if (!wanted) return false;
        context = new AudioContext({sampleRate: rate, latencyHint: 'interactive'});
        const resumed = context.resume();
        await context.audioWorklet.addModule('worklet.js');
        node = new AudioWorkletNode(context, 'velmora-queue', {numberOfInputs: 0, outputChannelCount: [2]});
        node.port.onmessage = (event) => {
          state.audio.played += event.data.played;
          state.audio.peak = Math.max(state.audio.peak, event.data.peak);
          if (context) {
            ahead += event.data.ahead;
            came += event.data.came;
            output += context.outputLatency || 0;
            ++outputs;
          }
          Module._velmora_audio_pull(event.data.played);
        };
        node.connect(context.destination);
        await resumed;
        context.onstatechange = () => {
          if (context && context.state === 'closed') Module._velmora_audio_gone();
        };
        state.audio.context = true;
        latency = frames();
        return true;
      },
      latency: () => latency,
      // The queue filled before the first frame plays.
      prime() {
        for (let left = QUEUE; left > 0; left -= MOST_AT_ONCE) Module._velmora_audio_pull(Math.min(left, MOST_AT_ONCE));
      },
      // The browser's own latency may change (another output device): the program is told.
      watch() {
        if (!context) return;
        state.audio.time = context.currentTime;
        const now = frames();
        state.audio.latency = now / rate;
        if (Math.abs(now - latency) < rate / 500) return;
        latency = now;
        Module._velmora_audio_latency(now);
      },
    };
  })();

  // The show and its music start; false when the show ended there (its words are on the page).
  function play() {
    try {
      Module._velmora_start(params.has('seed') ? Number(params.get('seed')) : -1);
      return true;
    } catch (error) {
      if (!(error instanceof ExitStatus)) throw error;
      audio.close();
      return false;
    }
  }

  async function start() {
    if (started || failed || !ready) return;
    started = state.started = true;
    $('start').hidden = true;
    let sound = false;
    try {
      sound = await audio.start();
    } catch (error) {
      console.warn('no sound:', error);
      message('velmora: this browser gives the page no sound; the show plays without sound', false);
      setTimeout(() => { if (!failed) $('message').hidden = true; }, 6000);
    }
    if (sound) Module._velmora_audio_ready(audio.latency());
    if (!play()) return;
    if (sound) {
      audio.prime();
      setInterval(audio.watch, 1000);
    }
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch((e) => console.warn(e));
  }

  // The library's scancodes of the keys the show knows.
  const SCANCODES = {Home: 78, End: 79, ArrowLeft: 82, ArrowRight: 83, ArrowUp: 84, ArrowDown: 85, Space: 75};
  for (let i = 0; i < 26; ++i) SCANCODES[`Key${String.fromCharCode(65 + i)}`] = 1 + i;
  for (let i = 0; i < 10; ++i) SCANCODES[`Digit${i}`] = 27 + i;
  for (let i = 1; i <= 12; ++i) if (i !== 11) SCANCODES[`F${i}`] = 46 + i;

  addEventListener('keydown', (event) => {
    if (event.code === 'F11') {
      event.preventDefault();
      toggleFullscreen();
      return;
    }
    if (event.ctrlKey || event.altKey || event.metaKey || event.code === 'Escape') return;
    const scancode = SCANCODES[event.code];
    if (scancode || /^F\d+$/.test(event.code)) event.preventDefault();
    if (!started) {
      start();
      return;
    }
    if (scancode && !event.repeat) Module._velmora_key(scancode, 1);
  });
  addEventListener('keyup', (event) => {
    const scancode = SCANCODES[event.code];
    if (scancode && started) Module._velmora_key(scancode, 0);
  });
  const BUTTONS = [1, 4, 2];  // the left, middle and right buttons as the library's bits
  canvas.addEventListener('mousedown', (event) => {
    if (!started) start();
    else if (BUTTONS[event.button]) Module._velmora_buttons(BUTTONS[event.button], 1);
  });
  addEventListener('mouseup', (event) => {
    if (started && BUTTONS[event.button]) Module._velmora_buttons(BUTTONS[event.button], 0);
  });
  stage.addEventListener('click', () => { if (!started) start(); });
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());
  canvas.addEventListener('dblclick', toggleFullscreen);
  const letGo = () => { if (started) Module._velmora_release_all(); };
  addEventListener('blur', letGo);
  document.addEventListener('visibilitychange', () => { if (document.hidden) letGo(); });

  // A file with its progress; null, said, when it cannot be fetched.
  async function fetchFile(name, progress) {
    try {
      const response = await fetch(name);
      if (!response.ok) throw new Error(`HTTP ${response.status} ${response.statusText}`);
      progress.expect(name, Number(response.headers.get('Content-Length')) || 0);
      const reader = response.body.getReader();
      const parts = [];
      let size = 0;
      for (;;) {
        const {done, value} = await reader.read();
        if (done) break;
        parts.push(value);
        size += value.length;
        progress.got(name, size);
      }
      const bytes = new Uint8Array(size);
      let at = 0;
      for (const part of parts) {
        bytes.set(part, at);
        at += part.length;
      }
      return bytes;
    } catch (error) {
      message(`velmora: ${name} could not be fetched (${error.message})`, false);
      return null;
    }
  }

  function progressBar() {
    const expected = {}, got = {};
    const show = () => {
      const total = Object.values(expected).reduce((a, b) => a + b, 0);
      const done = Object.values(got).reduce((a, b) => a + b, 0);
      const share = total ? Math.min(100, Math.round(100 * done / total)) : 0;
      $('filled').style.width = `${share}%`;
      $('loading').setAttribute('aria-valuenow', share);
    };
    return {
      expect(name, size) { expected[name] = size; show(); },
      got(name, size) { got[name] = size; show(); },
    };
  }

  async function load() {
    if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
      message('This browser cannot run WebAssembly, which the show is made of.', true);
      return;
    }
    const progress = progressBar();
    const [wasm, datafile, module] = await Promise.all(
        [`${program}.wasm`, 'oldskool.dat', 'drift.mod'].map((name) => fetchFile(name, progress)));
    musicMissing = !module;
    if (!wasm) {
      message('The show cannot start without its program.', true);
      return;
    }
    window.Module = {
      arguments: capturing ? ['--capture'] : [],
      wasmBinary: wasm.buffer,
      // A file that did not come is missing: the show says so in its own words.
      preRun: [() => {
        if (datafile) FS.writeFile('/oldskool.dat', datafile);
        if (module) FS.writeFile('/drift.mod', module);
      }],
      postRun: [() => { if (capturing) state.captureReady = true; }],
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onAbort: (what) => message(`The show stopped: ${what}`, true),
    };
    const script = document.createElement('script');
    script.src = `${program}.js`;
    script.onerror = () => message(`The show cannot start: ${program}.js could not be fetched.`, true);
    document.body.appendChild(script);
  }

  // For tests: the page's state, the canvas's pixels, the capture's frames.
  const base64 = (bytes) => {
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(text);
  };
  window.velmoraTest = {
    state,
    canvas: () => base64(painter.getImageData(0, 0, canvas.width, canvas.height).data),
    capture: {
      begin: (from, fps, seed) => Module._velmora_capture_begin(from, fps, seed),
      frame: (n) => {
        const pointer = Module._velmora_capture_frame(n);
        return base64(Module.HEAPU8.subarray(pointer, pointer + canvas.width * canvas.height * 4));
      },
    },
  };

  load();

  return {
    ready() {
      ready = true;
      state.firstPicture = performance.now();
      $('loading').hidden = true;
      if (musicMissing) {
        // Without its music the show cannot start: it says so at once, in its own words, rather
        // than after a click.
        started = state.started = true;
        setTimeout(play);
      } else if (!failed) {
        $('start').hidden = false;
      }
    },
    refreshRate,
    present,
    message,
    audio,
  };
})();
