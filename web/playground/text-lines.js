// What a program prints, as text a screen reader can walk and hear: the text
// window's lines kept in a list (the newest KEEP), and new lines of the text
// window and the console announced politely in batches, at most one
// announcement every INTERVAL_MS, so a program printing in a loop never
// floods the reader. The Announcer is plain logic with its clock handed in.

import {titledSection} from './sections.js';

export const KEEP = 300; // text window lines kept as text
export const INTERVAL_MS = 2000; // between two announcements at least
const GATHER_MS = 300; // a first line waits this long for the lines that follow it
const QUOTED = 3; // a batch this small is said in full

// A batch of new lines in words: all of them when few, else their count, the
// first (often the one that differs, such as a warning) and the last.
// batch: {count, first, recent: the last few lines}.
export function batchText({count, first, recent}) {
  if (count === 1) return first;
  if (count === recent.length && count <= QUOTED) return `${count} new lines: ${recent.join('; ')}`;
  return `${count} new lines; first: ${first}; last: ${recent[recent.length - 1]}`;
}

export class Announcer {
  // say(text): puts one announcement in the live region; later(f, ms) and
  // cancel(id) are setTimeout's and clearTimeout's, now() performance.now's.
  constructor({
    say,
    interval = INTERVAL_MS,
    now = () => performance.now(),
    later = (f, ms) => setTimeout(f, ms),
    cancel = (id) => clearTimeout(id),
  }) {
    Object.assign(this, {say, interval, now, later, cancel});
    this.said = -Infinity; // when the last announcement was made
    this.timer = null;
    this.pending = new Map(); // source label ('' for the text window) -> batch (batchText)
  }

  add(source, lines, dropped = 0) {
    if (lines.length === 0) return;
    const batch = this.pending.get(source) || {count: 0, first: lines[0], recent: []};
    batch.count += lines.length + dropped;
    // Only the first and the last few are ever said; the rest are counted.
    batch.recent = batch.recent.concat(lines.slice(-QUOTED)).slice(-QUOTED);
    this.pending.set(source, batch);
    if (this.timer !== null) return;
    const wait = Math.max(GATHER_MS, this.said + this.interval - this.now());
    this.timer = this.later(() => this.flush(), wait);
  }

  flush() {
    this.timer = null;
    if (this.pending.size === 0) return;
    const parts = [];
    for (const [source, batch] of this.pending) {
      const text = batchText(batch);
      parts.push(source ? `${source}: ${text}` : text);
    }
    this.pending.clear();
    this.said = this.now();
    this.say(parts.join('. '));
  }

  // A new run: what the last one printed is not announced any more.
  reset() {
    if (this.timer !== null) this.cancel(this.timer);
    this.timer = null;
    this.pending.clear();
  }
}

// The page's part, put in `parent` before `before`: the list of text window
// lines (for a reader only: the window shows them) and the live region.
export function createTextLines(parent, before) {
  const {section, title} = titledSection('pg-sr-text pg-visually-hidden', 'pg-sr-text-title', 'Text window as text');
  const list = document.createElement('ol');
  list.id = 'pg-sr-text-lines';
  list.setAttribute('aria-labelledby', 'pg-sr-text-title');
  // Not live itself: the announcements come in batches through `news`.
  const news = document.createElement('div');
  news.id = 'pg-sr-news';
  news.setAttribute('aria-live', 'polite');
  section.append(title, list, news);
  parent.insertBefore(section, before);
  const announcer = new Announcer({
    say(text) {
      const p = document.createElement('p');
      p.textContent = text;
      news.replaceChildren(p);
    },
  });
  return {list, news, announcer, pending: [], scheduled: false};
}

function flushLines(reader) {
  reader.scheduled = false;
  const items = reader.pending.splice(0).map((line) => {
    const li = document.createElement('li');
    li.textContent = line;
    return li;
  });
  reader.list.append(...items.slice(-KEEP));
  while (reader.list.childElementCount > KEEP) reader.list.firstElementChild.remove();
}

// The text window's new lines: kept as text once a page frame, and announced.
export function addTextLines(reader, lines, dropped = 0) {
  reader.announcer.add('', lines, dropped);
  reader.pending.push(...lines);
  if (reader.pending.length > KEEP) reader.pending.splice(0, reader.pending.length - KEEP);
  if (!reader.scheduled) {
    reader.scheduled = true;
    requestAnimationFrame(() => flushLines(reader));
  }
}

export function clearTextLines(reader) {
  reader.announcer.reset();
  reader.pending = [];
  reader.list.replaceChildren();
  reader.news.replaceChildren();
}
