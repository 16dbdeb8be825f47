// Assembles the browser site in SITE (build-web/site/, where the wasm build
// already put programs/ and fonts/): the program page, the runtime bundled
// with esbuild (the page's module and the program's worker), the
// playground and its compiler, then the licences, the service worker with
// the list of files it caches, and the compressed copies.
// Usage: node web/build.mjs --site DIR --sdk DIR
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import * as esbuild from 'esbuild';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.dirname(here);

function option(name, fallback) {
  const i = process.argv.indexOf(`--${name}`);
  return i > 0 && process.argv[i + 1] ? path.resolve(process.argv[i + 1]) : fallback;
}
const site = option('site', path.join(root, 'build-web/site'));
const sdk = option('sdk', path.join(root, 'build-web/sdk'));

function copyIfNewer(from, to) {
  const s = fs.statSync(from);
  if (fs.existsSync(to) && fs.statSync(to).mtimeMs >= s.mtimeMs && fs.statSync(to).size === s.size) return;
  fs.mkdirSync(path.dirname(to), {recursive: true});
  fs.copyFileSync(from, to);
}

async function bundleRuntime() {
  const common = {bundle: true, minify: true, sourcemap: false, target: 'es2022', logLevel: 'warning'};
  await esbuild.build({
    ...common,
    entryPoints: [path.join(here, 'runtime/telka-runtime.js')],
    format: 'esm',
    outfile: path.join(site, 'runtime/telka-runtime.js'),
  });
  await esbuild.build({
    ...common,
    entryPoints: [path.join(here, 'runtime/telka-worker.js')],
    format: 'iife',
    outfile: path.join(site, 'runtime/telka-worker.js'),
  });
}

async function optional(modulePath, name, ...args) {
  if (!fs.existsSync(modulePath)) return false;
  const mod = await import(modulePath);
  await mod[name](...args);
  return true;
}

async function main() {
  const start = performance.now();
  if (!fs.existsSync(path.join(site, 'programs/programs.json')))
    throw new Error(`no programs in ${site}/programs: build the wasm programs first (make web)`);
  for (const file of fs.readdirSync(path.join(here, 'site')))
    copyIfNewer(path.join(here, 'site', file), path.join(site, file));
  // The wasm build copied the fonts its face table names; the runtime
  // mounts those listed here at /fonts.
  const {fonts} = JSON.parse(fs.readFileSync(path.join(site, 'programs/programs.json'), 'utf8'));
  fs.writeFileSync(path.join(site, 'fonts/fonts.json'), JSON.stringify(fonts) + '\n');
  await bundleRuntime();
  await optional(path.join(here, 'playground/build.mjs'), 'buildPlayground', {site, sdk, sourceRoot: root});
  // Last, in this order: the worker's file list holds the licences page,
  // and the compressed copies are of the final files, the worker's too.
  for (const tool of ['licences', 'service-worker', 'precompress'])
    execFileSync(process.execPath, [path.join(here, `tools/${tool}.mjs`), site], {stdio: 'inherit'});
  console.log(
    `web: site assembled in ${path.relative(process.cwd(), site) || site} (${((performance.now() - start) / 1000).toFixed(1)} s)`
  );
}

main().catch((e) => {
  console.error(`web: ${e.message}`);
  process.exit(1);
});
