// Figures, not a test: what a first and a second visit of the playground
// download (bytes as served, and the files' own sizes), and when the
// compiler is ready after navigation, in a browser with an empty profile.
// The first visit waits until the service worker holds the whole site, then
// turns to C++ and runs a program.
// Run after make web: node tests/web/visit_bytes.mjs
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

import {SITE} from './support.mjs';

const ROOT = path.resolve(path.dirname(new URL(import.meta.url).pathname), '../..');
const server = spawn(process.execPath, [path.join(ROOT, 'web/serve.mjs'), SITE, '--port', '0'], {
  stdio: ['ignore', 'pipe', 'pipe'],
});
const requests = [];
let log = '';
server.stderr.on('data', (chunk) => {
  log += chunk;
  const lines = log.split('\n');
  log = lines.pop();
  for (const line of lines) {
    const m = /^(GET|HEAD) (\S+) (\d+) (\d+|-)/.exec(line);
    if (m) requests.push({url: m[2], status: Number(m[3]), bytes: m[4] === '-' ? 0 : Number(m[4])});
  }
});
const base = await new Promise((resolve) => {
  let text = '';
  server.stdout.on('data', (chunk) => {
    text += chunk;
    const m = /http:\/\/127\.0\.0\.1:(\d+)/.exec(text);
    if (m) resolve(`http://127.0.0.1:${m[1]}/`);
  });
});

// The size of the file a request names, uncompressed.
function rawSize(url) {
  const file = path.join(SITE, decodeURIComponent(url.split(/[?#]/)[0]).replace(/\/$/, '/index.html'));
  try {
    return fs.statSync(file).size;
  } catch {
    return 0;
  }
}

function summary(list) {
  const full = list.filter((r) => r.status === 200);
  const served = list.reduce((a, r) => a + r.bytes, 0);
  const raw = full.reduce((a, r) => a + rawSize(r.url), 0);
  const largest = full.map((r) => r.bytes).reduce((a, b) => Math.max(a, b), 0);
  return (
    `${list.length} requests (${full.length} with a body), ${(served / 1e6).toFixed(2)} MB served ` +
    `(${(raw / 1e6).toFixed(2)} MB as files), largest ${(largest / 1e6).toFixed(2)} MB`
  );
}

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'visit-profile-'));
const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  userDataDir: profile,
  args: ['--no-sandbox'],
});
try {
  for (const visit of ['first', 'second']) {
    const from = requests.length;
    const page = await browser.newPage();
    await page.goto(`${base}playground.html`);
    await page.waitForFunction(() => window.telkaPlayground && window.telkaPlayground.compiler === 'ready', {
      timeout: 300000,
    });
    const ms = await page.evaluate(() => ({
      ready: window.telkaPlayground.compilerReadyMs,
      worker: window.telkaPlayground.compilerMs,
    }));
    // The warm-up build (clang's first, lazily compiled run) follows readiness.
    await page.waitForFunction(() => window.telkaPlayground.compilerWarmMs !== null, {timeout: 300000});
    ms.warm = await page.evaluate(() => window.telkaPlayground.compilerWarmMs);
    if (visit === 'first') {
      await page.waitForFunction(() => window.telkaIsolation && window.telkaIsolation.offline.state === 'ready', {
        timeout: 300000,
        polling: 500,
      });
    }
    await new Promise((resolve) => setTimeout(resolve, 500));
    console.log(
      `${visit} visit: compiler ready ${ms.ready.toFixed(0)} ms after navigation, warmed up at ` +
        `${ms.warm.toFixed(0)} ms (worker: ${JSON.stringify(ms.worker)}); ${summary(requests.slice(from))}`
    );
    if (visit === 'first') {
      // A C++ student on the same visit: the includes are compiled in the
      // browser, so the site sends nothing more.
      const cxxFrom = requests.length;
      const program =
        '#include <string>\n#include <vector>\n#include <telka.h>\n\nint main()\n{\n' +
        '    std::vector<std::string> v{"a"};\n    TELKA_open();\n    TELKA_close();\n    return 0;\n}\n';
      await page.evaluate((text) => window.telkaPlayground.setSource(text, 'c++'), program);
      await page.waitForFunction(() => !['asked', null].includes(window.telkaPlayground.compilerWarmCxx), {
        timeout: 300000,
      });
      const runs = await page.evaluate(() => window.telkaPlayground.runs);
      await page.click('#pg-run');
      await page.waitForFunction(
        (n) => window.telkaPlayground.runs > n && window.telkaPlayground.state !== 'compiling',
        {
          timeout: 300000,
        },
        runs
      );
      const kept = await page.evaluate(() => window.telkaPlayground.compilerWarmHeaders);
      console.log(
        `first visit, then C++ and a Run: ${summary(requests.slice(cxxFrom))}; its includes compiled in the ` +
          `browser, ${((kept && kept.bytes) / 1e6).toFixed(2)} MB kept in its storage`
      );
    }
    await page.close();
  }
} finally {
  await browser.close();
  server.kill();
  fs.rmSync(profile, {recursive: true, force: true});
}
