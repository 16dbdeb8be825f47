// Builds the playground into a site folder: playground.html, playground/
// (the page's bundle, the module that starts the compiler early, and css), compiler/ (the compile worker's bundle, clang's
// wasm files, the trimmed sysroot with the TELKA SDK, the link flags) and
// examples/ (the example sources and their list). Relies on web/node_modules
// (esbuild, the compiler package, CodeMirror) and an SDK folder holding
// include/telka.h, lib/libtelka.a and link-flags.txt.
//   node web/playground/build.mjs --site DIR --sdk DIR [--sizes]
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import zlib from 'node:zlib';

import {growingFiles} from '../compiler/growing-files.mjs';
import {buildSysroot} from '../compiler/sysroot.mjs';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const ROOT = path.resolve(HERE, '..', '..');

// Copies when the target is missing or differs in size or is older: the
// 75 MB compiler need not be copied on every build.
function copyIfChanged(from, to) {
  const a = fs.statSync(from);
  const b = fs.existsSync(to) ? fs.statSync(to) : null;
  if (b && b.size === a.size && b.mtimeMs >= a.mtimeMs) return false;
  fs.copyFileSync(from, to);
  return true;
}

// The first sentence of a source file's opening comment, after "name: ".
function exampleTitle(text) {
  const m = /^\s*(?:\/\*+([\s\S]*?)\*\/|((?:\/\/[^\n]*\n)+))/.exec(text);
  if (!m) return '';
  const words = (m[1] ?? m[2].replace(/^\s*\/\/ ?/gm, ''))
    .replace(/^\s*\* ?/gm, '')
    .replace(/\s+/g, ' ')
    .trim();
  const body = words.replace(/^[\w-]+: /, '');
  const sentence = /^(.*?[.;])(\s|$)/.exec(body);
  const title = (sentence ? sentence[1] : body).replace(/[.;]$/, '');
  return title.length <= 90 ? title : `${title.slice(0, title.lastIndexOf(' ', 88))}…`;
}

function writeExamples(sourceRoot, out) {
  const dir = path.join(sourceRoot, 'examples');
  fs.mkdirSync(out, {recursive: true});
  const list = [];
  for (const file of fs.readdirSync(dir).sort()) {
    if (!/\.(c|cpp)$/.test(file)) continue;
    const text = fs.readFileSync(path.join(dir, file), 'utf8');
    copyIfChanged(path.join(dir, file), path.join(out, file));
    list.push({file, lang: file.endsWith('.cpp') ? 'c++' : 'c', title: exampleTitle(text)});
  }
  fs.writeFileSync(path.join(out, 'examples.json'), JSON.stringify(list, null, 1) + '\n');
  return list;
}

async function bundle(esbuild, options) {
  const result = await esbuild.build({
    bundle: true,
    format: 'esm',
    platform: 'browser',
    target: ['es2022'],
    minify: true,
    legalComments: 'linked',
    logLevel: 'warning',
    ...options,
  });
  if (result.errors.length) throw new Error(`esbuild: ${result.errors.map((e) => e.text).join('; ')}`);
}

