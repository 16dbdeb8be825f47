// What a program observes from outside during a run, in order, so that a
// replay can answer it the same and so draw the same frames: the input
// side's answers (pending, records, screen size, waits, offered files) and
// WASI's clocks, random bytes and polls. Everything else the program sees is
// fixed by its module, arguments and starting files. The log is a byte
// stream of tagged entries with variable-length numbers: clocks go as
// differences, so a ten-minute game run stays a few MB.
import {RECORD_INTS} from './channel.js';

const TAG = {pending: 1, take: 2, screen: 3, wait: 4, file: 5, clock: 6, clockFull: 7, random: 8, poll: 9};
const TAG_NAMES = Object.fromEntries(Object.entries(TAG).map(([name, tag]) => [tag, name]));
const ASKS = {
  pending: 'the count of pending input',
  take: 'an input record',
  screen: 'the screen size',
  wait: 'a wait for input',
  file: 'an offered file',
  clock: 'the clock',
  clockFull: 'the clock',
  random: 'random bytes',
  poll: 'a sleep',
};
const POLL_EVENT_BYTES = 32;

// Bytes that grow by doubling; the page keeps one for the last run too.
export class ByteLog {
  constructor(capacity = 4096) {
    this.data = new Uint8Array(capacity);
    this.length = 0;
  }

  room(n) {
    if (this.length + n <= this.data.length) return;
    let size = this.data.length * 2;
    while (size < this.length + n) size *= 2;
    const grown = new Uint8Array(size);
    grown.set(this.data.subarray(0, this.length));
    this.data = grown;
  }

  append(bytes) {
    this.room(bytes.length);
    this.data.set(bytes, this.length);
    this.length += bytes.length;
  }

  bytes() {
    return this.data.subarray(0, this.length);
  }
}

// Unsigned numbers below 2^53, seven bits a byte.
function putNumber(log, n) {
  log.room(8);
  while (n >= 0x80) {
    log.data[log.length++] = (n % 0x80) | 0x80;
    n = Math.floor(n / 0x80);
  }
  log.data[log.length++] = n;
}
const zigzag = (n) => (n >= 0 ? 2 * n : -2 * n - 1);
const unzigzag = (z) => (z % 2 === 0 ? z / 2 : -(z + 1) / 2);

// The live side: a log that the worker fills and hands on in chunks.
export class ObservationWriter {
  constructor() {
    this.log = new ByteLog(1 << 16);
    this.sent = 0;
    this.lastClock = new Map(); // clock id -> last value (BigInt)
  }

  tag(t) {
    this.log.room(1);
    this.log.data[this.log.length++] = t;
  }

  number(n) {
    putNumber(this.log, n);
  }

  raw(bytes) {
    this.number(bytes.length);
    this.log.append(bytes);
  }

  clock(id, value) {
    const delta = value - (this.lastClock.get(id) ?? 0n);
    this.lastClock.set(id, value);
    if (delta >= -(2n ** 51n) && delta < 2n ** 51n) {
      this.tag(TAG.clock);
      this.number(id);
      this.number(zigzag(Number(delta)));
    } else {
      const full = new Uint8Array(8);
      new DataView(full.buffer).setBigUint64(0, value, true);
      this.tag(TAG.clockFull);
      this.number(id);
      this.log.append(full);
    }
  }

  // What was logged since the last call, as a copy the worker may transfer.
  takeNew() {
    if (this.sent === this.log.length) return null;
    const chunk = this.log.data.slice(this.sent, this.log.length);
    this.sent = this.log.length;
    return chunk;
  }
}

// Ends a replay that asks for something the run did not, or more than it did.
export class Divergence extends Error {}

export class ObservationReader {
  constructor(bytes) {
    this.data = bytes;
    this.at = 0;
    this.entries = 0;
    this.lastClock = new Map();
  }

  number() {
    let n = 0,
      scale = 1,
      byte;
    do {
      if (this.at >= this.data.length) throw new Divergence('the replay ran past the end of the recorded run');
      byte = this.data[this.at++];
      n += (byte & 0x7f) * scale;
      scale *= 0x80;
    } while (byte & 0x80);
    return n;
  }

  raw() {
    const length = this.number();
    const bytes = this.data.slice(this.at, this.at + length);
    this.at += length;
    return bytes;
  }

  peek() {
    return this.at < this.data.length ? this.data[this.at] : 0;
  }

  expect(...tags) {
    const what = ASKS[TAG_NAMES[tags[0]]];
    if (this.at >= this.data.length)
      throw new Divergence(`the replay ran past the end of the recorded run (the program asked for ${what})`);
    const t = this.data[this.at];
    if (!tags.includes(t))
      throw new Divergence(
        `the replay went another way than the run: at observation ${this.entries + 1} the program asked for ` +
          `${what}, where the run had ${ASKS[TAG_NAMES[t]] || 'something unknown'}`
      );
    ++this.at;
    ++this.entries;
    return t;
  }

