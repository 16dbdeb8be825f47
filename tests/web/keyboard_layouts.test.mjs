// Keyboards of other layouts in the page: the character a key types there
// (KeyboardEvent.key, dead keys and AltGr applied) is the character the
// program gets, in Windows-1252; text from an input method arrives once; a
// character 1252 lacks gives no event and a line in the text window; the
// line-input dialog takes the same characters. Keys go in through the
// DevTools Protocol as a French and a German keyboard send them, to a small
// program compiled in the playground that prints every key it gets.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const RUN_MS = 60000;

// Every TELKA_KBD key as a number; Tab asks for a line and prints its bytes.
const PROGRAM = `#include <stdio.h>
#include <telka.h>

int main(void)
{
    int32_t x, y;
    char key = 0, line[256];
    TELKA_open();
    for (;;) {
        int kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break;
        if (kind != TELKA_KBD)
            continue;
        if (key == '\\t') {
            TELKA_gets("Type a line", line);
            printf("line");
            for (char *c = line; *c; ++c)
                printf(" %d", (unsigned char)*c);
            printf("\\n");
        } else {
            printf("key %d\\n", (unsigned char)key);
        }
        fflush(stdout);
    }
    return 0;
}
`;

let env;
let page;
let cdp;

before(async () => {
  if (!fs.existsSync(path.join(s.SITE, 'playground.html'))) throw new Error(`no playground in ${s.SITE}`);
  env = await s.start();
  page = await s.openPlayground(env);
  assert.equal(await page.evaluate(() => window.telkaPlayground.compiler), 'ready');
  cdp = await page.createCDPSession();
});
after(async () => {
  await env?.close();
});

const consoleText = () => page.$eval('#pg-console', (e) => e.textContent);
const keysPrinted = async () => [...(await consoleText()).matchAll(/key (\d+)/g)].map((m) => Number(m[1]));

const ALT = 1;
const CTRL = 2;
const SHIFT = 8;

// One key down and up as a keyboard of that layout sends it: `key` is what
// the layout types (KeyboardEvent.key), `vk` the Windows virtual key.
async function key(code, vk, typed, modifiers = 0, location = 0) {
  const single = [...typed].length === 1;
  const event = {key: typed, code, windowsVirtualKeyCode: vk, modifiers, location, ...(single ? {text: typed} : {})};
  await cdp.send('Input.dispatchKeyEvent', {type: single ? 'keyDown' : 'rawKeyDown', ...event});
  await cdp.send('Input.dispatchKeyEvent', {type: 'keyUp', ...event});
}

async function modifier(down, code, vk, name, modifiers, location) {
  await cdp.send('Input.dispatchKeyEvent', {
    type: down ? 'rawKeyDown' : 'keyUp',
    key: name,
    code,
    windowsVirtualKeyCode: vk,
    modifiers,
    location,
  });
}

