// What the browser tests share: the site served by web/serve.mjs on
// 127.0.0.1 (with the headers that make pages cross-origin isolated),
// Debian's Chromium driven headless through puppeteer-core, a program's page
// with its windows' canvases read pixel by pixel, and a screenshot of every
// step in WEB_SHOTS.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const ROOT = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
export const SITE = process.env.WEB_SITE || path.join(ROOT, 'build-web/site');
export const SHOTS = process.env.WEB_SHOTS || path.join(ROOT, 'build-web/screenshots');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Starts the site's own server on a free port and reads the address it prints.
export async function serve(site = SITE, extra = []) {
  if (!fs.existsSync(path.join(site, 'index.html'))) throw new Error(`no site in ${site}: run make web`);
  const server = spawn(process.execPath, [path.join(ROOT, 'web/serve.mjs'), site, '--port', '0', '--quiet', ...extra], {
    stdio: ['ignore', 'pipe', 'inherit'],
  });
  const base = await new Promise((resolve, reject) => {
    let text = '';
    const timer = setTimeout(() => reject(new Error('the http server did not start')), 10000);
    server.stdout.on('data', (chunk) => {
      text += chunk;
      const m = /http:\/\/127\.0\.0\.1:(\d+)/.exec(text);
      if (m) {
        clearTimeout(timer);
        resolve(`http://127.0.0.1:${m[1]}/`);
      }
    });
    server.once('exit', (code) => reject(new Error(`the http server ended (${code})`)));
  });
  server.stdout.resume();
  return {server, base};
}

// One server and one browser for a test file; close() ends both.
export async function start() {
  fs.mkdirSync(SHOTS, {recursive: true});
  const {server, base} = await serve();
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: ['--no-sandbox', '--disable-background-timer-throttling', '--disable-renderer-backgrounding'],
  });
  return {
    base,
    browser,
    server,
    async close() {
      await browser.close();
      server.kill();
    },
  };
}

// A program's page, loaded and showing its first frame.
export async function open(env, program, {timeout = 20000} = {}) {
  const page = await env.browser.newPage();
  await page.setViewport({width: 1024, height: 1000});
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(`${env.base}index.html?program=${program}`);
  await page.waitForFunction(
    () =>
      window.telkaPage &&
      (window.telkaPage.state === 'failed' ||
        (window.telkaPage.run && window.telkaPage.run.windows.firstPresentMs > 0)),
    {timeout}
  );
  const state = await page.evaluate(() => window.telkaPage.state);
  if (state !== 'running') throw new Error(`${program} is ${state}: ${errors.join('; ')}`);
  return {page, errors};
}

// The playground in a page of `width` x `height`, once its compiler has
// loaded (a cold load compiles 75 MB of clang on 2 cores); the page's errors
// go to `errors`.
export const PLAYGROUND_READY_MS = 240000;
export async function openPlayground(env, {width = 1366, height = 768, errors = []} = {}) {
  const page = await env.browser.newPage();
  await page.setViewport({width, height});
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(`${env.base}playground.html`);
  await page.waitForFunction(() => window.telkaPlayground && window.telkaPlayground.compiler !== 'loading', {
    timeout: PLAYGROUND_READY_MS,
  });
  return page;
}

export async function shot(page, name) {
  await page.screenshot({path: path.join(SHOTS, `${name}.png`)});
}

// Host-surface pixel (menu bar included) of the window titled `title`, as
// 0xRRGGBB; -1 when there is no such window.
export function pixel(page, title, x, y) {
  return page.evaluate(
    (title, x, y) => {
      const frame = document.querySelector(`.telka-window[data-title="${title}"]`);
      if (!frame) return -1;
      const d = frame.querySelector('canvas').getContext('2d').getImageData(x, y, 1, 1).data;
      return (d[0] << 16) | (d[1] << 8) | d[2];
    },
    title,
    x,
    y
  );
}

