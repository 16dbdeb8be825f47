// The run's timeline beside the program's windows, outside them so that its
// keys are the page's and Tab reaches it while the program runs: a slider over every frame
// of the graphics window kept so far (program.frames, frame-store.js),
// buttons and keys that step a frame or an event, and Live. Showing a past
// frame holds the window's display only: the program runs on and its frames
// are still kept. The shown frame's calls are listed by frame-calls.js.
import {GRAPHICS} from '../runtime/trace.js';
import {showCalls} from './frame-calls.js';

const KEY_NAMES = {8: 'Backspace', 9: 'Tab', 13: 'Enter', 27: 'Escape', 32: 'Space'};
const decoder1252 = new TextDecoder('windows-1252');

function ordinal(n) {
  const tens = n % 100;
  const suffix = tens >= 11 && tens <= 13 ? 'th' : ['th', 'st', 'nd', 'rd'][n % 10] || 'th';
  return `${n}${suffix}`;
}

// The event a frame came after, in words.
export function eventText({kind, x, y, key, periodic}) {
  switch (kind) {
    case 1:
      return `a click at (${x}, ${y})`;
    case 2: {
      if (KEY_NAMES[key]) return `the key ${KEY_NAMES[key]}`;
      const c = decoder1252.decode(new Uint8Array([key]));
      return key > 32 && key !== 127 && !/\p{C}/u.test(c) ? `the key '${c}'` : `the key with code ${key}`;
    }
    case 3:
      return `the ${ordinal(periodic)} periodic event`;
    case 4:
      return 'the quit event';
    default:
      return '';
  }
}

export function frameText(record) {
  const what = eventText(record.event);
  const after = what ? `after ${what}` : 'before any event';
  return `Frame ${record.number}, ${after}, at ${(record.ns / 1e9).toFixed(2)} s`;
}

const store = (app) => app.state.run.program?.frames || null;

function graphicsHost(app) {
  const windows = app.state.run.program?.windows;
  if (!windows) return null;
  for (const host of windows.hosts.values()) if (host.frame.dataset.title === GRAPHICS) return host;
  return null;
}

function paint(host, width, height, pixels) {
  if (host.canvas.width !== width) host.canvas.width = width;
  if (host.canvas.height !== height) host.canvas.height = height;
  const data = new Uint8ClampedArray(pixels.buffer, pixels.byteOffset, width * height * 4);
  host.ctx.putImageData(new ImageData(data, width, height), 0, 0);
}

// Shows frame `number` (clamped to the frames kept), or follows the program
// again when `number` is null.
export function showFrame(app, number) {
  const t = app.state.timeline;
  const frames = store(app);
  const host = graphicsHost(app);
  if (!frames || !frames.last || !host) return;
  const windows = app.state.run.program.windows;
  if (number === null) {
    windows.held = 0;
    paint(host, frames.width, frames.height, frames.live);
    t.shown = null;
  } else {
    number = Math.min(Math.max(number, frames.first), frames.last);
    if (number === t.shown) return;
    const image = frames.image(number);
    windows.held = host.id;
    paint(host, image.width, image.height, image.pixels);
    t.shown = number;
  }
  update(app);
}

// The controls and the calls list for what is shown now.
function update(app) {
  const {ui, state} = app;
  const t = state.timeline;
  const frames = store(app);
  t.scheduled = false;
  if (!frames || !frames.last) return;
  // A shown frame the budget dropped gives way to the oldest one kept.
  if (t.shown !== null && t.shown < frames.first) return showFrame(app, frames.first);
  ui.timeline.hidden = false;
  const number = t.shown ?? frames.last;
  const record = frames.record(number);
  ui.frame.min = String(frames.first);
  ui.frame.max = String(frames.last);
  ui.frame.value = String(number);
  const text = frameText(record);
  ui.frame.setAttribute('aria-valuetext', text);
  ui.frameLabel.textContent = t.shown === null ? `Live: ${text}` : text;
  ui.live.setAttribute('aria-pressed', String(t.shown === null));
  ui.frameBack.disabled = number <= frames.first;
  ui.eventBack.disabled = number <= frames.first;
  ui.frameNext.disabled = ui.eventNext.disabled = t.shown === null || number >= frames.last;
  const changed = !t.record || t.record.number !== number || t.record.calls.length !== record.calls.length;
  t.record = record;
  if (!changed) return;
  t.chosen = -1;
  showCalls(app, record);
  t.events.dispatchEvent(new CustomEvent('frame', {detail: {number, live: t.shown === null, record}}));
}

// Live frames refresh the controls once per page frame, however many arrive.
function schedule(app) {
  const t = app.state.timeline;
  if (t.scheduled) return;
  t.scheduled = true;
  requestAnimationFrame(() => update(app));
}

// A new Run: nothing is shown until its first frame.
export function resetTimeline(app) {
  const t = app.state.timeline;
  Object.assign(t, {shown: null, record: null, chosen: -1, scheduled: false});
  app.ui.timeline.hidden = true;
  showCalls(app, null);
  if (app.editor) app.editor.markLine(0);
}

// Follows the frames of the program just started.
export function followFrames(app, program) {
  if (program.frames) program.frames.onAdd = () => schedule(app);
}

function step(app, how) {
  const frames = store(app);
  if (!frames || !frames.last) return;
  const at = app.state.timeline.shown ?? frames.last;
  const to = {
    frameBack: at - 1,
    frameNext: at + 1,
    eventBack: frames.eventStep(at, -1),
    eventNext: frames.eventStep(at, +1),
    first: frames.first,
  }[how];
  showFrame(app, how === 'live' ? null : to);
}

export function bindTimeline(app) {
  const {ui} = app;
  for (const how of ['frameBack', 'frameNext', 'eventBack', 'eventNext'])
    ui[how].addEventListener('click', () => step(app, how));
  ui.live.addEventListener('click', () => step(app, 'live'));
  ui.frame.addEventListener('input', () => showFrame(app, Number(ui.frame.value)));
  ui.timelineControls.addEventListener('keydown', (e) => {
    if (e.ctrlKey || e.altKey || e.metaKey) return;
    const back = e.key === 'ArrowLeft' || e.key === 'ArrowDown';
    const next = e.key === 'ArrowRight' || e.key === 'ArrowUp';
    let how = null;
    if (back || next) how = (e.shiftKey ? 'event' : 'frame') + (back ? 'Back' : 'Next');
    else if (e.key === 'PageDown') how = 'eventBack';
    else if (e.key === 'PageUp') how = 'eventNext';
    else if (e.key === 'Home') how = 'first';
    else if (e.key === 'End') how = 'live';
    if (!how) return;
    e.preventDefault();
    step(app, how);
  });
  ui.calls.addEventListener('keydown', (e) => {
    // Up and Down move along the list; Enter on a call chooses it (the button's own click).
    if (e.key !== 'ArrowUp' && e.key !== 'ArrowDown') return;
    const buttons = [...ui.calls.querySelectorAll('button')];
    const i = buttons.indexOf(document.activeElement);
    if (i < 0) return;
    e.preventDefault();
    buttons[Math.min(Math.max(i + (e.key === 'ArrowDown' ? 1 : -1), 0), buttons.length - 1)].focus();
  });
}
