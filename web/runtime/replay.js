// Runs a program again, exactly as it ran, in a worker of its own: the same
// module, arguments and starting files, every outside answer taken from the
// observations of the run (observations.js), so it draws the same frames.
// Waits return at once and nothing is shown; each graphics frame is hashed,
// and the explain module may be asked for one frame's dump (explain.md's
// format), after which the replay ends. A replay that goes another way than
// the run ends with a message saying where, never waits for ever.

const WORKER = new URL('./telka-worker.js', import.meta.url);

// fonts: [name, ArrayBuffer] pairs, as the live run had them. explainFrame:
// the frame whose dump is wanted (0: none); stopAtFrame: without a dump
// wanted, the replay ends after this many graphics frames (0: at the end).
// Resolves to {frames, frameHashes, dump, status, diverged, error, trap, ms}.
export function replay({
  wasm,
  observations,
  fonts,
  files = {},
  args = ['program'],
  env = [],
  explainFrame = 0,
  stopAtFrame = 0,
  hashFrames = true,
}) {
  const start = performance.now();
  const worker = new Worker(WORKER);
  return new Promise((resolve) => {
    const finish = (result) => {
      worker.terminate();
      resolve({
        frames: 0,
        frameHashes: new Uint32Array(0),
        dump: null,
        status: null,
        diverged: null,
        error: null,
        trap: null,
        ...result,
        ms: performance.now() - start,
      });
    };
    worker.onmessage = (e) => {
      const m = e.data;
      if (m.t === 'replayed') {
        finish({
          frames: m.frames,
          frameHashes: m.hashes,
          dump: m.dump ? new Uint8Array(m.dump) : null,
          status: m.status ?? null,
          diverged: m.diverged || null,
          error: m.error || null,
          trap: m.trap || null,
        });
      } else if (m.t === 'end') {
        finish({error: m.error || 'the replay ended before it began'});
      }
    };
    worker.onerror = (e) => {
      e.preventDefault();
      finish({error: `the replay's worker failed: ${e.message || 'unknown error'}`});
    };
    const bytes = new Uint8Array(wasm).slice();
    const log = new Uint8Array(observations).slice();
    worker.postMessage(
      {
        t: 'start',
        wasm: bytes,
        fonts: fonts.map(([name, data]) => [name, data.slice(0)]),
        files,
        args,
        env,
        replay: {observations: log, explainFrame, stopAtFrame, hashFrames},
      },
      [bytes.buffer, log.buffer]
    );
  });
}