  clock(id) {
    const t = this.expect(TAG.clock, TAG.clockFull);
    const recorded = this.number();
    if (recorded !== id)
      throw new Divergence(
        `the replay went another way than the run: it read clock ${id} where the run read ${recorded}`
      );
    let value;
    if (t === TAG.clock) {
      value = (this.lastClock.get(id) ?? 0n) + BigInt(unzigzag(this.number()));
    } else {
      value = new DataView(this.data.buffer, this.data.byteOffset + this.at, 8).getBigUint64(0, true);
      this.at += 8;
    }
    this.lastClock.set(id, value);
    return value;
  }
}

// The live input side (channel.js's InputReader) with every answer logged.
export class RecordingInput {
  constructor(reader, writer) {
    this.reader = reader;
    this.w = writer;
  }

  pending() {
    const n = this.reader.pending();
    this.w.tag(TAG.pending);
    this.w.number(n);
    return n;
  }

  take(out, index) {
    const ok = this.reader.take(out, index);
    this.w.tag(TAG.take);
    this.w.number(ok ? 1 : 0);
    if (ok) for (let i = 0; i < RECORD_INTS; ++i) this.w.number(zigzag(out[index + i]));
    return ok;
  }

  wait(timeoutMs) {
    this.reader.wait(timeoutMs);
    this.w.tag(TAG.wait);
  }

  sleep(ms) {
    this.reader.sleep(ms);
  }

  screen() {
    const [width, height] = this.reader.screen();
    this.w.tag(TAG.screen);
    this.w.number(width);
    this.w.number(height);
    return [width, height];
  }

  // Only a file taken is logged: the replay's takeFile looks for one at the
  // same places, and a wait or a record always lies between two of them.
  takeFile() {
    const bytes = this.reader.takeFile();
    if (bytes) {
      this.w.tag(TAG.file);
      this.w.raw(bytes);
    }
    return bytes;
  }
}

// The same answers, from the log; a wait returns at once.
export class ReplayInput {
  constructor(reader) {
    this.r = reader;
  }

  pending() {
    this.r.expect(TAG.pending);
    return this.r.number();
  }

  take(out, index) {
    this.r.expect(TAG.take);
    if (this.r.number() === 0) return false;
    for (let i = 0; i < RECORD_INTS; ++i) out[index + i] = unzigzag(this.r.number());
    return true;
  }

  wait() {
    this.r.expect(TAG.wait);
  }

  sleep() {}

  screen() {
    this.r.expect(TAG.screen);
    return [this.r.number(), this.r.number()];
  }

  takeFile() {
    if (this.r.peek() !== TAG.file) return null;
    this.r.expect(TAG.file);
    return this.r.raw();
  }
}

// WASI's answers that come from outside the program: logged after the
// call (record) or written from the log instead of it (replay).
// `memory()` gives the program's memory once it is instantiated.
export function recordWasi(wasiImport, memory, writer) {
  const {clock_time_get: clock, random_get: random, poll_oneoff: poll} = wasiImport;
  wasiImport.clock_time_get = (id, precision, out) => {
    const errno = clock(id, precision, out);
    writer.clock(id, new DataView(memory().buffer).getBigUint64(out, true));
    return errno;
  };
  wasiImport.random_get = (buf, length) => {
    const errno = random(buf, length);
    writer.tag(TAG.random);
    writer.raw(new Uint8Array(memory().buffer, buf, length));
    return errno ?? 0;
  };
  wasiImport.poll_oneoff = (inPtr, outPtr, count, countOut) => {
    const errno = poll(inPtr, outPtr, count, countOut);
    const heap = new Uint8Array(memory().buffer);
    writer.tag(TAG.poll);
    writer.number(errno);
    writer.raw(heap.slice(outPtr, outPtr + POLL_EVENT_BYTES * Math.max(1, count)));
    writer.raw(heap.slice(countOut, countOut + 4));
    return errno;
  };
}

export function replayWasi(wasiImport, memory, reader) {
  wasiImport.clock_time_get = (id, precision, out) => {
    const value = reader.clock(id);
    new DataView(memory().buffer).setBigUint64(out, value, true);
    return 0;
  };
  wasiImport.random_get = (buf, length) => {
    reader.expect(TAG.random);
    new Uint8Array(memory().buffer).set(reader.raw().subarray(0, length), buf);
    return 0;
  };
  wasiImport.poll_oneoff = (inPtr, outPtr, count, countOut) => {
    reader.expect(TAG.poll);
    const errno = reader.number();
    const heap = new Uint8Array(memory().buffer);
    heap.set(reader.raw(), outPtr);
    heap.set(reader.raw(), countOut);
    return errno;
  };
}

// A frame's pixels (0x00RRGGBB words, `stride` words a row) as one number:
// FNV-1a over the colour of each pixel, row by row.
export function frameHash(words, offset, width, height, stride) {
  let h = 2166136261;
  for (let y = 0; y < height; ++y) {
    const row = offset + y * stride;
    for (let x = 0; x < width; ++x) h = Math.imul(h ^ (words[row + x] & 0xffffff), 16777619);
  }
  return h >>> 0;
}
