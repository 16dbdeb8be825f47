// The playground in headless Chromium: programs compiled in the page by the
// wasm clang run in its desktop; compiler messages land on their lines; the
// examples build; share links go round and hostile ones are refused as text;
// Stop ends a program that never waits; the line-input dialog answers.
// Needs the site built with the playground (WEB_SITE) and a page served
// cross-origin isolated (web/serve.mjs sends the headers).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';
const READY_MS = 240000; // a cold load compiles 75 MB of clang on 2 cores
const RUN_MS = 60000;

let env;
let context;
let page;

// The compiler's readiness, and the state the page reports.
const state = (p) => p.evaluate(() => window.telkaPlayground.state);
const statusText = (p) => p.$eval('#pg-status', (e) => e.textContent);

async function openPlayground(hash = '', {ready = true} = {}) {
  const p = await context.newPage();
  await p.setViewport({width: 1366, height: 768});
  p.errors = [];
  p.on('pageerror', (e) => p.errors.push(e.message));
  await p.goto(`${env.base}playground.html${hash}`);
  if (!ready) {
    await p.waitForFunction(() => window.telkaPlayground && window.telkaPlayground.link !== undefined);
    return p;
  }
  await p.waitForFunction(() => window.telkaPlayground && window.telkaPlayground.compiler !== 'loading', {
    timeout: READY_MS,
  });
  assert.equal(await p.evaluate(() => window.telkaPlayground.compiler), 'ready', await statusText(p));
  return p;
}

// Presses the button named "Run" (its accessible name) and waits until the
// program runs, or the compiler refuses it.
async function run(p) {
  const runs = await p.evaluate(() => window.telkaPlayground.runs);
  await p.locator('::-p-aria([name="Run"][role="button"])').click();
  await p.waitForFunction(
    (n) => window.telkaPlayground.runs > n && window.telkaPlayground.state !== 'compiling',
    {timeout: RUN_MS},
    runs
  );
  return state(p);
}

// The line numbers beside the editor's error marks.
const marginErrors = (p) =>
  p.$$eval('.cm-lint-marker-error', (marks) =>
    marks.map((m) => {
      const top = m.closest('.cm-gutterElement').getBoundingClientRect().top;
      const numbers = [...document.querySelectorAll('.cm-lineNumbers .cm-gutterElement')];
      return numbers.find((n) => Math.abs(n.getBoundingClientRect().top - top) < 2)?.textContent;
    })
  );

async function setSource(p, text, lang = 'c') {
  await p.evaluate((text, lang) => window.telkaPlayground.setSource(text, lang), text, lang);
}

// The warm-up build runs after ready, before any Run: when it is done.
async function warmedUp(p) {
  await p.waitForFunction(
    () => window.telkaPlayground.compilerWarmMs !== null || window.telkaPlayground.compiler === 'failed',
    {timeout: READY_MS}
  );
  assert.equal(await p.evaluate(() => window.telkaPlayground.compiler), 'ready', await statusText(p));
  return p.evaluate(() => window.telkaPlayground.compilerWarmMs);
}

const windowShown = (p, title) =>
  s.eventually(
    () => p.evaluate((t) => !!document.querySelector(`.telka-window[data-title="${t}"] canvas`), title),
    10000
  );

before(async () => {
  if (!fs.existsSync(path.join(s.SITE, 'playground.html')))
    throw new Error(
      `no playground in ${s.SITE}: build the site (or node web/playground/build.mjs --site DIR --sdk DIR)`
    );
  env = await s.start();
  context = await env.browser.createBrowserContext();
  const cold = performance.now();
  page = await openPlayground();
  s.note(
    'playground: compiler ready after navigation, cold (ms)',
    await page.evaluate(() => window.telkaPlayground.compilerReadyMs)
  );
  s.note('playground: first load to ready, as the test saw it (ms)', performance.now() - cold);
  s.note('playground: warm-up build done after navigation, cold (ms)', await warmedUp(page));
  await page.reload();
  await page.waitForFunction(() => window.telkaPlayground && window.telkaPlayground.compiler !== 'loading', {
    timeout: READY_MS,
  });
  s.note(
    'playground: compiler ready after navigation, warm (ms)',
    await page.evaluate(() => window.telkaPlayground.compilerReadyMs)
  );
  s.note(
    'playground: worker load and driver plans, warm page',
    await page.evaluate(() => window.telkaPlayground.compilerMs)
  );
  s.note('playground: warm-up build done after navigation, warm (ms)', await warmedUp(page));
  s.note('playground: warm-up build, warm page', await page.evaluate(() => window.telkaPlayground.compilerWarm));
});
after(async () => {
  await env?.close();
});

