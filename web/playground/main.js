// The playground page: the editor, Run/Stop, the compiler's messages, the
// program's windows and console, examples, share links, save/open and the
// TELKA.SCR buttons. Relies on the compile worker (SITE/compiler/) and the
// program runtime (SITE/runtime/telka-runtime.js, loaded on the first Run).
// Nothing that comes from a link, a file or the compiler is ever parsed as HTML.
import {startCompiler} from './compiler-client.js';
import {createEditor} from './editor.js';
import {MAX_FRAGMENT_CHARS, MAX_SOURCE_BYTES, readFragment, shareFragment} from './share.js';
import STARTER from './starter.c';

const STORE = 'telka-playground';
const RUNTIME = '../runtime/telka-runtime.js';
const MAX_SCRIPT_BYTES = 16 * 1024 * 1024;
const CONSOLE_KEEP = 200000;  // characters the console keeps, the newest

const $ = (id) => document.getElementById(id);
const ui = {
  run: $('pg-run'), stop: $('pg-stop'), lang: $('pg-lang'), examples: $('pg-examples'),
  share: $('pg-share'), save: $('pg-save'), open: $('pg-open'), openFile: $('pg-open-file'),
  status: $('pg-status'), shareBox: $('pg-share-box'), shareLink: $('pg-share-link'), shareClose: $('pg-share-close'),
  desktop: $('pg-desktop'), console: $('pg-console'), diagnostics: $('pg-diagnostics'), problemsNote: $('pg-problems-note'),
  scriptDownload: $('pg-script-download'), scriptLoad: $('pg-script-load'), scriptFile: $('pg-script-file'),
  fileNote: $('pg-file-note'),
};

// What tests (and the curious) can read of the page's state.
const page = window.telkaPlayground = {
  // Ready: a Run compiles now; warm: the warm-up build after it is done too.
  compiler: 'loading', compilerReadyMs: null, compilerMs: null, compilerWarmMs: null, compilerWarm: null,
  state: 'idle',  // idle, compiling, errors, running, ended, stopped, crashed
  result: null, end: null, crash: null,  // link: set once the address's fragment is read
  runs: 0,  // Run presses that started a compile
};

// A sticky message (a link that did not open, a failure) stays until the
// student does something; compiler progress does not replace it.
let statusSticky = false;
// Loading progress may replace only itself: any other message stays.
let statusIsProgress = true;
function setStatus(text, bad = false, sticky = bad) {
  ui.status.textContent = text;
  ui.status.classList.toggle('pg-bad', bad);
  statusSticky = sticky;
  statusIsProgress = false;
}
function setProgress(text) {
  if (statusSticky) return;
  setStatus(text);
  statusIsProgress = true;
}

// ---- the compiler: started first, so that clang loads while the page settles ----

let compilerProgress = '';
const compiler = startCompiler({
  url: new URL('../compiler/compile-worker.js', import.meta.url),
  onProgress(m) {
    compilerProgress = m.total > 0 ? `${Math.min(100, Math.round(100 * m.loaded / m.total))}%` : '';
    if (!statusIsProgress || page.compiler !== 'loading') return;
    if (page.state === 'idle') setProgress(`Loading the compiler… ${compilerProgress}`);
    else if (page.state === 'compiling') setProgress(`Compiling… (the compiler is loading: ${compilerProgress})`);
  },
  onReady(m) {
    page.compiler = 'ready';
    page.compilerReadyMs = performance.now();
    page.compilerMs = m.ms;
    if (page.state === 'idle' && statusIsProgress) setStatus('Ready: press Run (Ctrl+Enter).');
  },
  onWarm(m) {
    page.compilerWarmMs = performance.now();
    page.compilerWarm = m.ms;
  },
  onFailed(message) {
    page.compiler = 'failed';
    setStatus(`The compiler could not be loaded (${message}). Reload the page to try again.`, true);
  },
});

// ---- the source: storage, the editor, the language ----