// The pixels of a rectangle of a window's surface, row by row, as 0xRRGGBB,
// read at one moment (a scan pixel by pixel can miss a fast object).
export function pixels(page, title, x, y, w, h) {
  return page.evaluate(
    (title, x, y, w, h) => {
      const frame = document.querySelector(`.telka-window[data-title="${title}"]`);
      if (!frame) return [];
      const d = frame.querySelector('canvas').getContext('2d').getImageData(x, y, w, h).data;
      const out = [];
      for (let i = 0; i < d.length; i += 4) out.push((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]);
      return out;
    },
    title,
    x,
    y,
    w,
    h
  );
}

// A checksum of a rectangle of a window's surface.
export function checksum(page, title, x, y, w, h) {
  return page.evaluate(
    (title, x, y, w, h) => {
      const frame = document.querySelector(`.telka-window[data-title="${title}"]`);
      if (!frame) return -1;
      const d = frame.querySelector('canvas').getContext('2d').getImageData(x, y, w, h).data;
      let sum = 2166136261;
      for (let i = 0; i < d.length; ++i) sum = Math.imul(sum ^ d[i], 16777619) >>> 0;
      return sum;
    },
    title,
    x,
    y,
    w,
    h
  );
}

// Polls `condition` until it holds or `timeout` ms pass.
export async function eventually(condition, timeout = 3000) {
  const end = Date.now() + timeout;
  for (;;) {
    if (await condition()) return true;
    if (Date.now() > end) return false;
    await sleep(25);
  }
}

export async function presses(page, ...keys) {
  for (const key of keys) await page.keyboard.press(key);
}

export async function ctrl(page, letter) {
  await page.keyboard.down('Control');
  await page.keyboard.press(`Key${letter.toUpperCase()}`);
  await page.keyboard.up('Control');
}

export function median(values) {
  const v = [...values].sort((a, b) => a - b);
  const mid = Math.floor(v.length / 2);
  return v.length % 2 ? v[mid] : (v[mid - 1] + v[mid]) / 2;
}

// Figures for the record, gathered from every test file into one JSON file.
export function note(name, value) {
  const file = path.join(path.dirname(SHOTS), 'web-figures.json');
  let figures = {};
  try {
    figures = JSON.parse(fs.readFileSync(file, 'utf8'));
  } catch {
    figures = {};
  }
  figures[name] = value;
  fs.writeFileSync(file, JSON.stringify(figures, null, 2) + '\n');
  console.log(`# ${name}: ${typeof value === 'number' ? value.toFixed(2) : JSON.stringify(value)}`);
}

// A left click at a host-surface point of the window titled `title`, in
// the middle of that pixel however large the page shows the canvas.
export async function click(page, title, x, y) {
  const at = await page.evaluate((title) => {
    const c = document.querySelector(`.telka-window[data-title="${title}"] canvas`);
    const r = c.getBoundingClientRect();
    return {left: r.left, top: r.top, sx: r.width / c.width, sy: r.height / c.height};
  }, title);
  await page.mouse.click(at.left + (x + 0.5) * at.sx, at.top + (y + 0.5) * at.sy);
}

// A keypad digit with NumLock on (puppeteer's own keypad keys have it off).
export async function numpad(page, digit) {
  const session = await page.createCDPSession();
  const key = {
    code: `Numpad${digit}`,
    key: String(digit),
    text: String(digit),
    unmodifiedText: String(digit),
    windowsVirtualKeyCode: 96 + digit,
    nativeVirtualKeyCode: 96 + digit,
    location: 3,
  };
  await session.send('Input.dispatchKeyEvent', {type: 'keyDown', ...key});
  await session.send('Input.dispatchKeyEvent', {type: 'keyUp', ...key});
  await session.detach();
}

// Types text as a person does: Shift held for capitals (puppeteer's own
// type() sends them without it, which no keyboard does).
export async function typeText(page, text) {
  for (const c of text) {
    if (c >= 'A' && c <= 'Z') {
      await page.keyboard.down('Shift');
      await page.keyboard.press(`Key${c}`);
      await page.keyboard.up('Shift');
    } else {
      await page.keyboard.press(c === ' ' ? 'Space' : c);
    }
  }
}
