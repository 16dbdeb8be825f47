// Runs a TELKA program (a wasm32-wasip1 module linked with libtelka.a) in a
// worker of its own and shows its windows in the page: the page's keyboard
// and mouse go to it through shared memory, its presents come back as
// pixels for the canvases, what it prints to onOutput, and its end (status,
// trap, stop) to onExit. Needs a cross-origin isolated page (Atomics.wait
// on a SharedArrayBuffer). Fonts are fetched once per page.
import {InputWriter, TYPED_BY_TABLE, TYPED_NOTHING, keyRecord, makeChannel, textRecord} from './channel.js';
import {FrameStore} from './frame-store.js';
import {ByteLog} from './observations.js';
import {replay} from './replay.js';
import {TextInput, methodKey, typedCode} from './text-input.js';
import {Windows, keyMods} from './windows.js';

export {replay};

const RUNTIME_DIR = new URL('./', import.meta.url);
let fontsPromise = null;

// The fonts the stand-in's face table names, as [name, ArrayBuffer] pairs.
function loadFonts() {
  if (!fontsPromise) {
    fontsPromise = (async () => {
      const list = await (await fetch(new URL('../fonts/fonts.json', RUNTIME_DIR))).json();
      return Promise.all(
        list.map(async (name) => {
          const response = await fetch(new URL(`../fonts/${name}`, RUNTIME_DIR));
          if (!response.ok) throw new Error(`font ${name}: ${response.status}`);
          return [name, await response.arrayBuffer()];
        })
      );
    })();
    fontsPromise.catch(() => {
      fontsPromise = null;
    });
  }
  return fontsPromise;
}

// Whether the page can run programs at all, and if not, why.
export function runtimeProblem() {
  if (typeof SharedArrayBuffer === 'undefined' || !globalThis.crossOriginIsolated)
    return (
      'this page is not cross-origin isolated, so it cannot share memory with the program ' +
      '(serve it with make web-run, or let its service worker start and reload)'
    );
  if (typeof WebAssembly === 'undefined') return 'this browser has no WebAssembly';
  return null;
}

// Keys the browser keeps: reload, full screen, developer tools, the system key.
const browserKey = (e) => e.keyCode === 116 || e.keyCode === 122 || e.keyCode === 123 || e.metaKey;

const CONTROL = 17; // keyCode of either Ctrl

