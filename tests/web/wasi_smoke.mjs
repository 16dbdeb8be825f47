// Starts the browser build's programs in node, without a browser: node:wasi (preview1) for the
// C library, /fonts mounted from site/fonts, and a stand-in for the page's "telka" imports that
// records hosts and presents and answers waits. Each program must open its windows and present
// pixels before its first wait that blocks (the polls before it let the page run, they do not
// mean the program is idle), then end with status 0 once a dialog it shows is answered with
// Enter and its graphics window is closed; the
// frame benchmark runs to its end and prints its figure. Also links examples/hello.c against
// sdk/lib/libtelka.a with tools/wasm-clang and sdk/link-flags.txt, as the page will, and runs that.
// Each program runs in a node process of its own: node 20 was seen to crash after running several
// different modules in one process, and a hung program is ended by a timeout.
// Usage: node tests/web/wasi_smoke.mjs [BUILD_DIR] (default build-web); exits 1 on a failure.
import { execFileSync, spawnSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { WASI } from 'node:wasi';

const self = fileURLToPath(import.meta.url);
const root = path.resolve(path.dirname(self), '../..');
const runMode = process.argv[2] === '--run';  // a child: --run BUILD_DIR FILE OPTIONS_JSON
const build = path.resolve((runMode ? process.argv[3] : process.argv[2]) || path.join(root, 'build-web'));
const programsDir = path.join(build, 'site/programs');
const fontsDir = path.join(build, 'site/fonts');

// The record layout of platform/backends/web/web_internal.h.
const RECORD_FIELDS = 9;
const KIND_KEY_DOWN = 1;
const KIND_KEY_UP = 2;
const KIND_CLOSE_REQUEST = 7;
const KEY_ENTER = 13;
const SLEEP = new Int32Array(new SharedArrayBuffer(4));

// Runs one program; resolves to what it did. `closeAfterWaits`: how many blocking waits it gets
// before its windows are asked to close; `maxWaits` bounds the run.
async function run(file, { closeAfterWaits = 1, maxWaits = 400, maxMs = 20000 } = {}) {
  const outFile = path.join(os.tmpdir(), `wasi-smoke-${process.pid}-${path.basename(file)}.out`);
  const outFd = fs.openSync(outFile, 'w+');
  const wasi = new WASI({
    version: 'preview1',
    args: [path.basename(file, '.wasm')],
    env: {},
    preopens: { '/fonts': fontsDir },
    stdout: outFd,
    stderr: outFd,
    returnOnExit: true,
  });
  const seen = { hosts: new Map(), surfaces: new Map(), presents: 0, presentedPixels: 0, colours: new Set(), waits: 0,
    blockingWaits: 0, firstWait: null, closeRequests: 0, init: 0, shutdown: 0 };
  const queue = [];
  let memory = null;
  const bytes = () => new Uint8Array(memory.buffer);
  const cString = (ptr) => {
    const m = bytes();
    let end = ptr;
    while (m[end] !== 0) ++end;
    return new TextDecoder('windows-1252').decode(m.slice(ptr, end));
  };
  const started = Date.now();
  class Stop extends Error {}
  const telka = {
    init() { seen.init++; },
    shutdown() { seen.shutdown++; },
    host_create(id, title, x, y, width, height, owner, dialog) {
      seen.hosts.set(id, { title: cString(title), width, height, owner, dialog: dialog !== 0, visible: false });
      return 1;
    },
    host_destroy(id) { seen.hosts.delete(id); },
    host_show(id, visible) { const h = seen.hosts.get(id); if (h) h.visible = visible !== 0; },
    host_set_title(id, title) { const h = seen.hosts.get(id); if (h) h.title = cString(title); },
    present(id, pixels, width, height, stride, rects, count) {
      seen.presents++;
      const view = new DataView(memory.buffer);
      // What the canvas would show: each rectangle copied into a picture of the surface.
      let picture = seen.surfaces.get(id);
      if (!picture || picture.width !== width || picture.height !== height)
        seen.surfaces.set(id, picture = { width, height, pixels: new Uint32Array(width * height) });
      const heap = new Uint32Array(memory.buffer);
      for (let k = 0; k < count; ++k) {
        const [x, y, w, h] = [0, 1, 2, 3].map((f) => view.getInt32(rects + 16 * k + 4 * f, true));
        seen.presentedPixels += w * h;
        for (let row = y; row < y + h; ++row)
          picture.pixels.set(heap.subarray(pixels / 4 + row * stride + x, pixels / 4 + row * stride + x + w), row * width + x);
        // A sample of each rectangle's colours: a blank window has one.
        for (let row = y; row < y + h; row += 7)
          for (let col = x; col < x + w; col += 7)
            if (seen.colours.size < 64) seen.colours.add(view.getUint32(pixels + 4 * (row * stride + col), true));
      }
    },
    wait(timeoutMs) {
      seen.waits++;
      if (timeoutMs !== 0 && queue.length === 0) {
        seen.blockingWaits++;
        if (seen.firstWait === null) {
          const graphics = [...seen.hosts.entries()].find(([, h]) => h.title === 'TELKA Graphics');
          const picture = graphics && seen.surfaces.get(graphics[0]);
          seen.firstWait = { hosts: [...seen.hosts.values()].map((h) => ({ ...h })), presents: seen.presents,
            presentedPixels: seen.presentedPixels, colours: seen.colours.size,
            // To tell two builds' pictures apart (or not): a digest of the graphics window.
            digest: picture ? crypto.createHash('sha256').update(picture.pixels).digest('hex').slice(0, 12) : '-' };
        }
        if (seen.blockingWaits >= closeAfterWaits) {
          const record = (kind, host, keyCode = 0) => {
            const r = new Array(RECORD_FIELDS).fill(0);
            [r[0], r[1], r[2]] = [kind, host, keyCode];
            return r;
          };
          // A dialog first (its owner takes no input while it is up): Enter presses its
          // default button. Then the close box of the graphics window.
          const hosts = [...seen.hosts.entries()];
          const dialog = hosts.filter(([, h]) => h.dialog && h.visible).pop();
          const graphics = hosts.find(([, h]) => h.title === 'TELKA Graphics');
          if (dialog) {
            queue.push(record(KIND_KEY_DOWN, dialog[0], KEY_ENTER), record(KIND_KEY_UP, dialog[0], KEY_ENTER));
          } else if (graphics) {
            queue.push(record(KIND_CLOSE_REQUEST, graphics[0]));
            seen.closeRequests++;
          }
        }
      }
      if (seen.waits > maxWaits || Date.now() - started > maxMs) throw new Stop('still running');
      // Timers run on real time: a short sleep instead of the whole timeout.
      if (queue.length === 0 && timeoutMs !== 0) Atomics.wait(SLEEP, 0, 0, timeoutMs < 0 ? 20 : Math.min(timeoutMs, 20));
    },
    take_record(ptr) {
      const record = queue.shift();
      if (!record) return 0;
      const view = new DataView(memory.buffer);
      record.forEach((v, i) => view.setInt32(ptr + 4 * i, v, true));
      return 1;
    },
    pending() { return queue.length; },
    screen_size(ptr) {
      const view = new DataView(memory.buffer);
      view.setInt32(ptr, 1280, true);
      view.setInt32(ptr + 4, 800, true);
    },
  };
  const module = await WebAssembly.compile(fs.readFileSync(file));
  const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport, telka });
  memory = instance.exports.memory;
  let status;
  let error = null;
  try {
    status = wasi.start(instance);
  } catch (e) {
    error = e instanceof Stop ? 'did not end after its window was closed' : `trapped: ${e.stack || e}`;
  }
  fs.closeSync(outFd);
  const output = fs.readFileSync(outFile, 'utf8');
  fs.rmSync(outFile, { force: true });
  return { status, error, output, seen, ms: Date.now() - started };
}

