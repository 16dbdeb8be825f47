// Files to and from the student's computer: Save downloads the source, Open
// reads one in (UTF-8, else Windows-1252), and TELKA.SCR is downloaded from
// the running program or loaded for it and for each program run after.
import {MAX_SOURCE_BYTES} from './share.js';
import {leaveLink, setLang, sourceName, store} from './source.js';

const MAX_SCRIPT_BYTES = 16 * 1024 * 1024;

function download(name, data, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([data], {type}));
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The file picked in `input`, which is emptied: picking the same file again
// is a change too.
function takeFile(input) {
  const file = input.files && input.files[0];
  input.value = '';
  return file;
}

export function save(app) {
  const name = sourceName(app.state.source.lang);
  download(name, app.editor.text(), 'text/plain;charset=utf-8');
  app.status.set(`Saved as ${name} (your browser's downloads folder).`);
}

function bindSourceFiles(app) {
  const {ui, status, editor} = app;
  ui.save.addEventListener('click', () => save(app));
  ui.open.addEventListener('click', () => ui.openFile.click());
  ui.openFile.addEventListener('change', async () => {
    const file = takeFile(ui.openFile);
    if (!file) return;
    if (file.size > MAX_SOURCE_BYTES) {
      status.set(
        `${file.name} is ${Math.round(file.size / 1024)} KiB: too large to be a program here ` +
          `(at most ${MAX_SOURCE_BYTES / 1024} KiB). Nothing was opened.`,
        true
      );
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
    if (/\.(cpp|cc|cxx)$/i.test(file.name)) setLang(app, 'c++');
    else if (/\.c$/i.test(file.name)) setLang(app, 'c');
    leaveLink(app);
    store(app);
    status.set(`Opened ${file.name}. Ctrl+Z in the editor brings back what was there.`);
  });
}

function bindScriptFiles(app) {
  const {ui, state} = app;
  ui.scriptDownload.addEventListener('click', () => {
    const program = state.run.program;
    let data = null;
    try {
      data = program ? program.scriptFile() : null;
    } catch {
      data = null;
    }
    if (!program) {
      ui.fileNote.textContent = "Run a program first: TELKA.SCR lives in the running program's memory.";
    } else if (!data || data.length === 0) {
      ui.fileNote.textContent =
        "No TELKA.SCR yet: record one with Run > Record Script (Ctrl+R) in the program's window.";
    } else {
      download('TELKA.SCR', data, 'text/plain');
      ui.fileNote.textContent = `Downloaded TELKA.SCR (${data.length} bytes).`;
    }
  });

  ui.scriptLoad.addEventListener('click', () => ui.scriptFile.click());
  ui.scriptFile.addEventListener('change', async () => {
    const file = takeFile(ui.scriptFile);
    if (!file) return;
    if (file.size > MAX_SCRIPT_BYTES) {
      ui.fileNote.textContent = `${file.name} is too large to be a script (${Math.round(file.size / 1048576)} MiB).`;
      return;
    }
    const bytes = new Uint8Array(await file.arrayBuffer());
    state.script = bytes;
    const loaded = `Loaded ${file.name}${file.name === 'TELKA.SCR' ? '' : ' as TELKA.SCR'} (${bytes.length} bytes)`;
    const program = state.run.program;
    if (program && state.page.state === 'running') {
      program.loadScript(bytes.slice());
      ui.fileNote.textContent = `${loaded}: Run > Playback Script (Ctrl+P) plays it.`;
    } else {
      ui.fileNote.textContent = `${loaded}: the next program run gets it.`;
    }
  });
}

export function bindFiles(app) {
  bindSourceFiles(app);
  bindScriptFiles(app);
}
