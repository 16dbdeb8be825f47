// Figures, not a test: the time from pressing Run to the program running in
// the playground (headless Chromium, the compiler warm after its warm-up
// build), for a short C program and a short C++ one, three Runs each in a
// fresh page; for C++ also with the page's C++ warm-up left to finish first
// (as when a student picks C++ and writes before pressing Run). Uses the
// browser tests' page driver; run after make test-web (or make web and
// npm ci in tests/web):
//   node bench/web_run_bench.mjs [PAGES]     (default 2)
import * as s from '../tests/web/support.mjs';

const pages = Number.parseInt(process.argv[2] || '2', 10);
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
try {
  for (const [lang, warmFirst] of [
    ['c', false],
    ['c++', false],
    ['c++', true],
  ]) {
    for (let p = 0; p < pages; ++p) {
      const page = await s.openPlayground(env);
      await page.waitForFunction(() => window.telkaPlayground.compilerWarmMs !== null, {timeout: 240000});
      await page.evaluate((text, l) => window.telkaPlayground.setSource(text, l), PROGRAMS[lang], lang);
      if (warmFirst)
        await page.waitForFunction(() => !['asked', null].includes(window.telkaPlayground.compilerWarmCxx), {
          timeout: 120000,
        });
      const times = [];
      for (let r = 0; r < 3; ++r) times.push(await runOnce(page));
      const how = lang === 'c' ? '' : warmFirst ? ', C++ warm-up finished first' : ', Run at once';
      console.log(`${lang === 'c' ? 'C  ' : 'C++'} page ${p + 1}${how}: Run to running ${times.join(', ')} ms`);
      await page.close();
    }
  }
} finally {
  await env.close();
}
