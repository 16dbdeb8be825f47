// Figures, not a test: the game's ready frame drawn through the library in
// the page (Chromium, the web-frame-bench program) against the same frame
// drawn natively (frame_bench's BM_LibraryReadyFrame, headless), in runs
// that alternate, native then page, all in one browser; prints every run,
// the medians and their ratio. Run after make web, the default build and
// make test-web (the page driver):
//   node bench/web_frame_ratio.mjs [RUNS]     (default 6)
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import * as s from '../tests/web/support.mjs';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const runs = Number.parseInt(process.argv[2] || '6', 10);
if (!Number.isInteger(runs) || runs < 1 || runs > 50) {
  console.error('web_frame_ratio: RUNS must be a whole number from 1 to 50');
  process.exit(2);
}
const native = path.join(root, 'build/bin/frame_bench');
if (!fs.existsSync(native)) {
  console.error(`web_frame_ratio: ${native} is missing: build the default preset first (make build)`);
  process.exit(2);
}

// Google Benchmark's median of five repetitions, in microseconds (read off
// its table, wall time as the page's is: frame_bench prints more than the
// benchmarks, in colour).
function nativeFrameUs() {
  const out = execFileSync(
    native,
    [
      '--benchmark_filter=^BM_LibraryReadyFrame$',
      '--benchmark_repetitions=5',
      '--benchmark_report_aggregates_only=true',
      '--benchmark_color=false',
    ],
    {encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore']}
  ).replace(/\x1b\[[0-9;]*m/g, '');
  const m = /^BM_LibraryReadyFrame_median\s+([\d.]+) (ns|us|ms)/m.exec(out);
  if (!m) throw new Error(`frame_bench said: ${out.trim()}`);
  return Number(m[1]) * {ns: 1e-3, us: 1, ms: 1e3}[m[2]];
}

// The page program's own median over its rounds (after its warm-up).
async function pageFrameUs(env) {
  const page = await env.browser.newPage();
  try {
    await page.goto(`${env.base}index.html?program=web-frame-bench`);
    await page.waitForFunction(() => window.telkaPage && window.telkaPage.state === 'ended', {timeout: 120000});
    const text = (await page.evaluate(() => window.telkaPage.output)).join('');
    const m = /median ([\d.]+) us/.exec(text);
    if (!m) throw new Error(`web-frame-bench said: ${text.trim()}`);
    return Number(m[1]);
  } finally {
    await page.close();
  }
}

const env = await s.start();
try {
  const nativeUs = [];
  const pageUs = [];
  for (let i = 0; i < runs; ++i) {
    nativeUs.push(nativeFrameUs());
    pageUs.push(await pageFrameUs(env));
    console.log(`run ${i + 1}: native ${nativeUs[i].toFixed(1)} us, page ${pageUs[i].toFixed(1)} us`);
  }
  const n = s.median(nativeUs);
  const p = s.median(pageUs);
  console.log(`ready frame: native median ${n.toFixed(1)} us, page median ${p.toFixed(1)} us, ratio ${(p / n).toFixed(2)}`);
} finally {
  await env.close();
}
