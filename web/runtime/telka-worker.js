// A TELKA program in a worker of its own: WASI preview1 through the shim,
// the web backend's "telka" imports (host windows, presents, input, the
// blocking wait), TELKA.SCR and the fonts in an in-memory file system, and
// what the program prints sent to the page. The wait blocks this thread with
// Atomics.wait, so the program runs as it would natively while the page stays
// free; the page ends it with Worker.terminate().
import {ConsoleStdout, File, OpenFile, PreopenDirectory, WASI, Directory, wasi as W} from '@bjorn3/browser_wasi_shim';

import {InputReader, RECORD_INTS} from './channel.js';
import {
  Divergence,
  ObservationReader,
  ObservationWriter,
  RecordingInput,
  ReplayInput,
  frameHash,
  recordWasi,
  replayWasi,
} from './observations.js';
import {Trace} from './trace.js';
import {codeSectionStart, trapFrames} from './wasm-trap.js';

const SCRIPT = 'TELKA.SCR';
const GRAPHICS = 'TELKA Graphics';

// Thrown out of the program when an allocation fails: in the page a program
// that runs out of memory ends with a message rather than running on with a
// null pointer, which wasm lets it write through.
class OutOfMemory extends Error {}

let memory = null;
let input = null;
let root = null;
const trace = new Trace();
let decoder1252 = new TextDecoder('windows-1252');
// A live run logs what the program observes; a replay answers from such a
// log, posts nothing of the program's, and ends with what it was asked for.
let observed = null;
let replaying = null;

// A replay's own failures still end it as a run's do.
const post = (message, transfer) => (replaying && message.t !== 'end') || self.postMessage(message, transfer || []);

function bytes() {
  return new Uint8Array(memory.buffer);
}
function ints() {
  return new Int32Array(memory.buffer);
}

function cString(ptr) {
  const heap = bytes();
  let end = ptr;
  while (end < heap.length && heap[end] !== 0) ++end;
  return decoder1252.decode(heap.subarray(ptr, end));
}

// What the program prints, in batches: a program that prints in a tight loop
// must not flood the page with one message per call. Its text window's lines
// (gathered by the trace) go with each batch.
const output = {
  decoders: {stdout: new TextDecoder('utf-8'), stderr: new TextDecoder('utf-8')},
  text: {stdout: '', stderr: ''},
  lastFlush: 0,
  write(stream, data) {
    this.text[stream] += this.decoders[stream].decode(data, {stream: true});
    this.due(this.text[stream].length > 8192);
  },
  due(full = false) {
    if (full || performance.now() - this.lastFlush > 50) this.flush();
  },
  flush() {
    this.lastFlush = performance.now();
    for (const stream of ['stdout', 'stderr']) {
      if (this.text[stream]) post({t: 'output', stream, text: this.text[stream]});
      this.text[stream] = '';
    }
    const lines = trace.takeText();
    if (lines) post({t: 'text', ...lines});
  },
};

// TELKA.SCR as the page last saw it: the page keeps a copy for Download.
const scriptMirror = {
  file: null,
  dirty: false,
  sync() {
    const file = root.dir.contents.get(SCRIPT) || null;
    if (file === this.file && !this.dirty) return;
    this.file = file;
    this.dirty = false;
    const copy = file && file.data ? file.data.slice() : null;
    post({t: 'script', bytes: copy}, copy ? [copy.buffer] : []);
  },
};

// Writes and truncations mark the script dirty; the shim keeps no record.
for (const name of ['fd_write', 'fd_pwrite', 'fd_filestat_set_size']) {
  const original = OpenFile.prototype[name];
  OpenFile.prototype[name] = function (...args) {
    if (this.file === root.dir.contents.get(SCRIPT)) scriptMirror.dirty = true;
    return original.apply(this, args);
  };
}

// A file the page offered becomes TELKA.SCR before the program sees any
// input queued after the offer (Load, then Ctrl+P, plays the loaded file).
function takeOfferedFile() {
  const offered = input.takeFile();
  if (offered) root.dir.contents.set(SCRIPT, new File(offered));
}

// At every wait: what the page sent, what the program printed and wrote.
function housekeeping() {
  takeOfferedFile();
  output.flush();
  scriptMirror.sync();
  sendObservations();
}

function sendObservations() {
  const bytes = observed && observed.takeNew();
  if (bytes) post({t: 'observed', bytes}, [bytes.buffer]);
}

