// Figures, not a test: which Ctrl+letter keys reach the game's page and which
// the browser keeps. Each letter is pressed in a fresh page of the game; it
// reached the page when the page's handler queued it for the program. Also
// noted: the page reloaded, closed, or a new tab or window opened.
//   node tests/web/ctrl_keys.mjs             headless, keys sent through the
//                                            browser's debugging protocol
//   tests/with-xvfb node tests/web/ctrl_keys.mjs --window
//                                            a browser window on the X
//                                            display, keys typed with xdotool
//                                            (through the browser's own
//                                            shortcuts, as a person's are)
import {execFileSync} from 'node:child_process';
import puppeteer from 'puppeteer-core';

import * as s from './support.mjs';

const windowed = process.argv.includes('--window');
const env = await s.start();
if (windowed) {
  await env.browser.close();
  env.browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: false,
    args: ['--no-sandbox', '--window-position=0,0', '--window-size=1024,900', '--no-first-run'],
  });
}

async function pressCtrl(page, letter) {
  if (!windowed) return s.ctrl(page, letter);
  await page.bringToFront();
  const id = execFileSync('xdotool', ['search', '--onlyvisible', '--name', 'telka-game - TELKA'])
    .toString()
    .trim()
    .split('\n');
  execFileSync('xdotool', ['windowfocus', '--sync', id[id.length - 1]]);
  execFileSync('xdotool', ['key', '--clearmodifiers', `ctrl+${letter}`]);
}

// A browser window ends with its last tab: one blank tab stays open.
const keep = await env.browser.newPage();
const rows = [];
for (const letter of process.env.LETTERS || 'abcdefghijklmnopqrstuvwxyz') {
  const {page} = await s.open(env, 'telka-game');
  await page.evaluate(() => {
    window.stillThisPage = true;
    window.ctrlQueued = [];
    // The runtime's own listener sits on the window, before this one.
    document.addEventListener(
      'keydown',
      (e) => {
        if (e.ctrlKey) window.ctrlQueued.push(e.keyCode);
      },
      true
    );
  });
  let opened = false,
    closed = false;
  const onTarget = () => {
    opened = true;
  };
  env.browser.on('targetcreated', onTarget);
  page.once('close', () => {
    closed = true;
  });
  await pressCtrl(page, letter);
  await s.sleep(400);
  env.browser.off('targetcreated', onTarget);
  let reached = false,
    reloaded = false;
  if (!closed) {
    try {
      const r = await page.evaluate(
        (code) => ({
          same: window.stillThisPage === true,
          reached: (window.ctrlQueued || []).includes(code),
        }),
        letter.toUpperCase().charCodeAt(0)
      );
      reached = r.same && r.reached;
      reloaded = !r.same;
    } catch {
      reloaded = true; // navigated away while asked
    }
  }
  const kept = [reloaded && 'reloads', closed && 'closes the tab', opened && 'opens a tab or window']
    .filter(Boolean)
    .join(', ');
  rows.push({key: `Ctrl+${letter.toUpperCase()}`, reaches: reached, browser: kept || '-'});
  console.error(`${rows.at(-1).key}: ${rows.at(-1).reaches} ${rows.at(-1).browser}`);
  for (const p of await env.browser.pages()) if (p !== keep && !p.isClosed()) await p.close().catch(() => {});
}
console.log(windowed ? 'browser window, xdotool keys' : 'headless, protocol keys');
for (const r of rows) console.log(`${r.key.padEnd(7)} ${r.reaches ? 'reaches the page' : 'kept       '}  ${r.browser}`);
// A windowed browser may not end on request: its process is ended after 5 s.
const browserProcess = env.browser.process();
await Promise.race([env.browser.close(), s.sleep(5000)]);
if (browserProcess && browserProcess.exitCode === null) browserProcess.kill('SIGKILL');
env.server.kill();
