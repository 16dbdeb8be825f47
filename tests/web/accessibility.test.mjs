// The playground for keyboard-only and screen-reader users: axe-core's WCAG
// 2.2 AA rules find nothing serious or critical in the page's main states; a
// walk with the keyboard alone runs a program, gives it keys, leaves its
// window and stops it; the windows and the console stay in view on a small
// laptop screen, and Run brings the windows into view on a narrow one.
// axe.min.js comes from this folder's packages and is put into the page as
// a script, so nothing is fetched.
import assert from 'node:assert/strict';
import path from 'node:path';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const AXE = path.join(path.dirname(new URL(import.meta.url).pathname), 'node_modules/axe-core/axe.min.js');
const TAGS = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa', 'best-practice'];
const RUN_MS = 60000;
const G = 'TELKA Graphics';
const T = 'TELKA Text';

// Says each key it gets, in its window (a new frame each) and on the console.
const KEYS_PROGRAM = `#include <stdio.h>
#include <telka.h>

int main(void)
{
    int32_t x, y;
    char key = 0;
    int kind;

    TELKA_open();
    TELKA_text(TELKA_NAVY_BLUE, -280, 100, 24, "Press a key");
    for (;;) {
        kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break;
        if (kind == TELKA_KBD) {
            TELKA_clear();
            TELKA_textf(TELKA_NAVY_BLUE, -280, 100, 24, "key %d", key);
            printf("key %d\\n", key);
        }
    }
    TELKA_close();
    return 0;
}
`;

let env;
let page;

const pgState = () => page.evaluate(() => window.telkaPlayground.state);
const consoleText = () => page.$eval('#pg-console', (e) => e.textContent);
const setSource = (text) => page.evaluate((t) => window.telkaPlayground.setSource(t, 'c'), text);
// Where an element shows in the viewport; null when there is none.
const box = (selector) =>
  page.evaluate((selector) => {
    const r = document.querySelector(selector)?.getBoundingClientRect();
    return r ? {left: r.left, top: r.top, right: r.right, bottom: r.bottom} : null;
  }, selector);
const frameOf = (title) => `.telka-window[data-title="${title}"]`;

async function runByClick(expected = 'running') {
  const runs = await page.evaluate(() => window.telkaPlayground.runs);
  // A click in the page's own terms: the button is not scrolled to first.
  await page.$eval('#pg-run', (b) => b.click());
  await page.waitForFunction(
    (n) => window.telkaPlayground.runs > n && window.telkaPlayground.state !== 'compiling',
    {timeout: RUN_MS},
    runs
  );
  assert.equal(await pgState(), expected, await page.$eval('#pg-status', (e) => e.textContent));
}

// What has the keyboard, in words: the editor, a program window by its
// title, or a control by its id.
const focused = () =>
  page.evaluate(() => {
    const e = document.activeElement;
    if (!e || e === document.body) return 'body';
    if (e.closest('.cm-editor')) return 'editor';
    const frame = e.closest('.telka-window');
    // The window's canvas hands the focus to its field for input methods (text-input.js).
    const surface =
      e.tagName === 'CANVAS' ? !e.classList.contains('pg-overlay') : e.classList.contains('telka-text-input');
    if (frame && surface) return `window ${frame.dataset.title}`;
    return e.id ? `#${e.id}` : e.getAttribute('aria-label') || e.tagName.toLowerCase();
  });

// Violations of the page's WCAG rules, each printed with its impact.
async function axe(name) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.addScriptTag({path: AXE});
  const found = await page.evaluate(
    async (tags) =>
      (
        await window.axe.run(document, {
          runOnly: {type: 'tag', values: tags},
          rules: {'target-size': {enabled: true}},
        })
      ).violations.map((v) => ({
        id: v.id,
        impact: v.impact,
        help: v.help,
        nodes: v.nodes.map((n) => n.target.join(' ')),
      })),
    TAGS
  );
  for (const v of found)
    console.log(
      `# axe, ${name}: ${v.impact} ${v.id}: ${v.help} [${v.nodes.length}: ${v.nodes.slice(0, 4).join(', ')}]`
    );
  return found.map((v) => ({...v, state: name}));
}

const pageErrors = [];
before(async () => {
  env = await s.start();
  page = await s.openPlayground(env, {errors: pageErrors});
});
after(async () => {
  for (const e of pageErrors) console.log(`# page error: ${e}`);
  await env?.close();
});

test('axe finds no serious or critical violation in the main states of the page', async () => {
  const found = [...(await axe('idle'))];
  await setSource('#include <telka.h>\n\nint main(void)\n{\n    int unused;\n    int x = ;\n    return 0;\n}\n');
  await runByClick('errors');
  found.push(...(await axe('compiler messages')));
  await setSource(KEYS_PROGRAM);
  await runByClick();
  assert.ok(await s.eventually(() => page.evaluate(() => !document.getElementById('pg-timeline').hidden), 10000));
  await page.keyboard.press('KeyA');
  assert.ok(await s.eventually(async () => (await consoleText()).includes('key 97'), 10000));
  found.push(...(await axe('running')));
  await page.$eval('#pg-frame-back', (b) => b.click());
  found.push(...(await axe('timeline on a past frame')));
  await page.$eval('#pg-stop', (b) => b.click());
  found.push(...(await axe('after the run')));
  const byImpact = {};
  for (const v of found) byImpact[v.impact] = (byImpact[v.impact] || 0) + 1;
  s.note('accessibility: axe violations by impact, five states', byImpact);
  const bad = found.filter((v) => v.impact === 'serious' || v.impact === 'critical');
  assert.deepEqual(
    bad.map((v) => `${v.state}: ${v.id}`),
    []
  );
});

