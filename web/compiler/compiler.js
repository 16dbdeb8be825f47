// Compiling and linking one student program with the in-browser clang, and
// reading clang's and wasm-ld's text into diagnostics. Independent of where it
// runs: it is handed the package's runClang/runLLVM (the worker in the page,
// node in checks), the link flags of the TELKA SDK, and a clock. The driver's
// command lines (clang -###) are asked once and reused: each tool run is a
// fresh instance of clang, so a driver run per step would cost one more.

export const MAX_SOURCE_BYTES = 256 * 1024;

const encoder = new TextEncoder();
const decoder = new TextDecoder();

// The program's name as a file name in clang's file system.
function fileName(name) {
  const safe = String(name || 'program')
    .replace(/[^A-Za-z0-9_-]/g, '')
    .slice(0, 40);
  return safe || 'program';
}

export function sourceName(lang) {
  return lang === 'c++' ? 'main.cpp' : 'main.c';
}

// The flags of the compile step. C is C17, C++ C++20 without exceptions:
// the sysroot has no exception runtime, so a throw could never be caught.
// WebAssembly has no unmapped page, so a read or write through NULL would go
// on silently where a native program crashes: the null checks (pointer
// arithmetic on NULL included, as in p[i]) trap there instead, with the line.
// They cost nothing measurable on the examples and the game. Debug
// information is the line tables (with functions, inlined ones too), all a
// crash's place needs: the types' would be most of an object's bytes and a
// fifth of a C++ compile.
function languageFlags(lang) {
  const cxx = lang === 'c++';
  return [
    cxx ? 'clang++' : 'clang',
    cxx ? '-std=c++20' : '-std=c17',
    ...(cxx ? ['-fno-exceptions'] : []),
    '-O1',
    '-fsanitize=null,pointer-overflow',
    '-fsanitize-trap=null,pointer-overflow',
    '-gline-tables-only',
    '-Wall',
    '-fno-color-diagnostics',
  ];
}

// The object goes to standard output: the compiler's file system copies a
// whole file at each write, and the object writer makes thousands of small
// ones (1.6 GB copied for a 110 KB object, seconds in a browser). With
// `headers`, the program's leading includes come compiled from prefix.pch
// (see headerPrefix) and the file is read from its first line on as ever:
// each include again finds its header's guard defined.
export function compileArgs(lang, {headers = false} = {}) {
  return [
    ...languageFlags(lang),
    ...(headers ? ['-include-pch', 'prefix.pch'] : []),
    '-c',
    sourceName(lang),
    '-o',
    '-',
  ];
}

export function prefixName(lang) {
  return lang === 'c++' ? 'prefix.hpp' : 'prefix.h';
}

// Compiles a program's leading includes (prefix.h or .hpp) to standard
// output, with the flags the program is compiled with. No timestamps, so
// that the same headers give the same bytes, and for C++ the templates the
// headers themselves use are instantiated once here rather than in every
// Run. Standard output, as for objects: written to a file, 18 MB took
// minutes in a browser.
export function headerArgs(lang) {
  const cxx = lang === 'c++';
  return [
    ...languageFlags(lang),
    ...(cxx ? ['-fpch-instantiate-templates'] : []),
    '-Xclang',
    '-fno-pch-timestamp',
    '-x',
    cxx ? 'c++-header' : 'c-header',
    prefixName(lang),
    '-o',
    '-',
  ];
}