// Runs `file` in a child process; resolves to the same as run() (the seen parts that matter).
function runIsolated(file, options = {}) {
  const started = Date.now();
  const child = spawnSync(process.execPath, ['--no-warnings', self, '--run', build, file, JSON.stringify(options)],
    { encoding: 'utf8', timeout: (options.maxMs ?? 20000) + 30000, maxBuffer: 64 << 20 });
  const line = (child.stdout || '').trim().split('\n').pop();
  try {
    return JSON.parse(line);
  } catch {
    const why = child.error ? child.error.message : child.signal ? `node ended by ${child.signal}` : `status ${child.status}`;
    return { status: null, error: `the run did not finish (${why}) ${(child.stderr || '').trim()}`, output: '',
      seen: { firstWait: null, waits: 0, blockingWaits: 0, closeRequests: 0 }, ms: Date.now() - started };
  }
}

const failures = [];
function check(name, ok, detail) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${name}${detail ? ': ' + detail : ''}`);
  if (!ok) failures.push(name);
}

// A program's windows, its first frame, and its end.
async function checkProgram(name, file) {
  const r = runIsolated(file);
  const first = r.seen.firstWait;
  const titles = first ? first.hosts.map((h) => h.title) : [];
  check(`${name}: reaches its first blocking wait`, first !== null, r.error || '');
  if (!first) {
    if (r.output) console.log(r.output.trimEnd().split('\n').map((l) => `      | ${l}`).join('\n'));
    return;
  }
  check(`${name}: opened "TELKA Graphics" and "TELKA Text"`,
    titles.includes('TELKA Graphics') && titles.includes('TELKA Text'), JSON.stringify(titles));
  check(`${name}: presented pixels before the first wait`, first.presentedPixels > 0 && first.colours > 1,
    `${first.presents} presents, ${first.presentedPixels} pixels, ${first.colours} colours sampled, ` +
    `graphics window ${first.digest}`);
  check(`${name}: ends with status 0 once its window is closed`, r.error === null && r.status === 0,
    r.error || `status ${r.status} after ${r.seen.waits} waits (${r.seen.blockingWaits} blocking), ` +
    `${r.seen.closeRequests} close requests, ${r.ms} ms`);
  if (r.output.trim()) console.log(r.output.trimEnd().split('\n').map((l) => `      | ${l}`).join('\n'));
}

async function main() {
  const list = JSON.parse(fs.readFileSync(path.join(programsDir, 'programs.json'), 'utf8'));
  check('programs.json offers the game first', list.programs[0] === 'telka-game', list.programs.join(' '));
  for (const name of list.programs) await checkProgram(name, path.join(programsDir, `${name}.wasm`));

  const bench = runIsolated(path.join(programsDir, 'web-frame-bench.wasm'),
    { closeAfterWaits: 1e9, maxWaits: 100000, maxMs: 120000 });
  check('web-frame-bench: runs to its end', bench.error === null && bench.status === 0 && /median/.test(bench.output),
    bench.error || bench.output.trim());

  // hello.c linked the way the page links a student's program.
  const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'wasi-smoke-'));
  const flags = fs.readFileSync(path.join(build, 'sdk/link-flags.txt'), 'utf8').split('\n').filter(Boolean);
  const out = path.join(tmp, 'hello.wasm');
  try {
    execFileSync(path.join(root, 'tools/wasm-clang/clang'),
      ['-O2', '-I', path.join(build, 'sdk/include'), path.join(root, 'examples/hello.c'), '-o', out,
        '-L', path.join(build, 'sdk/lib'), '-ltelka', ...flags], { stdio: 'inherit' });
    check('examples/hello.c links against sdk/lib/libtelka.a', fs.existsSync(out));
    await checkProgram('hello linked with the SDK', out);
  } catch (e) {
    check('examples/hello.c links against sdk/lib/libtelka.a', false, e.message);
  } finally {
    fs.rmSync(tmp, { recursive: true, force: true });
  }

  console.log(failures.length ? `${failures.length} failed` : 'all passed');
  process.exitCode = failures.length ? 1 : 0;
}

if (runMode) {
  const r = await run(process.argv[4], JSON.parse(process.argv[5] || '{}'));
  const { firstWait, waits, blockingWaits, closeRequests } = r.seen;
  console.log(JSON.stringify({ ...r, seen: { firstWait, waits, blockingWaits, closeRequests } }));
} else {
  await main();
}
