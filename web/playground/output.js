// What a program shows besides the status line: its windows, which the
// runtime draws in the desktop element, and its console, which keeps the
// newest CONSOLE_KEEP characters of stdout and stderr. Console output is
// gathered and written once a frame: a program printing in a loop must not
// rebuild the page for every line.

const CONSOLE_KEEP = 200000;

// The last program's windows and output go: what shows belongs to this Run.
export function clearOutput(app) {
  app.ui.desktop.replaceChildren();
  app.ui.console.replaceChildren();
  app.state.output.pending = [];
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
  if (!out.scheduled) {
    out.scheduled = true;
    requestAnimationFrame(() => flushOutput(app));
  }
}
