// The game in headless Chromium, as a user meets it in the page: the title
// screen, keys into play, the pace of periodic events, the Run menu, a
// recorded session downloaded, loaded into a fresh page and played back, and
// the end of the program. Window point (x, y) of the game is host-surface
// pixel (300 + x, 280 - y): the menu bar takes the first 20 rows.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';
const BLACK = 0x000000, BLUE = 0x0000ff, YELLOW = 0xffff00, WHITE = 0xffffff;

let env;
before(async () => { env = await s.start(); });
after(async () => { await env?.close(); });

const at = (page, x, y) => s.pixel(page, G, 300 + x, 280 - y);
const shows = (page, x, y, colour, timeout) => s.eventually(async () => (await at(page, x, y)) === colour, timeout);
const field = (page) => s.checksum(page, G, 0, 20, 601, 520);

// Whether window row y (columns x0 to x1-1) or column x (rows y0 to y1-1)
// shows `colour` anywhere, in one reading of the canvas.
const rowHas = async (page, y, x0, x1, colour) =>
  (await s.pixels(page, G, 300 + x0, 280 - y, x1 - x0, 1)).includes(colour);
const columnHas = async (page, x, y0, y1, colour) =>
  (await s.pixels(page, G, 300 + x, 280 - y1 + 1, 1, y1 - y0)).includes(colour);

async function movedRight(page) {
  if ((await at(page, 5, 10)) === YELLOW) return false;
  return rowHas(page, 10, 30, 290, YELLOW);
}

async function playing(page) {
  await page.keyboard.press('x');  // a new game, waiting for a key
  assert.ok(await shows(page, 0, 240, BLUE), 'the status band of a new game');
  await page.keyboard.press('x');  // play
}

test('the title screen shows a blue-bordered black field', async () => {
  const {page} = await s.open(env, 'telka-game');
  assert.ok(await shows(page, 0, -100, BLACK), 'black field');
  assert.ok(await shows(page, -298, 0, BLUE), 'blue border');
  assert.equal(await at(page, 0, 240), BLACK, 'no status band yet');
  assert.equal(await page.evaluate(() => document.querySelectorAll('.telka-window:not([hidden])').length), 2,
               'the graphics and the text window');
  s.note('first frame after navigation start (ms)', await page.evaluate(() => telkaPage.run.windows.firstPresentMs));
  await s.shot(page, '01-title');
  await page.close();
});

test('keys take the game to ready and playing and move the player', async () => {
  const {page} = await s.open(env, 'telka-game');
  await page.keyboard.press('x');
  assert.ok(await shows(page, 0, 240, BLUE), 'status band');
  assert.ok(await shows(page, 15, 15, YELLOW), 'player square');
  await s.shot(page, '02-ready');
  await page.keyboard.press('x');
  await page.keyboard.press('Space');  // fire left from the square's middle
  assert.ok(await s.eventually(() => rowHas(page, 10, -290, 0, WHITE)), 'a bullet flying left');
  await s.shot(page, '03-playing-fire');
  await s.numpad(page, 8);  // up
  assert.ok(await s.eventually(async () => (await at(page, 10, 10)) !== YELLOW &&
                                           (await columnHas(page, 10, 40, 225, YELLOW))), 'the square moved up');
  await s.shot(page, '04-moved-up');
  await page.close();
});

test('periodic events come 19 to 21 times a second, each frame putting only what changed', async () => {
  const {page} = await s.open(env, 'telka-game');
  await playing(page);
  await s.sleep(300);
  // The game draws the whole window once per periodic event and on nothing
  // else, so presents of the graphics window count the events.
  const {rate, pixels} = await page.evaluate(async () => {
    const hosts = telkaPage.run.windows;
    const id = [...hosts.hosts.values()].find((h) => h.frame.dataset.title === 'TELKA Graphics').id;
    const n0 = hosts.presents.get(id), p0 = hosts.presentPixels, t0 = performance.now();
    await new Promise((resolve) => setTimeout(resolve, 4000));
    const n = hosts.presents.get(id) - n0;
    return {rate: n * 1000 / (performance.now() - t0), pixels: (hosts.presentPixels - p0) / n};
  });
  s.note('periodic events per second', rate);
  s.note('pixels put on the canvas per playing frame', pixels);
  assert.ok(rate >= 19 && rate <= 21, `${rate.toFixed(2)} events a second`);
  // Only what changed reaches the canvas, not the whole 601 x 540 surface.
  assert.ok(pixels > 0 && pixels < 601 * 540 / 4, `${pixels.toFixed(0)} pixels a frame`);
  await page.close();
});

