// The pixel history panel: choosing a pixel of the graphics window (a click
// while the window shows a kept frame or the program has ended, or the
// crosshair of the window's overlay moved by keyboard) replays the run to
// the shown frame once, keeps that frame's explain dump, and says in words
// which calls drew the pixel (explain-dump.js). The same overlay outlines
// the pixels drawn by the call chosen in the timeline's list or by the calls
// on the editor's line. Relies on the runtime's program.replay().
import {StateEffect} from '@codemirror/state';
import {EditorView} from '@codemirror/view';

import {callWords, forEachPixel, parseExplainDump, pixelHistory} from './explain-dump.js';

const GRAPHICS = 'TELKA Graphics';

const history = (app) => app.state.history;

function graphicsHost(program) {
  for (const host of program?.windows.hosts.values() || []) if (host.frame.dataset.title === GRAPHICS) return host;
  return null;
}

// The frame the graphics window shows: the timeline's, or the last one.
function shownFrame(app) {
  const shown = app.state.timeline?.shown;
  if (shown) return shown;
  const program = app.state.run.program;
  const host = graphicsHost(program);
  return host ? program.windows.presents.get(host.id) || 0 : 0;
}

// While the program runs and the window follows it, a click is the program's.
const following = (app) => app.state.page.state === 'running' && !app.state.timeline?.shown;

function dumpOf(app, frame) {
  const h = history(app);
  const program = app.state.run.program;
  if (h.program !== program) {
    h.program = program;
    h.dumps.clear();
  }
  if (!h.dumps.has(frame)) {
    h.dumps.set(
      frame,
      program.replay({explainFrame: frame, hashFrames: false}).then((r) => {
        if (r.dump) {
          try {
            return {dump: parseExplainDump(r.dump), replayMs: r.ms};
          } catch (e) {
            return {problem: `The explain dump of frame ${frame} could not be read: ${e.message}.`};
          }
        }
        const why =
          r.frames >= frame
            ? 'the program made no explain dump (its library has no explain module)'
            : r.diverged || r.error || r.trap?.message || 'the replay ended before it';
        return {problem: `Frame ${frame} could not be explained: ${why}.`};
      })
    );
  }
  return h.dumps.get(frame);
}

function say(app, pieces) {
  const out = app.ui.historyText;
  out.replaceChildren(
    ...pieces.map((piece) => {
      if (typeof piece === 'string') return document.createTextNode(piece);
      if (!piece.call.line) return document.createTextNode(callWords(piece));
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'pg-history-call';
      button.textContent = callWords(piece);
      button.title = `Show line ${piece.call.line} in the editor`;
      button.addEventListener('click', () => {
        if (app.editor.markLine) app.editor.markLine(piece.call.line);
        else app.editor.goTo(piece.call.line, 1);
        outline(app, history(app).outline?.frame ?? piece.call.frame, [piece.call.id]);
      });
      return button;
    })
  );
}

// The history of host-surface pixel (sx, sy) in the shown frame.
export async function askPixel(app, sx, sy) {
  const h = history(app);
  const program = app.state.run.program;
  const host = graphicsHost(program);
  const frame = shownFrame(app);
  if (!host || frame === 0) {
    say(app, ['The graphics window has shown no frame yet.']);
    return;
  }
  const asked = ++h.asked;
  const start = performance.now();
  const cached = h.dumps.has(frame) && h.program === program;
  if (!cached) say(app, [`Replaying the run to frame ${frame}…`]);
  const {dump, problem, replayMs} = await dumpOf(app, frame);
  if (asked !== h.asked) return;
  if (problem) {
    say(app, [problem]);
    return;
  }
  const px = sx,
    py = sy - (host.canvas.height - dump.height);
  if (px < 0 || py < 0 || px >= dump.width || py >= dump.height) {
    say(app, ['That point is outside the drawing area (the menu bar is above it).']);
    return;
  }
  say(app, pixelHistory(dump, px, py));
  h.ms = {frame, replay: cached ? null : replayMs, total: performance.now() - start};
}

// The overlay over the graphics canvas: outlines, and the keyboard's crosshair.
function overlay(app) {
  const h = history(app);
  const host = graphicsHost(app.state.run.program);
  if (!host) return null;
  if (h.overlay?.host === host) return h.overlay;
  const canvas = document.createElement('canvas');
  canvas.className = 'pg-overlay';
  canvas.tabIndex = 0;
  canvas.dataset.telkaPageKeys = ''; // its keys are the page's, not the program's
  canvas.setAttribute('role', 'application');
  canvas.setAttribute('aria-roledescription', 'pixel chooser');
  canvas.setAttribute(
    'aria-label',
    'Choose a pixel: arrow keys move the crosshair (Shift: 10 pixels), Enter tells its history, Escape clears'
  );
  canvas.addEventListener('keydown', (e) => overlayKey(app, e));
  canvas.addEventListener('focus', () => draw(app));
  canvas.addEventListener('blur', () => draw(app));
  host.frame.append(canvas);
  h.overlay = {canvas, host};
  h.cursor = [host.canvas.width >> 1, host.canvas.height >> 1];
  draw(app);
  return h.overlay;
}

const STEPS = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1]};

function overlayKey(app, e) {
  const h = history(app);
  const {host} = h.overlay;
  if (STEPS[e.key]) {
    const [dx, dy] = STEPS[e.key];
    const n = e.shiftKey ? 10 : 1;
    const [x, y] = h.cursor;
    h.cursor = [
      Math.min(Math.max(0, x + dx * n), host.canvas.width - 1),
      Math.min(Math.max(0, y + dy * n), host.canvas.height - 1),
    ];
    draw(app);
  } else if (e.key === 'Enter' || e.key === ' ') {
    askPixel(app, ...h.cursor);
  } else if (e.key === 'Escape') {
    h.outline = null;
    draw(app);
  } else {
    return;
  }
  e.preventDefault();
  e.stopPropagation();
}

