// Figures, not a test: the frame store fed the game's own presents in the
// page, played with keys for FRAMES frames (12,000 by default: ten minutes at
// 20 frames a second), then the bytes it holds and the time a jump to a
// frame takes (median over random frames, worst over every frame). The store
// module is loaded into the game's page as it is in the playground's.
// RECORD, a steered run's record.tsv (telka-run --save), adds what the
// calls of its frames cost the store, as the page would keep them.
// Run after make web: node tests/web/timeline_bench.mjs [FRAMES [RECORD]]
import fs from 'node:fs';

import {FrameStore} from '../../web/runtime/frame-store.js';
import * as s from './support.mjs';

const FRAMES = Number(process.argv[2] || 12000);
const RECORD = process.argv[3];
if (!(FRAMES > 0)) {
  console.error('usage: node tests/web/timeline_bench.mjs [FRAMES [RECORD]]');
  process.exit(2);
}
const store = fs.readFileSync(new URL('../../web/runtime/frame-store.js', import.meta.url), 'utf8');

if (RECORD) {
  const calls = new FrameStore();
  let pending = [];
  let count = 0;
  const event = {kind: 0, x: 0, y: 0, key: 0, periodic: 0, n: 0};
  for (const line of fs.readFileSync(RECORD, 'latin1').split('\n')) {
    const f = line.split('\t');
    if (f[0] === 'call') pending.push({text: f[1], line: Number(f[2] || 0), file: f[3] || ''});
    if (f[0] !== 'frame' || calls.last >= FRAMES) continue;
    count += pending.length;
    calls.add({number: calls.last + 1, ns: Number(f[2]), event, calls: pending}, {width: 1, height: 1, parts: []});
    pending = [];
  }
  const kept = new Set(calls.frames.map((f) => f.calls));
  const bytes = [...kept].reduce((sum, c) => sum + c.byteLength, calls.templateBytes);
  console.log(
    `calls of ${calls.last} recorded frames (${count} calls, ${calls.templates.length} templates): ` +
      `${(bytes / 1048576).toFixed(2)} MB`
  );
}

const env = await s.start();
try {
  const page = await env.browser.newPage();
  await page.setViewport({width: 1024, height: 1000});
  await page.evaluateOnNewDocument(
    `(() => {
      ${store.replace(/^export /gm, '')}
      const bench = (window.bench = {store: new FrameStore(), raw: 0, addMs: 0});
      window.telkaOnPresent = (host, parts) => {
        if (host.frame.dataset.title !== 'TELKA Graphics') return;
        const t = performance.now();
        const number = bench.store.last + 1;
        bench.store.add(
          {number, ns: Math.round(t * 1e6), event: {kind: 0, x: 0, y: 0, key: 0, periodic: 0, n: 0}, calls: []},
          {width: host.canvas.width, height: host.canvas.height, parts}
        );
        bench.addMs += performance.now() - t;
        for (const p of parts) bench.raw += p.rgba.byteLength;
      };
    })();`
  );
  await page.goto(`${env.base}index.html?program=telka-game`);
  await page.waitForFunction(
    () => window.telkaPage && window.telkaPage.run && window.telkaPage.run.windows.firstPresentMs > 0,
    {
      timeout: 20000,
    }
  );
  await page.locator('canvas').click();
  const keys = ['x', 'Space', '1', '3', '7', '9', '2', '8', '4', '6', 'Space', '5'];
  const began = Date.now();
  for (let k = 0; (await page.evaluate(() => window.bench.store.last)) < FRAMES; ++k) {
    await page.keyboard.press(keys[k % keys.length]);
    await s.sleep(250);
    if (k % 240 === 0)
      console.log(
        `# ${await page.evaluate(() => window.bench.store.last)} frames after ${Math.round((Date.now() - began) / 1000)} s`
      );
  }
  const r = await page.evaluate(() => {
    const {store, raw, addMs} = window.bench;
    const times = [];
    let worst = 0;
    for (let n = store.first; n <= store.last; ++n) {
      store.shown = null; // every jump from a cold start, as a jump far away is
      const t = performance.now();
      store.image(n);
      worst = Math.max(worst, performance.now() - t);
    }
    for (let i = 0; i < 500; ++i) {
      store.shown = null;
      const n = store.first + Math.floor(Math.random() * (store.last - store.first + 1));
      const t = performance.now();
      store.image(n);
      times.push(performance.now() - t);
    }
    times.sort((a, b) => a - b);
    const keys = store.frames.filter((f) => f.key).length;
    return {
      frames: store.last - store.first + 1,
      evicted: store.evicted,
      held: store.held(),
      raw,
      keys,
      addMs: addMs / store.last,
      median: times[times.length >> 1],
      worst,
    };
  });
  console.log(`frames kept: ${r.frames} (evicted ${r.evicted}), keyframes ${r.keys}`);
  console.log(
    `held: ${(r.held / 1048576).toFixed(2)} MB; the presents' raw pixels: ${(r.raw / 1048576).toFixed(2)} MB`
  );
  console.log(`keeping a frame: mean ${(r.addMs * 1000).toFixed(0)} us`);
  console.log(`jump to a frame, from cold: median ${r.median.toFixed(2)} ms, worst of all ${r.worst.toFixed(2)} ms`);
} finally {
  await env.close();
}
