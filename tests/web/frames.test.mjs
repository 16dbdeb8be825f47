// Same frames everywhere: each example's source, compiled in the page by the
// playground's compiler and played a script, shows the same pictures in the
// same order as the native build under telka-run; and a session recorded in
// the page, downloaded, plays back natively to the pictures the page showed.
// Pictures are compared byte for byte; a picture shown twice in a row counts
// once (the page shows a frame again when the browser asks, telka-run when
// the virtual clock does). Needs the native build (build/bin: telka-run and
// the examples) beside the site.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {PNG} from 'pngjs';

import * as s from './support.mjs';

const ROOT = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const NATIVE = process.env.NATIVE_BIN || path.join(ROOT, 'build/bin');

// Each example with events it answers; ask-name waits on its dialog, which
// no script answers (tests/web/playground.test.mjs types into it instead).
const CASES = [
  {program: 'hello', source: 'hello.c', script: 'TELKA_MOUSE(10, 20);\nTELKA_PERIODIC(3);\n'},
  {program: 'shapes', source: 'shapes.c', script: 'TELKA_KBD(32);\nTELKA_PERIODIC(2);\n'},
  {program: 'bounce', source: 'bounce.c', script: 'TELKA_PERIODIC(25);\n'},
  {program: 'mouse-draw', source: 'mouse_draw.c', scriptFile: 'docs/tools/scripts/mouse-draw.scr'},
  {program: 'keyboard', source: 'keyboard.c', scriptFile: 'docs/tools/scripts/keyboard.scr'},
  {program: 'logging', source: 'logging.c', script: 'TELKA_MOUSE(-50, 40);\nTELKA_KBD(108);\nTELKA_PERIODIC(4);\n'},
  {
    program: 'script-replay',
    source: 'script_replay.c',
    script: 'TELKA_MOUSE(-100, 0);\nTELKA_MOUSE(40, 80);\nTELKA_KBD(99);\nTELKA_MOUSE(0, 0);\n',
  },
];

// FNV-1a of RGBA bytes: the hash defineCanvasHash() takes in the page.
function fnv(bytes) {
  let h = 2166136261;
  for (let i = 0; i < bytes.length; ++i) h = Math.imul(h ^ bytes[i], 16777619) >>> 0;
  return h;
}

// Defines window.canvasHash in a page: FNV-1a of a canvas's RGBA bytes, the
// hash fnv() takes of telka-run's frames (written opaque, so their alpha is
// the canvas's 255).
function defineCanvasHash() {
  window.canvasHash = (c) => {
    const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let h = 2166136261;
    for (let i = 0; i < d.length; ++i) h = Math.imul(h ^ d[i], 16777619) >>> 0;
    return h;
  };
}

const distinct = (hashes) => hashes.filter((h, i) => i === 0 || h !== hashes[i - 1]);

// The graphics window's frames under telka-run, as hashes of their pixels.
function nativeFrames(program, scriptPath) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), `frames-${program}-`));
  try {
    execFileSync(
      path.join(NATIVE, 'telka-run'),
      [path.join(NATIVE, program), '--script', scriptPath, '--frames', dir],
      {stdio: ['ignore', 'ignore', 'pipe']}
    );
    const files = fs
      .readdirSync(dir)
      .filter((f) => /^frame-\d+\.png$/.test(f))
      .sort();
    return distinct(files.map((f) => fnv(PNG.sync.read(fs.readFileSync(path.join(dir, f))).data)));
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
}

let env, page;
before(async () => {
  env = await s.start();
  page = await env.browser.newPage();
  // Any page of the site serves: the server makes each one cross-origin isolated.
  await page.goto(`${env.base}licences.html`);
  await page.evaluate(defineCanvasHash);
  await page.evaluate(() => {
    const worker = new Worker('compiler/compile-worker.js', {type: 'module'});
    let next = 1;
    const waiting = new Map();
    worker.onmessage = (e) => {
      const m = e.data;
      if (m.type === 'failed') for (const w of waiting.values()) w(m);
      if (waiting.has(m.id)) {
        waiting.get(m.id)(m);
        waiting.delete(m.id);
      }
    };
    window.compileC = (source) =>
      new Promise((resolve) => {
        const id = next++;
        waiting.set(id, resolve);
        worker.postMessage({id, type: 'compile', source, lang: 'c', name: 'main'});
      });
  });
});
after(async () => {
  await env?.close();
});