// playScript: the program plays TELKA.SCR (files['TELKA.SCR']) from its
// first wait, as Run > Playback Script (Ctrl+P) would. keepFrames: every
// frame of the graphics window is kept in program.frames (frame-store.js).
// pageKey(e): true for a key event the page keeps for itself (its Stop key),
// which the program never gets, wherever the focus is.
// onText(lines, dropped): the text window's new lines, in batches; dropped
// counts lines a program printed too fast to keep, which came before them.
export async function startProgram({
  wasm,
  name = 'program',
  desktop,
  onOutput = () => {},
  onExit = () => {},
  files = {},
  env = [],
  playScript = false,
  keepFrames = false,
  pageKey = () => false,
  onText = () => {},
}) {
  const problem = runtimeProblem();
  if (problem) throw new Error(problem);
  const bytes = wasm instanceof Uint8Array ? wasm.slice() : new Uint8Array(wasm.slice(0));
  const fonts = await loadFonts();
  // What a replay of this run needs: the same start, and what it observed.
  const start = {wasm: bytes.slice(), fonts, files, args: [name], env};
  const observations = new ByteLog(1 << 16);

  const channel = makeChannel();
  const writer = new InputWriter(channel);
  const windows = new Windows(desktop, (record) => writer.push(record));
  const text = new TextInput((codePoint) => ended || writer.push(textRecord(windows.active, codePoint)));
  const keysDown = new Map(); // keyCode -> location, released when the page loses focus
  let lastDown = 0; // keyCode of the key the program last got a key down of, 0 after a key up
  let script = files['TELKA.SCR'] ? new Uint8Array(files['TELKA.SCR']) : null;
  let ended = false;

  if (playScript) {
    // Ctrl+P, queued before the program starts, is the first input its
    // first wait takes.
    const ctrl = 2;
    for (const [down, code, mods] of [
      [true, 17, ctrl],
      [true, 80, ctrl],
      [false, 80, ctrl],
      [false, 17, 0],
    ])
      writer.push(keyRecord(down, 0, code, code === 17 ? 1 : 0, mods));
  }

  const screen = () => writer.setScreen(Math.max(640, window.innerWidth | 0), Math.max(480, window.innerHeight | 0));
  screen();

  // Keys belong to the program while the focus is in its windows or nowhere
  // in particular; an editor, a field or a button of the page keeps its own,
  // in the desktop beside the windows too.
  const forProgram = (e) => {
    const t = e.target;
    if (t && t.dataset && 'telkaPageKeys' in t.dataset) return false; // a page control over a window
    return !t || t === document.body || t === document.documentElement || !!(t.closest && t.closest('.telka-window'));
  };
  const onKey = (e, down) => {
    if (!forProgram(e) || browserKey(e) || pageKey(e)) return;
    // The input method's keys are its own; its result comes as text.
    if (down && methodKey(e)) return;
    if (!down && !keysDown.has(e.keyCode)) return;
    const typed = down ? typedCode(e) : TYPED_BY_TABLE;
    // Ctrl+letter would reload, print or find: the program's commands win.
    // A dead key keeps its default, so that an engine that composes in the
    // field can.
    if (typed !== TYPED_NOTHING) e.preventDefault();
    if (down && e.key === 'AltGraph' && lastDown === CONTROL && keysDown.get(CONTROL) === 1) {
      // Windows sends AltGr as a left Ctrl and then the right Alt; that Ctrl,
      // held, would make the library drop AltGr's characters as it drops
      // Ctrl+letter's, so the program sees it let go at once.
      keysDown.delete(CONTROL);
      writer.push(keyRecord(false, windows.active, CONTROL, 1, keyMods(e) & ~(2 | 4)));
    }
    lastDown = down ? e.keyCode : 0;
    if (down) {
      keysDown.set(e.keyCode, e.location);
      text.keyTyped(e, typed);
    } else {
      keysDown.delete(e.keyCode);
      text.keyReleased(e);
    }
    writer.push(keyRecord(down, windows.active, e.keyCode, e.location, keyMods(e), {repeat: e.repeat, typed}));
  };
  const keyDown = (e) => onKey(e, true);
  const keyUp = (e) => onKey(e, false);
  // Keys released while the page had no focus never reach it.
  const blur = () => {
    for (const [code, location] of keysDown) writer.push(keyRecord(false, windows.active, code, location, 0));
    keysDown.clear();
    text.sentByKey.clear();
  };
  window.addEventListener('keydown', keyDown, true);
  window.addEventListener('keyup', keyUp, true);
  window.addEventListener('blur', blur);
  window.addEventListener('resize', screen);

  const worker = new Worker(new URL('./telka-worker.js', RUNTIME_DIR));

  function finish(end) {
    if (ended) return;
    ended = true;
    worker.terminate();
    writer.dispose();
    window.removeEventListener('keydown', keyDown, true);
    window.removeEventListener('keyup', keyUp, true);
    window.removeEventListener('blur', blur);
    window.removeEventListener('resize', screen);
    windows.freeze();
    program.state = end.stopped ? 'stopped' : end.trap || end.error ? 'crashed' : 'ended';
    onExit({status: null, stopped: false, outOfMemory: false, trap: null, error: null, ...end});
  }

  worker.onmessage = (e) => {
    const m = e.data;
    switch (m.t) {
      case 'create':
        windows.create(m);
        text.attach(windows.hosts.get(m.id));
        break;
      case 'destroy':
        windows.destroy(m.id);
        break;
      case 'show':
        windows.show(m.id, m.visible);
        break;
      case 'title':
        windows.retitle(m.id, m.title);
        break;
      case 'present':
        windows.present(m);
        if (m.frame && program.frames) program.frames.add(m.frame, m);
        break;
      case 'output':
        onOutput(m.stream, m.text);
        break;
      case 'text':
        onText(m.lines, m.dropped);
        break;
      case 'script':
        script = m.bytes;
        break;
      case 'observed':
        observations.append(new Uint8Array(m.bytes));
        break;
      case 'end':
        finish({status: m.status, trap: m.trap || null, error: m.error || null, outOfMemory: !!m.outOfMemory});
        break;
    }
  };
  worker.onerror = (e) => {
    e.preventDefault();
    finish({error: `The program's worker failed: ${e.message || 'unknown error'}`});
  };

  const program = {
    name,
    state: 'running',
    windows,
    frames: keepFrames ? new FrameStore() : null,
    stop() {
      finish({stopped: true});
    },
    // Puts `data` in the program's folder as TELKA.SCR, at its next wait.
    loadScript(data) {
      if (ended) return false;
      const ok = writer.offerFile(new Uint8Array(data));
      if (ok) script = new Uint8Array(data);
      return ok;
    },
    scriptFile() {
      return script ? script.slice() : null;
    },
    // The run so far, played again (replay.js's options and result).
    replay(options = {}) {
      return replay({...start, observations: observations.bytes(), ...options});
    },
    observedBytes: () => observations.length,
  };

  const transfer = fonts.map(([, data]) => data.slice(0));
  worker.postMessage(
    {t: 'start', wasm: bytes, channel, args: [name], env, fonts: fonts.map(([n], i) => [n, transfer[i]]), files},
    [bytes.buffer, ...transfer]
  );
  return program;
}
