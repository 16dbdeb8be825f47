// The pixel history in the playground, in headless Chromium: a replay of a
// run draws every graphics frame the run showed, pixel for pixel; after
// Stop, a click on a pixel says which calls of the program drew it (one
// drawn over, one drawn last by a call made only on some frames, one only
// cleared), and the same works by keyboard. Needs the site with the
// playground built (WEB_SITE), served cross-origin isolated.
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';
const READY_MS = 240000; // a cold load compiles 75 MB of clang on 2 cores

// Line numbers matter: the answers name them.
const PROGRAM = `#include <telka.h>

int main(void)
{
    int32_t x, y;
    char key;
    int n = 0;
    TELKA_open();
    TELKA_clear();
    TELKA_animate(TELKA_ANIMATE_RUN);
    while (n < 13) {
        if (TELKA_await_event(&x, &y, &key) != TELKA_PERIODIC)
            continue;
        ++n;
        TELKA_rectangle(TELKA_BLUE, -100, -50, 100, 50, 0);
        TELKA_oval(TELKA_GREEN, -40, -30, 40, 30, 0);
        if (n % 3 == 0)
            TELKA_line(TELKA_RED, -200, 100, 200, 100, 3);
        TELKA_flush();
    }
    TELKA_animate(TELKA_ANIMATE_HALT);
    while (TELKA_await_event(&x, &y, &key) != TELKA_QUIT)
        ;
    TELKA_close();
    return 0;
}
`;

let env;
let page;
let surface; // the graphics window's canvas: {left, top, height}
const CLIENT_H = 520; // the graphics window's client area below its menu bar

const historyText = () =>
  page.$eval('::-p-aria([name="Pixel history"][role="region"])', (e) => e.querySelector('p').innerText);
// Host-surface point of program point (x, y): origin at the client area's centre, y up.
const at = (x, y) => [300 + x, surface.height - CLIENT_H + 260 - y];

async function ask(x, y) {
  const before = await historyText();
  const [sx, sy] = at(x, y);
  await page.mouse.click(surface.left + (sx + 0.5) * surface.scale, surface.top + (sy + 0.5) * surface.scale);
  await page.waitForFunction(
    (old) => {
      const t = document.querySelector('#pg-history-text').innerText;
      return t !== old && !t.startsWith('Replaying');
    },
    {timeout: 60000},
    before
  );
  return historyText();
}

before(async () => {
  env = await s.start();
  page = await env.browser.newPage();
  await page.setViewport({width: 1366, height: 900});
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(e.message));
  // Every frame as the page showed it, hashed as the replay hashes frames.
  await page.evaluateOnNewDocument(() => {
    window.liveHashes = [];
    window.telkaOnPresent = (host) => {
      if (host.frame.dataset.title !== 'TELKA Graphics') return;
      const d = host.ctx.getImageData(0, 0, host.canvas.width, host.canvas.height).data;
      let h = 2166136261;
      for (let i = 0; i < d.length; i += 4) h = Math.imul(h ^ ((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]), 16777619);
      window.liveHashes.push(h >>> 0);
    };
  });
  await page.goto(`${env.base}playground.html`);
  await page.waitForFunction(() => window.telkaPlayground && window.telkaPlayground.compiler !== 'loading', {
    timeout: READY_MS,
  });
  await page.evaluate((text) => window.telkaPlayground.setSource(text, 'c'), PROGRAM);
  await page.locator('::-p-aria([name="Run"][role="button"])').click();
  await page.waitForFunction(() => window.telkaPlayground.state === 'running', {timeout: 60000});
  // 13 periodic events at 50 ms, then the program only waits.
  assert.ok(await s.eventually(() => page.evaluate(() => window.liveHashes.length >= 14), 20000));
  await s.sleep(300);
  await page.locator('::-p-aria([name="Stop"][role="button"])').click();
  await page.waitForFunction(() => window.telkaPlayground.state === 'stopped');
  surface = await page.evaluate((title) => {
    const c = document.querySelector(`.telka-window[data-title="${title}"] canvas`);
    const r = c.getBoundingClientRect();
    // The page may show the windows scaled to fit its height.
    return {left: r.left, top: r.top, height: c.height, scale: r.width / c.width};
  }, G);
});
after(async () => {
  await env?.close();
});