test('the starter program compiles, runs, draws and answers a click', async () => {
  const source = await page.evaluate(() => window.telkaPlayground.source());
  assert.match(source, /#include <telka.h>/);
  assert.equal(await run(page), 'running', await statusText(page));
  const ms = await page.evaluate(() => window.telkaPlayground.result.ms);
  s.note('playground: starter compile (ms)', ms.compile);
  s.note('playground: starter link (ms)', ms.link);
  assert.ok(await windowShown(page, G));
  // The sun (yellow, centred at 220, 170) and the first flower's heart (gold).
  assert.ok(
    await s.eventually(async () => (await s.pixel(page, G, 300 + 220, 280 - 170)) === 0xffff00, 10000),
    'the sun is drawn'
  );
  await s.click(page, G, 300 - 150, 280 + 20);
  assert.ok(
    await s.eventually(
      () => page.$eval('#pg-console', (e) => e.textContent.includes('Flower 1 planted at (-150, -20)')),
      5000
    ),
    'the click planted a flower and the program said so'
  );
  await s.shot(page, 'playground-running');
});

test('a 100-line C program compiles, links and runs', async () => {
  const starter = await page.evaluate(() => window.telkaPlayground.source());
  const lines = starter.trimEnd().split('\n');
  let source = lines.join('\n') + '\n';
  // Functions of the kind a student adds, up to 100 lines.
  for (let i = 0; source.split('\n').length + 8 <= 101; ++i)
    source +=
      `\nint sum_${i}(int from, int to)\n{\n    int s = 0;\n    for (int k = from; k < to; ++k)\n` +
      `        s += k * ${i + 1};\n    return s;\n}\n`;
  // and a comment to make it 100.
  for (let n = 1; source.trimEnd().split('\n').length < 100; ++n) source += `// note ${n}\n`;
  const count = source.trimEnd().split('\n').length;
  assert.equal(count, 100);
  const times = [];
  for (let round = 0; round < 3; ++round) {
    // A change each round, as a student's edits would make.
    await setSource(page, source.replace('int sum_0(', `int sum_0${'_'.repeat(round)}(`));
    assert.equal(await run(page), 'running', await statusText(page));
    const ms = await page.evaluate(() => window.telkaPlayground.result.ms);
    times.push(ms.compile + ms.link);
    await page.locator('::-p-aria([name="Stop"][role="button"])').click();
  }
  times.sort((a, b) => a - b);
  s.note('playground: 100-line C program, compile and link, median of 3 (ms)', times[1]);
  s.note('playground: 100-line C program, lines', count);
  await setSource(page, starter);
});

test('a syntax error is shown on its line and nothing runs; a warning does not stop a run', async () => {
  await setSource(page, '#include <telka.h>\n\nint main(void)\n{\n    int x = ;\n    return 0;\n}\n');
  assert.equal(await run(page), 'errors');
  assert.equal(await page.$$eval('.telka-window', (w) => w.length), 0, 'no window: nothing ran');
  const items = await page.$$eval('#pg-diagnostics button', (b) => b.map((x) => x.textContent));
  assert.ok(
    items.some((t) => /^Line 5, column \d+: error: expected expression/.test(t)),
    items.join('\n')
  );
  // The lint mark sits on line 5.
  assert.ok(
    await page.evaluate(() => {
      const line = document.querySelectorAll('.cm-content .cm-line')[4];
      return !!line && !!line.querySelector('.cm-lintRange-error');
    }),
    'an error mark on line 5'
  );
  await page.locator('#pg-diagnostics button.pg-error').click();
  assert.equal(await page.evaluate(() => window.telkaPlayground.cursorLine()), 5);
  await s.shot(page, 'playground-diagnostic');

  await setSource(
    page,
    '#include <telka.h>\n\nint main(void)\n{\n    int unused;\n    TELKA_open();\n' +
      '    TELKA_close();\n    return 0;\n}\n'
  );
  const ran = await run(page);
  assert.ok(ran === 'running' || ran === 'ended', ran);
  const items2 = await page.$$eval('#pg-diagnostics button', (b) => b.map((x) => x.textContent));
  assert.ok(
    items2.some((t) => /^Line 5, column \d+: warning: unused variable 'unused'/.test(t)),
    items2.join('\n')
  );
  assert.ok(await s.eventually(async () => (await state(page)) === 'ended', 10000));
  assert.match(await statusText(page), /Ended \(status 0\)/);
});

test('every example compiles and runs', async () => {
  const files = await page.$$eval('#pg-examples option', (o) => o.map((x) => x.value).filter(Boolean));
  assert.ok(files.length >= 5, `examples listed: ${files.join(', ')}`);
  for (const file of files) {
    const text = await page.evaluate((f) => fetch(`examples/${f}`).then((r) => r.text()), file);
    await page.select('#pg-examples', file);
    assert.ok(
      await s.eventually(() => page.evaluate((t) => window.telkaPlayground.source() === t, text), 5000),
      `${file} is in the editor`
    );
    const lang = await page.$eval('#pg-lang', (e) => e.value);
    assert.equal(lang, file.endsWith('.cpp') ? 'c++' : 'c', file);
    const result = await run(page);
    assert.equal(result, 'running', `${file}: ${await statusText(page)}`);
    assert.ok(await windowShown(page, G), `${file} opened its window`);
    await s.sleep(300);
    assert.equal(await state(page), 'running', `${file} still runs: ${await statusText(page)}`);
    await page.locator('::-p-aria([name="Stop"][role="button"])').click();
    assert.equal(await state(page), 'stopped');
  }
});

test('Stop ends a program that never waits', async () => {
  await setSource(page, '#include <telka.h>\n\nint main(void)\n{\n    TELKA_open();\n    for (;;);\n}\n');
  assert.equal(await run(page), 'running');
  await s.sleep(1000);
  const t = performance.now();
  await page.locator('::-p-aria([name="Stop"][role="button"])').click();
  assert.equal(await state(page), 'stopped');
  assert.match(await statusText(page), /^Stopped/);
  s.note('playground: Stop of a busy program, click to stopped (ms)', performance.now() - t);
  // The page is still alive: the next program runs.
  await setSource(
    page,
    '#include <stdio.h>\n#include <telka.h>\n\nint main(void)\n{\n    printf("after stop\\n");\n' + '    return 0;\n}\n'
  );
  await run(page);
  assert.ok(await s.eventually(() => page.$eval('#pg-console', (e) => e.textContent.includes('after stop')), 10000));
});

test('a crash names the function and the line', async () => {
  await setSource(
    page,
    '#include <telka.h>\n\nvolatile int nobody = 0;\n\nstatic int share(int total, int people)\n{\n' +
      '    return total / people;\n}\n\nint main(void)\n{\n    TELKA_open();\n' +
      '    TELKA_printf("%d each", share(10, nobody));\n    TELKA_close();\n    return 0;\n}\n'
  );
  // From the keyboard this time: Ctrl+Enter in the editor runs.
  const runs = await page.evaluate(() => window.telkaPlayground.runs);
  await page.focus('.cm-content');
  await page.keyboard.down('Control');
  await page.keyboard.press('Enter');
  await page.keyboard.up('Control');
  assert.equal(await page.evaluate(() => window.telkaPlayground.runs), runs + 1, 'one run per Ctrl+Enter');
  assert.ok(
    await s.eventually(async () => /crashed: integer divide by zero in/.test(await statusText(page)), 10000),
    await statusText(page)
  );
  assert.match(await statusText(page), /^The program crashed: integer divide by zero in share \(main\.c line 7\)\.$/);
  assert.deepEqual(await marginErrors(page), ['7'], 'the crash is marked in the margin');

  // A write through NULL (past its start, as trail[i] is) crashes as it would natively.
  await setSource(
    page,
    '#include <stddef.h>\n#include <telka.h>\n\nint *volatile trail = NULL;\n\nint main(void)\n{\n' +
      '    TELKA_open();\n    trail[30] = 1;\n    TELKA_printf("survived");\n    TELKA_close();\n    return 0;\n}\n'
  );
  await run(page);
  const nullCrash = /through a null pointer.* in main \(main\.c line 9\)\.$/;
  assert.ok(await s.eventually(async () => nullCrash.test(await statusText(page)), 10000), await statusText(page));
  assert.deepEqual(await marginErrors(page), ['9'], "the next crash's mark replaces it");
});

test('a program that allocates without end is ended with a message', async () => {
  await setSource(
    page,
    '#include <stdlib.h>\n#include <telka.h>\n\nchar *volatile last;\n\nint main(void)\n{\n' +
      '    TELKA_open();\n    for (;;)\n        last = malloc(1 << 20);\n}\n'
  );
  await run(page);
  assert.deepEqual(await marginErrors(page), [], "the last run's crash mark is gone");
  assert.ok(await s.eventually(async () => (await state(page)) === 'crashed', 30000), await statusText(page));
  assert.ok(
    await s.eventually(async () => /ran out of memory in main \(main\.c line 10\)/.test(await statusText(page))),
    await statusText(page)
  );
});

test('the line-input dialog returns the typed line', async () => {
  await setSource(
    page,
    '#include <stdio.h>\n#include <telka.h>\n\nint main(void)\n{\n    char name[256] = "";\n' +
      '    TELKA_open();\n    TELKA_gets("What is your name?", name);\n' +
      '    printf("Hello, %s!\\n", name);\n    TELKA_close();\n    return 0;\n}\n'
  );
  assert.equal(await run(page), 'running');
  const dialog = () =>
    page.evaluate(() => {
      const d = [...document.querySelectorAll('.telka-window')].find(
        (w) => !w.hidden && !['TELKA Graphics', 'TELKA Text'].includes(w.dataset.title)
      );
      return d ? d.dataset.title : null;
    });
  assert.ok(await s.eventually(async () => (await dialog()) !== null, 10000), 'the dialog is shown');
  // The keyboard goes to the dialog (given to it as a click would).
  await page.evaluate(
    (title) => {
      const frame = document.querySelector(`.telka-window[data-title="${title}"]`);
      if (!frame.contains(document.activeElement)) frame.querySelector('canvas').focus();
    },
    await dialog()
  );
  await s.typeText(page, 'Ada');
  await page.keyboard.press('Enter');
  assert.ok(
    await s.eventually(() => page.$eval('#pg-console', (e) => e.textContent.includes('Hello, Ada!')), 10000),
    await page.$eval('#pg-console', (e) => e.textContent)
  );
  assert.ok(await s.eventually(async () => (await state(page)) === 'ended', 10000));
});

// The includes a C++ Run leads with are compiled once and kept: the Runs
// after it read them compiled, and what they draw and print is what the
// same program parsing every header draws and prints. "#if 1" before the
// includes keeps them out of the cache without changing the program or a
// line number; <cassert> again after NDEBUG must still turn assert off.
test("a C++ program's includes are compiled once, and it draws and prints the same", async () => {
  const includes = ['iostream', 'string', 'vector', 'map', 'algorithm', 'cmath', 'cstdio', 'cstdlib', 'telka.h']
    .map((h) => `#include <${h}>\n`)
    .join('');
  const body =
    '#include <cassert>\n#define NDEBUG\n#include <cassert>\n\nint main()\n{\n' +
    '    std::vector<std::string> names{"Grace", "Ada", "Alan"};\n    std::sort(names.begin(), names.end());\n' +
    '    std::map<std::string, int> size;\n    for (auto &n : names) size[n] = int(n.size());\n' +
    '    int32_t x, y;\n    char key;\n    TELKA_open();\n    int row = 100;\n' +
    '    for (auto &n : names) {\n        TELKA_text(TELKA_RED, -100, row, 20, n.c_str());\n' +
    '        TELKA_circle(TELKA_BLUE, 100, row, int(std::sqrt(double(size[n] * 40))) + std::abs(-2));\n' +
    '        row -= 40;\n    }\n    assert(names.size() == 7);\n' +
    '    std::printf("first %s\\n", names[0].c_str());\n    std::cout << "sizes " << size.size() << std::endl;\n' +
    '    for (;;)\n        if (TELKA_await_event(&x, &y, &key) == TELKA_QUIT)\n            break;\n    TELKA_close();\n}\n';
  const seen = async (source) => {
    await setSource(page, source, 'c++');
    let headers;
    // The first Run of new includes parses them; they are compiled after it.
    for (let i = 0; i < 3; ++i) {
      assert.equal(await run(page), 'running', await statusText(page));
      headers = await page.evaluate(() => window.telkaPlayground.result.headers);
      if (headers !== 'miss') break;
    }
    assert.ok(await s.eventually(() => page.$eval('#pg-console', (e) => e.textContent.includes('sizes 3')), 10000));
    const shown = {
      headers,
      compile: await page.evaluate(() => window.telkaPlayground.result.ms.compile),
      picture: await s.checksum(page, G, 0, 0, 601, 560),
      console: await page.$eval('#pg-console', (e) => e.textContent),
    };
    await page.locator('::-p-aria([name="Stop"][role="button"])').click();
    return shown;
  };
  const parsed = await seen(`#if 1\n${includes}#endif\n${body}`);
  const compiled = await seen(`\n${includes}\n${body}`);
  assert.equal(parsed.headers, 'none');
  assert.equal(compiled.headers, 'hit');
  s.note('playground: C++ compile, every header parsed (ms)', parsed.compile);
  s.note('playground: C++ compile, the headers compiled (ms)', compiled.compile);
  assert.match(parsed.console, /first Ada\s+sizes 3/);
  assert.equal(compiled.console, parsed.console);
  assert.equal(compiled.picture, parsed.picture);
});

test('a share link opens the program as text and runs nothing until Run', async () => {
  const hostile =
    '/* <img src=x onerror="window.pwned=1"> </script><script>window.pwned=2</script> é ✓ */\n' +
    '#error <img src=x onerror="window.pwned=3"><script>window.pwned=4</script>\n' +
    '#include <telka.h>\nint main(void) { TELKA_open(); TELKA_close(); return 0; }\n';
  await setSource(page, hostile, 'c++');
  await page.locator('::-p-aria([name="Share"][role="button"])').click();
  await page.waitForFunction(() => !!window.telkaPlayground.shareLink);
  const link = await page.evaluate(() => window.telkaPlayground.shareLink);
  assert.match(link, /playground\.html#code=[A-Za-z0-9_-]+&lang=cpp$/);
  assert.equal(await page.$eval('#pg-share-link', (e) => e.value), link);

  // The student's own program, saved, before the link is opened.
  const own = '#include <telka.h>\n/* my own */\nint main(void) { return 0; }\n';
  await setSource(page, own, 'c');
  const shared = await openPlayground(link.slice(link.indexOf('#')));
  assert.equal(await shared.evaluate(() => window.telkaPlayground.source()), hostile);
  assert.equal(await shared.$eval('#pg-lang', (e) => e.value), 'c++');
  assert.equal(await state(shared), 'idle');
  assert.equal(await shared.$$eval('.telka-window', (w) => w.length), 0, 'nothing runs');
  assert.equal(await shared.evaluate(() => window.pwned), undefined);
  assert.equal(await shared.$$eval('img, body script:not([src])', (e) => e.length), 0, 'the markup stayed text');
  await s.shot(shared, 'playground-shared-link');
  // Opening the link kept the student's own program saved.
  assert.equal(await shared.evaluate(() => JSON.parse(localStorage.getItem('telka-playground')).source), own);
  // A C++ link warms the compiler's C++ paths up before the first Run.
  await shared.waitForFunction(() => !['asked', null].includes(window.telkaPlayground.compilerWarmCxx), {
    timeout: 120000,
  });
  assert.equal(await shared.evaluate(() => window.telkaPlayground.compilerWarmCxx), 'done');
  // Its compiler message quotes the markup, as text too.
  assert.equal(await run(shared), 'errors');
  const items = await shared.$$eval('#pg-diagnostics button', (b) => b.map((x) => x.textContent));
  assert.ok(
    items.some((t) => t.includes('error: <img src=x onerror="window.pwned=3"><script>')),
    items.join('\n')
  );
  assert.equal(await shared.$$eval('img, body script:not([src])', (e) => e.length), 0);
  assert.equal(await shared.evaluate(() => window.pwned), undefined);
  await shared.close();
});

test('hostile links are refused with a message and keep the saved program', async () => {
  const own = await page.evaluate(() => window.telkaPlayground.source());
  const cases = [
    ['#code=' + 'A'.repeat(1024 * 1024), /too large to be a program/],
    ['#code=not*base64!', /could not be read/],
    ['#code=AAAA', /could not be unpacked/],
  ];
  // A small link that would unpack to 8 MiB of zeros.
  const bomb = await page.evaluate(async () => {
    const stream = new Blob([new Uint8Array(8 << 20)]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
    let bin = '';
    for (const b of bytes) bin += String.fromCharCode(b);
    return btoa(bin).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  });
  cases.push([`#code=${bomb}`, /unpacks to more than 256 KiB/]);
  for (const [hash, message] of cases) {
    const p = await openPlayground(hash, {ready: false});
    assert.match(await statusText(p), message, hash.slice(0, 40));
    assert.equal(await p.evaluate(() => window.telkaPlayground.source()), own, 'the saved program is shown');
    assert.deepEqual(p.errors, []);
    await p.close();
  }
});
