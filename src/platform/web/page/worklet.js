// The show's audio device in the browser: a queue of the blocks of 16-bit stereo frames that the
// program pulls for it. Each time it has played a block's worth it says so, with the loudest
// sample it played, and the program pulls as many more. It starts full (primed by the page), so
// what is pulled now is heard after the queue and the browser's own output latency; with each
// report goes what the queue held ahead of the blocks that came since, as it holds less than it
// was primed with (it plays on while a report goes and its block comes back). It keeps that
// length as a sound card keeps time: the frames not there in time are played as silence and
// counted as played, and as many are skipped once they come. Were they played late instead, the
// queue would grow by every gap, and the sound fall behind the program's account for good.
const REPORT = 512;  // frames between two reports

class VelmoraQueue extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocks = [];
    this.at = 0;       // frames of the first block played so far
    this.played = 0;   // since the last report
    this.owed = 0;     // frames played as silence, to be skipped
    this.started = false;  // the first block came: time runs from there
    this.ahead = 0;    // frames queued ahead of the blocks that came since the last report
    this.came = 0;     // those blocks
    this.peak = 0;
    this.stopped = false;
    this.port.onmessage = (event) => {
      if (event.data.frames) {
        // Not while silence is owed: those blocks come all at once, to be partly skipped.
        if (this.started && !this.owed) {
          this.ahead += this.queued();
          ++this.came;
        }
        this.blocks.push(event.data.frames);
        this.started = true;
      } else if (event.data.stop) {
        this.stopped = true;
      }
    };
  }

  queued() {
    let frames = -this.at;
    for (const block of this.blocks) frames += block.length / 2;
    return frames;
  }

  // The frames owed for silence played, dropped from the front of the queue.
  skip() {
    while (this.owed > 0 && this.blocks.length) {
      const left = this.blocks[0].length / 2 - this.at;
      const dropped = Math.min(left, this.owed);
      this.owed -= dropped;
      this.at += dropped;
      if (this.at * 2 >= this.blocks[0].length) {
        this.blocks.shift();
        this.at = 0;
      }
    }
  }

  process(inputs, outputs) {
    const out = outputs[0];
    const left = out[0], right = out[1] || out[0];
    if (!this.started) return !this.stopped;  // silence until primed, and nothing to report
    this.skip();
    for (let i = 0; i < left.length; ++i) {
      const block = this.blocks[0];
      if (!block) {
        // Not pulled in time (a long pass).
        left[i] = right[i] = 0;
        ++this.owed;
        continue;
      }
      const l = block[2 * this.at] / 32768, r = block[2 * this.at + 1] / 32768;
      left[i] = l;
      right[i] = r;
      this.peak = Math.max(this.peak, Math.abs(l), Math.abs(r));
      if (2 * ++this.at >= block.length) {
        this.blocks.shift();
        this.at = 0;
      }
    }
    this.played += left.length;
    if (this.played >= REPORT) {
      this.port.postMessage({played: this.played, peak: this.peak, ahead: this.ahead, came: this.came});
      this.played = 0;
      this.peak = 0;
      this.ahead = 0;
      this.came = 0;
    }
    return !this.stopped;
  }
}

registerProcessor('velmora-queue', VelmoraQueue);
