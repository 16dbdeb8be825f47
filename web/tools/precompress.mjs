#!/usr/bin/env node
// Writes F.br and F.gz next to each compressible file of the site, for web/serve.mjs (and any static host
// that serves such siblings) to send by Accept-Encoding. Node's zlib only; compressions run in libuv's
// thread pool, a few at a time. A file whose siblings are current is skipped, so a second build is quick.
//   node web/tools/precompress.mjs SITE_DIR [--best]
//
// Brotli quality by size, measured on the 75 MB compiler (llvm.core.wasm) here: quality 7 with a 16 MiB
// window takes about 8 s (23.0% of the raw size), 9 takes 39 s (22.4%), 10 takes 130 s (20.0%), 11 takes
// 240 s (19.4%); gzip -9 takes 3 s (30.2%). So: 11 for files up to 1 MiB, 9 up to 16 MiB, 7 above; --best
// asks 11 for everything (a release for many students, where minutes of build time pay off).
import fs from 'node:fs';
import fsp from 'node:fs/promises';
import os from 'node:os';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {promisify} from 'node:util';
import zlib from 'node:zlib';

const brotli = promisify(zlib.brotliCompress);
const gzip = promisify(zlib.gzip);

export const STATE = '.precompress.json';
const COMPRESSIBLE = new Set([
  '.html',
  '.htm',
  '.js',
  '.mjs',
  '.css',
  '.json',
  '.map',
  '.wasm',
  '.tar',
  '.ttf',
  '.otf',
  '.svg',
  '.txt',
  '.md',
  '.c',
  '.cpp',
  '.cc',
  '.h',
  '.hpp',
  '.data',
  '.xml',
  '.ico',
]);
const MIN_SIZE = 2048; // below this the saving is a few hundred bytes at most
const KEEP_RATIO = 0.9; // a variant stays only when it saves at least 10%

export function brotliQuality(size, best) {
  if (best || size <= 1 << 20) return 11;
  return size <= 16 << 20 ? 9 : 7;
}

function brotliOptions(size, quality) {
  const c = zlib.constants;
  // A window as large as browsers accept (2^24) finds repeats across a large wasm's code section.
  const lgwin = Math.max(c.BROTLI_MIN_WINDOW_BITS, Math.min(24, Math.ceil(Math.log2(Math.max(size, 1024)))));
  return {
    params: {
      [c.BROTLI_PARAM_QUALITY]: quality,
      [c.BROTLI_PARAM_LGWIN]: lgwin,
      [c.BROTLI_PARAM_SIZE_HINT]: size,
    },
  };
}

async function readState(site) {
  try {
    const s = JSON.parse(await fsp.readFile(path.join(site, STATE), 'utf8'));
    if (s && s.files && typeof s.files === 'object') return s;
  } catch {
    // missing or unreadable: everything is checked afresh
  }
  return {files: {}};
}

async function writeAtomic(target, data) {
  const tmp = path.join(path.dirname(target), `.${path.basename(target)}.${process.pid}.tmp`);
  try {
    await fsp.writeFile(tmp, data);
    await fsp.rename(tmp, target); // a killed build leaves no half-written sibling to be served
  } catch (e) {
    await fsp.rm(tmp, {force: true});
    throw e;
  }
}

async function statOrNull(file) {
  try {
    return await fsp.stat(file);
  } catch {
    return null;
  }
}

async function listCandidates(site) {
  const out = [];
  async function walk(dir, prefix) {
    for (const e of await fsp.readdir(dir, {withFileTypes: true})) {
      if (e.name.startsWith('.')) continue;
      const full = path.join(dir, e.name);
      const rel = prefix + e.name;
      if (e.isDirectory()) await walk(full, rel + '/');
      else if (e.isFile() && COMPRESSIBLE.has(path.extname(e.name).toLowerCase())) out.push(rel);
    }
  }
  await walk(site, '');
  return out.sort();
}

// Whether the siblings on disk are what the state says was made from this very version of the file.
async function upToDate(full, stat, entry, quality) {
  if (!entry || entry.size !== stat.size || entry.mtimeMs !== stat.mtimeMs) return false;
  if (!(entry.quality >= quality)) return false; // asked for better brotli than was made
  for (const [key, suffix] of [
    ['br', '.br'],
    ['gz', '.gz'],
  ]) {
    const s = await statOrNull(full + suffix);
    if (entry[key]) {
      if (!s || s.size !== entry[key] || s.mtimeMs < stat.mtimeMs) return false;
    } else if (s) {
      return false; // a sibling that should not be there (left from an older version)
    }
  }
  return true;
}

