#!/usr/bin/env node
// Writes SITE/sw.js: the service worker (web/offline/sw.js and workbox-precaching, bundled by esbuild)
// with the build's file list in it: every file the site serves (not sw.js, not the .br/.gz siblings made
// by precompress.mjs, not hidden build state) with its size and SHA-256, and a version hashed from all
// of them. The worker caches by these hashes, so a new build re-downloads only the files that changed.
//   node web/tools/service-worker.mjs SITE_DIR
import crypto from 'node:crypto';
import fs from 'node:fs';
import fsp from 'node:fs/promises';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';
import * as esbuild from 'esbuild';

const WORKER = 'sw.js';
const SOURCE = path.join(path.dirname(fileURLToPath(import.meta.url)), '../offline/sw.js');

// Whether `name` in `dir` is a precompressed sibling of a file beside it (F.br next to F).
function isSibling(name, names) {
  for (const suffix of ['.br', '.gz']) {
    if (name.endsWith(suffix) && names.has(name.slice(0, -suffix.length))) return true;
  }
  return false;
}

// Site-relative paths (with "/") of the files to list, sorted so the version is stable.
async function listSiteFiles(site) {
  const out = [];
  async function walk(dir, prefix) {
    const entries = await fsp.readdir(dir, {withFileTypes: true});
    const names = new Set(entries.map((e) => e.name));
    for (const e of entries) {
      if (e.name.startsWith('.')) continue; // build state and editor files are not served
      const rel = prefix + e.name;
      const full = path.join(dir, e.name);
      let stat;
      try {
        stat = await fsp.stat(full); // follows symlinks: a linked file is served as its target
      } catch {
        continue; // a dangling link serves nothing
      }
      if (stat.isDirectory()) await walk(full, rel + '/');
      else if (stat.isFile() && rel !== WORKER && !isSibling(e.name, names)) out.push(rel);
    }
  }
  await walk(site, '');
  return out.sort();
}

function hashFile(file) {
  return new Promise((resolve, reject) => {
    const h = crypto.createHash('sha256');
    fs.createReadStream(file)
      .on('error', reject)
      .on('data', (d) => h.update(d))
      .on('end', () => resolve(h.digest('hex')));
  });
}

// {version, files: [{url, revision: sha256 hex, size}]}, smallest first: the order the worker fetches in,
// so the pages are offline before the compiler is.
export async function buildList(site) {
  const files = [];
  for (const rel of await listSiteFiles(site)) {
    const full = path.join(site, ...rel.split('/'));
    const {size} = await fsp.stat(full);
    files.push({url: rel.split('/').map(encodeURIComponent).join('/'), revision: await hashFile(full), size});
  }
  const all = crypto.createHash('sha256');
  for (const f of files) all.update(`${f.url}\0${f.revision}\n`);
  files.sort((a, b) => a.size - b.size || (a.url < b.url ? -1 : 1));
  return {version: all.digest('hex').slice(0, 16), files};
}

export async function writeServiceWorker(site) {
  const build = await buildList(site);
  const target = path.join(site, WORKER);
  const tmp = path.join(site, `.${WORKER}.${process.pid}.tmp`);
  await esbuild.build({
    entryPoints: [SOURCE],
    outfile: tmp,
    bundle: true,
    minify: true,
    format: 'iife',
    target: 'es2022',
    logLevel: 'warning',
    define: {TELKA_BUILD: JSON.stringify(build), 'process.env.NODE_ENV': '"production"'},
  });
  await fsp.rename(tmp, target); // never a half-written worker for the browser to install
  return build;
}

async function main() {
  const site = process.argv[2];
  if (!site || process.argv.length > 3) {
    console.error('usage: node web/tools/service-worker.mjs SITE_DIR');
    process.exitCode = 2;
    return;
  }
  if (!fs.existsSync(site) || !fs.statSync(site).isDirectory()) {
    console.error(`service-worker: ${site} is not a folder`);
    process.exitCode = 1;
    return;
  }
  try {
    const m = await writeServiceWorker(site);
    const bytes = m.files.reduce((n, f) => n + f.size, 0);
    console.log(`service-worker: ${m.files.length} files, ${(bytes / 1048576).toFixed(1)} MiB, version ${m.version}`);
  } catch (e) {
    console.error(`service-worker: ${e.message}`);
    process.exitCode = 1;
  }
}

if (import.meta.url === pathToFileURL(process.argv[1] || '').href) main();
