// Starts the compile worker as the page's first module script (async, small,
// ahead of the editor's bundle) so that clang downloads while the rest of the
// page loads. compiler-client.js (in main.js) takes the worker over, with the
// messages it sent meanwhile, from window.telkaCompilerStart.

function start() {
  const early = {worker: null, events: [], error: null};
  try {
    early.worker = new Worker(new URL('../compiler/compile-worker.js', import.meta.url), {type: 'module'});
    // Kept in order until the page's handlers are attached; an error event
    // is kept from the console until then too.
    early.worker.onmessage = (event) => early.events.push(event);
    early.worker.onerror = (event) => {
      event.preventDefault();
      early.events.push(event);
    };
  } catch (e) {
    early.error = e;
  }
  return early;
}

// This module is async: if main.js ran first, it has started its own worker.
if (!window.telkaCompilerStart) window.telkaCompilerStart = start();
