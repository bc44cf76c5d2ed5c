// The show's audio device in the browser: a queue of the blocks of 16-bit stereo frames that the
// program pulls for it. Each time it has played a block's worth it says so, with the loudest
// sample it played, and the program pulls as many more. It starts full (primed by the page), so
// what is pulled now is heard after the queue and the browser's own output latency.
const REPORT = 512;  // frames between two reports

class VelmoraQueue extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocks = [];
    this.at = 0;       // frames of the first block played so far
    this.played = 0;   // since the last report
    this.peak = 0;
    this.stopped = false;
    this.port.onmessage = (event) => {
      if (event.data.frames) this.blocks.push(event.data.frames);
      else if (event.data.stop) this.stopped = true;
    };
  }

  process(inputs, outputs) {
    const out = outputs[0];
    const left = out[0], right = out[1] || out[0];
    for (let i = 0; i < left.length; ++i) {
      const block = this.blocks[0];
      if (!block) {
        // Not pulled in time (a long pass): silence, counted as played, so the queue keeps its length.
        left[i] = right[i] = 0;
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
      this.port.postMessage({played: this.played, peak: this.peak});
      this.played = 0;
      this.peak = 0;
    }
    return !this.stopped;
  }
}

registerProcessor('velmora-queue', VelmoraQueue);
