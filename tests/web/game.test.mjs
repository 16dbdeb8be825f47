// The game in headless Chromium, as a user meets it in the page: the title
// screen, keys into play, periodic events drawing frames, the Run menu, a
// recorded session downloaded, loaded into a fresh page and played back, and
// the end of the program. Window point (x, y) of the game is host-surface
// pixel (300 + x, 280 - y): the menu bar takes the first 20 rows. The enemy
// starts at a random place, so every test that plays steers away from it;
// how many periodic events come a second is measured by
// bench/web_tick_rate.mjs, not asserted here.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';

import * as s from './support.mjs';

const G = 'TELKA Graphics';
const BLACK = 0x000000,
  BLUE = 0x0000ff,
  YELLOW = 0xffff00,
  WHITE = 0xffffff,
  MAGENTA = 0xff00ff;

let env;
before(async () => {
  env = await s.start();
});
after(async () => {
  await env?.close();
});

const at = (page, x, y) => s.pixel(page, G, 300 + x, 280 - y);
const shows = (page, x, y, colour, timeout) => s.eventually(async () => (await at(page, x, y)) === colour, timeout);
const field = (page) => s.checksum(page, G, 0, 20, 601, 520);

// Bounding boxes, in window units (y up), of the pixels of each colour
// inside a window rectangle, from one reading of a canvas. Runs in the page
// (installed as window.telkaBoxes), also from the hook that sees every frame.
function boxes(canvas, specs) {
  const d = canvas.getContext('2d').getImageData(0, 20, 601, 520).data;
  return specs.map(({colour, x0 = -300, x1 = 301, y0 = -259, y1 = 261}) => {
    const b = {found: false, left: 0, right: 0, bottom: 0, top: 0};
    for (let y = Math.max(y0, -259); y < Math.min(y1, 261); ++y) {
      for (let x = Math.max(x0, -300); x < Math.min(x1, 301); ++x) {
        const i = ((260 - y) * 601 + 300 + x) * 4;
        if (((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]) !== colour) continue;
        if (!b.found) Object.assign(b, {found: true, left: x, right: x, bottom: y, top: y});
        b.left = Math.min(b.left, x);
        b.right = Math.max(b.right, x);
        b.bottom = Math.min(b.bottom, y);
        b.top = Math.max(b.top, y);
      }
    }
    b.cx = (b.left + b.right) / 2;
    b.cy = (b.bottom + b.top) / 2;
    return b;
  });
}

async function openGame() {
  const {page} = await s.open(env, 'telka-game');
  await page.evaluate(`window.telkaBoxes = ${boxes.toString()}`);
  return page;
}

const find = (page, ...specs) =>
  page.evaluate(
    (title, specs) => window.telkaBoxes(document.querySelector(`.telka-window[data-title="${title}"] canvas`), specs),
    G,
    specs
  );

// Keypad steps, and the direction that leads from the player's starting
// square (centre (10, 10)) straight away from the enemy along the axis on
// which they are further apart: the enemy is slower, so it cannot catch up.
const stepX = (digit) => (digit === 6 ? 1 : digit === 4 ? -1 : 0);
const stepY = (digit) => (digit === 8 ? 1 : digit === 2 ? -1 : 0);
function awayFrom(enemy) {
  const dx = 10 - enemy.cx,
    dy = 10 - enemy.cy;
  if (Math.abs(dx) >= Math.abs(dy)) return dx >= 0 ? 6 : 4;
  return dy >= 0 ? 8 : 2;
}
// The square's lower-left corner is at least `units` further along `digit`
// than where it starts, (0, 0).
const moved = (player, digit, units) =>
  player.found && player.left * stepX(digit) + player.bottom * stepY(digit) >= units;
const playerMoved = async (page, digit, units) => moved((await find(page, {colour: YELLOW}))[0], digit, units);

// From the title: a new game, whose ready screen shows where the enemy is;
// then play and steer away from it. The keypad digit steered by.
async function playAwayFromEnemy(page) {
  await page.keyboard.press('x');
  assert.ok(await shows(page, 0, 240, BLUE), 'the status band of a new game');
  let enemy;
  assert.ok(
    await s.eventually(async () => (([enemy] = await find(page, {colour: MAGENTA})), enemy.found)),
    'the enemy on the ready screen'
  );
  const away = awayFrom(enemy);
  await page.keyboard.press('x'); // play
  await s.numpad(page, away);
  return away;
}