export async function buildPlayground({site, sdk, sourceRoot = ROOT}) {
  site = path.resolve(site);
  sdk = path.resolve(sdk);
  sourceRoot = path.resolve(sourceRoot);
  for (const need of ['include/telka.h', 'lib/libtelka.a', 'link-flags.txt'])
    if (!fs.existsSync(path.join(sdk, need))) throw new Error(`playground: the SDK has no ${need} (${sdk})`);
  const web = path.join(sourceRoot, 'web');
  const packageDir = path.join(web, 'node_modules', '@yowasp', 'clang', 'gen');
  const esbuild = await import(path.join(web, 'node_modules', 'esbuild', 'lib', 'main.js'));
  const pageDir = path.join(site, 'playground');
  const compilerDir = path.join(site, 'compiler');
  fs.mkdirSync(pageDir, {recursive: true});
  fs.mkdirSync(compilerDir, {recursive: true});

  // The page: the runtime stays a file of its own, served unbundled.
  await bundle(esbuild, {
    entryPoints: [path.join(web, 'playground', 'main.js')],
    outfile: path.join(pageDir, 'main.js'),
    external: ['../runtime/telka-runtime.js'],
    loader: {'.c': 'text'},
    nodePaths: [path.join(web, 'node_modules')],
  });
  // Its first module: starts the compile worker before main.js has loaded.
  await bundle(esbuild, {
    entryPoints: [path.join(web, 'playground', 'compiler-start.js')],
    outfile: path.join(pageDir, 'compiler-start.js'),
  });
  await bundle(esbuild, {
    entryPoints: [path.join(web, 'playground', 'playground.css')],
    outfile: path.join(pageDir, 'playground.css'),
  });
  fs.copyFileSync(path.join(web, 'playground', 'playground.html'), path.join(site, 'playground.html'));

  // The compile worker. The package finds its wasm files and the sysroot tar
  // with new URL('./NAME', import.meta.url): beside the bundle, in compiler/.
  await bundle(esbuild, {
    entryPoints: [path.join(web, 'compiler', 'compile-worker.js')],
    outfile: path.join(compilerDir, 'compile-worker.js'),
    external: ['node:*'],
    nodePaths: [path.join(web, 'node_modules')],
    plugins: [growingFiles],
  });
  const wasmFiles = fs
    .readdirSync(packageDir)
    .filter((f) => /^llvm.*\.wasm$/.test(f))
    .sort();
  for (const f of wasmFiles) copyIfChanged(path.join(packageDir, f), path.join(compilerDir, f));
  const sysroot = buildSysroot({
    resourcesTar: path.join(packageDir, 'llvm-resources.tar'),
    sdk,
    out: path.join(compilerDir, 'llvm-resources.tar'),
  });
  fs.copyFileSync(path.join(sdk, 'link-flags.txt'), path.join(compilerDir, 'link-flags.txt'));
  const fetched = [...wasmFiles, 'llvm-resources.tar'];
  const sizes = Object.fromEntries(fetched.map((f) => [f, fs.statSync(path.join(compilerDir, f)).size]));
  // Names this compiler with this sysroot (telka.h in it): headers compiled
  // in a student's browser by another build are never used by this one.
  const version = crypto.createHash('sha256');
  for (const f of [...fetched, 'link-flags.txt']) version.update(fs.readFileSync(path.join(compilerDir, f)));
  fs.writeFileSync(
    path.join(compilerDir, 'compiler-files.json'),
    JSON.stringify({
      files: sizes,
      total: Object.values(sizes).reduce((a, b) => a + b, 0),
      version: version.digest('hex').slice(0, 32),
    }) + '\n'
  );

  const examples = writeExamples(sourceRoot, path.join(site, 'examples'));
  return {sysroot, examples: examples.map((e) => e.file)};
}

// Every file the playground serves, with raw and gzip -9 sizes.
export function measure(site) {
  const files = ['playground.html'];
  for (const dir of ['playground', 'compiler', 'examples'])
    for (const f of fs.readdirSync(path.join(site, dir)).sort()) files.push(`${dir}/${f}`);
  return files.map((f) => {
    const data = fs.readFileSync(path.join(site, f));
    return {file: f, bytes: data.length, gzip: zlib.gzipSync(data, {level: 9}).length};
  });
}

function option(args, name) {
  const i = args.indexOf(name);
  return i >= 0 && i + 1 < args.length ? args[i + 1] : null;
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const args = process.argv.slice(2);
  const site = option(args, '--site');
  const sdk = option(args, '--sdk');
  if (!site || !sdk) {
    console.error('usage: node web/playground/build.mjs --site DIR --sdk DIR [--sizes]');
    process.exit(2);
  }
  const started = performance.now();
  try {
    const summary = await buildPlayground({site, sdk});
    console.log(
      `playground built in ${((performance.now() - started) / 1000).toFixed(1)} s: ` +
        `sysroot ${summary.sysroot.files} of ${summary.sysroot.originalFiles} files, ` +
        `${summary.sysroot.bytes} of ${summary.sysroot.originalBytes} bytes; ` +
        `examples ${summary.examples.join(', ')}`
    );
    if (args.includes('--sizes'))
      for (const {file, bytes, gzip} of measure(path.resolve(site))) console.log(`${file}\t${bytes}\t${gzip}`);
  } catch (e) {
    console.error(`playground: ${e.message}`);
    process.exit(1);
  }
}
