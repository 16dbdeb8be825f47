// One frame's explain dump, as the library's explain module writes it: the
// frame, its calls with their sites, each call's footprint (the pixels it
// wrote and their values after it) and, for every pixel, the call that last
// wrote it before the frame. Parsed here, and turned into the words of a
// pixel's history: telka-run --explain says the same, so the templates are
// documented in docs/playground.md and kept in pixelHistory() alone.

const MAGIC = 'TELKAEXP';
const VERSION = 1;

// library/src/palette.cpp's names and values, in order.
// prettier-ignore
const PALETTE = [
  ['black', 0x000000], ['white', 0xffffff], ['red', 0xff0000], ['green', 0x00ff00], ['blue', 0x0000ff],
  ['yellow', 0xffff00], ['magenta', 0xff00ff], ['cyan', 0x00ffff], ['purple', 0x9900cc], ['navy blue', 0x003399],
  ['dusty plum', 0x996699], ['ice blue', 0x99ffff], ['turquoise', 0x99ffcc], ['orange', 0xff6600],
  ['brown', 0x996633], ['pink', 0xff99cc], ['chalk', 0xffff99], ['gold', 0xcc9933], ['peach', 0xff9966],
  ['forest green', 0x006633], ['sea green', 0x33cc99], ['olive', 0x999933], ['50% gray', 0x808080],
  ['20% gray', 0xcccccc],
];
const COLOUR_NAMES = new Map(PALETTE.map(([name, value]) => [value, name]));

export function colourName(value) {
  const rgb = value & 0xffffff;
  return COLOUR_NAMES.get(rgb) || `#${rgb.toString(16).padStart(6, '0')}`;
}

export class DumpError extends Error {}

export function parseExplainDump(bytes) {
  const data = bytes instanceof Uint8Array ? bytes : new Uint8Array(bytes);
  const view = new DataView(data.buffer, data.byteOffset, data.byteLength);
  const text = new TextDecoder('windows-1252');
  let at = 0;
  const need = (n) => {
    if (at + n > data.length) throw new DumpError(`the explain dump ends early (at byte ${at})`);
  };
  const u32 = () => {
    need(4);
    const v = view.getUint32(at, true);
    at += 4;
    return v;
  };
  const i32 = () => u32() | 0;
  const str = () => {
    const length = u32();
    need(length);
    const s = text.decode(data.subarray(at, at + length));
    at += (length + 3) & ~3;
    return s;
  };
  const words = (n) => {
    need(4 * n);
    const out = new Uint32Array(n);
    for (let i = 0; i < n; ++i) out[i] = view.getUint32(at + 4 * i, true);
    at += 4 * n;
    return out;
  };

  need(8);
  if (String.fromCharCode(...data.subarray(0, 8)) !== MAGIC) throw new DumpError('not an explain dump');
  at = 8;
  const version = u32();
  if (version !== VERSION) throw new DumpError(`explain dump version ${version}, not ${VERSION}`);
  const width = u32(),
    height = u32(),
    originX = i32(),
    originY = i32(),
    frame = u32();
  const frames = new Map();
  for (let n = u32(); n > 0; --n) {
    const number = u32(),
      firstCall = u32(),
      calls = u32();
    const ns = u32() + u32() * 2 ** 32;
    const event = {kind: u32(), x: i32(), y: i32(), key: u32(), periodic: u32()};
    frames.set(number, {number, firstCall, calls, ns, event});
  }
  const calls = new Map();
  const frameCalls = [];
  for (let n = u32(); n > 0; --n) {
    const id = u32(),
      number = u32(),
      line = u32();
    const call = {id, frame: number, line, file: str(), text: str()};
    calls.set(id, call);
    if (number === frame) frameCalls.push(call);
  }
  const before = words(width * height);
  const footprints = [];
  for (let n = u32(); n > 0; --n) {
    const id = u32();
    const runCount = u32();
    const runs = new Int32Array(words(3 * runCount).buffer);
    let pixels = 0;
    for (let r = 0; r < runCount; ++r) pixels += Math.max(0, runs[3 * r + 2] - runs[3 * r + 1]);
    footprints.push({id, runs, values: words(pixels)});
  }
  const after = words(width * height);
  if (!frames.has(frame)) throw new DumpError(`the explain dump has no row for its frame ${frame}`);
  return {width, height, originX, originY, frame, frames, calls, frameCalls, before, footprints, after};
}

