#!/usr/bin/env node
// Writes SITE/precache.json: every file the site serves (not the .br/.gz siblings made by precompress.mjs,
// not hidden build state) with its size and SHA-256, and a version hashed from all of them. The service
// worker (web/site/sw.js) caches by these hashes, so a new build re-downloads only the files that changed.
//   node web/tools/site-manifest.mjs SITE_DIR
import crypto from 'node:crypto';
import fs from 'node:fs';
import fsp from 'node:fs/promises';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

export const MANIFEST = 'precache.json';

// Whether `name` in `dir` is a precompressed sibling of a file beside it (F.br next to F).
function isSibling(name, names) {
  for (const suffix of ['.br', '.gz']) {
    if (name.endsWith(suffix) && names.has(name.slice(0, -suffix.length))) return true;
  }
  return false;
}

// Site-relative paths (with "/") of the files to list, sorted so the manifest is stable.
export async function listSiteFiles(site) {
  const out = [];
  async function walk(dir, prefix) {
    const entries = await fsp.readdir(dir, {withFileTypes: true});
    const names = new Set(entries.map((e) => e.name));
    for (const e of entries) {
      if (e.name.startsWith('.')) continue;  // build state and editor files are not served
      const rel = prefix + e.name;
      const full = path.join(dir, e.name);
      let stat;
      try {
        stat = await fsp.stat(full);  // follows symlinks: a linked file is served as its target
      } catch {
        continue;  // a dangling link serves nothing
      }
      if (stat.isDirectory()) await walk(full, rel + '/');
      else if (stat.isFile() && rel !== MANIFEST && !isSibling(e.name, names)) out.push(rel);
    }
  }
  await walk(site, '');
  return out.sort();
}

export function hashFile(file) {
  return new Promise((resolve, reject) => {
    const h = crypto.createHash('sha256');
    fs.createReadStream(file).on('error', reject).on('data', (d) => h.update(d)).on('end', () => resolve(h.digest('hex')));
  });
}

export async function buildManifest(site) {
  const files = [];
  for (const rel of await listSiteFiles(site)) {
    const full = path.join(site, ...rel.split('/'));
    const {size} = await fsp.stat(full);
    files.push({path: rel, size, hash: await hashFile(full)});
  }
  const all = crypto.createHash('sha256');
  for (const f of files) all.update(`${f.path}\0${f.hash}\n`);
  return {version: all.digest('hex').slice(0, 16), files};
}

export async function writeManifest(site) {
  const manifest = await buildManifest(site);
  const target = path.join(site, MANIFEST);
  const tmp = `${target}.${process.pid}.tmp`;
  await fsp.writeFile(tmp, JSON.stringify(manifest, null, 1) + '\n');
  await fsp.rename(tmp, target);  // never a half-written manifest for the worker to read
  return manifest;
}

async function main() {
  const site = process.argv[2];
  if (!site || process.argv.length > 3) {
    console.error('usage: node web/tools/site-manifest.mjs SITE_DIR');
    process.exitCode = 2;
    return;
  }
  if (!fs.existsSync(site) || !fs.statSync(site).isDirectory()) {
    console.error(`site-manifest: ${site} is not a folder`);
    process.exitCode = 1;
    return;
  }
  try {
    const m = await writeManifest(site);
    const bytes = m.files.reduce((n, f) => n + f.size, 0);
    console.log(`site-manifest: ${m.files.length} files, ${(bytes / 1048576).toFixed(1)} MiB, version ${m.version}`);
  } catch (e) {
    console.error(`site-manifest: ${e.message}`);
    process.exitCode = 1;
  }
}

if (import.meta.url === pathToFileURL(process.argv[1] || '').href) main();
