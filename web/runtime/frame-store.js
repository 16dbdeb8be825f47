// Every frame of the graphics window, kept so that any one can be shown
// again exactly as it was shown live. A frame keeps its present's changed
// rectangles (the deltas), and every so often the whole picture (a keyframe);
// both are run-length packed when that is smaller. Its calls keep their text
// as an interned template and the numbers in it. Past `budget` bytes the
// oldest frames go, a keyframe's group at a time.

const OPAQUE_BLACK = 0xff000000; // R, G, B, A bytes of a canvas that was never drawn on
const FRAME_OVERHEAD = 160; // bytes a frame's own objects cost, roughly
const NUMBER = /-?\d+/g;

// Run-length packing of 32-bit pixels: a word n > 0 is a run of n copies of
// the next word; n < 0 is -n literal words that follow.
let scratch = new Uint32Array(1 << 16);

export function pack(pixels) {
  const n = pixels.length;
  if (scratch.length < n + 2) scratch = new Uint32Array(n + 2);
  const out = scratch;
  let o = 0;
  let literal = -1; // index in out of the open literal block's count word
  let i = 0;
  while (i < n) {
    const v = pixels[i];
    let j = i + 1;
    while (j < n && pixels[j] === v) ++j;
    if (j - i >= 3) {
      out[o++] = j - i;
      out[o++] = v;
      literal = -1;
      i = j;
    } else {
      if (literal < 0) {
        literal = o++;
        out[literal] = 0;
      }
      // out[literal] holds minus the block's length, as an unsigned word.
      for (; i < j; ++i) {
        out[o++] = pixels[i];
        out[literal] = (out[literal] - 1) >>> 0;
      }
    }
    if (o >= n) return null; // packing does not pay
  }
  return out.slice(0, o);
}

export function unpack(packed, out, at = 0) {
  const words = new Int32Array(packed.buffer, packed.byteOffset, packed.length);
  let o = at;
  for (let i = 0; i < packed.length;) {
    const n = words[i++];
    if (n > 0) {
      out.fill(packed[i++], o, o + n);
      o += n;
    } else {
      out.set(packed.subarray(i, i - n), o);
      i -= n;
      o -= n;
    }
  }
  return o - at;
}

// Pixels as stored: packed when that is smaller.
function keep(pixels) {
  const packed = pack(pixels);
  return packed ? {packed, length: pixels.length} : {raw: pixels.slice(), length: pixels.length};
}

function restore(kept, out, at = 0) {
  if (kept.raw) out.set(kept.raw, at);
  else unpack(kept.packed, out, at);
}

const keptBytes = (kept) => (kept.raw || kept.packed).byteLength;

export class FrameStore {
  // budget: bytes held at most; keyEvery: frames between keyframes at most;
  // keyAreas: delta pixels between keyframes at most, in whole pictures
  // (what bounds the time a jump takes).
  constructor({budget = 64 << 20, keyEvery = 256, keyAreas = 4} = {}) {
    this.budget = budget;
    this.keyEvery = keyEvery;
    this.keyAreas = keyAreas;
    this.frames = []; // reachable frames, oldest first: {number, ns, event, calls, width, height, key, parts, bytes}
    this.width = 0;
    this.height = 0;
    this.live = null; // the picture as last presented, 0xAABBGGRR words
    this.sinceKey = {frames: 0, pixels: 0};
    this.bytes = 0;
    this.templates = []; // id -> the text's pieces around its numbers
    this.templateIds = new Map(); // pieces joined -> id
    this.templateBytes = 0;
    this.files = ['']; // id -> file name
    this.fileIds = new Map([['', 0]]);
    this.lastCalls = null; // the previous frame's packed calls, shared when the same
    this.shown = null; // {number, pixels}: the picture image() made last
    this.evicted = 0; // frames dropped for the budget
    this.onAdd = null; // called after each frame is kept
  }

  get first() {
    return this.frames.length ? this.frames[0].number : 0;
  }
  get last() {
    return this.frames.length ? this.frames[this.frames.length - 1].number : 0;
  }

  // record: {number, ns, event, calls: [{text, line, file}]} from the trace;
  // present: {width, height, parts: [{x, y, w, h, rgba}]}, rgba an
  // ArrayBuffer of R, G, B, A bytes.
  add(record, {width, height, parts}) {
    const resized = width !== this.width || height !== this.height;
    if (resized) {
      this.width = width;
      this.height = height;
      this.live = new Uint32Array(width * height).fill(OPAQUE_BLACK);
    }
    let pixels = 0;
    const kept = [];
    for (const {x, y, w, h, rgba} of parts) {
      const src = new Uint32Array(rgba);
      for (let row = 0; row < h; ++row) this.live.set(src.subarray(row * w, row * w + w), (y + row) * width + x);
      pixels += w * h;
      kept.push({x, y, w, h, pixels: keep(src)});
    }
    const previous = this.frames[this.frames.length - 1];
    const frame = {
      number: record.number,
      ns: record.ns,
      // Frames after the same event share its one copy.
      event: previous && previous.event.n === record.event.n ? previous.event : record.event,
      calls: this.packCalls(record.calls),
      width,
      height,
      key: null,
      parts: kept,
      bytes: FRAME_OVERHEAD,
    };
    this.sinceKey.frames += 1;
    this.sinceKey.pixels += pixels;
    if (
      resized ||
      !this.frames.length ||
      this.sinceKey.frames >= this.keyEvery ||
      this.sinceKey.pixels >= this.keyAreas * width * height
    ) {
      frame.key = keep(this.live);
      frame.parts = []; // a keyframe is shown from its picture alone
      this.sinceKey = {frames: 0, pixels: 0};
    }
    if (frame.key) frame.bytes += keptBytes(frame.key);
    for (const part of frame.parts) frame.bytes += 48 + keptBytes(part.pixels);
    if (frame.calls !== this.lastCalls) frame.bytes += frame.calls.byteLength;
    this.lastCalls = frame.calls;
    this.frames.push(frame);
    this.bytes += frame.bytes;
    this.evict();
    if (this.onAdd) this.onAdd(frame.number);
  }