// Outlines, a pixel outside them wide, the pixels the calls `ids` wrote in
// `frame`; they stay until another choice or Escape.
async function outline(app, frame, ids) {
  const h = history(app);
  h.outline = {frame, ids};
  h.chosenAt = performance.now();
  if (!ids.length) {
    draw(app);
    return;
  }
  const result = await dumpOf(app, frame);
  if (h.outline?.frame === frame && h.outline.ids === ids) draw(app, result.dump);
}

function draw(app, dump = null) {
  const h = history(app);
  const o = h.overlay;
  if (!o) return;
  const {canvas, host} = o;
  if (canvas.width !== host.canvas.width) canvas.width = host.canvas.width;
  if (canvas.height !== host.canvas.height) canvas.height = host.canvas.height;
  canvas.style.left = `${host.canvas.offsetLeft}px`;
  canvas.style.top = `${host.canvas.offsetTop}px`;
  canvas.style.width = `${host.canvas.offsetWidth}px`;
  canvas.style.height = `${host.canvas.offsetHeight}px`;
  const ctx = canvas.getContext('2d');
  const image = ctx.createImageData(canvas.width, canvas.height);
  const px = new Uint32Array(image.data.buffer);
  if (dump && h.outline) {
    const top = canvas.height - dump.height;
    const inside = new Uint8Array(dump.width * dump.height);
    for (const footprint of dump.footprints)
      if (h.outline.ids.includes(footprint.id)) forEachPixel(footprint, (x, y) => (inside[y * dump.width + x] = 1));
    const w = dump.width;
    for (let y = 0; y < dump.height; ++y)
      for (let x = 0; x < w; ++x) {
        const i = y * w + x;
        if (inside[i]) continue;
        const edge =
          (x > 0 && inside[i - 1]) ||
          (x < w - 1 && inside[i + 1]) ||
          (y > 0 && inside[i - w]) ||
          (y < dump.height - 1 && inside[i + w]);
        // Black and white in turn: one of them stands out on any colour.
        if (edge) px[(y + top) * canvas.width + x] = (x + y) & 1 ? 0xff000000 : 0xffffffff;
      }
  }
  ctx.putImageData(image, 0, 0);
  if (document.activeElement === canvas && h.cursor) {
    const [x, y] = h.cursor;
    ctx.fillStyle = '#ff00ff';
    ctx.fillRect(x - 6, y, 5, 1);
    ctx.fillRect(x + 2, y, 5, 1);
    ctx.fillRect(x, y - 6, 1, 5);
    ctx.fillRect(x, y + 2, 1, 5);
  }
}

// The calls of the shown frame on `line` of the editor, outlined.
async function outlineLine(app, line) {
  // A call chosen by name just moved the cursor to its line: it stays outlined alone.
  if (following(app) || !app.state.run.program || performance.now() - history(app).chosenAt < 500) return;
  const frame = shownFrame(app);
  if (!frame || !overlay(app)) return;
  const {dump} = await dumpOf(app, frame);
  if (!dump) return;
  outline(
    app,
    frame,
    dump.frameCalls.filter((c) => c.line === line).map((c) => c.id)
  );
}

export function bindPixelHistory(app) {
  const {ui, state} = app;
  // For tests: the last run played again, and the last answer's times.
  state.page.pixelHistory = {
    replay: async (options) => {
      const r = await state.run.program.replay(options);
      return {...r, frameHashes: [...r.frameHashes], dump: null, observedBytes: state.run.program.observedBytes()};
    },
    ms: () => history(app).ms,
    cursor: () => history(app).cursor,
  };
  // Clicks on the window while it does not follow the program ask; the
  // program never sees them.
  for (const type of ['pointerdown', 'pointerup'])
    ui.desktop.addEventListener(
      type,
      (e) => {
        const host = graphicsHost(state.run.program);
        if (!host || e.target !== host.canvas || following(app) || e.button !== 0) return;
        e.stopPropagation();
        e.preventDefault();
        if (type === 'pointerup') return;
        const [x, y] = state.run.program.windows.point(host, e);
        overlay(app);
        history(app).cursor = [x, y];
        askPixel(app, x, y);
      },
      true
    );
  // The overlay comes with the graphics window.
  new MutationObserver(() => {
    if (graphicsHost(state.run.program) && !ui.desktop.querySelector('.pg-overlay')) overlay(app);
  }).observe(ui.desktop, {childList: true, subtree: true});

  const events = state.timeline?.events;
  if (events) {
    events.addEventListener('call', (e) => {
      const {index, frame} = e.detail;
      const number = typeof frame === 'number' ? frame : frame?.number;
      if (!number) return;
      dumpOf(app, number).then(({dump}) => {
        const call = dump?.frameCalls[index];
        if (call) outline(app, number, [call.id]);
      });
    });
    events.addEventListener('frame', () => {
      history(app).outline = null;
      draw(app);
    });
  }

  let lastLine = 0;
  let timer = 0;
  app.editor.view.dispatch({
    effects: StateEffect.appendConfig.of(
      EditorView.updateListener.of((update) => {
        if (!update.selectionSet) return;
        const line = update.state.doc.lineAt(update.state.selection.main.head).number;
        if (line === lastLine) return;
        lastLine = line;
        clearTimeout(timer);
        timer = setTimeout(() => outlineLine(app, line), 250);
      })
    ),
  });
}
