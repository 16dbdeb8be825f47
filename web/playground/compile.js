// Compiling for Run: starts the compile worker (compiler-client.js) as the
// page's first act, so that clang loads while the page settles, with its
// loading progress on the status line; compiles the editor's text and lists
// clang's and wasm-ld's messages in the editor's margin and under it.
import {startCompiler} from './compiler-client.js';

const EXCEPTIONS_NOTE =
  'C++ exceptions (try, throw, catch) are not available here: this compiler has no exception ' +
  'runtime. Report errors with return values instead.';

export function startCompiling(app) {
  const {state, status} = app;
  const page = state.page;
  return startCompiler({
    url: new URL('../compiler/compile-worker.js', import.meta.url),
    onProgress(m) {
      const loaded = m.total > 0 ? `${Math.min(100, Math.round((100 * m.loaded) / m.total))}%` : '';
      state.compilerProgress = loaded;
      if (!state.status.isProgress || page.compiler !== 'loading') return;
      if (page.state === 'idle') status.progress(`Loading the compiler… ${loaded}`);
      else if (page.state === 'compiling') status.progress(`Compiling… (the compiler is loading: ${loaded})`);
    },
    onReady(m) {
      page.compiler = 'ready';
      page.compilerReadyMs = performance.now();
      page.compilerMs = m.ms;
      if (page.state === 'idle' && state.status.isProgress) status.set('Ready: press Run (Ctrl+Enter).');
    },
    onWarm(m) {
      page.compilerWarmMs = performance.now();
      page.compilerWarm = m.ms;
    },
    onFailed(message) {
      page.compiler = 'failed';
      status.set(`The compiler could not be loaded (${message}). Reload the page to try again.`, true);
    },
  });
}

// A diagnostic in words that name its line first, as a reader hears it
// ("Line 12, column 5: error: ..."); the file is the editor's, always.
export function diagnosticText({line, column, severity, message}) {
  const where = line > 0 ? `Line ${line}${column > 0 ? `, column ${column}` : ''}: ` : '';
  return `${where}${severity}: ${message}`;
}

export function showDiagnostics(app, diagnostics, extra = []) {
  const {ui, editor} = app;
  // A crash's line is marked in the margin as a compiler's message is.
  const all = [...diagnostics, ...extra];
  editor.showDiagnostics(all);
  ui.diagnostics.replaceChildren();
  for (const d of all) {
    const item = document.createElement('li');
    const button = document.createElement('button');
    button.type = 'button';
    button.className = `pg-${d.severity}`;
    button.textContent = diagnosticText(d);
    if (d.line > 0) button.addEventListener('click', () => editor.goTo(d.line, d.column));
    item.appendChild(button);
    ui.diagnostics.appendChild(item);
  }
  const errors = all.filter((d) => d.severity === 'error').length;
  const warnings = all.filter((d) => d.severity === 'warning').length;
  ui.problemsNote.textContent =
    all.length === 0
      ? 'No errors or warnings.'
      : `${errors} error${errors === 1 ? '' : 's'}, ${warnings} warning${warnings === 1 ? '' : 's'}` +
        (all.some((d) => d.line > 0) ? ': click one to go to its line.' : '.');
}

// The editor's text compiled as `lang`: the compiler's result when it
// compiled, else null with the status line saying why nothing runs.
export async function compileSource(app, lang) {
  const {state, status} = app;
  const page = state.page;
  page.state = 'compiling';
  page.end = page.crash = null;
  status.set(
    page.compiler === 'ready'
      ? 'Compiling…'
      : `Compiling… (the compiler is loading${state.compilerProgress ? `: ${state.compilerProgress}` : ''})`
  );
  state.status.isProgress = page.compiler !== 'ready';
  let result;
  try {
    result = await app.compiler.compile({source: app.editor.text(), lang, name: 'main'});
  } catch (e) {
    page.state = 'idle';
    status.set(`The compiler failed: ${e.message}`, true);
    return null;
  }
  page.result = {
    ok: result.ok,
    diagnostics: result.diagnostics,
    ms: result.ms,
    headers: result.headers,
    log: result.log,
    bytes: result.wasm ? result.wasm.length : 0,
  };
  const extra =
    lang === 'c++' && result.diagnostics.some((d) => /exceptions disabled/.test(d.message))
      ? [{line: 0, column: 0, severity: 'note', message: EXCEPTIONS_NOTE}]
      : [];
  showDiagnostics(app, result.diagnostics, extra);
  if (!result.ok) {
    page.state = 'errors';
    const errors = result.diagnostics.filter((d) => d.severity === 'error').length;
    status.set(
      `The program has ${errors === 1 ? 'an error' : `${errors} errors`}: nothing runs. ` +
        'Fix it and press Run again.',
      true
    );
    return null;
  }
  return result;
}