  // Drops the oldest keyframe's group while over budget, keeping one group.
  evict() {
    while (this.bytes + this.templateBytes > this.budget) {
      let next = 1;
      while (next < this.frames.length && !this.frames[next].key) ++next;
      if (next >= this.frames.length) return;
      for (let i = 0; i < next; ++i) this.bytes -= this.frames[i].bytes;
      this.frames.splice(0, next);
      this.evicted += next;
      this.shown = null;
    }
  }

  // Calls as one Int32Array: per call its template, line, file, then the
  // template's numbers.
  packCalls(calls) {
    const words = [];
    for (const {text, line, file} of calls) {
      const pieces = [];
      const numbers = [];
      let at = 0;
      for (const m of text.matchAll(NUMBER)) {
        const v = Number(m[0]);
        // Only numbers that read back as written ("007" stays text).
        if (String(v) !== m[0] || v !== (v | 0)) continue;
        pieces.push(text.slice(at, m.index));
        numbers.push(v);
        at = m.index + m[0].length;
      }
      pieces.push(text.slice(at));
      words.push(this.templateId(pieces), line, this.fileId(file), ...numbers);
    }
    const packed = Int32Array.from(words);
    const last = this.lastCalls;
    if (last && last.length === packed.length && last.every((v, i) => v === packed[i])) return last;
    return packed;
  }

  templateId(pieces) {
    const key = pieces.join('\u0000');
    let id = this.templateIds.get(key);
    if (id === undefined) {
      id = this.templates.length;
      this.templates.push(pieces);
      this.templateIds.set(key, id);
      this.templateBytes += 2 * key.length * 2 + 64;
    }
    return id;
  }

  fileId(file) {
    let id = this.fileIds.get(file);
    if (id === undefined) {
      id = this.files.length;
      this.files.push(file);
      this.fileIds.set(file, id);
    }
    return id;
  }

  index(number) {
    const i = number - this.first;
    return i >= 0 && i < this.frames.length ? i : -1;
  }

  // Frame `number`'s record as the trace made it, or null when it is not reachable.
  record(number) {
    const i = this.index(number);
    if (i < 0) return null;
    const f = this.frames[i];
    const calls = [];
    for (let k = 0; k < f.calls.length;) {
      const pieces = this.templates[f.calls[k]];
      const line = f.calls[k + 1];
      const file = this.files[f.calls[k + 2]];
      k += 3;
      let text = pieces[0];
      for (let p = 1; p < pieces.length; ++p) text += String(f.calls[k++]) + pieces[p];
      calls.push({text, line, file});
    }
    return {number: f.number, ns: f.ns, event: f.event, calls};
  }

  // Frame `number`'s picture: {width, height, pixels} with pixels a
  // Uint32Array of R, G, B, A bytes (the store's own: copy before keeping),
  // or null when the frame is not reachable.
  image(number) {
    const i = this.index(number);
    if (i < 0) return null;
    let k = i;
    while (!this.frames[k].key) --k;
    const {width, height} = this.frames[i];
    let from = k;
    let pixels;
    const shown = this.shown;
    const shownAt = shown ? this.index(shown.number) : -1;
    if (shownAt >= k && shownAt <= i) {
      // Forward from the picture shown last, within the same group.
      pixels = shown.pixels;
      from = shownAt + 1;
    } else {
      pixels = shown && shown.pixels.length === width * height ? shown.pixels : new Uint32Array(width * height);
      restore(this.frames[k].key, pixels);
      from = k + 1;
    }
    const row = new Uint32Array(width);
    for (let j = from; j <= i; ++j) {
      for (const {x, y, w, h, pixels: kept} of this.frames[j].parts) {
        if (w === width) {
          restore(kept, pixels, y * width);
          continue;
        }
        const all = w * h <= row.length ? row : new Uint32Array(w * h);
        restore(kept, all);
        for (let r = 0; r < h; ++r) pixels.set(all.subarray(r * w, r * w + w), (y + r) * width + x);
      }
    }
    this.shown = {number, pixels};
    return {width, height, pixels};
  }

  // The frame an event step goes to from `number`: dir +1, the first frame
  // after the next event; dir -1, the first frame after the event before
  // the one `number` follows. `number` itself when there is none.
  eventStep(number, dir) {
    const i = this.index(number);
    if (i < 0) return number;
    const n = (j) => this.frames[j].event.n;
    if (dir > 0) {
      for (let j = i + 1; j < this.frames.length; ++j) if (n(j) > n(i)) return this.frames[j].number;
      return number;
    }
    let j = i;
    while (j > 0 && n(j - 1) === n(i)) --j; // the first frame after this event
    if (j === 0) return this.frames[0].number;
    const before = n(j - 1);
    --j;
    while (j > 0 && n(j - 1) === before) --j;
    return this.frames[j].number;
  }

  held() {
    return this.bytes + this.templateBytes;
  }
}
