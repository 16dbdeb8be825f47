// Figures, not a test: the time from pressing Run to the program running in
// the playground (headless Chromium), three Runs in a fresh page each, for a
// short C program, a short C++ one and the game's own four C++ files made
// one (its headers' text in place of their includes):
// - cold: nothing compiled of the program's includes yet, Run at once;
// - cold, warm-up first: the same, after the page's warm-up for the
//   language and the program has finished (a student who reads first);
// - warm: a later visit, the includes compiled in the browser's storage.
// Uses the browser tests' page driver; run after make test-web (or make web
// and npm ci in tests/web):
//   node bench/web_run_bench.mjs [PAGES]     (default 1)
import fs from 'node:fs';
import path from 'node:path';

import * as s from '../tests/web/support.mjs';

const pages = Number.parseInt(process.argv[2] || '1', 10);
if (!Number.isInteger(pages) || pages < 1 || pages > 10) {
  console.error('web_run_bench: PAGES must be a whole number from 1 to 10');
  process.exit(2);
}

const WAIT_LOOP = `    for (;;) {
        int kind = TELKA_await_event(&x, &y, &key);
        if (kind == TELKA_QUIT)
            break;
    }
    TELKA_close();
    return 0;
}
`;
const PROGRAMS = {
  c: `#include <stdio.h>
#include <telka.h>

int main(void)
{
    int32_t x, y;
    char key;
    TELKA_open();
    for (int i = 0; i < 5; ++i)
        TELKA_circle(TELKA_RED, -200 + 100 * i, 0, 20);
    printf("five circles\\n");
${WAIT_LOOP}`,
  'c++': `#include <string>
#include <vector>
#include <telka.h>

int main()
{
    std::vector<std::string> names{"Ada", "Grace", "Alan"};
    int32_t x, y;
    char key;
    TELKA_open();
    int row = 100;
    for (const std::string &n : names) {
        TELKA_text(TELKA_RED, -100, row, 20, n.c_str());
        row -= 30;
    }
${WAIT_LOOP}`,
};

// The game as one file: its system includes first, then each header and
// source with the includes of its own headers taken out.
function gameSource() {
  const dir = path.join(path.dirname(new URL(import.meta.url).pathname), '../game');
  const order = ['game.h', 'world.h', 'screen.h', 'game.cpp', 'world.cpp', 'screen.cpp', 'main.cpp'];
  const texts = order.map((f) => fs.readFileSync(path.join(dir, f), 'utf8'));
  const system = new Set();
  for (const t of texts) for (const m of t.matchAll(/^#include <([^>]+)>$/gm)) system.add(m[1]);
  const body = texts.map((t) => t.replace(/^#include ".*"$/gm, '').replace(/^#pragma once$/gm, ''));
  return [...system, 'telka.h'].map((h) => `#include <${h}>\n`).join('') + body.join('\n');
}
PROGRAMS.game = gameSource();

async function runOnce(page) {
  const runs = await page.evaluate(() => window.telkaPlayground.runs);
  const t0 = performance.now();
  await page.click('#pg-run');
  await page.waitForFunction(
    (before) =>
      window.telkaPlayground.runs > before && ['running', 'errors', 'crashed'].includes(window.telkaPlayground.state),
    {timeout: 120000},
    runs
  );
  const state = await page.evaluate(() => window.telkaPlayground.state);
  if (state !== 'running') throw new Error(`the program is ${state}`);
  return Math.round(performance.now() - t0);
}

const env = await s.start();
const NAMES = {c: 'C   ', 'c++': 'C++ ', game: 'game'};
try {
  for (const program of ['c', 'c++', 'game']) {
    const lang = program === 'c' ? 'c' : 'c++';
    for (const mode of ['cold', 'cold, warm-up first', 'warm']) {
      for (let p = 0; p < pages; ++p) {
        const page = await s.openPlayground(env);
        if (mode !== 'warm') await page.evaluate(() => caches.delete('compiled-headers-v1'));
        // The warm-ups of the page's start (its build, then the stored text's).
        await page.waitForFunction(
          () => window.telkaPlayground.compilerWarmMs !== null && window.telkaPlayground.compilerWarmHeaders,
          {timeout: 240000}
        );
        await page.evaluate(() => (window.telkaPlayground.compilerWarmHeaders = null));
        await page.evaluate((text, l) => window.telkaPlayground.setSource(text, l), PROGRAMS[program], lang);
        // The warm-up the language and the text asked for has answered.
        if (mode !== 'cold')
          await page.waitForFunction(() => window.telkaPlayground.compilerWarmHeaders, {timeout: 240000});
        const times = [];
        const headers = [];
        for (let r = 0; r < 3; ++r) {
          times.push(await runOnce(page));
          headers.push(await page.evaluate(() => window.telkaPlayground.result.headers));
        }
        console.log(
          `${NAMES[program]} ${mode}${pages > 1 ? `, page ${p + 1}` : ''}: Run to running ` +
            `${times.join(', ')} ms (headers ${headers.join(', ')})`
        );
        await page.close();
      }
    }
  }
} finally {
  await env.close();
}
