// The line-input dialog in the browser: ask-name's dialog appears over its
// windows and takes the keyboard, and the line typed there is the name the
// program greets (its width on the card tells it from the others), while an
// empty line leaves the default. Also times a typed key to changed pixels.
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';

let env;
before(async () => {
  env = await s.start();
});
after(async () => {
  await env?.close();
});

const dialogShown = (page) =>
  s.eventually(() => page.evaluate(() => document.querySelector('.telka-dialog:not([hidden])') !== null), 5000);

// The right end of the greeting: the last column of the white card, inside
// its frame, with a dark pixel in the rows of the text (window y 2..26).
function greetingEnd(page) {
  return page.evaluate(() => {
    const canvas = document.querySelector('.telka-window[data-title="TELKA Graphics"] canvas');
    const d = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let end = -1;
    for (let y = 280 - 26; y <= 280 - 2; ++y)
      for (let x = 300 - 240; x < 300 + 255; ++x) {
        const i = (y * canvas.width + x) * 4;
        if (d[i] + d[i + 1] + d[i + 2] < 3 * 160) end = Math.max(end, x);
      }
    return end;
  });
}

async function greeted(page, name) {
  assert.ok(
    await s.eventually(() => page.evaluate(() => document.querySelector('.telka-dialog') === null), 5000),
    `the dialog closed (${name})`
  );
  assert.ok(
    await s.eventually(async () => (await s.pixel(page, G, 300, 280 - 40)) === 0xffffff, 5000),
    `the card (${name})`
  );
  return greetingEnd(page);
}

// Median time from a key press to the first present that changed the
// dialog's pixels, over the characters of `text`.
async function typeTimed(page, text) {
  await page.evaluate(() => {
    const canvas = () => document.querySelector('.telka-dialog canvas');
    const sum = () => {
      const c = canvas();
      const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
      let h = 2166136261;
      for (let i = 0; i < d.length; ++i) h = Math.imul(h ^ d[i], 16777619) >>> 0;
      return h;
    };
    window.keyToPixels = [];
    let pressed = null,
      before = 0;
    // The program's presents come back in later tasks of the page, so a
    // listener after the runtime's starts the clock early enough.
    document.addEventListener(
      'keydown',
      () => {
        before = sum();
        pressed = performance.now();
      },
      true
    );
    telkaPage.run.windows.onPresent = () => {
      if (pressed !== null && canvas() && sum() !== before) {
        window.keyToPixels.push(performance.now() - pressed);
        pressed = null;
      }
    };
  });
  for (let i = 0; i < text.length; ++i) {
    await page.keyboard.press(text[i]);
    assert.ok(
      await s.eventually(() => page.evaluate((n) => window.keyToPixels.length >= n, i + 1)),
      `the dialog showed key ${i + 1}`
    );
  }
  return s.median(await page.evaluate(() => window.keyToPixels));
}

test('the dialog returns the typed line, and an empty one leaves the default', async () => {
  let {page} = await s.open(env, 'ask-name');
  assert.ok(await dialogShown(page), 'the line-input dialog is shown');
  const latency = await typeTimed(page, 'abcdefghijklmnopqrst');
  s.note('key press to changed canvas pixels, median of 20 (ms)', latency);
  for (let i = 0; i < 20; ++i) await page.keyboard.press('Backspace');
  await s.typeText(page, 'Ada');
  await s.shot(page, '11-ask-name-dialog');
  await page.keyboard.press('Enter');
  const ada = await greeted(page, 'Ada');
  await s.shot(page, '12-ask-name-greeting');
  await page.close();

  ({page} = await s.open(env, 'ask-name'));
  assert.ok(await dialogShown(page));
  await s.typeText(page, 'Ada Lovelace');
  await page.keyboard.press('Enter');
  const long = await greeted(page, 'Ada Lovelace');
  await page.close();

  ({page} = await s.open(env, 'ask-name'));
  assert.ok(await dialogShown(page));
  await page.keyboard.press('Enter');
  const stranger = await greeted(page, 'an empty line');
  await page.close();

  // "Hello, Ada!" < "Hello, stranger!" < "Hello, Ada Lovelace!"
  assert.ok(ada > 300 - 240 && ada < stranger && stranger < long, `ends ${ada}, ${stranger}, ${long}`);
});
