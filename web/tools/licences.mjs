#!/usr/bin/env node
// Writes SITE/licences.html: the licence of everything the site serves: the npm packages shipped in it
// (web/package.json's dependencies and theirs, from web/package-lock.json, with their licence files in
// web/node_modules; the build and serve tools are devDependencies, not shipped), the compiler's LLVM parts and
// C library, FreeType and the DejaVu fonts (from Debian's copyright files), and TELKA itself.
//   node web/tools/licences.mjs SITE_DIR [--web WEB_DIR] [--root PROJECT_DIR]
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';

const HERE = path.dirname(fileURLToPath(import.meta.url));
const FREETYPE_COPYRIGHT = ['/usr/share/doc/libfreetype6/copyright', '/usr/share/doc/libfreetype-dev/copyright'];
const DEJAVU_COPYRIGHT = ['/usr/share/doc/fonts-dejavu-core/copyright', '/usr/share/doc/fonts-dejavu-extra/copyright'];
const APACHE_2 = '/usr/share/common-licenses/Apache-2.0';
// The exception LLVM adds to Apache 2.0 (the same words Debian's llvm and clang copyright files carry).
const LLVM_EXCEPTION = `---- LLVM Exceptions to the Apache 2.0 License ----

As an exception, if, as a result of your compiling your source code, portions
of this Software are embedded into an Object form of such source code, you
may redistribute such embedded portions in such Object form without complying
with the conditions of Sections 4(a), 4(b) and 4(d) of the License.

In addition, if you combine or link compiled forms of this Software with
software that is licensed under the GPLv2 ("Combined Software") and if a
court of competent jurisdiction determines that the patent provision (Section
3), the indemnity provision (Section 9) or other Section of the License
conflicts with the conditions of the GPLv2, you may retroactively and
prospectively choose to deem waived or otherwise exclude such Section(s) of
the License, but only in their entirety and only with respect to the Combined
Software.`;

