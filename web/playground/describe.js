// The graphics window's picture in words, from the drawing calls that made
// it as the library logged them ("orange circle at (-193,95), radius 20"):
// the calls since the window was last cleared, runs of four or more calls
// of one kind told as one line with their count, colours, sizes and layout.
// Plain functions of call texts and a frame store's records; no page.

const MAX_CALLS = 20000; // calls gathered back from a frame at most
const MAX_LINES = 40; // lines of a description at most; the rest are counted
const GROUP_AT = 4; // a shorter run is told call by call
const TEXTS_GROUP_AT = 10; // texts are what a picture says: told one by one unless many
const LISTED = 8; // colours or texts named in a group's line at most

const P = '\\((-?\\d+),(-?\\d+)\\)';
const FORMS = [
  ['clear', /^Clearing the graphics window$/],
  ['flush', /^Flushing the graphics window$/],
  ['pixel', new RegExp(`^(.+?) pixel at ${P}$`)],
  ['circle', new RegExp(`^(.+?) circle at ${P}, radius (\\d+)$`)],
  ['triangle', new RegExp(`^(.+?) triangle at ${P}, ${P}, ${P}$`)],
  ['filled rectangle', new RegExp(`^(.+?) rectangle with bounding box ${P} to ${P}, filled$`)],
  ['rectangle outline', new RegExp(`^(.+?) rectangle with bounding box ${P} to ${P} with line width (\\d+)$`)],
  ['filled oval', new RegExp(`^(.+?) oval with bounding box ${P} to ${P}, filled$`)],
  ['oval outline', new RegExp(`^(.+?) oval with bounding box ${P} to ${P}, line width (\\d+)$`)],
  ['line', new RegExp(`^(.+?) line from ${P} to ${P}, width (\\d+)$`)],
  ['text', new RegExp(`^(.+?) text at ${P}, "([\\s\\S]*)"$`)],
];

// One logged call, read: {kind, colour, at: [x, y], ...} with its kind's
// numbers, or {kind: 'other'} for words of no known form.
export function readCall(text) {
  for (const [kind, form] of FORMS) {
    const m = form.exec(text);
    if (!m) continue;
    const n = m.slice(2).map(Number);
    switch (kind) {
      case 'clear':
      case 'flush':
        return {kind, text};
      case 'pixel':
        return {kind, text, colour: m[1], at: [n[0], n[1]]};
      case 'circle':
        return {kind, text, colour: m[1], at: [n[0], n[1]], size: n[2]};
      case 'triangle':
        return {kind, text, colour: m[1], at: [n[0], n[1]]};
      case 'line':
        return {kind, text, colour: m[1], at: [n[0], n[1]], to: [n[2], n[3]], width: n[4]};
      case 'text':
        return {kind, text, colour: m[1], at: [n[0], n[1]], words: m[4]};
      default:
        // Boxes: the library gives the top left corner first.
        return {
          kind,
          text,
          colour: m[1],
          at: [n[0], n[1]],
          box: [Math.abs(n[2] - n[0]), Math.abs(n[1] - n[3])],
          width: n[4] || 0,
        };
    }
  }
  return {kind: 'other', text};
}

const point = ([x, y]) => `(${x}, ${y})`;
// The library's words with room after each comma of a point, as read aloud;
// a text's own words stay as the program wrote them.
function spaced({text, words}) {
  const own = words === undefined ? text.length : text.length - words.length - 1;
  return text.slice(0, own).replace(/\((-?\d+),(-?\d+)\)/g, '($1, $2)') + text.slice(own);
}

// The distinct values, in the order first met.
const counted = (values) => [...new Set(values)];
// Spread arguments have a limit; a run may hold thousands of calls.
const least = (values) => values.reduce((a, b) => Math.min(a, b));
const most = (values) => values.reduce((a, b) => Math.max(a, b));

function listed(items) {
  if (items.length <= LISTED) return items.join(', ');
  return `${items.slice(0, LISTED).join(', ')} and ${items.length - LISTED} more`;
}

// An even step between consecutive values, or null.
function step(values) {
  if (values.length < 2) return null;
  const d = values[1] - values[0];
  for (let i = 2; i < values.length; ++i) if (values[i] - values[i - 1] !== d) return null;
  return d;
}

function evenlySpaced(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return step(sorted);
}

// Where the calls of a run stand, in words, from the first point of each.
export function layout(points) {
  const first = points[0];
  const last = points[points.length - 1];
  const xs = points.map((p) => p[0]);
  const ys = points.map((p) => p[1]);
  const ux = counted(xs);
  const uy = counted(ys);
  if (ux.length === 1 && uy.length === 1) return `all at ${point(first)}`;
  const dx = step(xs);
  const dy = step(ys);
  const every = (d) => (d !== null && d !== 0 ? `, ${Math.abs(d)} apart` : '');
  if (uy.length === 1) return `in a row from ${point(first)} to ${point(last)}${every(dx)}`;
  if (ux.length === 1) return `in a column from ${point(first)} to ${point(last)}${every(dy)}`;
  if (dx !== null && dy !== null) return `in a line from ${point(first)} to ${point(last)}`;
  const distinct = new Set(points.map((p) => `${p[0]},${p[1]}`)).size;
  const gx = evenlySpaced(ux);
  const gy = evenlySpaced(uy);
  if (distinct === points.length && ux.length * uy.length === points.length && gx && gy) {
    const apart = gx === gy ? `${gx} apart` : `${gx} apart across and ${gy} down`;
    return `in a grid of ${ux.length} columns and ${uy.length} rows, ${apart}, from ${point(first)} to ${point(last)}`;
  }
  const [left, right] = [least(xs), most(xs)];
  const [bottom, top] = [least(ys), most(ys)];
  return `spread over the box from ${point([left, top])} to ${point([right, bottom])}`;
}