// True once the graphics window has kept the same picture for `holdMs`;
// false if it is still changing at the deadline.
async function holdsStill(page, holdMs, timeout = 5000) {
  const end = Date.now() + timeout;
  let last = await field(page),
    since = Date.now();
  while (Date.now() < end) {
    await s.sleep(25);
    const now = await field(page);
    if (now !== last) [last, since] = [now, Date.now()];
    else if (Date.now() - since >= holdMs) return true;
  }
  return false;
}

test('the title screen shows a blue-bordered black field', async () => {
  const page = await openGame();
  assert.ok(await shows(page, 0, -100, BLACK), 'black field');
  assert.ok(await shows(page, -298, 0, BLUE), 'blue border');
  assert.equal(await at(page, 0, 240), BLACK, 'no status band yet');
  assert.equal(
    await page.evaluate(() => document.querySelectorAll('.telka-window:not([hidden])').length),
    2,
    'the graphics and the text window'
  );
  s.note('first frame after navigation start (ms)', await page.evaluate(() => telkaPage.run.windows.firstPresentMs));
  await s.shot(page, '01-title');
  await page.close();
});

test('keys take the game to ready and playing, steer the player and fire', async () => {
  const page = await openGame();
  await page.keyboard.press('x');
  assert.ok(await shows(page, 0, 240, BLUE), 'status band');
  assert.ok(await shows(page, 15, 15, YELLOW), 'player square');
  await s.shot(page, '02-ready');
  const [enemy] = await find(page, {colour: MAGENTA});
  assert.ok(enemy.found, 'the enemy on the ready screen');
  const away = awayFrom(enemy);
  await page.keyboard.press('x'); // play
  await s.numpad(page, away); // steer away from the enemy
  await page.keyboard.press('Space'); // and fire that way, from the square's middle
  let player, bullet;
  assert.ok(
    await s.eventually(async () => {
      // White in the open field: no message is shown while playing.
      [player, bullet] = await find(page, {colour: YELLOW}, {colour: WHITE, x0: -295, x1: 295, y0: -245, y1: 225});
      return (
        moved(player, away, 10) &&
        bullet.found &&
        (bullet.cx - player.cx) * stepX(away) + (bullet.cy - player.cy) * stepY(away) > 10
      );
    }),
    `a bullet flying ahead of the player towards keypad ${away}: player ${JSON.stringify(player)}, ` +
      `bullet ${JSON.stringify(bullet)}`
  );
  await s.shot(page, '03-playing-fire');
  assert.ok(await s.eventually(() => playerMoved(page, away, 50)), `the square walks towards keypad ${away}`);
  await s.shot(page, '04-moved');
  await page.close();
});

test('periodic events keep frames coming while playing, each putting only what changed', async () => {
  const page = await openGame();
  const away = await playAwayFromEnemy(page);
  assert.ok(await s.eventually(() => playerMoved(page, away, 10)), 'playing');
  // The game draws the whole window once per periodic event and on nothing
  // else, so presents of the graphics window count the events.
  const counts = () =>
    page.evaluate(() => {
      const hosts = telkaPage.run.windows;
      const id = [...hosts.hosts.values()].find((h) => h.frame.dataset.title === 'TELKA Graphics').id;
      return {presents: hosts.presents.get(id), pixels: hosts.presentPixels};
    });
  const first = await counts();
  let last = first;
  assert.ok(
    await s.eventually(async () => (last = await counts()).presents >= first.presents + 10),
    `only ${last.presents - first.presents} frames in 3 s of play`
  );
  const pixels = (last.pixels - first.pixels) / (last.presents - first.presents);
  // Only what changed reaches the canvas, not the whole 601 x 540 surface.
  assert.ok(pixels > 0 && pixels < (601 * 540) / 4, `${pixels.toFixed(0)} pixels a frame`);
  await page.close();
});

