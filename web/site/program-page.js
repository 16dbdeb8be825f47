// The page around one of the site's TELKA programs: picks it
// (?program=NAME, the game by default), runs it with the runtime, shows what
// it prints and how it ended, and moves TELKA.SCR between the program and
// the user's computer. window.telkaPage tells tests (and the curious) the
// state.
import {runtimeProblem, startProgram} from './runtime/telka-runtime.js';

const status = document.getElementById('telka-status');
const output = document.getElementById('telka-output');
const note = document.getElementById('telka-file-note');
const desktop = document.getElementById('telka-desktop');

const page = (window.telkaPage = {program: null, state: 'loading', exitCode: null, output: [], run: null});

const say = (text) => {
  status.textContent = text;
};

function print(text, isError) {
  page.output.push(text);
  output.textContent += text;
  output.scrollTop = output.scrollHeight;
  (isError ? console.error : console.log)(text);
}

function fail(text) {
  page.state = 'failed';
  say(text);
}

function ended(end) {
  const name = page.program;
  if (end.stopped) {
    page.state = 'ended';
    say(`${name} was stopped.`);
  } else if (end.trap || end.error) {
    page.state = 'failed';
    say(`${name} stopped with an error: ${end.trap ? end.trap.message : end.error}`);
  } else {
    page.state = 'ended';
    page.exitCode = end.status;
    say(`${name} has ended (exit code ${end.status}).`);
  }
  const p = document.createElement('p');
  p.className = 'telka-ended';
  p.textContent = `${name} has ended. Reload the page to run it again.`;
  desktop.appendChild(p);
}

// The buttons give the keyboard back to the program's windows at once: a
// focused button would take the next space or Enter.
const done = (button) => {
  if (button && button.blur) button.blur();
};

document.getElementById('telka-download').addEventListener('click', (e) => {
  done(e.currentTarget);
  const data = page.run && page.run.scriptFile();
  if (!data) {
    note.textContent = 'No TELKA.SCR yet: record one with Run > Record Script (Ctrl+R).';
    return;
  }
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([data], {type: 'text/plain'}));
  link.download = 'TELKA.SCR';
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  note.textContent = `Downloaded TELKA.SCR (${data.length} bytes).`;
});

const upload = document.getElementById('telka-upload');
upload.addEventListener('change', async () => {
  const file = upload.files && upload.files[0];
  done(upload);
  if (!file) return;
  try {
    const buffer = await file.arrayBuffer();
    if (!page.run || page.state !== 'running') {
      note.textContent = 'The program is not running.';
    } else if (!page.run.loadScript(new Uint8Array(buffer))) {
      note.textContent =
        `${file.name} was not loaded: the program has not taken the last file yet, ` +
        'or the file is larger than 4 MB.';
    } else {
      note.textContent =
        `Loaded ${file.name}${file.name === 'TELKA.SCR' ? '' : ' as TELKA.SCR'} ` +
        `(${buffer.byteLength} bytes): Run > Playback Script (Ctrl+P) plays it.`;
    }
  } catch (err) {
    note.textContent = `Could not read ${file.name}: ${err}`;
  }
  upload.value = '';
});

async function main() {
  let list;
  try {
    list = await (await fetch('programs/programs.json')).json();
  } catch (err) {
    return fail(`Could not load the list of programs: ${err.message}`);
  }
  const programs = list.programs || [];
  const runnable = programs.concat(list.tools || []);
  const asked = new URLSearchParams(location.search).get('program');
  const name = asked && runnable.includes(asked) ? asked : programs[0];
  const nav = document.getElementById('telka-programs');
  for (const p of programs) {
    const a = document.createElement('a');
    a.href = `?program=${encodeURIComponent(p)}`;
    a.textContent = p;
    if (p === name) a.className = 'telka-current';
    nav.appendChild(a);
  }
  if (!name) return fail('This site has no programs.');
  page.program = name;
  document.title = `${name} - TELKA`;
  // coi.js reloads a page that is not isolated yet, once, through the
  // service worker; until then there is nothing to start.
  const isolation = window.telkaIsolation;
  if (isolation && isolation.state === 'reloading') return say('Preparing the page…');
  const problem = runtimeProblem();
  if (problem) return fail(`Programs cannot run here: ${problem}.`);
  let wasm;
  try {
    const response = await fetch(`programs/${name}.wasm`);
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    wasm = await response.arrayBuffer();
  } catch (err) {
    return fail(`Could not load ${name}: ${err.message}`);
  }
  // ?play=PATH: a script of this site to play from the start.
  const play = new URLSearchParams(location.search).get('play');
  const files = {};
  if (play) {
    try {
      const url = new URL(play, location.href);
      if (url.origin !== location.origin) throw new Error('only scripts of this site can be played');
      const response = await fetch(url);
      if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
      files['TELKA.SCR'] = new Uint8Array(await response.arrayBuffer());
    } catch (err) {
      return fail(`Could not load the script ${play}: ${err.message}`);
    }
  }
  try {
    page.run = await startProgram({
      wasm,
      name,
      desktop,
      onExit: ended,
      files,
      playScript: !!play,
      onOutput: (stream, text) => print(text, stream === 'stderr'),
    });
  } catch (err) {
    return fail(`Could not start ${name}: ${err.message}`);
  }
  page.state = 'running';
  say(`${name} is running. Click a window to give it the keyboard.`);
}

main();
