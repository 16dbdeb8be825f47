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
// They cost nothing measurable on the examples and the game.
export function compileArgs(lang) {
  const cxx = lang === 'c++';
  return [
    cxx ? 'clang++' : 'clang',
    cxx ? '-std=c++20' : '-std=c17',
    ...(cxx ? ['-fno-exceptions'] : []),
    '-O1',
    '-fsanitize=null,pointer-overflow',
    '-fsanitize-trap=null,pointer-overflow',
    '-g',
    '-Wall',
    '-fno-color-diagnostics',
    '-c',
    sourceName(lang),
    '-o',
    'main.o',
  ];
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
// it when clang says which, else on line 0, and names its file.
export function parseDiagnostics(log, mainFile) {
  const out = [];
  let includedAt = 0;
  let lastLinker = null;
  for (const line of String(log).split('\n')) {
    let m = INCLUDED.exec(line);
    if (m) {
      if (m[1] === mainFile) includedAt = Number(m[2]);
      continue;
    }
    m = LOCATED.exec(line);
    if (m) {
      const severity = m[4] === 'fatal error' ? 'error' : m[4] === 'remark' ? 'note' : m[4];
      if (m[1] === mainFile) {
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

// Makes a compiler from the package's entry points. `now` is a millisecond
// clock. compile() never throws: a failure of the compiler itself comes back
// as an error diagnostic with the text of the failure.
export function makeCompiler({runClang, runLLVM, Exit, linkFlags, now = () => performance.now()}) {
  function capture() {
    const chunks = [];
    const sink = (bytes) => {
      if (bytes) chunks.push(decoder.decode(bytes, {stream: true}));
    };
    return {sink, text: () => chunks.join('')};
  }

  async function step(run, args, files, out) {
    try {
      const tree = await run(args, files, {stdout: out.sink, stderr: out.sink, decodeASCII: false});
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
  async function driver(key, args, files, out, output = null) {
    const commands = await plan(key, args, Object.fromEntries(Object.keys(files).map((f) => [f, new Uint8Array(0)])));
    if (!commands) return step(runClang, args, files, out);
    let tree = files;
    for (const argv of output ? withOutput(commands, output) : commands) {
      const result = await step(runLLVM, argv, tree, out);
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
    const log = capture();
    let t = now();
    const compiled = await driver(lang, compileArgs(lang), {[main]: bytes}, log);
    ms.compile = now() - t;
    let wasm = null;
    if (compiled.ok && compiled.files && compiled.files['main.o']) {
      t = now();
      const linked = await driver(
        'link',
        linkArgs('program', linkFlags),
        {'main.o': compiled.files['main.o']},
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
    const diagnostics = parseDiagnostics(text, main);
    if (!wasm && !diagnostics.some((d) => d.severity === 'error')) {
      // The compiler failed without saying where: show its last words.
      const last = text.trim().split('\n').filter(Boolean).pop() || 'the compiler failed without a message';
      diagnostics.push({line: 0, column: 0, severity: 'error', message: last});
    }
    return {ok: wasm !== null, wasm, diagnostics, log: text, ms};
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

  return {prepare, compile, symbolize};
}