function sourceName(lang) { return lang === 'c++' ? 'main.cpp' : 'main.c'; }

function loadStored() {
  try {
    const saved = JSON.parse(localStorage.getItem(STORE) || 'null');
    if (saved && typeof saved.source === 'string' && saved.source.length <= MAX_SOURCE_BYTES)
      return {source: saved.source, lang: saved.lang === 'c++' ? 'c++' : 'c'};
  } catch {
    // unreadable or unavailable storage: start afresh
  }
  return null;
}

let lang = 'c';
// A program opened from a link is not stored over the student's own until
// they change it: opening a link loses nothing.
let fromLink = false;
let storeTimer = 0;

function store() {
  clearTimeout(storeTimer);
  storeTimer = 0;
  if (fromLink) return;
  try {
    localStorage.setItem(STORE, JSON.stringify({source: editor.text(), lang}));
  } catch {
    // full or disabled storage: the editor still holds the text
  }
}

function setLang(value) {
  lang = value === 'c++' ? 'c++' : 'c';
  ui.lang.value = lang;
}

function leaveLink() {
  if (!fromLink) return;
  fromLink = false;
  // A reload now shows the student's text, not the link's again.
  history.replaceState(null, '', location.pathname + location.search);
}

// The first text: a link's program, else the student's saved one, else the starter.
const stored = loadStored();
const firstLink = await readFragment(location.hash);
page.link = firstLink;
setLang(firstLink?.ok ? firstLink.lang : stored ? stored.lang : 'c');
fromLink = Boolean(firstLink?.ok);

const editor = createEditor({
  parent: $('pg-editor'),
  doc: firstLink?.ok ? firstLink.source : stored ? stored.source : STARTER,
  onRun: () => run(),
  onSave: () => save(),
  onChange(update) {
    if (update.transactions.some((t) => t.docChanged && !t.isUserEvent('link'))) leaveLink();
    clearTimeout(storeTimer);
    storeTimer = setTimeout(store, 300);
  },
});
window.addEventListener('pagehide', store);

// Handles for tests: the text, a whole new text (as typing it would), the cursor's line.
page.source = () => editor.text();
page.setSource = (text, newLang) => {
  if (newLang) setLang(newLang);
  editor.replace(String(text), {userEvent: 'input.test'});
  store();
};
page.cursorLine = () => editor.view.state.doc.lineAt(editor.view.state.selection.main.head).number;

ui.lang.addEventListener('change', () => {
  setLang(ui.lang.value);
  leaveLink();
  store();
});

const LINK_OPENED = 'Opened a shared program: it runs when you press Run. Your own program stays saved until ' +
    'you change this one.';

// A link that arrives while the page is open (pasted into this tab).
async function openLink() {
  const link = await readFragment(location.hash);
  page.link = link;
  if (!link) return;
  if (!link.ok) {
    setStatus(link.message, true);
    return;
  }
  store();
  setLang(link.lang);
  fromLink = true;
  editor.replace(link.source, {userEvent: 'link'});
  setStatus(LINK_OPENED, false, true);
}

// ---- diagnostics ----

const EXCEPTIONS_NOTE = 'C++ exceptions (try, throw, catch) are not available here: this compiler has no exception ' +
    'runtime. Report errors with return values instead.';

function showDiagnostics(diagnostics, fileName, extra = []) {
  editor.showDiagnostics(diagnostics);
  ui.diagnostics.replaceChildren();
  const all = [...diagnostics, ...extra];
  for (const d of all) {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = `pg-${d.severity}`;
    const where = d.line > 0 ? `${fileName}:${d.line}${d.column > 0 ? `:${d.column}` : ''}: ` : '';
    button.textContent = `${where}${d.severity}: ${d.message}`;
    if (d.line > 0) button.addEventListener('click', () => editor.goTo(d.line, d.column));
    item.appendChild(button);
    ui.diagnostics.appendChild(item);
  }
  const errors = all.filter((d) => d.severity === 'error').length;
  const warnings = all.filter((d) => d.severity === 'warning').length;
  ui.problemsNote.textContent = all.length === 0 ? 'No errors or warnings.' :
      `${errors} error${errors === 1 ? '' : 's'}, ${warnings} warning${warnings === 1 ? '' : 's'}` +
      (all.some((d) => d.line > 0) ? ': click one to go to its line.' : '.');
}

