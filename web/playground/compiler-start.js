// Starts the compile worker as the page's first module script (async, small,
// ahead of the editor's bundle) so that clang downloads while the rest of the
// page loads. compiler-client.js (in main.js) takes the worker over, with the
// messages it sent meanwhile, from window.telkaCompilerStart.
const start = window.telkaCompilerStart = {worker: null, events: [], error: null};
try {
  start.worker = new Worker(new URL('../compiler/compile-worker.js', import.meta.url), {type: 'module'});
  // Kept in order until the page's handlers are attached; an error event
  // is kept from the console until then too.
  start.worker.onmessage = (event) => start.events.push(event);
  start.worker.onerror = (event) => {
    event.preventDefault();
    start.events.push(event);
  };
} catch (e) {
  start.error = e;
}