test('the keyboard alone reaches Run, the editor, the program window and Stop', async () => {
  const keys = [];
  const press = async (key) => {
    keys.push(key);
    const parts = key.split('+');
    const last = parts.pop();
    for (const m of parts) await page.keyboard.down(m === 'Ctrl' ? 'Control' : m);
    await page.keyboard.press(last.length === 1 ? `Key${last}` : last);
    for (const m of parts.reverse()) await page.keyboard.up(m === 'Ctrl' ? 'Control' : m);
  };
  // Tab (Shift+Tab backwards) until `want` has the keyboard, leaving the editor with Escape on the way.
  const reach = async (want, back = false) => {
    for (let i = 0; i < 30 && (await focused()) !== want; ++i) {
      if ((await focused()) === 'editor') await press('Escape');
      await press(back ? 'Shift+Tab' : 'Tab');
    }
    assert.equal(await focused(), want, keys.join(' '));
  };
  await page.reload();
  await page.waitForFunction(() => window.telkaPlayground?.compiler === 'ready', {timeout: s.PLAYGROUND_READY_MS});
  await setSource(KEYS_PROGRAM);

  await press('Tab');
  assert.equal(await focused(), '#pg-run', 'Run comes first');
  for (let i = 0; i < 12 && (await focused()) !== 'editor'; ++i) await press('Tab');
  assert.equal(await focused(), 'editor');
  await press('Tab'); // indents: the editor keeps Tab
  assert.equal(await focused(), 'editor');
  await press('Escape');
  await press('Tab');
  assert.notEqual(await focused(), 'editor', 'Escape then Tab leaves the editor');
  await reach('#pg-run', true);
  // The editor's indent is taken back before the program is compiled.
  await setSource(KEYS_PROGRAM);
  await press('Enter');
  await page.waitForFunction(() => window.telkaPlayground.state === 'running', {timeout: RUN_MS});
  assert.ok(await s.eventually(async () => (await focused()).startsWith('window '), 10000), await focused());
  await press('Enter');
  assert.ok(await s.eventually(async () => (await consoleText()).includes('key 13'), 10000), await consoleText());
  // Tab is the program's while its window has the keyboard: Ctrl+Shift+L gives it back.
  await press('Tab');
  assert.ok((await focused()).startsWith('window '));
  await press('Ctrl+Shift+L');
  assert.equal(await focused(), '#pg-stop');
  // Back to the graphics window by Tab, which gives it the keyboard as a click would.
  await reach(`window ${G}`);
  await press('Escape');
  assert.ok(await s.eventually(async () => (await consoleText()).includes('key 27'), 10000), await consoleText());
  await press('Ctrl+Shift+L');
  assert.equal(await focused(), '#pg-stop');
  await press('Enter');
  assert.equal(await pgState(), 'stopped');
  s.note('accessibility: keyboard walk', keys.join(' '));
});

test('the windows and the console fit a small laptop screen, and Run shows them on a narrow one', async () => {
  const inView = async (selector, width, height) => {
    const r = await box(selector);
    return !!r && r.top >= 0 && r.left >= 0 && r.bottom <= height && r.right <= width;
  };
  await page.setViewport({width: 1366, height: 657});
  await setSource(KEYS_PROGRAM);
  await runByClick();
  assert.ok(await s.eventually(() => page.$$eval('.telka-window:not([hidden])', (w) => w.length === 2), 10000));
  await s.sleep(300);
  for (const selector of [frameOf(G), frameOf(T), '#pg-console'])
    assert.ok(
      await inView(selector, 1366, 657),
      `${selector} is inside 1366x657: ${JSON.stringify(await box(selector))}`
    );
  const text = await page.$eval(`${frameOf(T)} canvas`, (c) => c.height);
  s.note('accessibility: text window rows shown at 1366x657', `${text} of ${text}`);
  await s.shot(page, 'a11y-1366x657');
  await page.setViewport({width: 1366, height: 768});
  await s.sleep(300);
  await s.shot(page, 'a11y-1366x768');
  await page.setViewport({width: 683, height: 384, deviceScaleFactor: 2});
  await s.sleep(300);
  await s.shot(page, 'a11y-683x384-x2');

  await page.setViewport({width: 800, height: 600});
  await page.evaluate(() => window.scrollTo(0, 0));
  await runByClick();
  assert.ok(await s.eventually(() => inView(frameOf(G), 800, 600), 5000), JSON.stringify(await box(frameOf(G))));
  await s.shot(page, 'a11y-800x600');
  await page.$eval('#pg-stop', (b) => b.click());
});