// The program's first lines, up to the first that is not blank, a comment
// or an include of a system header (or telka.h), as {text, includes}; null
// when no include leads. Compiled once, these stand in for the same lines of
// every later Run: nothing the student's own code says can reach them, so a
// #define, a line of code, a continued line (backslash or ??/) or an include
// of anything else ends them.
const LEADING_INCLUDE = /^#[ \t]*include[ \t]*(?:<[A-Za-z0-9_./+-]+>|"telka\.h")/;
export function headerPrefix(source) {
  const text = String(source ?? '');
  let end = 0;
  let includes = 0; // up to `end`
  let pending = 0; // since `end`, in lines that end inside a comment
  let inComment = false;
  let at = text.charCodeAt(0) === 0xfeff ? 1 : 0;
  while (at < text.length) {
    const newline = text.indexOf('\n', at);
    const lineEnd = newline < 0 ? text.length : newline + 1;
    const line = text.slice(at, newline < 0 ? text.length : newline).replace(/\r$/, '');
    if (/\\\s*$/.test(line) || line.includes('??')) break;
    let i = 0;
    let directive = false;
    let ok = true;
    while (i < line.length) {
      if (inComment) {
        const close = line.indexOf('*/', i);
        if (close < 0) {
          i = line.length;
          break;
        }
        inComment = false;
        i = close + 2;
      } else if (line[i] === ' ' || line[i] === '\t') {
        ++i;
      } else if (line.startsWith('//', i)) {
        i = line.length;
      } else if (line.startsWith('/*', i)) {
        inComment = true;
        i += 2;
      } else if (line[i] === '#' && !directive) {
        const m = LEADING_INCLUDE.exec(line.slice(i));
        if (!m) {
          ok = false;
          break;
        }
        directive = true;
        i += m[0].length;
      } else {
        ok = false;
        break;
      }
    }
    if (!ok) break;
    if (directive) ++pending;
    at = lineEnd;
    // The prefix never ends inside a comment.
    if (!inComment) {
      end = at;
      includes += pending;
      pending = 0;
    }
  }
  return includes > 0 ? {text: text.slice(0, end), includes} : null;
}

// The link step. The library is C++ inside, so even a C program links with
// clang++, which adds libc++ and libc++abi after -ltelka.
export function linkArgs(name, linkFlags) {
  return ['clang++', 'main.o', '-o', `${fileName(name)}.wasm`, ...linkFlags, '-ltelka'];
}

// link-flags.txt: one flag a line; blank lines and # comments are skipped.
export function parseLinkFlags(text) {
  return String(text)
    .split(/\r?\n/)
    .map((l) => l.trim())
    .filter((l) => l && !l.startsWith('#'));
}

