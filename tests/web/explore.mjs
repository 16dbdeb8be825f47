import * as s from './support.mjs';
const env = await s.start();
for (const key of ['x', 'a', 'q', 'Numpad8', 'KeyQ']) {
  const {page} = await s.open(env, 'telka-game');
  await page.evaluate(() => { window.rec = []; const p = Module.webHosts.push; Module.webHosts.push = function(r) { window.rec.push(r.join(',')); return p(r); }; });
  await page.keyboard.press(key);
  await s.sleep(500);
  console.log(key, await s.pixel(page, 'TELKA Graphics', 300, 40), await page.evaluate(() => JSON.stringify(window.telkaPage.state) + JSON.stringify(window.rec)));
  await page.close();
}
await env.close();
