// The playground's parts that need no browser: share links (round trip,
// bounds, damaged input), the reading of clang's and wasm-ld's messages, the
// run's trace and frame store, the picture told in words and the batching of
// announcements for a screen reader.
// Node's CompressionStream stands in for the browser's.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import {test} from 'node:test';

import {
  compileArgs,
  linkArgs,
  headerArgs,
  headerPrefix,
  makeCompiler,
  parseDiagnostics,
  parseDriverPlan,
  parseLinkFlags,
  withOutput,
} from '../../web/compiler/compiler.js';
import {describeCalls, describePicture} from '../../web/playground/describe.js';
import {readFragment, shareFragment, toBase64Url} from '../../web/playground/share.js';
import {Announcer} from '../../web/playground/text-lines.js';
import {eventText} from '../../web/playground/timeline.js';
import {FrameStore, pack, unpack} from '../../web/runtime/frame-store.js';
import {Trace} from '../../web/runtime/trace.js';

async function deflate(bytes) {
  const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

test('a share link carries the source and the language there and back', async () => {
  const source = '#include <telka.h>\n/* é ✓ <b>x</b> */\nint main(void) { return 0; }\n';
  const c = await shareFragment(source, 'c');
  assert.match(c, /^#code=[A-Za-z0-9_-]+$/);
  assert.deepEqual(await readFragment(c), {ok: true, source, lang: 'c'});
  const cpp = await shareFragment(source, 'c++');
  assert.match(cpp, /&lang=cpp$/);
  assert.deepEqual(await readFragment(cpp), {ok: true, source, lang: 'c++'});
  assert.equal(await readFragment('#other=1'), null);
  assert.equal(await readFragment(''), null);
});

test("the teachers' link maker in docs/playground.md makes links the page reads", async () => {
  const doc = fs.readFileSync(new URL('../../docs/playground.md', import.meta.url), 'utf8');
  const maker = /```python\n([\s\S]*?)\nfor exercise/.exec(doc)[1];
  const source = '#include <telka.h>\n/* é ✓ */\nint main(void) { return 0; }\n';
  const link = execFileSync('python3', ['-c', `${maker}\nimport sys\nprint(playground_link("S/", sys.stdin.read()))`], {
    input: source,
  })
    .toString()
    .trim();
  assert.match(link, /^S\/playground\.html#code=/);
  assert.deepEqual(await readFragment(link.slice(link.indexOf('#'))), {ok: true, source, lang: 'c'});
});

test('damaged, oversized and non-text links are refused in words', async () => {
  const refused = async (hash, pattern) => {
    const r = await readFragment(hash);
    assert.equal(r.ok, false, hash.slice(0, 30));
    assert.match(r.message, pattern);
  };
  await refused('#code=', /could not be read/);
  await refused('#code=abc$def', /could not be read/);
  await refused('#code=A', /could not be read/);
  await refused('#code=' + 'A'.repeat(600 * 1024), /too large to be a program/);
  const good = (await shareFragment('int main(void) { return 0; }\n', 'c')).slice(6);
  await refused('#code=' + good.slice(0, good.length - 6), /could not be unpacked/);
  await refused('#code=' + toBase64Url(await deflate(new Uint8Array([0x66, 0xff, 0xfe]))), /not valid UTF-8/);
  // 64 MiB of zeros deflate to about 64 KiB: refused once 256 KiB came out.
  const bomb = '#code=' + toBase64Url(await deflate(new Uint8Array(64 << 20)));
  assert.ok(bomb.length < 128 * 1024);
  const start = performance.now();
  await refused(bomb, /unpacks to more than 256 KiB/);
  assert.ok(performance.now() - start < 5000, 'the inflater stopped early');
});

test('clang and wasm-ld messages become located diagnostics', () => {
  const log = [
    'In file included from main.c:2:',
    "telka.h:150:5: error: conflicting types for 'TELKA_main'",
    "main.c:4:9: warning: unused variable 'x' [-Wunused-variable]",
    '    4 |     int x;',
    '      |         ^',
    "main.c:7:1: fatal error: expected '}'",
    'wasm-ld: error: main.o: undefined symbol: draw_grid',
    '>>> referenced by main.c:12',
    'clang++: error: linker command failed with exit code 1 (use -v to see invocation)',
  ].join('\n');
  assert.deepEqual(parseDiagnostics(log, 'main.c'), [
    {
      line: 2,
      column: 0,
      severity: 'error',
      message: "telka.h:150: conflicting types for 'TELKA_main'",
      file: 'telka.h',
    },
    {line: 4, column: 9, severity: 'warning', message: "unused variable 'x' [-Wunused-variable]"},
    {line: 7, column: 1, severity: 'error', message: "expected '}'"},
    {line: 12, column: 0, severity: 'error', message: 'undefined symbol: draw_grid'},
  ]);
});

// The compiled-headers cache stands for a program's first lines only when
// nothing but includes of system headers (and comments) is in them.
test("a program's leading includes are what its compiled headers hold, and nothing the student defines", () => {
  const prefix = (text) => headerPrefix(text) && headerPrefix(text).text;
  assert.equal(
    prefix('#include <stdio.h>\n#include "telka.h"\n\nint main(void) {}\n'),
    '#include <stdio.h>\n#include "telka.h"\n\n'
  );
  // Comments anywhere, even across lines, and a directive after one.
  assert.equal(
    prefix('// a\n/* b\n c */ # include<vector> // d\nusing namespace std;\n'),
    '// a\n/* b\n c */ # include<vector> // d\n'
  );
  // What ends it: a #define (it could change any header after it), an own
  // header, code, a continued line, a comment still open at the last include.
  assert.equal(prefix('#include <cmath>\n#define _USE_MATH_DEFINES\n#include <cmath>\n'), '#include <cmath>\n');
  assert.equal(prefix('#define NDEBUG\n#include <cassert>\n'), null);
  assert.equal(prefix('#include "mine.h"\n'), null);
  assert.equal(prefix('#include <string> \\\n#include <map>\n'), null);
  assert.equal(prefix('#include <string> // ??/\n#include <map>\n'), null);
  assert.equal(prefix('#include <string> /* open\n'), null);
  assert.equal(prefix('int x;\n#include <string>\n'), null);
  assert.equal(headerPrefix('\ufeff#include <iostream>\r\n#include <map>\r\nint').includes, 2);
  // Built with the program's own flags, as a header of its language.
  const [cc, ...flags] = compileArgs('c++').slice(0, -4);
  assert.deepEqual(headerArgs('c++').slice(0, flags.length + 1), [cc, ...flags]);
  assert.ok(headerArgs('c').includes('c-header') && headerArgs('c++').includes('c++-header'));
  // A message placed in the compiled prefix's file is on the program's line.
  const log =
    'In file included from prefix.hpp:2:\n/usr/include/c++/v1/map:9:1: error: oops\nprefix.hpp:3:10: warning: w\n';
  assert.deepEqual(
    parseDiagnostics(log, 'main.cpp', 'prefix.hpp').map((d) => d.line),
    [2, 3]
  );
});

test('the compile and link commands', () => {
  assert.deepEqual(compileArgs('c').slice(0, 2), ['clang', '-std=c17']);
  assert.ok(compileArgs('c++').includes('-fno-exceptions') && compileArgs('c++').includes('-std=c++20'));
  assert.ok(compileArgs('c').includes('main.c') && compileArgs('c++').includes('main.cpp'));
  const flags = parseLinkFlags('# comment\n-Wl,-u,__main_argc_argv\n\n  -lsetjmp  \n');
  assert.deepEqual(flags, ['-Wl,-u,__main_argc_argv', '-lsetjmp']);
  assert.deepEqual(linkArgs('my prog!', flags), ['clang++', 'main.o', '-o', 'myprog.wasm', ...flags, '-ltelka']);
});

test("the driver's command lines are read from clang -### and reused with another output", () => {
  const text =
    'clang version 22.1.0 (https://example.invalid/llvm-project 9560ae0)\n' +
    'Target: wasm32-unknown-wasip1\nThread model: posix\nInstalledDir: \nBuild config: +assertions\n' +
    ' (in-process)\n' +
    ' "" "clang" "-cc1" "-triple" "wasm32-unknown-wasip1" "-O1" "-main-file-name" "main.c" ' +
    '"-D" "MSG=\\"a b\\"" "-o" "main.o" "-x" "c" "main.c"\n' +
    ' "wasm-ld" "-L/usr/lib/wasm32-wasip1" "/usr/lib/wasm32-wasip1/crt1-command.o" "main.o" "-ltelka" ' +
    '"-o" "program.wasm"\n\n';
  const plan = parseDriverPlan(text);
  assert.deepEqual(plan, [
    [
      'clang',
      '-cc1',
      '-triple',
      'wasm32-unknown-wasip1',
      '-O1',
      '-main-file-name',
      'main.c',
      '-D',
      'MSG="a b"',
      '-o',
      'main.o',
      '-x',
      'c',
      'main.c',
    ],
    [
      'wasm-ld',
      '-L/usr/lib/wasm32-wasip1',
      '/usr/lib/wasm32-wasip1/crt1-command.o',
      'main.o',
      '-ltelka',
      '-o',
      'program.wasm',
    ],
  ]);
  const linked = withOutput([plan[1]], 'main.wasm');
  assert.deepEqual(linked[0].slice(-2), ['-o', 'main.wasm']);
  assert.equal(plan[1].at(-1), 'program.wasm', 'the plan itself is kept as it was');
  // The driver's errors are not a plan: the step then goes through the driver.
  assert.equal(parseDriverPlan("clang: error: no such file or directory: 'main.c'\n"), null);
  assert.equal(parseDriverPlan('clang version 22\nTarget: wasm32-unknown-wasip1\n'), null);
  assert.equal(parseDriverPlan(' "clang" "-cc1" "unterminated\n\n'), null);
  assert.equal(parseDriverPlan(''), null);
});

// The compiler package in node, with its own sysroot (no TELKA SDK there,
// so a link ends at -ltelka): the reused command lines must do what the
// driver itself does.
test('the reused command lines compile as the driver does, and errors still come back located', async (t) => {
  const bundle = new URL('../../web/node_modules/@yowasp/clang/gen/bundle.js', import.meta.url);
  if (!fs.existsSync(bundle)) return t.skip('the compiler package is not installed (cd web && npm ci)');
  const {Exit, runClang, runLLVM} = await import(bundle.href);
  const source =
    '#include <stdio.h>\nstatic int twice(int x) { return 2 * x; }\n' +
    'int main(void) { printf("%d\\n", twice(21)); return 0; }\n';
  let said = '';
  const quiet = {stdout: () => {}, stderr: () => {}, decodeASCII: false};
  const listen = (b) => {
    if (b) said += Buffer.from(b).toString();
  };
  const hear = {...quiet, stdout: listen, stderr: listen};
  await runLLVM(null, {}, {fetchProgress: () => {}});
  const [cc, ...args] = compileArgs('c');
  await runLLVM([cc, '-###', ...args], {'main.c': ''}, hear);
  const plan = parseDriverPlan(said);
  assert.ok(plan && plan.length === 1 && plan[0].includes('-cc1'), said);
  // The object comes on standard output.
  const object = async (run, argv) => {
    const chunks = [];
    await run(argv, {'main.c': source}, {...quiet, stdout: (b) => b && chunks.push(Buffer.from(b))});
    return Buffer.concat(chunks);
  };
  const viaPlan = await object(runLLVM, plan[0]);
  const viaDriver = await object(runClang, compileArgs('c'));
  assert.ok(viaPlan.length > 0);
  assert.equal(Buffer.compare(viaPlan, viaDriver), 0, 'the same object file, byte for byte');

  const compiler = makeCompiler({runClang, runLLVM, Exit, linkFlags: ['-lc++', '-lc++abi']});
  assert.deepEqual(await compiler.prepare(['c', 'c++']), {c: true, 'c++': true, link: true});
  const linked = await compiler.compile({source, lang: 'c'});
  assert.equal(linked.ok, false);
  assert.deepEqual(
    linked.diagnostics.map((d) => d.message),
    ['unable to find library -ltelka'],
    linked.log
  );
  const bad = await compiler.compile({source: 'int main(void) { return nope; }\n', lang: 'c'});
  assert.deepEqual(
    bad.diagnostics.map((d) => [d.line, d.severity]),
    [[1, 'error']],
    bad.log
  );
  const cxx = await compiler.compile({source: 'int main() { auto x = ; }\n', lang: 'c++'});
  assert.deepEqual(
    cxx.diagnostics.map((d) => [d.line, d.severity]),
    [[1, 'error']],
    cxx.log
  );
});

// The wasm sections of an object file but its debug information, by name.
function codeSections(bytes) {
  const out = {};
  let at = 8;
  const leb = () => {
    let value = 0;
    for (let shift = 0; ; shift += 7) {
      const b = bytes[at++];
      value += (b & 0x7f) * 2 ** shift;
      if (!(b & 0x80)) return value;
    }
  };
  while (at < bytes.length) {
    const id = bytes[at++];
    const size = leb();
    const start = at;
    let name = `#${id}`;
    if (id === 0) name = Buffer.from(bytes.subarray(at + 1, at + 1 + bytes[at])).toString();
    if (!/debug/.test(name)) out[name] = Buffer.from(bytes.subarray(start, start + size)).toString('hex');
    at = start + size;
  }
  return out;
}

test('a program compiled with its headers kept compiled is the same code as one that parses them', async (t) => {
  const bundle = new URL('../../web/node_modules/@yowasp/clang/gen/bundle.js', import.meta.url);
  if (!fs.existsSync(bundle)) return t.skip('the compiler package is not installed (cd web && npm ci)');
  const {Exit, runClang, runLLVM} = await import(bundle.href);
  await runLLVM(null, {}, {fetchProgress: () => {}});
  const objects = [];
  const keep = async (argv, files, options) => {
    if (!argv.includes('-emit-obj')) return runLLVM(argv, files, options);
    const chunks = [];
    const tree = await runLLVM(argv, files, {
      ...options,
      stdout: (b) => {
        if (b) chunks.push(Buffer.from(b));
        options.stdout(b);
      },
    });
    objects.push(new Uint8Array(Buffer.concat(chunks)));
    return tree;
  };
  const compiler = makeCompiler({runClang, runLLVM: keep, Exit, linkFlags: []});
  const headers = ['iostream', 'string', 'vector', 'map', 'algorithm', 'cmath', 'cstdio', 'cstdlib'];
  // Each header used; and <cassert> again after NDEBUG, which the
  // compiled prefix must not have settled.
  const source =
    headers.map((h) => `#include <${h}>\n`).join('') +
    '#include <cassert>\n#define NDEBUG\n#include <cassert>\n' +
    'int main()\n{\n    std::vector<std::string> w{"b", "a"};\n    std::map<std::string, int> n;\n' +
    '    std::sort(w.begin(), w.end());\n    for (auto &s : w) n[s] = std::abs(-3) + int(std::sqrt(16.0));\n' +
    '    std::printf("%d\\n", n["a"]);\n    std::cout << w[0] << std::endl;\n    assert(w.size() == 5);\n}\n';
  const plain = await compiler.compile({source, lang: 'c++'});
  assert.equal(plain.headers, 'miss');
  const kept = await compiler.cacheHeaders({source, lang: 'c++'});
  assert.ok(kept.kept && kept.bytes > 0, JSON.stringify(kept));
  const cached = await compiler.compile({source, lang: 'c++'});
  assert.equal(cached.headers, 'hit');
  assert.equal(objects.length, 2, 'one object from each compile');
  assert.deepEqual(codeSections(objects[1]), codeSections(objects[0]));
  // Both end at the link, which has no TELKA here, and say the same.
  assert.deepEqual(cached.diagnostics, plain.diagnostics);
});

// The page's side of the compile worker with a stand-in Worker: a worker
// started early by compiler-start.js is taken over with what it said before.
test('the page takes over the early compile worker and its messages in order', async () => {
  const posted = [];
  class FakeWorker {
    constructor(url) {
      this.url = String(url);
      FakeWorker.made.push(this);
    }
    postMessage(message) {
      posted.push(message);
    }
  }
  FakeWorker.made = [];
  const saved = {window: globalThis.window, Worker: globalThis.Worker};
  try {
    globalThis.Worker = FakeWorker;
    const {startCompiler} = await import('../../web/playground/compiler-client.js');
    const seen = [];
    const handlers = {
      onProgress: (m) => seen.push(`progress ${m.loaded}`),
      onReady: () => seen.push('ready'),
      onWarm: () => seen.push('warm'),
      onFailed: (m) => seen.push(`failed ${m}`),
    };
    const early = new FakeWorker('early');
    globalThis.window = {
      telkaCompilerStart: {
        worker: early,
        error: null,
        events: [{data: {type: 'progress', loaded: 5}}, {data: {type: 'ready', ms: {}}}],
      },
    };
    const client = startCompiler({url: 'unused', ...handlers});
    assert.deepEqual(seen, ['progress 5', 'ready']);
    assert.equal(FakeWorker.made.length, 1, 'no second worker');
    early.onmessage({data: {type: 'warm', ms: {}}});
    const reply = client.compile({source: 'int main(void) { return 0; }', lang: 'c', name: 'x'});
    assert.equal(posted.at(-1).type, 'compile');
    early.onmessage({data: {id: posted.at(-1).id, type: 'compiled', ok: true}});
    assert.equal((await reply).ok, true);
    assert.deepEqual(seen, ['progress 5', 'ready', 'warm']);

    // An early worker that failed to load: its error, kept, fails the compiler.
    seen.length = 0;
    const broken = new FakeWorker('broken');
    globalThis.window = {
      telkaCompilerStart: {
        worker: broken,
        error: null,
        events: [{type: 'error', message: 'no such script', preventDefault() {}}],
      },
    };
    const failedClient = startCompiler({url: 'unused', ...handlers});
    assert.deepEqual(seen, ['failed the compiler stopped: no such script']);
    await assert.rejects(failedClient.compile({source: '', lang: 'c'}), /no such script/);

    // No early start (main.js first): the page starts its own and says so.
    globalThis.window = {};
    startCompiler({url: 'own', ...handlers});
    assert.equal(FakeWorker.made.at(-1).url, 'own');
    assert.deepEqual(globalThis.window.telkaCompilerStart, {taken: true});
  } finally {
    globalThis.window = saved.window;
    globalThis.Worker = saved.Worker;
  }
});

test('the trace makes one record per graphics frame, each call with its site and the event before it', () => {
  let ns = 0;
  const trace = new Trace(() => (ns += 50e6));
  trace.titled(1, 'TELKA Graphics');
  trace.titled(2, 'TELKA Text');
  trace.take('TELKA site: 12 main.c\n');
  trace.take('TELKA call: Clearing the graphics window\n');
  trace.take('TELKA text: not a call\n');
  trace.take('TELKA call: red pixel at (1,2)\n'); // through a function pointer: no site
  assert.equal(trace.present(2), null, 'the text window makes no frame');
  assert.deepEqual(trace.present(1), {
    number: 1,
    ns: 50e6,
    event: {kind: 0, x: 0, y: 0, key: 0, periodic: 0, n: 0},
    calls: [
      {text: 'Clearing the graphics window', line: 12, file: 'main.c'},
      {text: 'red pixel at (1,2)', line: 0, file: ''},
    ],
  });
  trace.take('TELKA event: 3 0 0 0\n');
  trace.take('TELKA site: 7 dir name/main.cpp\n');
  trace.take('TELKA event: 1 -10 20 0\n'); // a site no call follows belongs to nothing
  trace.take('TELKA call: Flushing the graphics window\n');
  const second = trace.present(1);
  assert.deepEqual(second.event, {kind: 1, x: -10, y: 20, key: 0, periodic: 1, n: 2});
  assert.deepEqual(second.calls, [{text: 'Flushing the graphics window', line: 0, file: ''}]);
  trace.take('TELKA site: 7 dir name/main.cpp\nTELKA call: x\n');
  assert.deepEqual(trace.present(1).calls, [{text: 'x', line: 7, file: 'dir name/main.cpp'}]);
  assert.equal(trace.present(1).calls.length, 0, 'a frame without calls');
  assert.equal(eventText({kind: 3, periodic: 37}), 'the 37th periodic event');
  assert.equal(eventText({kind: 3, periodic: 112}), 'the 112th periodic event');
  assert.equal(eventText({kind: 2, key: 97}), "the key 'a'");
  assert.equal(eventText({kind: 1, x: 10, y: 20}), 'a click at (10, 20)');
});

test('the frame store gives back every frame as it was shown, within its budget', () => {
  const [W, H] = [40, 30];
  const store = new FrameStore({keyEvery: 16, keyAreas: 2, budget: 1 << 30});
  let seed = 7;
  const random = (n) => ((seed = (Math.imul(seed, 1103515245) + 12345) >>> 0) >>> 8) % n;
  const screen = new Uint32Array(W * H).fill(0xff000000);
  const shown = [];
  for (let number = 1; number <= 200; ++number) {
    const parts = [];
    for (let k = random(3); k > 0; --k) {
      const x = random(W),
        y = random(H);
      const w = 1 + random(W - x),
        h = 1 + random(H - y);
      const rgba = new Uint32Array(w * h);
      // Flat areas and noise, so that both packed and raw pixels are kept.
      const flat = random(2) === 0;
      for (let i = 0; i < rgba.length; ++i) rgba[i] = 0xff000000 | (flat ? number : random(1 << 24));
      for (let r = 0; r < h; ++r) screen.set(rgba.subarray(r * w, r * w + w), (y + r) * W + x);
      parts.push({x, y, w, h, rgba: rgba.buffer});
    }
    shown.push(screen.slice());
    const event = {kind: 1, x: 0, y: 0, key: 0, periodic: 0, n: Math.floor(number / 10)};
    store.add(
      {number, ns: number, event, calls: [{text: `red pixel at (${number},-3), 007`, line: number, file: 'main.c'}]},
      {width: W, height: H, parts}
    );
  }
  for (const number of [200, 1, 57, 58, 59, 16, 17, 120, 3]) {
    assert.deepEqual(store.image(number).pixels, shown[number - 1], `frame ${number}`);
  }
  assert.deepEqual(store.live, shown[199]);
  assert.deepEqual(store.record(42).calls, [{text: 'red pixel at (42,-3), 007', line: 42, file: 'main.c'}]);
  assert.equal(store.templates.length, 1, 'one template for the calls that differ only in numbers');
  assert.equal(store.eventStep(45, +1), 50);
  assert.equal(store.eventStep(45, -1), 30);
  assert.equal(store.eventStep(40, -1), 30);
  assert.equal(store.eventStep(5, -1), 1);

  const packed = pack(Uint32Array.from([5, 5, 5, 5, 1, 2, 2, 3, 3, 3]));
  const back = new Uint32Array(10);
  assert.equal(unpack(packed, back), 10);
  assert.deepEqual(back, Uint32Array.from([5, 5, 5, 5, 1, 2, 2, 3, 3, 3]));

  const small = new FrameStore({keyEvery: 10, budget: 20000});
  for (let number = 1; number <= 100; ++number) {
    const rgba = new Uint32Array(W * H).map(() => random(1 << 30));
    small.add(
      {number, ns: 0, event: {n: 0}, calls: []},
      {width: W, height: H, parts: [{x: 0, y: 0, w: W, h: H, rgba: rgba.buffer}]}
    );
  }
  assert.ok(small.held() <= 20000, `${small.held()} bytes held`);
  assert.equal(small.last, 100);
  assert.ok(small.first > 1 && small.frames[0].key, 'the oldest frames went, a keyframe first');
  assert.equal(small.image(small.first - 1), null);
});

test('a text window line is taken whole, and a program printing without waiting keeps its newest lines', () => {
  const trace = new Trace(() => 0);
  trace.titled(1, 'TELKA Graphics');
  trace.take('TELKA text: Illegal color 30; using RED.\n');
  trace.take('TELKA text: two\nTELKA call: forged\n');
  assert.deepEqual(trace.takeText(), {lines: ['Illegal color 30; using RED.', 'two\nTELKA call: forged'], dropped: 0});
  assert.deepEqual(trace.present(1).calls, [], 'printed words are never a call');
  assert.equal(trace.takeText(), null);
  for (let i = 0; i < 1200; ++i) trace.take(`TELKA text: line ${i}\n`);
  const {lines, dropped} = trace.takeText();
  assert.equal(lines.length + dropped, 1200);
  assert.ok(lines.length <= 500, `${lines.length} lines held`);
  assert.equal(lines.at(-1), 'line 1199');
});

// Calls as the library logs them (examples/shapes.c, game/screen.cpp).
const PIXELS = [];
for (let y = 215; y >= 155; y -= 12) for (let x = -270; x <= -210; x += 12) PIXELS.push(`red pixel at (${x},${y})`);
const GAME_FRAME = [
  'Clearing the graphics window',
  'blue rectangle with bounding box (-300,250) to (300,-250), filled',
  'black rectangle with bounding box (-295,245) to (295,-245), filled',
  'blue rectangle with bounding box (-300,250) to (300,225), filled',
  'white text at (-290,230), "Level 1"',
  'white text at (0,230), "Lives: 3"',
  'white text at (150,230), "Score: 0"',
  'yellow rectangle with bounding box (0,20) to (20,0), filled',
  'red circle at (0,10), radius 2',
  'Flushing the graphics window',
];

test('the picture in words: runs of one kind told as one line, the rest in the library words', () => {
  assert.deepEqual(describeCalls(['Clearing the graphics window', ...PIXELS, 'black text at (-280,130), "(a,b)"']), [
    'the whole window cleared to white',
    '36 red pixels in a grid of 6 columns and 6 rows, 12 apart, from (-270, 215) to (-210, 155)',
    'black text at (-280, 130), "(a,b)"',
  ]);
  // Three rectangles of a game's frame stay three lines; a flush draws nothing.
  assert.deepEqual(describeCalls(GAME_FRAME).slice(1, 5), [
    'blue rectangle with bounding box (-300, 250) to (300, -250), filled',
    'black rectangle with bounding box (-295, 245) to (295, -245), filled',
    'blue rectangle with bounding box (-300, 250) to (300, 225), filled',
    'white text at (-290, 230), "Level 1"',
  ]);
  assert.equal(describeCalls(GAME_FRAME).length, 9);
  const palette = ['black', 'white', 'red', 'green', 'blue', 'yellow', 'magenta', 'cyan', 'purple', 'navy blue'];
  const swatches = palette.map(
    (c, i) => `${c} rectangle with bounding box (${-290 + 24 * i},240) to (${-270 + 24 * i},220), filled`
  );
  assert.deepEqual(describeCalls(swatches), [
    '10 filled rectangles in a row from (-290, 240) to (-74, 240), 24 apart, each 20 by 20, in 10 colours: ' +
      'black, white, red, green, blue, yellow, magenta, cyan and 2 more',
  ]);
  const path = [
    [0, 0],
    [10, 5],
    [30, -20],
    [-4, 7],
    [0, 0],
  ];
  const lines = path.slice(1).map(([x, y], i) => `blue line from (${path[i]}) to (${x},${y}), width 2`);
  assert.deepEqual(describeCalls(lines), ['4 blue lines, joined end to end, from (0, 0) to (0, 0), width 2']);
  assert.deepEqual(describeCalls(['green circle at (5,5), radius 3', 'a call of no known form']), [
    'green circle at (5, 5), radius 3',
    'a call of no known form',
  ]);
});

test('the picture is what was drawn since the last clear, over as many frames as that takes', () => {
  const store = new FrameStore();
  const frames = [
    ['Clearing the graphics window', '50% gray text at (-290,240), "Click to draw."'],
    [],
    ['red circle at (-100,50), radius 5'],
    ['blue line from (-100,50) to (0,0), width 2', 'red circle at (0,0), radius 5'],
    ['Clearing the graphics window', 'red circle at (9,9), radius 5'],
  ];
  frames.forEach((texts, i) =>
    store.add(
      {number: i + 1, ns: 0, event: {n: i}, calls: texts.map((text) => ({text, line: 3, file: 'main.c'}))},
      {width: 2, height: 2, parts: []}
    )
  );
  const four = describePicture(store, 4, 'Frame 4');
  assert.equal(
    four.head,
    'Frame 4: 4 drawing calls since the window was last cleared, in drawing order, later over earlier:'
  );
  assert.deepEqual(four.lines, [
    'the whole window cleared to white',
    '50% gray text at (-290, 240), "Click to draw."',
    'red circle at (-100, 50), radius 5',
    'blue line from (-100, 50) to (0, 0), width 2',
    'red circle at (0, 0), radius 5',
  ]);
  assert.deepEqual(describePicture(store, 5, 'Frame 5').lines, [
    'the whole window cleared to white',
    'red circle at (9, 9), radius 5',
  ]);
  // Frames before the ones kept may still show: the description says so.
  const kept = {first: 3, last: 4, record: (n) => (n >= 3 && n <= 4 ? store.record(n) : null)};
  assert.equal(describePicture(kept, 4, 'Frame 4').lines[0], '(earlier drawing, no longer kept, may show too)');
});

test('new lines are announced in batches however fast they come, each batch with its last line', () => {
  let now = 0;
  const timers = [];
  const said = [];
  const announcer = new Announcer({
    say: (text) => said.push({at: now, text}),
    now: () => now,
    later: (f, ms) => timers.push({at: now + ms, f}),
    cancel: () => {},
  });
  const advance = (to) => {
    while (timers.length && timers[0].at <= to) {
      const {at, f} = timers.shift();
      now = at;
      f();
    }
    now = to;
  };
  announcer.add('', ['Hello from TELKA_printf: 2 + 2 = 4']);
  advance(1000);
  assert.deepEqual(said, [{at: 300, text: 'Hello from TELKA_printf: 2 + 2 = 4'}]);
  for (let line = 1; line <= 200; ++line) {
    advance(now + 50); // 20 lines a second for 10 s
    announcer.add('', [`line ${line}`]);
    if (line % 40 === 0) announcer.add('Console', [`printed ${line}`]);
  }
  advance(now + 5000);
  assert.ok(said.length <= 7, `${said.length} announcements`);
  said.slice(1).forEach((s, i) => assert.ok(s.at - said[i].at >= 2000, `${s.at - said[i].at} ms apart`));
  assert.match(said[1].text, /^\d+ new lines; first: line 1; last: line \d+$/);
  assert.match(said.at(-1).text, /^\d+ new lines; first: line \d+; last: line 200\. Console: printed 200$/);
  const total = said.slice(1).reduce((n, s) => n + Number(/^(\d+) new lines/.exec(s.text)[1]), 0);
  assert.equal(total, 200, 'every line is counted once');
});