test('the Run menu halts and resumes the animation', async () => {
  const {page} = await s.open(env, 'telka-game');
  await playing(page);  // the enemy moves on every tick
  await s.click(page, G, 15, 10);  // "Run" on the menu bar
  assert.ok(await s.eventually(async () => (await s.pixel(page, G, 150, 150)) === 0xd4d0c8), 'the popup is open');
  await s.shot(page, '05-run-menu');
  await s.click(page, G, 40, 51);  // "Halt animation"
  await s.sleep(200);
  const still = await field(page);
  await s.sleep(500);
  assert.equal(await field(page), still, 'halted, the picture stays');
  await s.shot(page, '06-halted');
  await s.click(page, G, 15, 10);
  await s.sleep(100);
  await s.click(page, G, 40, 32);  // "Animate"
  assert.ok(await s.eventually(async () => (await field(page)) !== still), 'running again');
  await s.shot(page, '07-resumed');
  await page.close();
});

test('a recorded session is downloaded, loaded into a new page and played back', async () => {
  const downloads = fs.mkdtempSync(path.join(path.dirname(s.SHOTS), 'downloads-'));
  let {page} = await s.open(env, 'telka-game');
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
  assert.ok(await shows(page, 0, -100, BLACK));
  await s.ctrl(page, 'r');
  await playing(page);
  await s.numpad(page, 6);  // right
  assert.ok(await s.eventually(() => movedRight(page)), 'the square walks right');
  await s.ctrl(page, 'r');  // the last run of ticks is written, the file closed
  await s.shot(page, '08-recorded');
  await page.click('#telka-download');
  const file = path.join(downloads, 'TELKA.SCR');
  assert.ok(await s.eventually(() => fs.existsSync(file) && fs.statSync(file).size > 0, 5000), 'downloaded');
  const lines = fs.readFileSync(file, 'utf8').trim().split('\n');
  assert.deepEqual(lines.filter((l) => l.startsWith('TELKA_KBD(')),
                   ['TELKA_KBD(120);', 'TELKA_KBD(120);', 'TELKA_KBD(54);'], lines.join('\n'));
  assert.ok(lines.every((l) => l.startsWith('TELKA_KBD(') || l.startsWith('TELKA_PERIODIC(')), lines.join('\n'));
  await page.close();

  // A new page has a new file system: the recording comes from the computer.
  ({page} = await s.open(env, 'telka-game'));
  assert.ok(await shows(page, 0, -100, BLACK));
  const input = await page.$('#telka-upload');
  await input.uploadFile(file);
  assert.ok(await s.eventually(async () => (await page.$eval('#telka-file-note', (e) => e.textContent))
      .startsWith('Loaded TELKA.SCR (')), 'the page took the file');
  await s.ctrl(page, 'p');
  assert.ok(await shows(page, 0, 240, BLUE, 5000), 'the replayed key started a game');
  assert.ok(await s.eventually(() => movedRight(page), 5000), 'the replayed 6 moved the player');
  await s.shot(page, '09-played-back');
  await page.close();
  fs.rmSync(downloads, {recursive: true, force: true});
});

test('q ends the program and the page says so', async () => {
  const {page} = await s.open(env, 'telka-game');
  assert.ok(await shows(page, 0, -100, BLACK));
  await page.keyboard.press('q');
  assert.ok(await s.eventually(() => page.evaluate(() => window.telkaPage.state === 'ended')), 'ended');
  assert.equal(await page.evaluate(() => window.telkaPage.exitCode), 0);
  const status = await page.$eval('#telka-status', (e) => e.textContent);
  assert.match(status, /telka-game has ended \(exit code 0\)/);
  await s.shot(page, '10-ended');
  await page.close();
});