// ---- running ----

let runtimeModule = null;
let program = null;       // the running (or last) program
let programToken = 0;     // tells a late onExit of an older program from the current one
let programWasm = null;   // kept for symbolizing a crash
let pendingScript = null; // a TELKA.SCR loaded from the computer, given to each program
let busy = false;

function loadRuntime() {
  if (!runtimeModule) {
    runtimeModule = import(RUNTIME).catch((e) => {
      runtimeModule = null;
      throw e;
    });
  }
  return runtimeModule;
}

// Console output is gathered and written once a frame: a program printing
// in a loop must not rebuild the page for every line.
let pendingOutput = [];
let outputScheduled = false;
function onOutput(stream, text) {
  pendingOutput.push([stream, String(text)]);
  if (!outputScheduled) {
    outputScheduled = true;
    requestAnimationFrame(flushOutput);
  }
}
function flushOutput() {
  outputScheduled = false;
  const atEnd = ui.console.scrollTop + ui.console.clientHeight >= ui.console.scrollHeight - 4;
  for (const [stream, text] of pendingOutput) {
    const last = ui.console.lastChild;
    if (last && last.dataset.stream === stream) {
      last.textContent += text;
    } else {
      const span = document.createElement('span');
      span.dataset.stream = stream;
      if (stream === 'stderr') span.className = 'pg-stderr';
      span.textContent = text;
      ui.console.appendChild(span);
    }
  }
  pendingOutput = [];
  let length = ui.console.textContent.length;
  while (length > CONSOLE_KEEP && ui.console.firstChild) {
    const first = ui.console.firstChild;
    const cut = Math.min(first.textContent.length, length - CONSOLE_KEEP);
    if (cut >= first.textContent.length) first.remove();
    else first.textContent = first.textContent.slice(cut);
    length -= cut;
  }
  if (atEnd) ui.console.scrollTop = ui.console.scrollHeight;
}

const TRAPS = [
  [/divide by zero|division by zero/i, 'integer divide by zero'],
  [/remainder by zero/i, 'integer remainder by zero'],
  [/out of bounds memory|memory access out of bounds/i, 'memory access out of bounds (a bad pointer or array index)'],
  [/unreachable/i, 'the program aborted (abort(), or a function ended without its return)'],
  [/call stack|stack overflow|too much recursion/i, 'stack overflow (a recursion that does not end?)'],
  [/integer overflow|float unrepresentable|invalid conversion/i, 'a number too large for its type in a conversion'],
  [/function signature mismatch|null function|indirect call/i, 'a call through a bad function pointer'],
];

function trapWords(message) {
  for (const [pattern, words] of TRAPS) if (pattern.test(message)) return words;
  return message || 'an unknown error';
}

async function describeCrash(trap, wasm, fileName) {
  const frames = Array.isArray(trap.frames) ? trap.frames : [];
  let places = [];
  try {
    places = await compiler.symbolize(wasm, frames.map((f) => f.offset));
  } catch {
    places = [];
  }
  const display = (name) => (name === 'TELKA_main' ? 'main' : name);
  // The innermost place in the student's file; else the innermost name known.
  let where = null;
  for (let i = 0; i < frames.length; ++i) {
    const p = places[i];
    if (p && p.file === fileName && p.line) {
      where = {function: display(p.function || frames[i].name), line: p.line};
      break;
    }
  }
  if (!where) {
    const named = frames.find((f, i) => places[i]?.function || f.name);
    if (named) where = {function: display(places[frames.indexOf(named)]?.function || named.name), line: null};
  }
  const what = trapWords(trap.message);
  let text = `The program crashed: ${what}`;
  if (where && where.function) text += ` in ${where.function}`;
  if (where && where.line) text += ` (${fileName} line ${where.line})`;
  return {text: text + '.', what, where};
}

