// The program's source: the editor that holds it (editor.js), its language,
// its copy in the browser's storage and whether it came from a link, with the
// handles tests use to read and replace it. The first text is a link's
// program, else the student's saved one, else the starter.
import {headerPrefix} from '../compiler/compiler.js';
import {createEditor} from './editor.js';
import {MAX_SOURCE_BYTES, readFragment} from './share.js';
import STARTER from './starter.c';

const STORE = 'telka-playground';

export function sourceName(lang) {
  return lang === 'c++' ? 'main.cpp' : 'main.c';
}

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

export function store(app) {
  const source = app.state.source;
  clearTimeout(source.storeTimer);
  source.storeTimer = 0;
  if (source.fromLink) return;
  try {
    localStorage.setItem(STORE, JSON.stringify({source: app.editor.text(), lang: source.lang}));
  } catch {
    // full or disabled storage: the editor still holds the text
  }
}

export function setLang(app, value) {
  app.state.source.lang = value === 'c++' ? 'c++' : 'c';
  app.ui.lang.value = app.state.source.lang;
  warmCompiler(app);
}

// The compiler readies the language and the program's includes while the
// student reads, so that the first Run is not the one that does it. Asked
// once the editor holds the new text (callers set the language before or
// after replacing it), and when an edit changes the leading includes, once
// the typing has paused.
const INCLUDES_PAUSE_MS = 1500;
function warmCompiler(app, delay = 0) {
  const source = app.state.source;
  clearTimeout(source.warmTimer);
  source.warmTimer = setTimeout(() => {
    if (!app.compiler || !app.editor) return;
    const lang = source.lang;
    source.warmedIncludes = includesOf(app.editor.text());
    const page = app.state.page;
    const first = lang === 'c++' && !page.compilerWarmCxx;
    if (first) page.compilerWarmCxx = 'asked';
    app.compiler.warm(lang, app.editor.text()).then(
      (m) => {
        page.compilerWarmHeaders = m.headers || null;
        if (!first) return;
        page.compilerWarmCxx = m.ms === null ? 'skipped' : m.ok ? 'done' : 'failed';
        page.compilerWarmCxxMs = m.ms;
      },
      () => {
        if (first) page.compilerWarmCxx = 'failed';
      }
    );
  }, delay);
}

function includesOf(text) {
  const prefix = headerPrefix(text);
  return prefix ? prefix.text : '';
}

export function leaveLink(app) {
  if (!app.state.source.fromLink) return;
  app.state.source.fromLink = false;
  // A reload now shows the student's text, not the link's again.
  history.replaceState(null, '', location.pathname + location.search);
}

// Makes app.editor with the first text. Returns what that text was chosen
// from: the address's link (null when it has none) and the stored program.
export async function openSource(app, {parent, onRun, onSave}) {
  const {state, ui} = app;
  const page = state.page;
  const stored = loadStored();
  const firstLink = await readFragment(location.hash);
  page.link = firstLink;
  setLang(app, firstLink?.ok ? firstLink.lang : stored ? stored.lang : 'c');
  state.source.fromLink = Boolean(firstLink?.ok);

  app.editor = createEditor({
    parent,
    doc: firstLink?.ok ? firstLink.source : stored ? stored.source : STARTER,
    onRun,
    onSave,
    onChange(update) {
      if (update.transactions.some((t) => t.docChanged && !t.isUserEvent('link'))) leaveLink(app);
      clearTimeout(state.source.storeTimer);
      state.source.storeTimer = setTimeout(() => store(app), 300);
      if (includesOf(app.editor.text()) !== state.source.warmedIncludes) warmCompiler(app, INCLUDES_PAUSE_MS);
    },
  });
  window.addEventListener('pagehide', () => store(app));

  // Handles for tests: the text, a whole new text (as typing it would), the cursor's line.
  const editor = app.editor;
  page.source = () => editor.text();
  page.setSource = (text, newLang) => {
    if (newLang) setLang(app, newLang);
    editor.replace(String(text), {userEvent: 'input.test'});
    store(app);
  };
  page.cursorLine = () => editor.view.state.doc.lineAt(editor.view.state.selection.main.head).number;

  ui.lang.addEventListener('change', () => {
    setLang(app, ui.lang.value);
    leaveLink(app);
    store(app);
  });
  return {firstLink, stored};
}