// The value a footprint left at client pixel (px, py), or -1 when it did not
// write there.
export function footprintValue(footprint, px, py) {
  const {runs, values} = footprint;
  let index = 0;
  for (let r = 0; r < runs.length; r += 3) {
    const y = runs[r],
      x0 = runs[r + 1],
      x1 = runs[r + 2];
    if (y === py && px >= x0 && px < x1) return values[index + px - x0];
    index += Math.max(0, x1 - x0);
  }
  return -1;
}

// Calls each (x, y) of client pixels a footprint wrote.
export function forEachPixel(footprint, visit) {
  const {runs} = footprint;
  for (let r = 0; r < runs.length; r += 3) for (let x = runs[r + 1]; x < runs[r + 2]; ++x) visit(x, runs[r]);
}

function eventWords(event) {
  switch (event.kind) {
    case 0:
      return 'before any event';
    case 1:
      return `after a click at (${event.x}, ${event.y})`;
    case 2:
      return event.key >= 32 && event.key < 127
        ? `after the key '${String.fromCharCode(event.key)}'`
        : `after key code ${event.key}`;
    case 3:
      return `after periodic event ${event.periodic}`;
    default:
      return 'after the quit';
  }
}

const when = (row) => `frame ${row.number} (${eventWords(row.event)}, at ${(row.ns / 1e9).toFixed(2)} s)`;

// A pixel's history in words: a list of pieces, each a string or
// {call, file} for a call (`file`: name the call's file with its line).
// Join them with historyText(); the panel makes each call with a line a
// button. (px, py): client pixel. telka-run --explain says the same words.
export function pixelHistory(dump, px, py) {
  const touched = [];
  for (const footprint of dump.footprints) {
    const after = footprintValue(footprint, px, py);
    const call = dump.calls.get(footprint.id);
    if (after >= 0 && call) touched.push({call, after});
  }
  const value = touched.length > 0 ? touched[touched.length - 1].after : dump.after[py * dump.width + px];
  const pieces = [`(${px - dump.originX}, ${dump.originY - py}) is ${colourName(value)}. `];
  if (touched.length > 0) {
    const last = touched.pop().call;
    const row = dump.frames.get(dump.frame);
    pieces.push({call: last, file: true}, ` drew it, in ${when(row)}.`);
    // Latest first: "A, and B" for two, "A, B, and C" for three.
    touched.reverse().forEach(({call, after}, i) => {
      const lead = i === 0 ? ' Before that in this frame, ' : i === touched.length - 1 ? ', and ' : ', ';
      const sameFile = call.line && last.line && call.file === last.file;
      pieces.push(lead, {call, file: !sameFile}, ` made it ${colourName(after)}`);
    });
    if (touched.length > 0) pieces.push('.');
    return pieces;
  }
  const call = dump.calls.get(dump.before[py * dump.width + px]);
  if (!call) {
    pieces.push('No call has drawn it yet: it is as the library opened the window.');
    return pieces;
  }
  const row = dump.frames.get(call.frame);
  pieces.push(`No call of frame ${dump.frame} drew it; `, {call, file: true}, ' set it last');
  pieces.push(row ? `, in ${when(row)}.` : '.');
  return pieces;
}

// A call as the history names it: its log words, then where it is.
export function callWords({call, file}) {
  const site = !call.line
    ? ' (no line known)'
    : file
      ? ` at ${call.file.replace(/^.*[/\\]/, '')} line ${call.line}`
      : ` at line ${call.line}`;
  return `\`${call.text}\`${site}`;
}

export const historyText = (pieces) => pieces.map((p) => (typeof p === 'string' ? p : callWords(p))).join('');