export function escapeHtml(text) {
  return String(text).replace(
    /[&<>"']/g,
    (c) => ({'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;'})[c]
  );
}

function readText(file) {
  try {
    return fs.readFileSync(file, 'utf8');
  } catch {
    return null;
  }
}

function firstExisting(files) {
  for (const f of files) {
    const t = readText(f);
    if (t !== null) return {file: f, text: t};
  }
  return null;
}

// The packages the site ships: the web/ package's dependencies and theirs.
export function shippedPackages(webDir, warn) {
  const lock = JSON.parse(fs.readFileSync(path.join(webDir, 'package-lock.json'), 'utf8'));
  const entries = lock.packages || {};
  const top = entries[''] || {};
  const wanted = Object.keys(top.dependencies || {});
  const seen = new Map();
  while (wanted.length) {
    const name = wanted.shift();
    if (seen.has(name)) continue;
    const entry = entries[`node_modules/${name}`];
    if (!entry) {
      warn(`${name} is not in package-lock.json`);
      continue;
    }
    seen.set(name, entry);
    for (const dep of Object.keys({...entry.dependencies, ...entry.peerDependencies})) wanted.push(dep);
  }
  return [...seen.entries()]
    .sort(([a], [b]) => a.localeCompare(b))
    .map(([name, entry]) => {
      const dir = path.join(webDir, 'node_modules', ...name.split('/'));
      let files = [];
      try {
        files = fs
          .readdirSync(dir)
          .filter((f) => /^(licen[cs]e|copying|notice)/i.test(f))
          .sort();
      } catch {
        warn(`${name} is not installed in ${path.join(webDir, 'node_modules')} (run npm ci in web/)`);
      }
      let declared = entry.license;
      let readme = null;
      const pkg = readText(path.join(dir, 'package.json'));
      if (pkg) {
        try {
          declared = JSON.parse(pkg).license || declared;
        } catch {
          // keep the lock's word
        }
      }
      if (!files.length) {
        // Some packages carry their licence only as a section of the README.
        const text = readText(path.join(dir, 'README.md'));
        const m = text && /\n(Licen[cs]e)\n-+\n([\s\S]*?)(\n\S[^\n]*\n[-=]+\n|$)/.exec(text);
        if (m) readme = m[2].trim();
      }
      return {
        name,
        version: entry.version,
        declared: declared || 'not declared',
        texts: files.map((f) => ({file: f, text: readText(path.join(dir, f)) || ''})),
        readme,
      };
    });
}

// Minimal ustar reader: the name and contents of each regular file in a tar.
function* tarFiles(buf) {
  let off = 0;
  let longName = null;
  while (off + 512 <= buf.length) {
    const header = buf.subarray(off, off + 512);
    if (header.every((b) => b === 0)) break;
    const field = (a, n) =>
      header
        .subarray(a, a + n)
        .toString('latin1')
        .replace(/\0.*$/s, '');
    let name = field(0, 100);
    const prefix = field(345, 155);
    if (prefix) name = `${prefix}/${name}`;
    const size = parseInt(field(124, 12).trim() || '0', 8);
    const type = String.fromCharCode(header[156] || 48);
    if (!Number.isFinite(size) || size < 0) break;
    const data = buf.subarray(off + 512, off + 512 + size);
    off += 512 + Math.ceil(size / 512) * 512;
    if (type === 'L') {
      longName = data.toString('latin1').replace(/\0.*$/s, '');
      continue;
    }
    if (longName) {
      name = longName;
      longName = null;
    }
    if (type === '0' || type === '\0') yield {name, data};
  }
}

// The licence notices inside the sysroot archives the compiler page serves: SPDX identifiers counted,
// and each distinct copyright line with the files that carry it.
export function tarNotices(site) {
  const spdx = new Map();
  const copyrights = new Map();
  const tars = [];
  const walk = (dir, prefix) => {
    for (const e of fs.readdirSync(dir, {withFileTypes: true})) {
      if (e.name.startsWith('.')) continue;
      if (e.isDirectory()) walk(path.join(dir, e.name), `${prefix}${e.name}/`);
      else if (e.name.endsWith('.tar')) tars.push(`${prefix}${e.name}`);
    }
  };
  walk(site, '');
  for (const rel of tars) {
    let buf;
    try {
      buf = fs.readFileSync(path.join(site, rel));
    } catch {
      continue;
    }
    for (const {name, data} of tarFiles(buf)) {
      if (/\.(a|o)$/.test(name)) continue; // objects carry no notices; their sources' licences are listed
      const text = data.toString('latin1');
      for (const m of text.matchAll(/SPDX-License-Identifier:\s*([^\n*]+?)\s*(\*\/|\*|$)/gm)) {
        spdx.set(m[1], (spdx.get(m[1]) || 0) + 1);
      }
      for (const m of text.matchAll(/^[\s*/#]*(Copyright\s+(\(c\)|©|\d)[^\n]*)$/gim)) {
        const line = m[1].trim();
        if (!copyrights.has(line)) copyrights.set(line, []);
        copyrights.get(line).push(`${rel}: ${name}`);
      }
    }
  }
  return {tars, spdx, copyrights};
}

function siteRows(site) {
  const groups = new Map();
  const walk = (dir, prefix) => {
    for (const e of fs.readdirSync(dir, {withFileTypes: true})) {
      if (e.name.startsWith('.') || /\.(br|gz)$/.test(e.name)) continue;
      if (e.isDirectory()) walk(path.join(dir, e.name), `${prefix}${e.name}/`);
      else {
        const top = prefix ? prefix.split('/')[0] + '/' : '(top folder)';
        groups.set(top, (groups.get(top) || 0) + 1);
      }
    }
  };
  walk(site, '');
  const who = {
    '(top folder)':
      'TELKA: the pages and the service worker, bundled with workbox-precaching, workbox-core, workbox-routing and workbox-strategies',
    'runtime/': "TELKA's page runtime; it may include the WASI shim (@bjorn3/browser_wasi_shim)",
    'programs/':
      'TELKA: the library, the game and the examples, linked with FreeType, wasi-libc, libc++, libc++abi and compiler-rt',
    'fonts/': 'DejaVu fonts',
    'compiler/':
      "clang and lld (@yowasp/clang: LLVM), the C library and C++ library they compile against, and TELKA's library (with FreeType) for linking",
    'playground/':
      "TELKA's playground, bundled with CodeMirror, Lezer, style-mod, crelt, w3c-keyname and find-cluster-break",
    'examples/': 'TELKA: the example programs',
  };
  return [...groups.entries()].sort().map(([dir, count]) => ({dir, count, who: who[dir] || 'TELKA'}));
}

function pre(text) {
  return `<pre>${escapeHtml(text.replace(/\s+$/, ''))}</pre>`;
}

function details(summary, body) {
  return `<details><summary>${escapeHtml(summary)}</summary>\n${body}\n</details>`;
}

export function buildPage({site, webDir, root, warn}) {
  const parts = [];
  const add = (s) => parts.push(s);

  add(`<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>TELKA: licences of this site</title>
<style>
body { font: 16px/1.5 sans-serif; max-width: 60em; margin: 1em auto; padding: 0 1em; color: #111; background: #fff; }
pre { white-space: pre-wrap; background: #f4f4f4; padding: .5em; font-size: 13px; }
table { border-collapse: collapse; } td, th { border: 1px solid #bbb; padding: .2em .5em; text-align: left; vertical-align: top; }
summary { cursor: pointer; }
</style>
</head>
<body>
<h1>Licences</h1>
<p>What this site serves, where it comes from, and under which licence. Written by
<code>web/tools/licences.mjs</code> when the site was built.</p>`);

  add('<h2>What the site serves</h2>\n<table>\n<tr><th>Folder</th><th>Files</th><th>From</th></tr>');
  for (const r of siteRows(site))
    add(`<tr><td>${escapeHtml(r.dir)}</td><td>${r.count}</td><td>${escapeHtml(r.who)}</td></tr>`);
  add('</table>');

  // TELKA itself.
  add('<h2 id="telka">TELKA</h2>');
  const own = ['LICENSE', 'LICENSE.txt', 'LICENSE.md', 'LICENCE', 'COPYING'].map((f) => path.join(root, f));
  const ownText = firstExisting(own);
  if (ownText) {
    add(`<p>The library, the game, the examples, the pages and their runtime: ${escapeHtml(path.basename(ownText.file))}
of the TELKA project.</p>`);
    add(pre(ownText.text));
  } else {
    add(
      "<p>The library, the game, the examples, the pages and their runtime are the TELKA project's own work. " +
        'The project has no licence file, so this site grants no licence for them beyond using the site.</p>'
    );
    warn('the TELKA project has no LICENSE file: the page says no licence is granted');
  }

  // npm packages.
  add('<h2 id="packages">Packages shipped in the site</h2>');
  let packages = [];
  try {
    packages = shippedPackages(webDir, warn);
  } catch (e) {
    warn(`cannot read ${path.join(webDir, 'package-lock.json')}: ${e.message}`);
    add(`<p>The package list (${escapeHtml(path.join(webDir, 'package-lock.json'))}) could not be read.</p>`);
  }
  if (packages.length) {
    add('<table>\n<tr><th>Package</th><th>Version</th><th>Licence (as the package declares it)</th></tr>');
    for (const p of packages) {
      add(
        `<tr><td><a href="#pkg-${escapeHtml(p.name.replace(/[^a-z0-9]+/gi, '-'))}">${escapeHtml(p.name)}</a></td>` +
          `<td>${escapeHtml(p.version)}</td><td>${escapeHtml(p.declared)}</td></tr>`
      );
    }
    add('</table>');
    for (const p of packages) {
      add(
        `<h3 id="pkg-${escapeHtml(p.name.replace(/[^a-z0-9]+/gi, '-'))}">${escapeHtml(p.name)} ${escapeHtml(p.version)}</h3>`
      );
      add(`<p>Declared licence: ${escapeHtml(p.declared)}.</p>`);
      for (const t of p.texts) add(details(`${t.file} of ${p.name}`, pre(t.text)));
      if (!p.texts.length && p.readme) {
        add(`<p>The package carries no licence file; its README says:</p>${pre(p.readme)}`);
      } else if (!p.texts.length) {
        add('<p>The package carries no licence file.</p>');
        warn(`${p.name} carries no licence file`);
      }
    }
  }

  // The compiler's own parts.
  add('<h2 id="llvm">The compiler: LLVM, and the libraries programs are linked with</h2>');
  add(`<p>The compiler in <code>compiler/</code> (@yowasp/clang) is clang and lld of the LLVM project compiled to
WebAssembly. Its archive of headers and libraries holds libc++, libc++abi and compiler-rt (also LLVM) and
wasi-libc; the programs in <code>programs/</code> and the ones the playground builds are linked with them.</p>
<ul>
<li>LLVM (clang, lld, libc++, libc++abi, compiler-rt, clang's headers): Apache License 2.0 with LLVM Exceptions
(SPDX: Apache-2.0 WITH LLVM-exception). The exception lets programs built with these libraries be distributed
without the notices the licence otherwise asks for.</li>
<li>wasi-libc: Apache-2.0 WITH LLVM-exception, or Apache-2.0, or MIT, at the user's choice; parts come from
musl (MIT), cloudlibc and libpreopen (BSD-2-Clause) and dlmalloc (CC0), with their own notices.</li>
</ul>`);
  const apache = readText(APACHE_2);
  if (apache) add(details('Apache License 2.0', pre(apache)));
  else {
    add('<p>The Apache License 2.0 text is at https://www.apache.org/licenses/LICENSE-2.0.</p>');
    warn(`${APACHE_2} not found: the page links the Apache licence instead of quoting it`);
  }
  add(details('LLVM Exceptions to the Apache 2.0 License', pre(LLVM_EXCEPTION)));
  const notices = tarNotices(site);
  if (notices.tars.length) {
    add(`<p>Notices found in the archives served (${notices.tars.map((t) => escapeHtml(t)).join(', ')}):</p><ul>`);
    for (const [id, n] of [...notices.spdx.entries()].sort((a, b) => b[1] - a[1])) {
      add(`<li>SPDX-License-Identifier ${escapeHtml(id)}: ${n} files</li>`);
    }
    for (const [line, files] of notices.copyrights) {
      add(
        `<li>${escapeHtml(line)} (${files.length} file${files.length > 1 ? 's' : ''}, e.g. ${escapeHtml(files[0])})</li>`
      );
    }
    add('</ul>');
  }

  for (const [id, title, candidates, what] of [
    [
      'freetype',
      'FreeType',
      FREETYPE_COPYRIGHT,
      "FreeType renders the text of every program (it is linked into programs/ and into the library the playground links with). Debian's copyright file for it, which quotes the FreeType License (FTL) and the GPL choice:",
    ],
    ['dejavu', 'DejaVu fonts', DEJAVU_COPYRIGHT, "The fonts in fonts/. Debian's copyright file for them:"],
  ]) {
    add(`<h2 id="${id}">${escapeHtml(title)}</h2>`);
    const found = firstExisting(candidates);
    if (found) {
      add(`<p>${escapeHtml(what)}</p>`);
      add(details(found.file, pre(found.text)));
    } else {
      add(
        `<p>${escapeHtml(title)}: its copyright file was not found when the site was built (looked in ${escapeHtml(candidates.join(', '))}).</p>`
      );
      warn(`${title}: none of ${candidates.join(', ')} exists`);
    }
  }
  add('</body>\n</html>\n');
  return parts.join('\n');
}

function main() {
  const args = process.argv.slice(2);
  let site = null;
  let webDir = path.resolve(HERE, '..');
  let root = path.resolve(HERE, '../..');
  for (let i = 0; i < args.length; ++i) {
    if (args[i] === '--web' && args[i + 1]) webDir = args[++i];
    else if (args[i] === '--root' && args[i + 1]) root = args[++i];
    else if (!args[i].startsWith('-') && site === null) site = args[i];
    else {
      site = null;
      break;
    }
  }
  if (!site) {
    console.error('usage: node web/tools/licences.mjs SITE_DIR [--web WEB_DIR] [--root PROJECT_DIR]');
    process.exitCode = 2;
    return;
  }
  if (!fs.existsSync(site) || !fs.statSync(site).isDirectory()) {
    console.error(`licences: ${site} is not a folder`);
    process.exitCode = 1;
    return;
  }
  const warnings = [];
  const warn = (w) => warnings.push(w);
  const html = buildPage({site, webDir, root, warn});
  const target = path.join(site, 'licences.html');
  const tmp = path.join(site, `.licences.html.${process.pid}.tmp`);
  fs.writeFileSync(tmp, html);
  fs.renameSync(tmp, target);
  for (const w of warnings) console.error(`licences: ${w}`);
  console.log(`licences: wrote ${target} (${html.length} bytes)`);
}

if (import.meta.url === pathToFileURL(process.argv[1] || '').href) main();
