// The run's trace in the program's worker: the library's debugger
// announcements (site, call, event lines) gathered into one record per frame
// of the graphics window, where a frame is one present of the host titled
// GRAPHICS. The worker attaches the record to that present's message, so the
// page gets one message per frame however many calls the frame made. The
// text window's lines are gathered too, for the worker to send in batches.

export const GRAPHICS = 'TELKA Graphics';
export const EVENT = {none: 0, mouse: 1, key: 2, periodic: 3, quit: 4};

const SITE = 'TELKA site: ';
const CALL = 'TELKA call: ';
const EVENT_LINE = 'TELKA event: ';
const TEXT = 'TELKA text: ';
// Text lines held between two takes at most: a program printing in a loop
// that never waits keeps its newest lines and a count of the others.
const TEXT_KEEP = 500;

export class Trace {
  // now(): the program's monotonic clock in ns (the clock WASI gives it).
  constructor(now = () => Math.round(performance.now() * 1e6)) {
    this.now = now;
    this.graphics = new Set(); // ids of hosts titled GRAPHICS
    this.frames = 0; // frames presented so far
    this.calls = []; // this frame's calls so far: {text, line, file}
    this.site = null; // {line, file} announced for the next call
    // The last event a wait returned; n counts every event, periodic the periodic ones.
    this.event = {kind: EVENT.none, x: 0, y: 0, key: 0, periodic: 0, n: 0};
    this.text = []; // text window lines since the last takeText()
    this.textDropped = 0; // lines past TEXT_KEEP since then
  }

  titled(id, title) {
    if (title === GRAPHICS) this.graphics.add(id);
    else this.graphics.delete(id);
  }

  // One OutputDebugStringA string; each announcement is a line of its own.
  // A text window line is the whole string: what a program prints may hold
  // newlines, and nothing after them is an announcement.
  take(text) {
    if (text.startsWith(TEXT)) {
      this.site = null;
      this.text.push(text.slice(TEXT.length, text.endsWith('\n') ? -1 : undefined));
      if (this.text.length >= 2 * TEXT_KEEP) this.dropText();
      return;
    }
    for (const line of text.split('\n')) if (line) this.announce(line);
  }

  // Trimmed in bulk: a line at a time would cost the whole list per line.
  dropText() {
    const extra = this.text.length - TEXT_KEEP;
    if (extra <= 0) return;
    this.text.splice(0, extra);
    this.textDropped += extra;
  }

  // The text window lines since the last take, {lines, dropped}, or null when none came.
  takeText() {
    if (this.text.length === 0) return null;
    this.dropText();
    const taken = {lines: this.text, dropped: this.textDropped};
    this.text = [];
    this.textDropped = 0;
    return taken;
  }

  announce(line) {
    if (line.startsWith(CALL)) {
      const site = this.site || {line: 0, file: ''};
      this.calls.push({text: line.slice(CALL.length), line: site.line, file: site.file});
      this.site = null;
      return;
    }
    // A site belongs to the call right after it, and to nothing else.
    this.site = null;
    if (line.startsWith(SITE)) {
      const m = /^(\d+) (.*)$/.exec(line.slice(SITE.length));
      if (m) this.site = {line: Number(m[1]), file: m[2]};
    } else if (line.startsWith(EVENT_LINE)) {
      const f = line.slice(EVENT_LINE.length).split(' ').map(Number);
      if (f.length !== 4 || f.some((v) => !Number.isInteger(v))) return;
      const [kind, x, y, key] = f;
      const e = this.event;
      this.event = {kind, x, y, key, periodic: e.periodic + (kind === EVENT.periodic ? 1 : 0), n: e.n + 1};
    }
  }

  // The record of the frame a present of host `id` makes, or null when the
  // host is not the graphics window.
  present(id) {
    if (!this.graphics.has(id)) return null;
    const record = {number: ++this.frames, ns: this.now(), event: this.event, calls: this.calls};
    this.calls = [];
    return record;
  }
}