test('the program gets what the layout typed, once, in Windows-1252', async () => {
  await page.evaluate((source) => window.telkaPlayground.setSource(source, 'c'), PROGRAM);
  await page.locator('::-p-aria([name="Run"][role="button"])').click();
  await page.waitForFunction(() => window.telkaPlayground.state === 'running', {timeout: RUN_MS});
  await page.waitForSelector('.telka-window[data-title="TELKA Graphics"]:not([hidden]) canvas');
  const focused = await page.evaluate(() => {
    const frame = document.querySelector('.telka-window[data-title="TELKA Graphics"]');
    frame.querySelector('canvas').focus();
    return document.activeElement.tagName + ' ' + frame.contains(document.activeElement);
  });
  // The window's canvas hands the focus to its field, where input methods type.
  assert.equal(focused, 'TEXTAREA true');

  const table = [];
  // What the program printed for the keys `send` sends: exactly `codes`.
  const expectKeys = async (what, codes, send) => {
    const before = (await keysPrinted()).length;
    const got = async () => (await keysPrinted()).slice(before);
    await send();
    await s.eventually(async () => (await got()).length >= codes.length, 5000);
    await s.sleep(150); // a key typed twice would print after the first
    table.push([what, (await got()).join(' ') || 'nothing']);
    assert.deepEqual(await got(), codes, `${what}; the console: ${await consoleText()}`);
  };
  const shifted = async (code, vk, typed) => {
    await modifier(true, 'ShiftLeft', 16, 'Shift', SHIFT, 1);
    await key(code, vk, typed, SHIFT);
    await modifier(false, 'ShiftLeft', 16, 'Shift', 0, 1);
  };

  // French AZERTY: the digits are shifted, the unshifted keys type & and é.
  await expectKeys('French, Shift + &/1', [49], () => shifted('Digit1', 49, '1'));
  await expectKeys('French, &/1', [38], () => key('Digit1', 49, '&'));
  await expectKeys('French, é/2', [233], () => key('Digit2', 50, 'é'));

  // German QWERTZ: Shift+7 is '/'; AltGr+E is the euro sign, as Windows
  // reports AltGr (Ctrl+Alt) and as Linux does (AltGraph, neither modifier).
  await expectKeys('German, Shift + 7', [47], () => shifted('Digit7', 55, '/'));
  await expectKeys('German, AltGr + E (Ctrl+Alt)', [128], async () => {
    await modifier(true, 'ControlLeft', 17, 'Control', CTRL, 1);
    await modifier(true, 'AltRight', 18, 'AltGraph', CTRL | ALT, 2);
    await key('KeyE', 69, '€', CTRL | ALT);
    await modifier(false, 'AltRight', 18, 'AltGraph', CTRL, 2);
    await modifier(false, 'ControlLeft', 17, 'Control', 0, 1);
  });
  await expectKeys('German, AltGr + E (AltGraph)', [128], () =>
    page.evaluate(() => {
      for (const type of ['keydown', 'keyup'])
        document.activeElement.dispatchEvent(
          new KeyboardEvent(type, {key: '€', code: 'KeyE', keyCode: 69, modifierAltGraph: true, bubbles: true})
        );
    })
  );
  // The dead key ´ types nothing; the e after it types é.
  await expectKeys('German, dead ´ then e', [233], async () => {
    await key('Equal', 221, 'Dead');
    await key('KeyE', 69, 'é');
  });
  // An engine that composes dead keys in the field may commit the é there
  // too, before the e's key up: it is typed once.
  await expectKeys('German, dead ´ then e, composed as well', [233], async () => {
    await key('Equal', 221, 'Dead');
    const e = {key: 'é', code: 'KeyE', windowsVirtualKeyCode: 69, text: 'é'};
    await cdp.send('Input.dispatchKeyEvent', {type: 'keyDown', ...e});
    await cdp.send('Input.insertText', {text: 'é'});
    await cdp.send('Input.dispatchKeyEvent', {type: 'keyUp', ...e});
  });

  // Text without a key, as an input method commits it.
  await expectKeys("input method 'ë'", [235], () => cdp.send('Input.insertText', {text: 'ë'}));
  await expectKeys("input method 'ř'", [], () => cdp.send('Input.insertText', {text: 'ř'}));
  const textLines = () => page.$$eval('#pg-sr-text-lines li', (items) => items.map((li) => li.textContent));
  assert.ok(
    await s.eventually(async () => (await textLines()).some((l) => l.startsWith('The key typed U+0159'))),
    (await textLines()).join('\n')
  );

  // The line-input dialog takes the same characters.
  await key('Tab', 9, 'Tab');
  assert.ok(await s.eventually(() => page.evaluate(() => !!document.querySelector('.telka-dialog:not([hidden])'))));
  await key('Digit2', 50, 'é');
  await shifted('Digit1', 49, '1');
  await s.shot(page, 'keyboard-layouts-dialog');
  await key('Enter', 13, 'Enter');
  assert.ok(await s.eventually(async () => /line 233 49(?! \d)/.test(await consoleText()), 5000), await consoleText());
  table.push(['TELKA_gets, French é/2 then Shift + &/1', 'line 233 49']);
  console.log(table.map(([what, got]) => `${what}: ${got}`).join('\n'));
});
