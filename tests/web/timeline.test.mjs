// The playground's timeline in headless Chromium: a program's frames are
// kept while it runs, a past one is shown again byte for byte as it was
// shown live, with its event, time and calls (lines known or not); choosing a
// call marks its line; the keyboard alone steps frames and events, holds the
// display while the program runs on, and Live (End) comes back. The calls'
// words and lines are the library's own announcements.
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';

const SOURCE = `#include <telka.h>

int main(void)
{
    int32_t x, y, n = 0;
    char key;
    TELKA_open();
    for (;;) {
        int kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break;
        if (kind != TELKA_MOUSE)
            continue;
        ++n;
        TELKA_rectangle(n % 2 ? TELKA_RED : TELKA_BLUE, x - 10, y - 10, x + 10, y + 10, 0);
        (TELKA_pixel)(TELKA_GREEN, x, y); /* through the function itself: no line known */
    }
    TELKA_close();
    return 0;
}
`;
const SQUARE_LINE = SOURCE.split('\n').findIndex((l) => l.includes('TELKA_rectangle(')) + 1;

let env;
let page;
const errors = [];

const label = () => page.$eval('#pg-frame-label', (e) => e.textContent);
const shots = () => page.evaluate(() => window.shots.length);
const calls = () => page.$$eval('#pg-calls li', (items) => items.map((li) => li.textContent));

// Whether the graphics window shows live frame `n` (1-based) byte for byte.
const showsFrame = (n) =>
  page.evaluate(
    (title, n) => {
      const canvas = document.querySelector(`.telka-window[data-title="${title}"] canvas`);
      const now = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
      const then = window.shots[n - 1];
      return now.length === then.length && now.every((v, i) => v === then[i]);
    },
    G,
    n
  );

// Clicks at program point (x, y) and waits for the frame it draws.
async function clickAt(x, y) {
  const n = await shots();
  await s.click(page, G, 300 + x, 280 - y);
  assert.ok(await s.eventually(async () => (await shots()) > n, 5000), `a frame after the click at (${x}, ${y})`);
}

before(async () => {
  env = await s.start();
  page = await s.openPlayground(env, {height: 900, errors});
});
after(async () => {
  await env?.close();
});

test('a past frame is shown as it was, with its event, time and calls, by keyboard alone', async () => {
  // Every frame as it was shown live, gathered independently of the timeline.
  await page.evaluate(() => {
    window.shots = [];
    const surface = document.createElement('canvas');
    const ctx = surface.getContext('2d', {alpha: false});
    window.telkaOnPresent = (host, parts) => {
      if (host.frame.dataset.title !== 'TELKA Graphics') return;
      if (surface.width !== host.canvas.width || surface.height !== host.canvas.height)
        [surface.width, surface.height] = [host.canvas.width, host.canvas.height];
      for (const {x, y, w, h, rgba} of parts) ctx.putImageData(new ImageData(new Uint8ClampedArray(rgba), w, h), x, y);
      window.shots.push(ctx.getImageData(0, 0, surface.width, surface.height).data);
    };
  });
  await page.evaluate((text) => window.telkaPlayground.setSource(text, 'c'), SOURCE);
  await page.locator('::-p-aria([name="Run"][role="button"])').click();
  await page.waitForFunction(() => window.telkaPlayground.state === 'running', {timeout: 60000});
  assert.ok(await s.eventually(() => page.$(`.telka-window[data-title="${G}"] canvas`), 10000));

  await clickAt(-100, 50);
  await clickAt(20, -30);
  await clickAt(150, 100);
  assert.ok(
    await s.eventually(async () =>
      (await label()).startsWith(`Live: Frame ${await shots()}, after a click at (150, 100)`)
    ),
    await label()
  );
  await s.shot(page, 'timeline-live');

  // One event back from Live: the frame the second click drew.
  await page.focus('#pg-frame');
  await page.keyboard.down('Shift');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.up('Shift');
  const second = Number(await page.$eval('#pg-frame', (e) => e.value));
  assert.match(await label(), new RegExp(`^Frame ${second}, after a click at \\(20, -30\\), at \\d+\\.\\d\\d s$`));
  assert.ok(await showsFrame(second), `frame ${second} is shown as it was`);
  const [square, pixel, ...more] = await calls();
  assert.match(
    square,
    new RegExp(`^(red|blue) rectangle with bounding box \\(10,-20\\) to \\(30,-40\\), filled, line ${SQUARE_LINE}$`)
  );
  assert.equal(pixel, 'green pixel at (20,-30) (no line known)');
  assert.deepEqual(more, []);

  // One frame back: the frame before it, whatever it was, exactly.
  await page.keyboard.press('ArrowLeft');
  assert.equal(Number(await page.$eval('#pg-frame', (e) => e.value)), second - 1);
  assert.match(await label(), new RegExp(`^Frame ${second - 1}, `));
  assert.ok(await showsFrame(second - 1));
  await page.keyboard.press('ArrowRight');

  // Choosing a call by keyboard puts the cursor on its line and marks it.
  await page.focus('#pg-calls button');
  await page.keyboard.press('Enter');
  assert.equal(await page.evaluate(() => window.telkaPlayground.cursorLine()), SQUARE_LINE);
  assert.equal(
    await page.evaluate(
      () => [...document.querySelectorAll('.cm-line')].findIndex((l) => l.matches('.pg-call-line')) + 1
    ),
    SQUARE_LINE
  );
  await page.keyboard.press('ArrowDown');
  assert.equal(
    await page.evaluate(() => document.activeElement.textContent),
    'green pixel at (20,-30) (no line known)'
  );
  assert.equal(await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle), 'solid');
  await s.shot(page, 'timeline-past-frame');

  // A click on a past frame asks for that pixel's history; the program,
  // still running, does not get it, and the display stays on the frame.
  const kept = await shots();
  await s.click(page, G, 300 + 20, 280 - -30);
  assert.ok(
    await s.eventually(async () =>
      /^\(20, -30\) is green\. .* drew it, in frame /.test(await page.$eval('#pg-history-text', (e) => e.textContent))
    ),
    await page.$eval('#pg-history-text', (e) => e.textContent)
  );
  assert.ok(await showsFrame(second), 'the display stays on the frame shown');
  assert.equal(await shots(), kept);

  // End: Live again, and the program, which ran on, takes clicks again.
  await page.focus('#pg-frame');
  await page.keyboard.press('End');
  assert.match(await label(), /^Live: Frame \d+, after a click at \(150, 100\)/);
  await clickAt(-200, -100);
  assert.ok(await s.eventually(async () => /^Live: Frame \d+, after a click at \(-200, -100\)/.test(await label())));
  assert.ok(await showsFrame(await shots()));

  // A stopped run stays browsable.
  await page.locator('::-p-aria([name="Stop"][role="button"])').click();
  await page.focus('#pg-frame');
  await page.keyboard.press('PageDown');
  assert.match(await label(), /^Frame \d+, after a click at \(150, 100\)/);
  assert.ok(await showsFrame(Number(await page.$eval('#pg-frame', (e) => e.value))));
  assert.deepEqual(errors, []);
});