function telkaImports() {
  return {
    init() {},
    shutdown() {
      housekeeping();
    },
    host_create(id, titlePtr, x, y, width, height, owner, dialog) {
      const title = cString(titlePtr);
      trace.titled(id, title);
      post({t: 'create', id, title, x, y, width, height, owner, dialog: dialog !== 0});
      return 1;
    },
    host_destroy(id) {
      post({t: 'destroy', id});
    },
    host_show(id, visible) {
      post({t: 'show', id, visible: visible !== 0});
    },
    host_set_title(id, titlePtr) {
      const title = cString(titlePtr);
      trace.titled(id, title);
      post({t: 'title', id, title});
    },
    present(id, pixels, width, height, stride, rects, count) {
      sendObservations(); // the page can replay to any frame it has shown
      // 0x00RRGGBB words to the canvas's R, G, B, A bytes, opaque, one
      // buffer per rectangle, handed over without a copy.
      const heap = new Uint32Array(memory.buffer);
      const r32 = ints();
      const parts = [];
      const transfer = [];
      for (let k = 0; k < count; ++k) {
        const x = r32[(rects >> 2) + 4 * k],
          y = r32[(rects >> 2) + 4 * k + 1];
        const w = r32[(rects >> 2) + 4 * k + 2],
          h = r32[(rects >> 2) + 4 * k + 3];
        const out = new Uint32Array(w * h);
        for (let row = 0; row < h; ++row) {
          const s = (pixels >> 2) + (y + row) * stride + x;
          const d = row * w;
          for (let i = 0; i < w; ++i) {
            const p = heap[s + i];
            out[d + i] = 0xff000000 | ((p & 0xff) << 16) | (p & 0xff00) | ((p >>> 16) & 0xff);
          }
        }
        parts.push({x, y, w, h, rgba: out.buffer});
        transfer.push(out.buffer);
      }
      // A frame of the graphics window carries its record: its calls, event and time.
      post({t: 'present', id, width, height, parts, frame: trace.present(id)}, transfer);
    },
    wait(timeoutMs) {
      housekeeping();
      input.wait(timeoutMs);
    },
    pending() {
      return input.pending();
    },
    take_record(out) {
      if (input.pending() === 0) return 0;
      takeOfferedFile(); // read after the record was seen, so an offer made before it is seen too
      return input.take(ints(), out >> 2) ? 1 : 0;
    },
    out_of_memory(size) {
      throw new OutOfMemory(
        `the program asked for ${size >>> 0} bytes more with ${Math.round(
          memory.buffer.byteLength / 1048576
        )} MB in use, the most a program gets in the page`
      );
    },
    // What the library tells a debugger: its calls, their lines, the events.
    debug_output(ptr) {
      trace.take(cString(ptr));
      if (trace.text.length > 0) output.due();
    },
    // Those since the last present (or the last text line), each ended by a NUL.
    debug_output_batch(ptr, size) {
      const texts = decoder1252.decode(bytes().slice(ptr, ptr + size)).split('\0');
      for (let i = 0; i < texts.length - 1; ++i) trace.take(texts[i]);
    },
    // A live run explains nothing; a replay that does answers these itself.
    explain_frame() {
      return 0;
    },
    explain_dump() {},
    explain_now_ns() {
      return 0;
    },
    screen_size(out) {
      const [w, h] = input.screen();
      const r32 = ints();
      r32[out >> 2] = w;
      r32[(out >> 2) + 1] = h;
    },
  };
}

// The shim's poll_oneoff spins; a program's sleep() should rest the core.
function restfulPoll(wasi) {
  const spinning = wasi.wasiImport.poll_oneoff;
  wasi.wasiImport.poll_oneoff = (inPtr, outPtr, count, countOut) => {
    if (count === 1) {
      const view = new DataView(memory.buffer);
      const sub = W.Subscription.read_bytes(view, inPtr);
      if (
        sub.eventtype === W.EVENTTYPE_CLOCK &&
        sub.clockid === W.CLOCKID_MONOTONIC &&
        (sub.flags & W.SUBCLOCKFLAGS_SUBSCRIPTION_CLOCK_ABSTIME) === 0
      ) {
        output.flush();
        input.sleep(Number(sub.timeout) / 1e6);
        new W.Event(sub.userdata, W.ERRNO_SUCCESS, sub.eventtype).write_bytes(view, outPtr);
        view.setUint32(countOut, 1, true);
        return W.ERRNO_SUCCESS;
      }
    }
    return spinning(inPtr, outPtr, count, countOut);
  };
}

// Thrown out of the program once a replay has what it was asked for.
class ReplayDone extends Error {}