// The tool command lines in the text of `clang -###`, each an argv without
// the empty first word the package's driver prints; null when the text is not
// a plan (an error, or a form this parser does not know).
export function parseDriverPlan(text) {
  const commands = [];
  let inCommands = false;
  for (const line of String(text).split('\n')) {
    if (!inCommands) {
      if (/^(clang|Target:|Thread model:|InstalledDir:|Build config:)/.test(line)) continue;
      inCommands = true;
    }
    if (line === ' (in-process)') continue;
    if (line === '') break;
    if (!line.startsWith(' "')) return null;
    const argv = [];
    const word = / (?:([^ "]+)|"((?:[^"\\$]|\\["\\$])*)")/gy;
    let m;
    let at = 0;
    while (at < line.length) {
      word.lastIndex = at;
      m = word.exec(line);
      if (!m) return null;
      argv.push(m[1] !== undefined ? m[1] : m[2].replace(/\\(["$\\])/g, '$1'));
      at = word.lastIndex;
    }
    if (argv[0] === '') argv.shift();
    if (argv.length === 0) return null;
    commands.push(argv);
  }
  return commands.length > 0 ? commands : null;
}

// A plan's commands with the word after every -o replaced by `output`.
export function withOutput(plan, output) {
  return plan.map((argv) => argv.map((w, i) => (i > 0 && argv[i - 1] === '-o' ? output : w)));
}

const LOCATED = /^(.*?):(\d+):(\d+): (fatal error|error|warning|note|remark): (.*)$/;
const INCLUDED = /^In file included from (.*?):(\d+):/;
const LINKER = /^wasm-ld: (error|warning): (.*)$/;
const REFERENCED = /^>>> referenced by (.*?):(\d+)/;

// Diagnostics from clang's and wasm-ld's text. A message located in another
// file (telka.h, a system header) is put on the line of main.c that included
// it when clang says which, else on line 0, and names its file. The
// compiled prefix's file is the main file's own first lines, so its places
// are the main file's.
export function parseDiagnostics(log, mainFile, prefixFile = null) {
  const out = [];
  const isMain = (file) => file === mainFile || (prefixFile !== null && file === prefixFile);
  let includedAt = 0;
  let lastLinker = null;
  for (const line of String(log).split('\n')) {
    let m = INCLUDED.exec(line);
    if (m) {
      if (isMain(m[1])) includedAt = Number(m[2]);
      continue;
    }
    m = LOCATED.exec(line);
    if (m) {
      const severity = m[4] === 'fatal error' ? 'error' : m[4] === 'remark' ? 'note' : m[4];
      if (isMain(m[1])) {
        out.push({line: Number(m[2]), column: Number(m[3]), severity, message: m[5]});
      } else {
        out.push({line: includedAt, column: 0, severity, message: `${m[1]}:${m[2]}: ${m[5]}`, file: m[1]});
      }
      includedAt = 0;
      lastLinker = null;
      continue;
    }
    m = LINKER.exec(line);
    if (m) {
      // "main.o: undefined symbol: foo" reads better without the object name.
      lastLinker = {line: 0, column: 0, severity: m[1], message: m[2].replace(/^main\.o: /, '')};
      out.push(lastLinker);
      continue;
    }
    m = REFERENCED.exec(line);
    if (m && lastLinker && lastLinker.line === 0 && m[1].replace(/^\//, '') === mainFile) {
      lastLinker.line = Number(m[2]);
    }
  }
  return out;
}

// Compiled prefixes kept in memory, the newest `limit`: the store a compiler
// has when it is given none.
export function memoryHeaderStore(limit = 2) {
  const kept = new Map();
  return {
    async get(key) {
      const bytes = kept.get(key);
      if (bytes) {
        kept.delete(key);
        kept.set(key, bytes);
      }
      return bytes || null;
    },
    async put(key, bytes) {
      kept.delete(key);
      kept.set(key, bytes);
      while (kept.size > limit) kept.delete(kept.keys().next().value);
    },
    async delete(key) {
      kept.delete(key);
    },
  };
}

async function sha256Hex(text) {
  const digest = await crypto.subtle.digest('SHA-256', encoder.encode(text));
  return [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, '0')).join('');
}

// What clang says when a compiled prefix does not fit this compiler, its
// headers or its flags: the Run is then compiled again without it.
const PREFIX_REFUSED = /precompiled header|PCH file|AST file|has been modified since/i;

// Makes a compiler from the package's entry points. `now` is a millisecond
// clock. compile() never throws: a failure of the compiler itself comes back
// as an error diagnostic with the text of the failure. `headers` keeps
// compiled prefixes (get, put and delete by key, each async; a store that
// fails is only slower), `cacheVersion` names the compiler and sysroot they
// were made by.
export function makeCompiler({
  runClang,
  runLLVM,
  Exit,
  linkFlags,
  now = () => performance.now(),
  headers = memoryHeaderStore(),
  cacheVersion = '',
}) {
  function capture() {
    const chunks = [];
    const sink = (bytes) => {
      if (bytes) chunks.push(decoder.decode(bytes, {stream: true}));
    };
    return {sink, text: () => chunks.join('')};
  }

  // Bytes written to standard output, kept whole.
  function collect() {
    const chunks = [];
    let length = 0;
    const sink = (bytes) => {
      if (!bytes) return;
      chunks.push(bytes.slice());
      length += bytes.length;
    };
    const bytes = () => {
      const all = new Uint8Array(length);
      let at = 0;
      for (const c of chunks) {
        all.set(c, at);
        at += c.length;
      }
      return all;
    };
    return {sink, bytes};
  }

  async function step(run, args, files, out, stdout = out.sink) {
    try {
      const tree = await run(args, files, {stdout, stderr: out.sink, decodeASCII: false});
      return {ok: true, files: tree};
    } catch (e) {
      if (Exit && e instanceof Exit) return {ok: false, files: e.files};
      out.sink(encoder.encode(`\n${args[0]} failed: ${e && e.message ? e.message : e}\n`));
      return {ok: false, files: null, crashed: true};
    }
  }

  // Driver plans by step ('c', 'c++', 'link'), each asked on first use; null
  // when the driver's answer could not be read: that step then goes through
  // runClang, which asks the driver every time.
  const plans = new Map();
  async function plan(key, args, files) {
    if (!plans.has(key)) {
      plans.set(
        key,
        (async () => {
          const out = capture();
          try {
            await runLLVM([args[0], '-###', ...args.slice(1)], files, {
              stdout: out.sink,
              stderr: out.sink,
              decodeASCII: false,
            });
          } catch {
            return null;
          }
          return parseDriverPlan(out.text());
        })()
      );
    }
    return plans.get(key);
  }

  // One step (compile or link) as the driver would run it: its plan's
  // commands, each on the files the previous one left.
  async function driver(key, args, files, out, output = null, stdout = out.sink) {
    const commands = await plan(key, args, Object.fromEntries(Object.keys(files).map((f) => [f, new Uint8Array(0)])));
    if (!commands) return step(runClang, args, files, out, stdout);
    let tree = files;
    for (const argv of output ? withOutput(commands, output) : commands) {
      const result = await step(runLLVM, argv, tree, out, stdout);
      if (!result.ok) {
        if (result.files) delete result.files.tmp;
        return result;
      }
      tree = result.files;
    }
    delete tree.tmp;
    return {ok: true, files: tree};
  }

  // Asks the driver for the plans of the link and of a compile in each of
  // `langs`, so that a Run does not; says which could be read.
  async function prepare(langs = ['c']) {
    const known = {};
    for (const lang of langs)
      known[lang] = (await plan(lang, compileArgs(lang), {[sourceName(lang)]: new Uint8Array(0)})) !== null;
    known.link = (await plan('link', linkArgs('program', linkFlags), {'main.o': new Uint8Array(0)})) !== null;
    return known;
  }

  async function compile({source, lang = 'c', name = 'program'}) {
    lang = lang === 'c++' ? 'c++' : 'c';
    const main = sourceName(lang);
    const bytes = encoder.encode(String(source ?? ''));
    const ms = {compile: 0, link: 0};
    if (bytes.length > MAX_SOURCE_BYTES) {
      const message = `the source is ${bytes.length} bytes; the playground takes at most ${MAX_SOURCE_BYTES}`;
      return {ok: false, wasm: null, diagnostics: [{line: 0, column: 0, severity: 'error', message}], log: message, ms};
    }
    let log = capture();
    let object = collect();
    let t = now();
    const prefix = await cachedPrefix(source, lang);
    let compiled = null;
    let cache = prefix ? (prefix.pch ? 'hit' : 'miss') : 'none';
    if (prefix && prefix.pch) {
      const files = {[main]: bytes, [prefixName(lang)]: encoder.encode(prefix.text), 'prefix.pch': prefix.pch};
      compiled = await driver(`${lang} headers`, compileArgs(lang, {headers: true}), files, log, null, object.sink);
      if (!compiled.ok && PREFIX_REFUSED.test(log.text())) {
        await forget(prefix.key);
        cache = 'refused';
        log = capture();
        object = collect();
        compiled = null;
      }
    }
    if (!compiled) compiled = await driver(lang, compileArgs(lang), {[main]: bytes}, log, null, object.sink);
    ms.compile = now() - t;
    let wasm = null;
    const mainObject = compiled.ok ? object.bytes() : null;
    if (mainObject && mainObject.length > 0) {
      t = now();
      const linked = await driver(
        'link',
        linkArgs('program', linkFlags),
        {'main.o': mainObject},
        log,
        `${fileName(name)}.wasm`
      );
      ms.link = now() - t;
      const out = linked.ok && linked.files ? linked.files[`${fileName(name)}.wasm`] : null;
      // Its own buffer, so that the worker can hand it over without a copy.
      if (out instanceof Uint8Array)
        wasm = out.byteOffset === 0 && out.byteLength === out.buffer.byteLength ? out : out.slice();
    }
    const text = log.text();
    const diagnostics = parseDiagnostics(text, main, prefixName(lang));
    if (!wasm && !diagnostics.some((d) => d.severity === 'error')) {
      // The compiler failed without saying where: show its last words.
      const last = text.trim().split('\n').filter(Boolean).pop() || 'the compiler failed without a message';
      diagnostics.push({line: 0, column: 0, severity: 'error', message: last});
    }
    return {ok: wasm !== null, wasm, diagnostics, log: text, ms, headers: cache};
  }

  const refused = new Set(); // keys whose prefix did not compile: not tried again

  async function prefixKey(lang, text) {
    return sha256Hex([cacheVersion, lang, ...headerArgs(lang), text].join('\0'));
  }

  // The source's prefix with its key, and its compiled form when one is kept.
  async function cachedPrefix(source, lang) {
    const prefix = headerPrefix(source);
    if (!prefix) return null;
    const key = await prefixKey(lang, prefix.text);
    let pch = null;
    if (!refused.has(key)) {
      try {
        pch = await headers.get(key);
      } catch {
        pch = null;
      }
    }
    return {...prefix, key, pch: pch instanceof Uint8Array && pch.length > 0 ? pch : null};
  }

  async function forget(key) {
    refused.add(key);
    try {
      await headers.delete(key);
    } catch {
      // a store that cannot delete is never asked for this key again
    }
  }

  // Compiles the source's leading includes once and keeps them for every
  // later compile that begins with the same lines. Says what it did:
  // {prefix: false} (nothing to keep), {kept: true, built: false} (kept
  // already), {kept, built: true, ms, bytes}.
  async function cacheHeaders({source, lang = 'c'}) {
    lang = lang === 'c++' ? 'c++' : 'c';
    if (encoder.encode(String(source ?? '')).length > MAX_SOURCE_BYTES) return {prefix: false};
    const prefix = await cachedPrefix(source, lang);
    if (!prefix) return {prefix: false};
    if (prefix.pch) return {prefix: true, kept: true, built: false};
    if (refused.has(prefix.key)) return {prefix: true, kept: false, built: false};
    const t = now();
    const out = capture();
    const written = collect();
    const files = {[prefixName(lang)]: encoder.encode(prefix.text)};
    const result = await driver(`${lang} prefix`, headerArgs(lang), files, out, null, written.sink);
    const pch = result.ok ? written.bytes() : null;
    const ms = now() - t;
    if (!(pch instanceof Uint8Array) || pch.length === 0) {
      // A missing header, say: the Run itself tells the student.
      refused.add(prefix.key);
      return {prefix: true, kept: false, built: true, ms};
    }
    let kept = true;
    try {
      await headers.put(prefix.key, pch);
    } catch {
      kept = false;
    }
    return {prefix: true, kept, built: true, ms, bytes: pch.length};
  }

  // Source places of code-section offsets, through llvm-symbolizer and the
  // program's DWARF; an offset it cannot place gives nulls.
  async function symbolize({wasm, offsets}) {
    const input = Array.isArray(offsets) ? offsets.slice(0, 64) : [];
    const blank = () => input.map(() => ({function: null, file: null, line: null}));
    const list = input.filter((o) => Number.isInteger(o) && o >= 0);
    if (!(wasm instanceof Uint8Array) || list.length === 0) return blank();
    const out = capture();
    const args = [
      'symbolizer',
      '--obj=program.wasm',
      '--output-style=JSON',
      '--functions=linkage',
      ...list.map((o) => '0x' + o.toString(16)),
    ];
    const result = await step(runLLVM, args, {'program.wasm': wasm}, out);
    if (!result.ok) return blank();
    // One JSON array, an entry per address; an entry's first symbol is the
    // innermost inlined function, the one the student wrote the line in.
    const places = [];
    let entries = [];
    try {
      const text = out.text();
      entries = JSON.parse(text.slice(text.indexOf('['), text.lastIndexOf(']') + 1));
    } catch {
      entries = [];
    }
    // A checked trap's debug information names its reason as an inlined
    // frame of its own ("__clang_trap_msg$Undefined Behavior
    // Sanitizer$..."), above the student's line.
    const TRAP_FRAME = /^__clang_trap_msg\$/;
    for (const entry of Array.isArray(entries) ? entries : []) {
      const symbols = entry && Array.isArray(entry.Symbol) ? entry.Symbol : [];
      const reasons = symbols.filter((sym) => sym && TRAP_FRAME.test(sym.FunctionName || ''));
      const first = symbols.find((sym) => sym && !TRAP_FRAME.test(sym.FunctionName || '')) || null;
      places.push({
        function: first && first.FunctionName && first.FunctionName !== '??' ? first.FunctionName : null,
        file: first && first.FileName ? first.FileName.replace(/^\//, '') : null,
        line: first && first.Line > 0 ? first.Line : null,
        checked: reasons.length > 0 ? reasons[0].FunctionName.split('$').slice(1).join(': ') : null,
      });
    }
    // Back in the order asked, a blank where an offset was not a number.
    let next = 0;
    return input.map((o) =>
      Number.isInteger(o) && o >= 0 && places[next] ? places[next++] : {function: null, file: null, line: null}
    );
  }

  return {prepare, compile, cacheHeaders, symbolize};
}
