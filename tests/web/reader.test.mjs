// The playground with a screen reader's eyes, in headless Chromium: what a
// program prints in its text window is on the page as text, a burst of lines
// gives a few polite announcements rather than one per line, the status
// line stays the one live status element, and Ctrl+Shift+D (wherever the
// focus is) or Describe picture tells the graphics window's picture in words.
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';

// A row of the 24 colours, a ball, a warning from the library, then a line
// printed at each of 60 periodic events (20 a second).
const SOURCE = `#include <telka.h>

int main(void)
{
    int32_t x, y, i, ticks = 0;
    char key;
    TELKA_open();
    TELKA_logging(0);
    TELKA_clear();
    for (i = 0; i < 24; ++i)
        TELKA_rectangle(i, -290 + 24 * i, 240, -270 + 24 * i, 220, 0);
    TELKA_circle(TELKA_ORANGE, -193, 95, 20);
    TELKA_circle(30, 0, 0, 5);
    TELKA_animate(TELKA_ANIMATE_RUN);
    for (;;) {
        int kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break;
        if (kind != TELKA_PERIODIC)
            continue;
        if (++ticks <= 60)
            TELKA_printf("tick %d", ticks);
        if (ticks == 60)
            TELKA_animate(TELKA_ANIMATE_HALT);
    }
    TELKA_close();
    return 0;
}
`;

const ROW =
  '24 filled rectangles in a row from (-290, 240) to (262, 240), 24 apart, each 20 by 20, in 24 colours: ' +
  'black, white, red, green, blue, yellow, magenta, cyan and 16 more';

let env;
let page;
const errors = [];

const textLines = () => page.$$eval('#pg-sr-text-lines li', (items) => items.map((li) => li.textContent));
const picture = () =>
  page.$eval('#pg-sr-picture-text', (box) => [...box.querySelectorAll('p, li')].map((e) => e.textContent));

before(async () => {
  env = await s.start();
  page = await s.openPlayground(env, {height: 900, errors});
});
after(async () => {
  await env?.close();
});

test('printed lines are text, announced in a few batches; the picture is told in words on demand', async () => {
  // Every announcement as it is made, and the status element as it is now.
  await page.evaluate(() => {
    window.said = [];
    window.statusElement = document.getElementById('pg-status');
    new MutationObserver(() => {
      const p = document.querySelector('#pg-sr-news p');
      if (p) window.said.push({at: performance.now(), text: p.textContent});
    }).observe(document.getElementById('pg-sr-news'), {childList: true});
  });
  assert.equal(await page.$eval('#pg-sr-news', (e) => e.getAttribute('aria-live')), 'polite');
  assert.equal(await page.$eval('#pg-console', (e) => e.getAttribute('aria-live')), 'off');

  await page.evaluate((text) => window.telkaPlayground.setSource(text, 'c'), SOURCE);
  await page.locator('::-p-aria([name="Run"][role="button"])').click();
  await page.waitForFunction(() => window.telkaPlayground.state === 'running', {timeout: 60000});
  assert.ok(
    await s.eventually(async () => (await textLines()).includes('tick 60'), 30000),
    (await textLines()).join('\n')
  );
  const lines = await textLines();
  assert.deepEqual(lines.slice(-3), ['tick 58', 'tick 59', 'tick 60']);
  assert.ok(lines.includes('Illegal color 30; using RED.'), lines.join('\n'));
  assert.ok(
    await s.eventually(async () => /tick 60$/.test((await page.evaluate(() => window.said.at(-1)?.text)) || ''))
  );
  const said = await page.evaluate(() => window.said);
  assert.ok(said.length <= 8, `${said.length} announcements for 61 lines`);
  said.slice(1).forEach((a, i) => assert.ok(a.at - said[i].at >= 1900, `${a.at - said[i].at} ms between two`));
  // A batch names its first line, the warning here, and its last.
  assert.match(said[0].text, /Illegal color 30; using RED\./);
  for (const a of said.slice(1)) assert.match(a.text, /^\d+ new lines; first: tick \d+; last: tick \d+$/);

  // The page key while the program's window has the keyboard, as the window tells a reader.
  assert.match(
    await page.$eval(
      `.telka-window[data-title="${G}"] canvas`,
      (c) => document.getElementById(c.getAttribute('aria-describedby')).textContent
    ),
    /Ctrl\+Shift\+D/
  );
  await page.focus(`.telka-window[data-title="${G}"] canvas`);
  await page.keyboard.down('Control');
  await page.keyboard.down('Shift');
  await page.keyboard.press('KeyD');
  await page.keyboard.up('Shift');
  await page.keyboard.up('Control');
  assert.ok(await s.eventually(async () => (await picture()).length > 1), (await picture()).join('\n'));
  const told = await picture();
  assert.match(
    told[0],
    /^The graphics window, live \(Frame \d+, .*\): 26 drawing calls since the window was last cleared/
  );
  assert.deepEqual(told.slice(1), [
    'the whole window cleared to white',
    ROW,
    'orange circle at (-193, 95), radius 20',
    'red circle at (0, 0), radius 5',
  ]);
  assert.equal(await page.$eval('#pg-sr-picture-text', (e) => e.getAttribute('aria-live')), 'polite');
  assert.equal(
    await page.evaluate(() => document.activeElement.closest('.telka-window')?.dataset.title),
    G,
    'the focus stays in the program window'
  );
  await s.shot(page, 'reader-picture');

  // The button, once the program is stopped, tells the same picture.
  await page.locator('::-p-aria([name="Stop"][role="button"])').click();
  await page.$eval('#pg-sr-picture-text', (e) => e.replaceChildren());
  await page.locator('::-p-aria([name="Describe picture"][role="button"])').click();
  assert.ok(await s.eventually(async () => (await picture()).length > 1));
  assert.deepEqual((await picture()).slice(1), told.slice(1));
  assert.ok(await page.evaluate(() => document.getElementById('pg-status') === window.statusElement));
  assert.equal(await page.$eval('#pg-status', (e) => e.getAttribute('role')), 'status');
  assert.deepEqual(errors, []);
});