// What a replay adds: presents are hashed instead of shown, and the explain
// module is told the frame to dump and hands the dump over.
function replayImports(telka) {
  const titles = new Map(); // host id -> title
  return {
    ...telka,
    host_create(id, title, ...rest) {
      titles.set(id, cString(title));
      return telka.host_create(id, title, ...rest);
    },
    host_set_title(id, title) {
      titles.set(id, cString(title));
    },
    present(id, pixels, width, height, stride) {
      if (titles.get(id) !== GRAPHICS) return;
      const r = replaying;
      // A dump comes at the end of its frame: the next frame is past it.
      if (r.explainFrame && r.frames === r.explainFrame) throw new ReplayDone();
      ++r.frames;
      if (r.hashFrames) r.hashes.push(frameHash(new Uint32Array(memory.buffer), pixels >> 2, width, height, stride));
      if (r.frames === r.stopAtFrame) throw new ReplayDone();
    },
    explain_frame() {
      return replaying.explainFrame;
    },
    explain_now_ns() {
      return Number(replaying.reader.lastClock.get(W.CLOCKID_MONOTONIC) ?? 0n);
    },
    explain_dump(ptr, length) {
      replaying.dump = bytes().slice(ptr, ptr + length);
      throw new ReplayDone();
    },
  };
}

async function run({wasm, channel, fonts, files, args, env, replay}) {
  if (replay) {
    const explainFrame = replay.explainFrame | 0;
    replaying = {
      reader: new ObservationReader(new Uint8Array(replay.observations)),
      explainFrame,
      stopAtFrame: replay.stopAtFrame | 0,
      hashFrames: replay.hashFrames !== false,
      hashes: [],
      frames: 0,
      dump: null,
    };
    input = new ReplayInput(replaying.reader);
  } else {
    observed = new ObservationWriter();
    input = new RecordingInput(new InputReader(channel), observed);
  }
  const fontDir = new Directory(fonts.map(([name, data]) => [name, new File(data, {readonly: true})]));
  const entries = [['fonts', fontDir]];
  for (const [name, data] of Object.entries(files || {})) entries.push([name, new File(data)]);
  root = new PreopenDirectory('/', entries);
  const fds = [
    new OpenFile(new File([], {readonly: true})), // standard input: end of file at once
    new ConsoleStdout((data) => output.write('stdout', data)),
    new ConsoleStdout((data) => output.write('stderr', data)),
    root,
  ];
  const wasi = new WASI(args, env, fds, {debug: false});
  restfulPoll(wasi);
  if (replaying) replayWasi(wasi.wasiImport, () => memory, replaying.reader);
  else recordWasi(wasi.wasiImport, () => memory, observed);
  const telka = telkaImports();
  let instance;
  try {
    instance = await WebAssembly.instantiate(await WebAssembly.compile(wasm), {
      wasi_snapshot_preview1: wasi.wasiImport,
      telka: replaying ? replayImports(telka) : telka,
    });
  } catch (e) {
    post({t: 'end', status: null, error: `The program could not be started: ${e.message}`});
    return;
  }
  memory = instance.exports.memory;
  scriptMirror.file = root.dir.contents.get(SCRIPT) || null;
  let end;
  try {
    end = {status: wasi.start(instance)};
  } catch (e) {
    if (e instanceof ReplayDone) {
      end = {status: null};
    } else if (e instanceof Divergence) {
      end = {status: null, diverged: e.message};
    } else if (e instanceof OutOfMemory) {
      end = {
        status: null,
        outOfMemory: true,
        trap: {message: e.message, frames: trapFrames(e.stack, codeSectionStart(wasm))},
      };
    } else if (e instanceof WebAssembly.RuntimeError || e instanceof RangeError) {
      end = {status: null, trap: {message: e.message, frames: trapFrames(e.stack, codeSectionStart(wasm))}};
    } else {
      end = {status: null, error: String((e && e.message) || e)};
    }
  }
  try {
    housekeeping();
  } catch (e) {
    // The program's memory may be unusable after a trap; what it printed is sent.
    output.flush();
  }
  if (replaying) {
    const {frames, dump} = replaying;
    const hashes = Uint32Array.from(replaying.hashes);
    self.postMessage({t: 'replayed', frames, hashes, dump, ...end}, [hashes.buffer, ...(dump ? [dump.buffer] : [])]);
    return;
  }
  post({t: 'end', ...end});
}

self.onmessage = (e) => {
  if (e.data && e.data.t === 'start') {
    run(e.data).catch((err) => post({t: 'end', status: null, error: String((err && err.message) || err)}));
  }
};