function range(values, one, many) {
  const u = counted(values);
  if (u.length === 1) return one(u[0]);
  return many(least(u), most(u));
}

// A run of calls of one kind in one line.
function groupLine(calls) {
  const {kind} = calls[0];
  const n = calls.length;
  const colours = counted(calls.map((c) => c.colour));
  const parts = [];
  let head = `${n} ${colours.length === 1 ? `${colours[0]} ` : ''}${kind}s`;
  const connected = kind === 'line' && calls.every((c, i) => i === 0 || point(c.at) === point(calls[i - 1].to));
  if (connected) {
    head += `, joined end to end, from ${point(calls[0].at)} to ${point(calls[n - 1].to)}`;
  } else {
    head += ` ${layout(calls.map((c) => c.at))}`;
  }
  parts.push(head);
  if (kind === 'circle')
    parts.push(
      range(
        calls.map((c) => c.size),
        (r) => `radius ${r}`,
        (a, b) => `radius ${a} to ${b}`
      )
    );
  if (calls[0].box) {
    const sizes = counted(calls.map((c) => `${c.box[0]} by ${c.box[1]}`));
    const areas = calls.map((c) => c.box[0] * c.box[1]);
    const small = calls[areas.indexOf(least(areas))].box;
    const big = calls[areas.indexOf(most(areas))].box;
    parts.push(sizes.length === 1 ? `each ${sizes[0]}` : `from ${small[0]} by ${small[1]} to ${big[0]} by ${big[1]}`);
  }
  if (kind === 'line' || kind.endsWith(' outline')) {
    const word = kind === 'line' ? 'width' : 'line width';
    parts.push(
      range(
        calls.map((c) => c.width),
        (w) => `${word} ${w}`,
        (a, b) => `${word} ${a} to ${b}`
      )
    );
  }
  if (colours.length > 1) parts.push(`in ${colours.length} colours: ${listed(colours)}`);
  let line = parts.join(', ');
  if (kind === 'text') line += `: ${listed(calls.map((c) => `"${c.words}"`))}`;
  return line;
}

// The picture's lines: each call in the library's words, or its run's line.
// A flush draws nothing and is left out; a clear is told as what it leaves.
export function describeCalls(texts) {
  const calls = texts.map(readCall).filter((c) => c.kind !== 'flush');
  const lines = [];
  for (let i = 0; i < calls.length;) {
    const {kind} = calls[i];
    let j = i + 1;
    if (kind !== 'other' && kind !== 'clear') while (j < calls.length && calls[j].kind === kind) ++j;
    if (kind === 'clear') lines.push('the whole window cleared to white');
    else if (j - i >= (kind === 'text' ? TEXTS_GROUP_AT : GROUP_AT)) lines.push(groupLine(calls.slice(i, j)));
    else for (let k = i; k < j; ++k) lines.push(spaced(calls[k]));
    i = j;
  }
  return lines;
}

// The calls that made what frame `number` shows: from the last clear at or
// before it, over as many kept frames as that takes. `frames` is a frame
// store (record(n), first). cleared: a clear starts them; complete: nothing
// drawn before them can still show (a clear, or the run's first frame).
export function pictureCalls(frames, number, maxCalls = MAX_CALLS) {
  const runs = [];
  let count = 0;
  let cleared = false;
  let n = number;
  for (; n >= Math.max(1, frames.first); --n) {
    const record = frames.record(n);
    if (!record) break;
    const texts = record.calls.map((c) => c.text);
    const clear = texts.lastIndexOf('Clearing the graphics window');
    const taken = texts.slice(Math.max(clear, 0));
    runs.unshift(taken);
    count += taken.length;
    if (clear >= 0) {
      cleared = true;
      break;
    }
    if (count >= maxCalls) break;
  }
  const texts = runs.flat();
  const complete = cleared || n < 1;
  return {texts: complete ? texts : texts.slice(-maxCalls), cleared, complete};
}

// The whole description: a heading line and the picture's lines, at most
// MAX_LINES of them.
export function describePicture(frames, number, heading) {
  const {texts, cleared, complete} = pictureCalls(frames, number);
  const drawn = texts.filter(
    (t) => t !== 'Flushing the graphics window' && t !== 'Clearing the graphics window'
  ).length;
  const since = cleared ? 'since the window was last cleared' : 'since the program started';
  const head =
    drawn === 0
      ? `${heading}: nothing drawn ${since}.`
      : `${heading}: ${drawn} drawing call${drawn === 1 ? '' : 's'} ${since}, in drawing order, later over earlier:`;
  const lines = describeCalls(texts);
  if (!complete) lines.unshift('(earlier drawing, no longer kept, may show too)');
  if (lines.length > MAX_LINES) {
    const rest = lines.length - MAX_LINES + 1;
    lines.splice(MAX_LINES - 1, rest, `… and ${rest} more lines of drawing`);
  }
  return {head, lines};
}