async function compressOne(full, stat, quality) {
  const data = await fsp.readFile(full);
  const started = performance.now();
  const [br, gz] = await Promise.all([brotli(data, brotliOptions(data.length, quality)), gzip(data, {level: 9})]);
  const ms = performance.now() - started;
  const entry = {size: stat.size, mtimeMs: stat.mtimeMs, quality, br: 0, gz: 0};
  for (const [key, suffix, out] of [
    ['br', '.br', br],
    ['gz', '.gz', gz],
  ]) {
    if (out.length <= data.length * KEEP_RATIO) {
      await writeAtomic(full + suffix, out);
      entry[key] = out.length;
    } else {
      await fsp.rm(full + suffix, {force: true});
    }
  }
  // The file may have been rewritten while it was compressed: then the siblings are of the old one.
  const after = await statOrNull(full);
  if (!after || after.size !== stat.size || after.mtimeMs !== stat.mtimeMs) {
    await fsp.rm(full + '.br', {force: true});
    await fsp.rm(full + '.gz', {force: true});
    throw new Error('changed while it was compressed; run again');
  }
  return {entry, ms};
}

export async function precompress(site, {best = false, log = console.log} = {}) {
  const state = await readState(site);
  const candidates = await listCandidates(site);
  const totals = {files: 0, compressed: 0, skipped: 0, small: 0, failed: 0, raw: 0, br: 0, gz: 0, ms: 0};
  const next = {files: {}};
  const jobs = [];
  for (const rel of candidates) {
    const full = path.join(site, ...rel.split('/'));
    const stat = await statOrNull(full);
    if (!stat) continue;
    if (stat.size < MIN_SIZE) {
      ++totals.small;
      continue;
    }
    ++totals.files;
    totals.raw += stat.size;
    const quality = brotliQuality(stat.size, best);
    const entry = state.files[rel];
    if (await upToDate(full, stat, entry, quality)) {
      ++totals.skipped;
      next.files[rel] = entry;
      totals.br += entry.br || stat.size;
      totals.gz += entry.gz || stat.size;
      continue;
    }
    jobs.push({rel, full, stat, quality});
  }
  // Largest first, so the long brotli run overlaps the small ones instead of finishing alone.
  jobs.sort((a, b) => b.stat.size - a.stat.size);
  const started = performance.now();
  const workers = Math.max(1, Math.min(os.availableParallelism?.() ?? os.cpus().length, 4));
  let nextJob = 0;
  await Promise.all(
    Array.from({length: workers}, async () => {
      while (nextJob < jobs.length) {
        const job = jobs[nextJob++];
        try {
          const {entry, ms} = await compressOne(job.full, job.stat, job.quality);
          next.files[job.rel] = entry;
          ++totals.compressed;
          totals.br += entry.br || job.stat.size;
          totals.gz += entry.gz || job.stat.size;
          if (job.stat.size >= 4 << 20) {
            const pct = (n) => (n ? `${((100 * n) / job.stat.size).toFixed(1)}%` : 'not kept');
            log(
              `precompress: ${job.rel}: ${(job.stat.size / 1048576).toFixed(1)} MiB, br q${job.quality} ${pct(entry.br)},` +
                ` gz ${pct(entry.gz)} in ${(ms / 1000).toFixed(1)} s`
            );
          }
        } catch (e) {
          ++totals.failed;
          totals.br += job.stat.size;
          totals.gz += job.stat.size;
          log(`precompress: ${job.rel}: ${e.message}`);
        }
      }
    })
  );
  totals.ms = performance.now() - started;
  // Siblings this tool made for files that are gone would serve content the site no longer has.
  for (const [rel, entry] of Object.entries(state.files)) {
    if (next.files[rel]) continue;
    const full = path.join(site, ...rel.split('/'));
    if (await statOrNull(full)) continue;
    if (entry.br) await fsp.rm(full + '.br', {force: true});
    if (entry.gz) await fsp.rm(full + '.gz', {force: true});
  }
  await writeAtomic(path.join(site, STATE), JSON.stringify(next) + '\n');
  return totals;
}

async function main() {
  const args = process.argv.slice(2);
  const best = args.includes('--best');
  const rest = args.filter((a) => a !== '--best');
  if (rest.length !== 1 || rest[0].startsWith('-')) {
    console.error('usage: node web/tools/precompress.mjs SITE_DIR [--best]');
    process.exitCode = 2;
    return;
  }
  const site = rest[0];
  const st = await statOrNull(site);
  if (!st || !st.isDirectory()) {
    console.error(`precompress: ${site} is not a folder`);
    process.exitCode = 1;
    return;
  }
  try {
    const t = await precompress(site, {best});
    const mib = (n) => (n / 1048576).toFixed(1);
    console.log(
      `precompress: ${t.files} files (${mib(t.raw)} MiB): ${t.compressed} compressed in ` +
        `${(t.ms / 1000).toFixed(1)} s, ${t.skipped} up to date, ${t.small} too small; ` +
        `served as br ${mib(t.br)} MiB, as gzip ${mib(t.gz)} MiB`
    );
    if (t.failed) process.exitCode = 1;
  } catch (e) {
    console.error(`precompress: ${e.message}`);
    process.exitCode = 1;
  }
}

if (import.meta.url === pathToFileURL(process.argv[1] || '').href) main();
