// The shown frame's drawing calls, listed in order in the library's own log
// words with the line each came from; choosing one puts the editor's cursor
// on that line and marks it, and tells state.timeline.events ('call').

const MAX_LISTED = 400; // a frame of thousands of calls lists its first ones

export function callText({text, line}) {
  return line > 0 ? `${text}, line ${line}` : `${text} (no line known)`;
}

export function showCalls(app, record) {
  const {ui} = app;
  ui.callsTitle.textContent = record ? `Calls in frame ${record.number}` : 'Calls in this frame';
  const items = [];
  const calls = record ? record.calls : [];
  calls.slice(0, MAX_LISTED).forEach((call, index) => {
    const li = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = callText(call);
    button.addEventListener('click', () => chooseCall(app, index, call));
    li.append(button);
    items.push(li);
  });
  if (calls.length > MAX_LISTED) {
    const li = document.createElement('li');
    li.className = 'pg-note';
    li.textContent = `… and ${calls.length - MAX_LISTED} more calls`;
    items.push(li);
  }
  if (record && calls.length === 0) {
    const li = document.createElement('li');
    li.className = 'pg-note';
    li.textContent = 'No drawing calls in this frame.';
    items.push(li);
  }
  ui.calls.replaceChildren(...items);
}

export function chooseCall(app, index, call) {
  const t = app.state.timeline;
  t.chosen = index;
  for (const [i, li] of [...app.ui.calls.children].entries()) li.classList.toggle('pg-chosen', i === index);
  if (app.editor) app.editor.markLine(call.line);
  t.events.dispatchEvent(new CustomEvent('call', {detail: {index, call, frame: t.record}}));
}