test('a replay draws every frame the run showed, pixel for pixel', async () => {
  const live = await page.evaluate(() => window.liveHashes);
  const replayed = await page.evaluate(
    (n) => window.telkaPlayground.pixelHistory.replay({stopAtFrame: n}),
    live.length
  );
  assert.equal(replayed.diverged, null);
  assert.equal(replayed.error, null);
  assert.deepEqual(replayed.frameHashes, live);
  s.note('pixel history: replay speed, short run (frames/s)', (1000 * replayed.frames) / replayed.ms);
  s.note('pixel history: observation bytes of the short run', replayed.observedBytes);
});

test('a click tells which calls drew a pixel, and when', async () => {
  const drawnOver = await ask(0, 0);
  const first = await page.evaluate(() => window.telkaPlayground.pixelHistory.ms());
  assert.match(
    drawnOver,
    /^\(0, 0\) is green\. `[^`]*oval[^`]*` at main\.c line 16 drew it, in frame \d+ \(after periodic event 13, at \d+\.\d\d s\)\. Before that in this frame, `[^`]*rectangle[^`]*` at line 15 made it blue\.$/
  );
  const someFrames = await ask(0, 100);
  const later = await page.evaluate(() => window.telkaPlayground.pixelHistory.ms());
  assert.match(
    someFrames,
    /^\(0, 100\) is red\. No call of frame \d+ drew it; `[^`]*line[^`]*` at main\.c line 18 set it last, in frame \d+ \(after periodic event 12, at \d+\.\d\d s\)\.$/
  );
  const cleared = await ask(250, -200);
  assert.match(
    cleared,
    /^\(250, -200\) is white\. No call of frame \d+ drew it; `[^`]*` at main\.c line 9 set it last, in frame \d+ \(before any event, at \d+\.\d\d s\)\.$/
  );
  assert.equal(later.replay, null, 'the second question of a frame replays nothing');
  s.note('pixel history: first answer of a frame, short run (ms)', first.total);
  s.note('pixel history: later answer, short run (ms)', later.total);
});

test('the keyboard moves a crosshair, asks, and follows a call to its line', async () => {
  await page.focus('.pg-overlay');
  // Shift+arrow moves ten pixels; then single steps to program point (3, 0).
  const cursor = () => page.evaluate(() => window.telkaPlayground.pixelHistory.cursor());
  const [x0, y0] = await cursor();
  await page.keyboard.down('Shift');
  await s.presses(page, 'ArrowUp');
  await page.keyboard.up('Shift');
  assert.deepEqual(await cursor(), [x0, y0 - 10]);
  const [sx, sy] = at(3, 0);
  for (let [x, y] = await cursor(); x !== sx || y !== sy; [x, y] = await cursor())
    await s.presses(page, x < sx ? 'ArrowRight' : x > sx ? 'ArrowLeft' : y < sy ? 'ArrowDown' : 'ArrowUp');
  await s.presses(page, 'Enter');
  assert.ok(await s.eventually(async () => (await historyText()).startsWith('(3, 0) is green.'), 20000));
  const buttons = await page.$$('::-p-aria([name="Pixel history"][role="region"]) button');
  const names = await Promise.all(buttons.map((b) => b.evaluate((e) => e.textContent)));
  await buttons[names.findIndex((n) => n.endsWith('line 16'))].focus();
  await s.presses(page, 'Enter');
  const line = await page.$eval('.cm-activeLine', (e) => e.textContent);
  assert.match(line, /TELKA_oval/);
  assert.deepEqual(page.errors, []);
});
