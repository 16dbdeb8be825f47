// The playground's compile worker (a module worker, bundled with the compiler
// package): loads clang, lld and the trimmed sysroot from beside this file,
// asks the driver for its command lines and says it is ready, then warms clang
// with a small program (before any request) and compiles, links and
// symbolizes on request, one request at a time. A Run's leading includes are
// compiled once, while nobody waits, and kept for the Runs after it.
// Protocol: see the page's compiler-client.js.
import {Exit, runClang, runLLVM} from '@yowasp/clang';

import {makeCompiler, parseLinkFlags} from './compiler.js';
import {browserHeaderStore} from './header-store.js';

const here = (name) => new URL(`./${name}`, import.meta.url);
const started = performance.now();

// A short program on the library, so that warming runs the same paths
// (telka.h, the link with libtelka.a) as the first Run will.
const WARM = '#include <telka.h>\nint main(void)\n{\n    TELKA_open();\n    TELKA_close();\n    return 0;\n}\n';

// The C++ paths (the C++ front end, a standard header, libc++ at the link)
// are as slow the first time: warmed with this when the page says its
// student writes C++.
const WARM_CXX =
  '#include <string>\n#include <telka.h>\nint main()\n{\n    std::string title = "warm";\n' +
  '    TELKA_open();\n    TELKA_text(TELKA_RED, 0, 0, 12, title.c_str());\n    TELKA_close();\n    return 0;\n}\n';
const warmed = new Set(['c']);
let waitingRequests = 0; // Runs queued: a warm-up never goes before one

async function json(name) {
  const response = await fetch(here(name));
  if (!response.ok) throw new Error(`${name}: HTTP ${response.status}`);
  return response.json();
}

async function load() {
  const [flags, sizes] = await Promise.all([
    fetch(here('link-flags.txt')).then((r) => {
      if (!r.ok) throw new Error(`link-flags.txt: HTTP ${r.status}`);
      return r.text();
    }),
    json('compiler-files.json').catch(() => null),
  ]);
  // The package counts the bytes it has fetched against its own full size;
  // the site's files are smaller (the trimmed sysroot), so count against those.
  const total = sizes && sizes.total > 0 ? sizes.total : 0;
  let lastPost = 0;
  await runClang(
    null,
    {},
    {
      fetchProgress({doneLength, totalLength}) {
        const now = performance.now();
        if (now - lastPost < 100 && doneLength < (total || totalLength)) return;
        lastPost = now;
        self.postMessage({type: 'progress', loaded: doneLength, total: total || totalLength});
      },
    }
  );
  const loaded = performance.now();
  const compiler = makeCompiler({
    runClang,
    runLLVM,
    Exit,
    linkFlags: parseLinkFlags(flags),
    headers: browserHeaderStore(),
    // Compiled headers from another build of the compiler or the SDK are
    // never asked for.
    cacheVersion: sizes && typeof sizes.version === 'string' ? sizes.version : String(self.location.href),
  });
  await compiler.prepare();
  const ready = performance.now();
  self.postMessage({type: 'ready', ms: {load: loaded - started, prepare: ready - loaded, total: ready - started}});
  return compiler;
}

// The first run of clang's code in a fresh page is slow (V8 compiles wasm
// functions as they are first called); a small program, built while the
// student reads, takes that out of the first Run. A Run pressed meanwhile
// waits for it, which is no slower than its own first compile.
async function warm(compiler) {
  const t = performance.now();
  const result = await compiler.compile({source: WARM, lang: 'c', name: 'warm'});
  if (!result.ok) throw new Error(`the compiler could not build a small program: ${result.log.trim().slice(-400)}`);
  // C++'s command line too, while nobody waits.
  await compiler.prepare(['c++']);
  self.postMessage({type: 'warm', ms: {warm: performance.now() - t, total: performance.now() - started, ...result.ms}});
}

const compilerReady = load();
const failed = (e) => self.postMessage({type: 'failed', message: String(e && e.message ? e.message : e)});
compilerReady.catch(failed);

// Requests run one after another, after the warm-up: clang is a
// single-threaded program here and two at once would only share the core.
let queue = compilerReady.then(
  (compiler) => warm(compiler).catch(failed),
  () => null
);

// A language's warm-up, asked for by the page with the student's source;
// skipped when a Run is waiting, whose own compile warms the same paths. It
// compiles the source's leading includes for the Runs to come, then builds
// the source itself once (or a small program of the language) so that the
// first Run finds clang's code for that language already compiled by V8.
async function warmLanguage(compiler, message) {
  const lang = message.lang === 'c++' ? 'c++' : 'c';
  const source = typeof message.source === 'string' ? message.source : '';
  if (waitingRequests > 0) {
    self.postMessage({id: message.id, type: 'warmed', lang, ms: null});
    return;
  }
  const t = performance.now();
  const headers = await compiler.cacheHeaders({source, lang});
  let ok = true;
  if (!warmed.has(lang) && waitingRequests === 0) {
    warmed.add(lang);
    const result = await compiler.compile({source: headers.prefix ? source : WARM_CXX, lang, name: 'warm'});
    ok = result.ok || headers.prefix;
  }
  self.postMessage({id: message.id, type: 'warmed', lang, ok, headers, ms: performance.now() - t});
}

async function handle(message) {
  const compiler = await compilerReady.catch(() => null);
  if (!compiler) {
    self.postMessage({id: message.id, type: 'error', message: 'the compiler did not load'});
    return;
  }
  if (message.type === 'warm') {
    await warmLanguage(compiler, message);
  } else if (message.type === 'compile') {
    const result = await compiler.compile({source: message.source, lang: message.lang, name: message.name});
    const transfer = result.wasm ? [result.wasm.buffer] : [];
    self.postMessage({id: message.id, type: 'compiled', ...result}, transfer);
    // The next Run of the same includes need not parse them again.
    if (result.headers === 'miss') enqueue({type: 'cache-headers', source: message.source, lang: message.lang});
  } else if (message.type === 'cache-headers') {
    if (waitingRequests === 0) await compiler.cacheHeaders({source: message.source, lang: message.lang});
  } else if (message.type === 'symbolize') {
    const wasm =
      message.wasm instanceof Uint8Array
        ? message.wasm
        : message.wasm instanceof ArrayBuffer
          ? new Uint8Array(message.wasm)
          : null;
    const places = await compiler.symbolize({wasm, offsets: message.offsets});
    self.postMessage({id: message.id, type: 'symbolized', places});
  } else {
    self.postMessage({id: message.id, type: 'error', message: `unknown request ${String(message.type)}`});
  }
}

// Work the page did not wait for (a warm-up, compiling a Run's includes) is
// not counted as waiting, and is skipped when a request waits by the time
// its turn comes.
function enqueue(message) {
  const counted = message.type !== 'warm' && message.type !== 'cache-headers';
  if (counted) ++waitingRequests;
  queue = queue
    .then(() => {
      if (counted) --waitingRequests;
      return handle(message);
    })
    .catch((e) => {
      self.postMessage({id: message.id, type: 'error', message: String(e && e.message ? e.message : e)});
    });
}

self.onmessage = (event) => {
  const message = event.data || {};
  // Only the worker itself asks for its includes to be compiled.
  if (message.type === 'cache-headers') return;
  enqueue(message);
};
