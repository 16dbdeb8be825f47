// Run and Stop: a Run stops the last program, clears what it showed, compiles
// the editor's text (compile.js) and starts the program with the runtime
// (SITE/runtime/telka-runtime.js, loaded on the first Run); how the program
// ended (status, Stop, a crash, out of memory) is told on the status line.
import {compileSource, showDiagnostics} from './compile.js';
import {describeCrash} from './crash.js';
import {clearOutput, writeOutput, writeTextLines} from './output.js';
import {sourceName} from './source.js';
import {addPageKey, pageKeyOf} from './page-keys.js';
import {followFrames, resetTimeline} from './timeline.js';

const RUNTIME = '../runtime/telka-runtime.js';

function loadRuntime(run) {
  if (!run.runtime) {
    run.runtime = import(RUNTIME).catch((e) => {
      run.runtime = null;
      throw e;
    });
  }
  return run.runtime;
}

async function ended(app, token, end, fileName) {
  const {state, status} = app;
  const page = state.page;
  if (token !== state.run.token) return;
  page.end = end;
  app.ui.stop.disabled = true;
  if (end.stopped) {
    page.state = 'stopped';
    status.set('Stopped.');
  } else if (end.outOfMemory) {
    page.state = 'crashed';
    const advice = 'Look for a loop that allocates without end, or a very large array.';
    status.set(`The program ran out of memory: it asked for more than a program may have here. ${advice}`, true);
    // Where it asked, when the trace reaches the student's file.
    const {where} = end.trap ? await describeCrash(app.compiler, end.trap, state.run.wasm, fileName) : {where: null};
    if (token !== state.run.token || !where || !where.line) return;
    status.set(
      `The program ran out of memory in ${where.function} (${fileName} line ${where.line}): it asked for ` +
        `more than a program may have here. ${advice}`,
      true
    );
  } else if (end.trap) {
    page.state = 'crashed';
    status.set('The program crashed: finding where…', true);
    const crash = await describeCrash(app.compiler, end.trap, state.run.wasm, fileName);
    if (token !== state.run.token) return;
    page.crash = crash;
    status.set(crash.text, true);
    if (crash.where && crash.where.line) {
      showDiagnostics(app, page.result?.diagnostics || [], [
        {line: crash.where.line, column: 0, severity: 'error', message: `crashed here: ${crash.what}`},
      ]);
    }
  } else {
    page.state = 'ended';
    status.set(`Ended (status ${end.status}).`);
  }
}

function stopProgram(app) {
  const {state} = app;
  const program = state.run.program;
  if (program && state.page.state === 'running') {
    try {
      program.stop();
    } catch {
      // already gone
    }
    state.page.state = 'stopped';
    state.page.end = {status: null, stopped: true, outOfMemory: false, trap: null};
    app.status.set('Stopped.');
  }
  app.ui.stop.disabled = true;
}

export async function run(app) {
  const {state, ui} = app;
  // A press while compiling is ignored; the button stays focusable, so the
  // keyboard does not lose its place.
  if (state.run.busy) return;
  state.run.busy = true;
  ui.run.setAttribute('aria-busy', 'true');
  try {
    stopProgram(app);
    clearOutput(app);
    resetTimeline(app);
    ++state.run.token;
    ++state.page.runs;
    const lang = state.source.lang;
    const fileName = sourceName(lang);
    const result = await compileSource(app, lang);
    if (result) await launch(app, result.wasm, fileName);
  } finally {
    state.run.busy = false;
    ui.run.removeAttribute('aria-busy');
  }
}

async function launch(app, wasm, fileName) {
  const {state, status, ui} = app;
  const page = state.page;
  // Programs wait on shared memory, which a browser gives only to isolated pages.
  if (!window.crossOriginIsolated) {
    page.state = 'idle';
    status.set(
      'The program compiled, but this page cannot run programs: it is not cross-origin isolated ' +
        '(its server sends no COOP/COEP headers and the offline helper is not active). Reload the page; ' +
        'if this stays, serve the site with make web-run.',
      true
    );
    return;
  }
  let runtime;
  try {
    runtime = await loadRuntime(state.run);
  } catch (e) {
    page.state = 'idle';
    status.set(`The program runtime could not be loaded (${e.message}).`, true);
    return;
  }
  state.run.wasm = wasm;
  const token = state.run.token;
  try {
    state.run.program = await runtime.startProgram({
      wasm: wasm.slice(),
      name: 'main',
      desktop: ui.desktop,
      onOutput: (stream, text) => writeOutput(app, stream, text),
      onText: (lines, dropped) => writeTextLines(app, lines, dropped),
      onExit: (end) => {
        ended(app, token, end || {}, fileName);
      },
      keepFrames: true,
      pageKey: (e) => pageKeyOf(app, e) !== null,
    });
    followFrames(app, state.run.program);
  } catch (e) {
    page.state = 'crashed';
    status.set(`The program could not start: ${e.message}`, true);
    return;
  }
  if (token !== state.run.token || page.end) return;
  page.state = 'running';
  ui.stop.disabled = false;
  if (state.script) state.run.program.loadScript(state.script);
  status.set('Running: its window has the keyboard. Ctrl+Shift+L gives the keyboard back to the page.');
}

export function bindRun(app) {
  const {state, ui} = app;
  addPageKey(app, {
    keys: 'Ctrl+Shift+Enter',
    does: 'stops the program',
    test: (e) => e.key === 'Enter' && e.ctrlKey && e.shiftKey && !e.altKey,
    run: () => {
      if (state.page.state !== 'running') return;
      ++state.run.token;
      stopProgram(app);
      ui.run.focus();
    },
  });
  ui.run.addEventListener('click', () => run(app));
  ui.stop.addEventListener('click', () => {
    ++state.run.token;
    stopProgram(app);
    ui.run.focus();
  });
}
