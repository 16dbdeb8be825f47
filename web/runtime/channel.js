// The shared memory between the page and a program's worker: a queue of
// input records that the page writes and the program reads, a signal word
// the program's wait blocks on (Atomics.wait), the screen size, and a slot
// through which the page hands over a new TELKA.SCR. Both sides import this
// file; only the page writes records and only the worker reads them.

// Header words of the control array.
export const WRITTEN = 0; // records written so far (page)
export const TAKEN = 1; // records taken so far (worker)
export const SIGNAL = 2; // bumped on every record; the wait sleeps on it
export const SCREEN_W = 3;
export const SCREEN_H = 4;
export const FILE_OFFERED = 5; // bumped when the page puts a file in the slot
export const FILE_TAKEN = 6; // the offer the worker has taken
export const FILE_LENGTH = 7;
const HEADER = 16;

// A record: kind, host, keyCode, location, mods, repeat, button, x, y, typed
// (the layout of platform/backends/web/web_internal.h). typed: the code
// point a key down typed on the student's layout, TYPED_NOTHING for a dead
// key, TYPED_BY_TABLE when the key types no character of its own (Enter,
// arrows: the program's US table decides); a text record's code point.
export const RECORD_INTS = 10;
export const RECORD = {keyDown: 1, keyUp: 2, buttonDown: 3, buttonUp: 4, motion: 5, focusIn: 6, close: 7, text: 8};
export const TYPED_NOTHING = 0;
export const TYPED_BY_TABLE = -1;

export function keyRecord(down, host, keyCode, location, mods, {repeat = false, typed = TYPED_BY_TABLE} = {}) {
  return [down ? RECORD.keyDown : RECORD.keyUp, host, keyCode, location, mods, repeat ? 1 : 0, 0, 0, 0, typed];
}

// A character that came without a key, one code point.
export function textRecord(host, codePoint) {
  return [RECORD.text, host, 0, 0, 0, 0, 0, 0, 0, codePoint];
}

// Room for more input than a person can type between two waits; records
// beyond it wait in the page (see InputWriter), none is dropped.
export const RING_RECORDS = 4096;

// TELKA.SCR as the page may hand it over; the library reads far less.
export const FILE_SLOT_BYTES = 4 << 20;

export function makeChannel() {
  return {
    control: new SharedArrayBuffer(4 * (HEADER + RING_RECORDS * RECORD_INTS)),
    file: new SharedArrayBuffer(FILE_SLOT_BYTES),
  };
}

// The page's side: records go into the ring in order; while the ring is full
// (a program that does not wait) they queue here and move on as it drains.
export class InputWriter {
  constructor(channel) {
    this.ctl = new Int32Array(channel.control);
    this.fileSlot = new Uint8Array(channel.file);
    this.backlog = [];
    this.timer = 0;
  }

  push(record) {
    this.backlog.push(record);
    this.drain();
  }

  drain() {
    const ctl = this.ctl;
    let moved = 0;
    while (this.backlog.length > 0) {
      const written = Atomics.load(ctl, WRITTEN);
      if (written - Atomics.load(ctl, TAKEN) >= RING_RECORDS) break;
      const base = HEADER + (written % RING_RECORDS) * RECORD_INTS;
      const record = this.backlog.shift();
      for (let i = 0; i < RECORD_INTS; ++i) ctl[base + i] = record[i] | 0;
      Atomics.store(ctl, WRITTEN, written + 1); // publishes the record's words
      ++moved;
    }
    if (moved > 0) this.wake();
    if (this.backlog.length > 0 && !this.timer) {
      this.timer = setTimeout(() => {
        this.timer = 0;
        this.drain();
      }, 20);
    }
  }

  wake() {
    Atomics.add(this.ctl, SIGNAL, 1);
    Atomics.notify(this.ctl, SIGNAL);
  }

  setScreen(width, height) {
    Atomics.store(this.ctl, SCREEN_W, width);
    Atomics.store(this.ctl, SCREEN_H, height);
  }

  // False while the program has not taken the last file offered (it takes
  // one at each wait), or when the file is too large for the slot.
  offerFile(bytes) {
    const ctl = this.ctl;
    if (bytes.length > FILE_SLOT_BYTES) return false;
    if (Atomics.load(ctl, FILE_TAKEN) !== Atomics.load(ctl, FILE_OFFERED)) return false;
    this.fileSlot.set(bytes);
    Atomics.store(ctl, FILE_LENGTH, bytes.length);
    Atomics.add(ctl, FILE_OFFERED, 1);
    this.wake();
    return true;
  }

  dispose() {
    clearTimeout(this.timer);
    this.backlog = [];
  }
}

// The worker's side.
export class InputReader {
  constructor(channel) {
    this.ctl = new Int32Array(channel.control);
    this.fileSlot = new Uint8Array(channel.file);
  }

  pending() {
    return Atomics.load(this.ctl, WRITTEN) - Atomics.load(this.ctl, TAKEN);
  }

  // Copies the oldest record into `out` (RECORD_INTS int32 at `index`);
  // false when there is none.
  take(out, index) {
    const ctl = this.ctl;
    const taken = Atomics.load(ctl, TAKEN);
    if (Atomics.load(ctl, WRITTEN) === taken) return false;
    const base = HEADER + (taken % RING_RECORDS) * RECORD_INTS;
    for (let i = 0; i < RECORD_INTS; ++i) out[index + i] = ctl[base + i];
    Atomics.store(ctl, TAKEN, taken + 1);
    return true;
  }

  // Sleeps until a record arrives or `timeoutMs` passes (negative: no limit).
  wait(timeoutMs) {
    const seen = Atomics.load(this.ctl, SIGNAL);
    if (this.pending() > 0) return;
    Atomics.wait(this.ctl, SIGNAL, seen, timeoutMs < 0 ? Infinity : timeoutMs);
  }

  // Sleeps for `ms` whatever arrives (a program's own sleep).
  sleep(ms) {
    const end = performance.now() + ms;
    for (let left = ms; left > 0; left = end - performance.now()) {
      Atomics.wait(this.ctl, FILE_LENGTH + 1, 0, left); // a word nobody changes
    }
  }

  screen() {
    return [Atomics.load(this.ctl, SCREEN_W), Atomics.load(this.ctl, SCREEN_H)];
  }

  // The file the page offered since the last call, or null.
  takeFile() {
    const ctl = this.ctl;
    const offered = Atomics.load(ctl, FILE_OFFERED);
    if (offered === Atomics.load(ctl, FILE_TAKEN)) return null;
    const bytes = this.fileSlot.slice(0, Atomics.load(ctl, FILE_LENGTH));
    Atomics.store(ctl, FILE_TAKEN, offered);
    return bytes;
  }
}