async function ended(token, end, fileName) {
  if (token !== programToken) return;
  page.end = end;
  ui.stop.disabled = true;
  if (end.stopped) {
    page.state = 'stopped';
    setStatus('Stopped.');
  } else if (end.outOfMemory) {
    page.state = 'crashed';
    const advice = 'Look for a loop that allocates without end, or a very large array.';
    setStatus(`The program ran out of memory: it asked for more than a program may have here. ${advice}`, true);
    // Where it asked, when the trace reaches the student's file.
    const {where} = end.trap ? await describeCrash(end.trap, programWasm, fileName) : {where: null};
    if (token !== programToken || !where || !where.line) return;
    setStatus(`The program ran out of memory in ${where.function} (${fileName} line ${where.line}): it asked for ` +
              `more than a program may have here. ${advice}`, true);
  } else if (end.trap) {
    page.state = 'crashed';
    setStatus('The program crashed: finding where…', true);
    const crash = await describeCrash(end.trap, programWasm, fileName);
    if (token !== programToken) return;
    page.crash = crash;
    setStatus(crash.text, true);
    if (crash.where && crash.where.line) {
      showDiagnostics(page.result?.diagnostics || [], fileName,
                      [{line: crash.where.line, column: 0, severity: 'error', message: `crashed here: ${crash.what}`}]);
    }
  } else {
    page.state = 'ended';
    setStatus(`Ended (status ${end.status}).`);
  }
}

function stopProgram() {
  if (program && page.state === 'running') {
    try {
      program.stop();
    } catch {
      // already gone
    }
    page.state = 'stopped';
    page.end = {status: null, stopped: true, outOfMemory: false, trap: null};
    setStatus('Stopped.');
  }
  ui.stop.disabled = true;
}

async function run() {
  // A press while compiling is ignored; the button stays focusable, so the
  // keyboard does not lose its place.
  if (busy) return;
  busy = true;
  ui.run.setAttribute('aria-busy', 'true');
  try {
    stopProgram();
    // The last program's windows and output go: what shows belongs to this Run.
    ui.desktop.replaceChildren();
    ui.console.replaceChildren();
    pendingOutput = [];
    ++programToken;
    ++page.runs;
    const runLang = lang;
    const fileName = sourceName(runLang);
    page.state = 'compiling';
    page.end = page.crash = null;
    setStatus(page.compiler === 'ready' ? 'Compiling…' :
              `Compiling… (the compiler is loading${compilerProgress ? `: ${compilerProgress}` : ''})`);
    statusIsProgress = page.compiler !== 'ready';
    let result;
    try {
      result = await compiler.compile({source: editor.text(), lang: runLang, name: 'main'});
    } catch (e) {
      page.state = 'idle';
      setStatus(`The compiler failed: ${e.message}`, true);
      return;
    }
    page.result = {ok: result.ok, diagnostics: result.diagnostics, ms: result.ms, log: result.log,
                   bytes: result.wasm ? result.wasm.length : 0};
    const extra = runLang === 'c++' && result.diagnostics.some((d) => /exceptions disabled/.test(d.message)) ?
        [{line: 0, column: 0, severity: 'note', message: EXCEPTIONS_NOTE}] : [];
    showDiagnostics(result.diagnostics, fileName, extra);
    if (!result.ok) {
      page.state = 'errors';
      const errors = result.diagnostics.filter((d) => d.severity === 'error').length;
      setStatus(`The program has ${errors === 1 ? 'an error' : `${errors} errors`}: nothing runs. ` +
                'Fix it and press Run again.', true);
      return;
    }
    await launch(result.wasm, fileName);
  } finally {
    busy = false;
    ui.run.removeAttribute('aria-busy');
  }
}

