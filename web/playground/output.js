// What a program shows besides the status line: its windows, which the
// runtime draws in the desktop element, its console, which keeps the
// newest CONSOLE_KEEP characters of stdout and stderr, and its text window's
// lines as text (text-lines.js). Console output is gathered and written once
// a frame: a program printing in a loop must not rebuild the page for every
// line. New lines of both are announced in batches, never one by one.
import {addTextLines, clearTextLines, createTextLines} from './text-lines.js';

const CONSOLE_KEEP = 200000;

// The last program's windows and output go: what shows belongs to this Run.
export function clearOutput(app) {
  app.ui.desktop.replaceChildren();
  app.ui.console.replaceChildren();
  app.state.output.pending = [];
  if (app.state.reader.text) clearTextLines(app.state.reader.text);
}

// The text window's new lines from the runtime's onText.
export function writeTextLines(app, lines, dropped) {
  addTextLines(app.state.reader.text, lines, dropped);
}

function flushOutput(app) {
  const out = app.state.output;
  const view = app.ui.console;
  out.scheduled = false;
  const atEnd = view.scrollTop + view.clientHeight >= view.scrollHeight - 4;
  for (const [stream, text] of out.pending) {
    const last = view.lastChild;
    if (last && last.dataset.stream === stream) {
      last.textContent += text;
    } else {
      const span = document.createElement('span');
      span.dataset.stream = stream;
      if (stream === 'stderr') span.className = 'pg-stderr';
      span.textContent = text;
      view.appendChild(span);
    }
  }
  out.pending = [];
  let length = view.textContent.length;
  while (length > CONSOLE_KEEP && view.firstChild) {
    const first = view.firstChild;
    const cut = Math.min(first.textContent.length, length - CONSOLE_KEEP);
    if (cut >= first.textContent.length) first.remove();
    else first.textContent = first.textContent.slice(cut);
    length -= cut;
  }
  if (atEnd) view.scrollTop = view.scrollHeight;
}

// What the program printed on `stream` ('stdout' or 'stderr').
export function writeOutput(app, stream, text) {
  const out = app.state.output;
  out.pending.push([stream, String(text)]);
  const lines = String(text)
    .split('\n')
    .filter((line) => line.trim());
  app.state.reader.text.announcer.add('Console', lines);
  if (!out.scheduled) {
    out.scheduled = true;
    requestAnimationFrame(() => flushOutput(app));
  }
}

export function bindOutput(app) {
  const {ui, state} = app;
  // The console stays a log to read, but is not live: a program printing
  // in a loop would have every chunk read out. The announcer says its lines.
  ui.console.setAttribute('aria-live', 'off');
  const title = ui.console.previousElementSibling;
  const before = title && /^H\d$/.test(title.tagName) ? title : ui.console;
  state.reader.text = createTextLines(before.parentElement, before);
}