test('the Run menu halts and resumes the animation', async () => {
  const page = await openGame();
  const away = await playAwayFromEnemy(page); // the player and the enemy move on every tick
  assert.ok(await s.eventually(() => playerMoved(page, away, 10)), 'playing');
  const popupOpen = () => s.eventually(async () => (await s.pixel(page, G, 150, 150)) === 0xd4d0c8);
  await s.click(page, G, 15, 10); // "Run" on the menu bar
  assert.ok(await popupOpen(), 'the popup is open');
  await s.shot(page, '05-run-menu');
  await s.click(page, G, 40, 51); // "Halt animation"
  assert.ok(await holdsStill(page, 500), 'after "Halt animation" the picture kept changing for 5 s');
  const still = await field(page);
  await s.shot(page, '06-halted');
  await s.click(page, G, 15, 10);
  assert.ok(await popupOpen(), 'the popup is open again');
  await s.click(page, G, 40, 32); // "Animate"
  assert.ok(await s.eventually(async () => (await field(page)) !== still), 'running again');
  await s.shot(page, '07-resumed');
  await page.close();
});

test('a recorded session is downloaded, loaded into a new page and played back', async () => {
  const downloads = fs.mkdtempSync(path.join(path.dirname(s.SHOTS), 'downloads-'));
  let page = await openGame();
  const session = await page.createCDPSession();
  await session.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: downloads});
  assert.ok(await shows(page, 0, -100, BLACK));
  await s.ctrl(page, 'r');
  const away = await playAwayFromEnemy(page);
  assert.ok(await s.eventually(() => playerMoved(page, away, 20)), `the square walks towards keypad ${away}`);
  await s.ctrl(page, 'r'); // the last run of ticks is written, the file closed
  await s.shot(page, '08-recorded');
  await page.click('#telka-download');
  const file = path.join(downloads, 'TELKA.SCR');
  assert.ok(await s.eventually(() => fs.existsSync(file) && fs.statSync(file).size > 0, 5000), 'downloaded');
  const lines = fs.readFileSync(file, 'utf8').trim().split('\n');
  assert.deepEqual(
    lines.filter((l) => l.startsWith('TELKA_KBD(')),
    ['TELKA_KBD(120);', 'TELKA_KBD(120);', `TELKA_KBD(${48 + away});`],
    lines.join('\n')
  );
  assert.ok(
    lines.every((l) => l.startsWith('TELKA_KBD(') || l.startsWith('TELKA_PERIODIC(')),
    lines.join('\n')
  );
  await page.close();

  // A new page has a new file system: the recording comes from the computer.
  // Its enemy is placed anew, so the player may meet it later on: every
  // frame of the replay is looked at, and the step the key caused is seen.
  page = await openGame();
  assert.ok(await shows(page, 0, -100, BLACK));
  await page.evaluate((title) => {
    window.playerCorners = [];
    telkaPage.run.windows.onPresent = (host) => {
      if (host.frame.dataset.title !== title) return;
      const [p] = window.telkaBoxes(host.canvas, [{colour: 0xffff00, x0: -295, x1: 295, y0: -245, y1: 225}]);
      if (p.found) window.playerCorners.push([p.left, p.bottom]);
    };
  }, G);
  const input = await page.$('#telka-upload');
  await input.uploadFile(file);
  assert.ok(
    await s.eventually(async () =>
      (await page.$eval('#telka-file-note', (e) => e.textContent)).startsWith('Loaded TELKA.SCR (')
    ),
    'the page took the file'
  );
  await s.ctrl(page, 'p');
  assert.ok(await shows(page, 0, 240, BLUE, 5000), 'the replayed key started a game');
  let corners = [];
  assert.ok(
    await s.eventually(async () => {
      corners = await page.evaluate(() => window.playerCorners);
      return corners.some(([x, y]) => x * stepX(away) + y * stepY(away) >= 10);
    }, 5000),
    `no replayed frame shows the player moved towards keypad ${away} (${corners.length} frames seen)`
  );
  await s.shot(page, '09-played-back');
  await page.close();
  fs.rmSync(downloads, {recursive: true, force: true});
});

test('q ends the program and the page says so', async () => {
  const page = await openGame();
  assert.ok(await shows(page, 0, -100, BLACK));
  await page.keyboard.press('q');
  assert.ok(await s.eventually(() => page.evaluate(() => window.telkaPage.state === 'ended')), 'ended');
  assert.equal(await page.evaluate(() => window.telkaPage.exitCode), 0);
  const status = await page.$eval('#telka-status', (e) => e.textContent);
  assert.match(status, /telka-game has ended \(exit code 0\)/);
  await s.shot(page, '10-ended');
  await page.close();
});