async function launch(wasm, fileName) {
  // Programs wait on shared memory, which a browser gives only to isolated pages.
  if (!window.crossOriginIsolated) {
    page.state = 'idle';
    setStatus('The program compiled, but this page cannot run programs: it is not cross-origin isolated ' +
              '(its server sends no COOP/COEP headers and the offline helper is not active). Reload the page; ' +
              'if this stays, serve the site with make web-run.', true);
    return;
  }
  let runtime;
  try {
    runtime = await loadRuntime();
  } catch (e) {
    page.state = 'idle';
    setStatus(`The program runtime could not be loaded (${e.message}).`, true);
    return;
  }
  programWasm = wasm;
  const token = programToken;
  try {
    program = await runtime.startProgram({
      wasm: wasm.slice(),
      name: 'main',
      desktop: ui.desktop,
      onOutput,
      onExit: (end) => { ended(token, end || {}, fileName); },
    });
  } catch (e) {
    page.state = 'crashed';
    setStatus(`The program could not start: ${e.message}`, true);
    return;
  }
  if (token !== programToken || page.end) return;
  page.state = 'running';
  ui.stop.disabled = false;
  if (pendingScript) program.loadScript(pendingScript);
  setStatus('Running. Click its window to give it the keyboard.');
}

ui.run.addEventListener('click', () => run());
ui.stop.addEventListener('click', () => {
  ++programToken;
  stopProgram();
  ui.run.focus();
});

// Ctrl+Enter and Ctrl+S work outside the editor too, but not while a
// program window has the keyboard: those keys are the program's.
document.addEventListener('keydown', (e) => {
  // The editor's own keymap has already handled its copy of these keys.
  if (!(e.ctrlKey || e.metaKey) || e.altKey || e.defaultPrevented) return;
  if (e.target instanceof Node && ui.desktop.contains(e.target)) return;
  if (e.key === 'Enter') {
    e.preventDefault();
    run();
  } else if (e.key === 's' || e.key === 'S') {
    e.preventDefault();
    save();
  }
});

// ---- examples ----

async function loadExamples() {
  let list = [];
  try {
    const response = await fetch('examples/examples.json');
    if (response.ok) list = await response.json();
  } catch {
    list = [];
  }
  for (const example of Array.isArray(list) ? list : []) {
    if (!example || typeof example.file !== 'string') continue;
    const option = document.createElement('option');
    option.value = example.file;
    option.textContent = example.title ? `${example.file}: ${example.title}` : example.file;
    option.dataset.lang = example.lang === 'c++' ? 'c++' : 'c';
    ui.examples.appendChild(option);
  }
  ui.examples.disabled = ui.examples.options.length <= 1;
}

ui.examples.addEventListener('change', async () => {
  const option = ui.examples.selectedOptions[0];
  ui.examples.value = '';
  if (!option || !option.value) return;
  try {
    const response = await fetch(`examples/${encodeURIComponent(option.value)}`);
    if (!response.ok) throw new Error(`HTTP ${response.status}`);
    const text = await response.text();
    editor.replace(text, {userEvent: 'input.example'});
    setLang(option.dataset.lang);
    leaveLink();
    store();
    setStatus(`Opened the example ${option.value}. Ctrl+Z in the editor brings back what was there.`);
    editor.focus();
  } catch (e) {
    setStatus(`The example ${option.value} could not be loaded (${e.message}).`, true);
  }
});

// ---- save, open ----

function download(name, data, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([data], {type}));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

function save() {
  download(sourceName(lang), editor.text(), 'text/plain;charset=utf-8');
  setStatus(`Saved as ${sourceName(lang)} (your browser's downloads folder).`);
}

