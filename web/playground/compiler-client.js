// The page's side of the compile worker (SITE/compiler/compile-worker.js):
// takes it over from compiler-start.js (which started it before this bundle
// loaded) or starts it at once, reports loading progress, and turns its
// replies into promises.
//   to the worker:   {id, type: 'compile', source, lang, name} | {id, type: 'symbolize', wasm, offsets}
//                    {id, type: 'warm', lang, source} (ready a language's paths and the source's
//                      includes, unless a Run waits)
//   from the worker: {type: 'progress', loaded, total} | {type: 'ready', ms} | {type: 'failed', message}
//                    {type: 'warm', ms} (the warm-up build after ready is done)
//                    {id, type: 'compiled', ok, wasm, diagnostics, log, ms, headers}
//                      (headers: 'hit', 'miss', 'refused' or 'none': how its includes were read)
//                    {id, type: 'symbolized', places}
//                    {id, type: 'warmed', lang, ok, headers, ms} (ms null: a Run came first)
//                    {id, type: 'error', message}

export function startCompiler({url, onProgress, onReady, onWarm = () => {}, onFailed}) {
  let worker;
  const waiting = new Map();
  let next = 1;
  let failed = null;

  function failAll(message) {
    failed = message;
    for (const {reject} of waiting.values()) reject(new Error(message));
    waiting.clear();
    onFailed(message);
  }

  // Started early by compiler-start.js: its worker, and what it said so far.
  const early = typeof window !== 'undefined' ? window.telkaCompilerStart : null;
  if (typeof window !== 'undefined' && !early) window.telkaCompilerStart = {taken: true};
  let backlog = [];
  if (early && (early.worker || early.error)) {
    worker = early.worker;
    backlog = early.events.splice(0);
    if (early.error) queueMicrotask(() => failAll(`the compiler could not start: ${early.error.message}`));
  } else {
    try {
      worker = new Worker(url, {type: 'module'});
    } catch (e) {
      queueMicrotask(() => failAll(`the compiler could not start: ${e.message}`));
    }
  }
  if (worker) {
    worker.onmessage = (event) => {
      const m = event.data || {};
      if (m.type === 'progress') return onProgress(m);
      if (m.type === 'ready') return onReady(m);
      if (m.type === 'warm') return onWarm(m);
      if (m.type === 'failed') return failAll(m.message);
      const request = waiting.get(m.id);
      if (!request) return;
      waiting.delete(m.id);
      if (m.type === 'error') request.reject(new Error(m.message));
      else request.resolve(m);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      failAll(`the compiler stopped: ${event.message || 'it could not be loaded'}`);
    };
    for (const event of backlog) (event.type === 'error' ? worker.onerror : worker.onmessage)(event);
  }

  function ask(message, transfer = []) {
    if (failed) return Promise.reject(new Error(failed));
    const id = next++;
    return new Promise((resolve, reject) => {
      waiting.set(id, {resolve, reject});
      worker.postMessage({...message, id}, transfer);
    });
  }

  return {
    compile: ({source, lang, name}) => ask({type: 'compile', source, lang, name}),
    warm: (lang, source = '') => ask({type: 'warm', lang, source: String(source)}),
    // The wasm is copied: the page keeps its own for the next crash.
    symbolize: (wasm, offsets) => ask({type: 'symbolize', wasm: wasm.slice(), offsets}).then((m) => m.places),
  };
}
