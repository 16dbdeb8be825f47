// Figures, not a test: the game's ready frame drawn in the browser (the
// web-frame-bench page) and the time a present of the playing game takes.
// Run after make web: node tests/web/frame_bench.mjs
import * as s from './support.mjs';

const env = await s.start();
try {
  // It draws without ever waiting, so it shows no frame: only its end counts.
  const page = await env.browser.newPage();
  await page.goto(`${env.base}index.html?program=web-frame-bench`);
  await page.waitForFunction(() => window.telkaPage.state === 'ended', {timeout: 60000});
  process.stdout.write((await page.evaluate(() => window.telkaPage.output)).join(''));
  await page.close();

  const game = (await s.open(env, 'telka-game')).page;
  await s.presses(game, 'x', 'x');
  await s.sleep(500);
  const r = await game.evaluate(async () => {
    const h = telkaPage.run.windows;
    const count = () => [...h.presents.values()].reduce((a, b) => a + b, 0);
    const n0 = count(),
      ms0 = h.presentMs;
    await new Promise((resolve) => setTimeout(resolve, 3000));
    return (h.presentMs - ms0) / (count() - n0);
  });
  console.log(
    `present of a playing frame (only what changed, unchanged frames included): mean ${(r * 1000).toFixed(0)} us`
  );
} finally {
  await env.close();
}
