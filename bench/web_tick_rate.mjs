// Figures, not a test: how many periodic events the game gets a second in
// headless Chromium (it should be near 20), and how many pixels each playing
// frame puts on the canvas. The game draws once per periodic event, so
// presents of its graphics window count the events; the player steers away
// from the enemy so that every frame changes. Uses the browser tests' page
// driver; run after make test-web (or make web and npm ci in tests/web):
//   node bench/web_tick_rate.mjs [SECONDS] [RUNS]     (defaults 3 and 3)
import * as s from '../tests/web/support.mjs';

const seconds = Number(process.argv[2] || 3);
const runs = Number.parseInt(process.argv[3] || '3', 10);
if (!(seconds >= 1 && seconds <= 4) || !Number.isInteger(runs) || runs < 1 || runs > 20) {
  // Longer than 4 s and the enemy may catch the player at a wall, and a still frame is not presented.
  console.error('web_tick_rate: SECONDS must be from 1 to 4 and RUNS a whole number from 1 to 20');
  process.exit(2);
}

// The keypad direction from the player's starting square straight away from
// the enemy (the magenta pixels of the ready screen).
async function awayFromEnemy(page) {
  const enemy = await page.evaluate(() => {
    const canvas = document.querySelector('.telka-window[data-title="TELKA Graphics"] canvas');
    const d = canvas.getContext('2d').getImageData(0, 20, 601, 520).data;
    let n = 0, sx = 0, sy = 0;
    for (let i = 0; i < d.length; i += 4) {
      if (d[i] !== 255 || d[i + 1] !== 0 || d[i + 2] !== 255) continue;
      ++n;
      sx += (i / 4) % 601 - 300;
      sy += 260 - Math.floor(i / 4 / 601);
    }
    return n ? {x: sx / n, y: sy / n} : null;
  });
  if (!enemy) throw new Error('no enemy on the ready screen');
  const dx = 10 - enemy.x, dy = 10 - enemy.y;
  if (Math.abs(dx) >= Math.abs(dy)) return dx >= 0 ? 6 : 4;
  return dy >= 0 ? 8 : 2;
}

const env = await s.start();
const rates = [], pixels = [];
try {
  for (let run = 0; run < runs; ++run) {
    const {page} = await s.open(env, 'telka-game');
    await page.keyboard.press('x');
    if (!await s.eventually(async () => (await s.pixel(page, 'TELKA Graphics', 300, 40)) === 0x0000ff))
      throw new Error('no ready screen after a key');
    const away = await awayFromEnemy(page);
    await page.keyboard.press('x');
    await s.numpad(page, away);
    await s.sleep(300);
    const r = await page.evaluate(async (ms) => {
      const hosts = telkaPage.run.windows;
      const id = [...hosts.hosts.values()].find((h) => h.frame.dataset.title === 'TELKA Graphics').id;
      const n0 = hosts.presents.get(id), p0 = hosts.presentPixels, t0 = performance.now();
      await new Promise((resolve) => setTimeout(resolve, ms));
      const n = hosts.presents.get(id) - n0;
      return {rate: n * 1000 / (performance.now() - t0), pixels: n ? (hosts.presentPixels - p0) / n : 0};
    }, seconds * 1000);
    console.log(`run ${run + 1}: ${r.rate.toFixed(2)} periodic events a second, ${r.pixels.toFixed(0)} pixels a frame`);
    rates.push(r.rate);
    pixels.push(r.pixels);
    await page.close();
  }
  console.log(`median of ${runs} runs of ${seconds} s: ${s.median(rates).toFixed(2)} periodic events a second, ` +
              `${s.median(pixels).toFixed(0)} pixels a frame (of ${601 * 540})`);
} finally {
  await env.close();
}