// Runs `wasm` in a fresh desktop of the page with `script` as TELKA.SCR played
// from its first wait, and returns the graphics window's frames once they
// stop changing.
async function pageFrames(wasm, script) {
  return page.evaluate(
    async (wasm, script) => {
      const {startProgram} = await import('/runtime/telka-runtime.js');
      const desktop = document.createElement('div');
      document.body.appendChild(desktop);
      const frames = [];
      let last = performance.now();
      window.telkaOnPresent = (host) => {
        if (host.frame.dataset.title !== 'TELKA Graphics') return;
        frames.push(window.canvasHash(host.canvas));
        last = performance.now();
      };
      const run = await startProgram({
        wasm: new Uint8Array(wasm),
        name: 'main',
        desktop,
        playScript: true,
        files: {'TELKA.SCR': new TextEncoder().encode(script)},
      });
      const start = performance.now();
      while (performance.now() - start < 30000 && (frames.length === 0 || performance.now() - last < 1500))
        await new Promise((resolve) => setTimeout(resolve, 100));
      run.stop();
      window.telkaOnPresent = null;
      desktop.remove();
      return frames;
    },
    wasm,
    script
  );
}

for (const c of CASES) {
  test(`${c.program}: the page's frames are telka-run's`, async () => {
    const script = c.script ?? fs.readFileSync(path.join(ROOT, c.scriptFile), 'utf8');
    const scriptPath = path.join(os.tmpdir(), `frames-${c.program}.scr`);
    fs.writeFileSync(scriptPath, script);
    const native = nativeFrames(c.program, scriptPath);
    const source = fs.readFileSync(path.join(ROOT, 'examples', c.source), 'utf8');
    const compiled = await page.evaluate(async (source) => {
      const r = await window.compileC(source);
      return {ok: r.ok, log: r.log, wasm: r.ok ? Array.from(r.wasm) : null};
    }, source);
    assert.ok(compiled.ok, `${c.source} compiles in the page: ${compiled.log}`);
    const inPage = distinct(await pageFrames(compiled.wasm, script));
    assert.ok(native.length >= 1, `telka-run showed ${native.length} pictures`);
    assert.deepEqual(inPage, native, `the same ${native.length} pictures in the same order`);
  });
}

test('a session recorded in the page plays back natively to the same pictures', async () => {
  const {page: game} = await s.open(env, 'keyboard');
  const shown = [];
  await game.exposeFunction('frameShown', (h) => shown.push(h));
  await game.evaluate(defineCanvasHash);
  await game.evaluate(() => {
    const hash = window.canvasHash;
    // What the window shows now, then every picture after it.
    window.frameShown(hash(document.querySelector('.telka-window[data-title="TELKA Graphics"] canvas')));
    telkaPage.run.windows.onPresent = (host) => {
      if (host.frame.dataset.title === 'TELKA Graphics') window.frameShown(hash(host.canvas));
    };
  });
  await s.ctrl(game, 'r');
  await s.typeText(game, 'Hi there');
  await game.keyboard.press('Backspace');
  await s.ctrl(game, 'r');
  assert.ok(
    await s.eventually(
      () =>
        game.evaluate(() => {
          const b = telkaPage.run.scriptFile();
          return b !== null && new TextDecoder().decode(b).includes('TELKA_KBD(8);');
        }),
      5000
    ),
    'TELKA.SCR holds the recorded keys'
  );
  const recorded = await game.evaluate(() => new TextDecoder().decode(telkaPage.run.scriptFile()));
  await game.close();
  const scriptPath = path.join(os.tmpdir(), 'frames-recorded.scr');
  fs.writeFileSync(scriptPath, recorded);
  // The page showed its first picture before the recording began, and
  // telka-run shows it before the playback does: both start there.
  assert.deepEqual(nativeFrames('keyboard', scriptPath), distinct(shown));
});