ui.save.addEventListener('click', save);
ui.open.addEventListener('click', () => ui.openFile.click());
ui.openFile.addEventListener('change', async () => {
  const file = ui.openFile.files && ui.openFile.files[0];
  ui.openFile.value = '';
  if (!file) return;
  if (file.size > MAX_SOURCE_BYTES) {
    setStatus(`${file.name} is ${Math.round(file.size / 1024)} KiB: too large to be a program here ` +
              `(at most ${MAX_SOURCE_BYTES / 1024} KiB). Nothing was opened.`, true);
    return;
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  let text;
  try {
    text = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  } catch {
    // Files from older Windows editors are often Windows-1252.
    text = new TextDecoder('windows-1252').decode(bytes);
  }
  editor.replace(text, {userEvent: 'input.open'});
  if (/\.(cpp|cc|cxx)$/i.test(file.name)) setLang('c++');
  else if (/\.c$/i.test(file.name)) setLang('c');
  leaveLink();
  store();
  setStatus(`Opened ${file.name}. Ctrl+Z in the editor brings back what was there.`);
});

// ---- share ----

ui.share.addEventListener('click', async () => {
  let fragment;
  try {
    fragment = await shareFragment(editor.text(), lang);
  } catch (e) {
    setStatus(`The link could not be made (${e.message}).`, true);
    return;
  }
  if (fragment.length > MAX_FRAGMENT_CHARS || new TextEncoder().encode(editor.text()).length > MAX_SOURCE_BYTES) {
    setStatus('This program is too large to share as a link: use Save and send the file instead.', true);
    return;
  }
  const url = location.href.split('#')[0] + fragment;
  page.shareLink = url;
  ui.shareLink.value = url;
  ui.shareBox.hidden = false;
  let copied = false;
  try {
    await navigator.clipboard.writeText(url);
    copied = true;
  } catch {
    copied = false;
  }
  ui.shareLink.focus();
  ui.shareLink.select();
  setStatus(copied ? 'Link copied: paste it to share this program.' :
                     'Copy the link shown below the bar (Ctrl+C) to share this program.');
});
ui.shareClose.addEventListener('click', () => {
  ui.shareBox.hidden = true;
  ui.share.focus();
});

window.addEventListener('hashchange', () => { openLink(); });

// ---- TELKA.SCR ----

ui.scriptDownload.addEventListener('click', () => {
  let data = null;
  try {
    data = program ? program.scriptFile() : null;
  } catch {
    data = null;
  }
  if (!program) {
    ui.fileNote.textContent = 'Run a program first: TELKA.SCR lives in the running program\'s memory.';
  } else if (!data || data.length === 0) {
    ui.fileNote.textContent = 'No TELKA.SCR yet: record one with Run > Record Script (Ctrl+R) in the program\'s window.';
  } else {
    download('TELKA.SCR', data, 'text/plain');
    ui.fileNote.textContent = `Downloaded TELKA.SCR (${data.length} bytes).`;
  }
});

ui.scriptLoad.addEventListener('click', () => ui.scriptFile.click());
ui.scriptFile.addEventListener('change', async () => {
  const file = ui.scriptFile.files && ui.scriptFile.files[0];
  ui.scriptFile.value = '';
  if (!file) return;
  if (file.size > MAX_SCRIPT_BYTES) {
    ui.fileNote.textContent = `${file.name} is too large to be a script (${Math.round(file.size / 1048576)} MiB).`;
    return;
  }
  const bytes = new Uint8Array(await file.arrayBuffer());
  pendingScript = bytes;
  const as = file.name === 'TELKA.SCR' ? '' : ' as TELKA.SCR';
  if (program && page.state === 'running') {
    program.loadScript(bytes.slice());
    ui.fileNote.textContent = `Loaded ${file.name}${as} (${bytes.length} bytes): Run > Playback Script (Ctrl+P) plays it.`;
  } else {
    ui.fileNote.textContent = `Loaded ${file.name}${as} (${bytes.length} bytes): the next program run gets it.`;
  }
});

// ---- start ----

if (firstLink && !firstLink.ok) setStatus(`${firstLink.message} ${stored ? 'Your own program is shown.' : ''}`, true);
else if (firstLink?.ok) setStatus(LINK_OPENED, false, true);
ui.run.disabled = false;
loadExamples();
