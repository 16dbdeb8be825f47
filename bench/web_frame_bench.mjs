// Runs the browser build's frame benchmark (site/programs/web-frame-bench.wasm) in node, whose V8
// is the browser's engine, and prints its line: node:wasi for the C library, /fonts from
// site/fonts, and a minimal stand-in for the page's "telka" imports (windows, presents, waits).
// Usage: node bench/web_frame_bench.mjs [BUILD_DIR] [RUNS] (defaults build-web, 1); with several
// runs it also prints the median of the runs' medians. Profile with node --cpu-prof. On Linux each
// run's line is followed by how long it ran and waited for a CPU: a slow run that waited long was
// sharing the machine.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { WASI } from 'node:wasi';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const build = path.resolve(process.argv[2] || path.join(root, 'build-web'));
const runs = Number.parseInt(process.argv[3] || '1', 10);
if (!Number.isInteger(runs) || runs < 1 || runs > 100) {
  console.error(`web_frame_bench: RUNS must be a whole number from 1 to 100, not "${process.argv[3]}"`);
  process.exit(2);
}
const file = path.join(build, 'site/programs/web-frame-bench.wasm');
const fontsDir = path.join(build, 'site/fonts');
for (const needed of [file, fontsDir]) {
  if (!fs.existsSync(needed)) {
    console.error(`web_frame_bench: ${needed} is missing: build the browser build first (make web)`);
    process.exit(2);
  }
}

async function runOnce(module) {
  const outFile = path.join(os.tmpdir(), `web-frame-bench-${process.pid}.out`);
  const outFd = fs.openSync(outFile, 'w+');
  const wasi = new WASI({ version: 'preview1', args: ['web-frame-bench'], env: {}, preopens: { '/fonts': fontsDir },
    stdout: outFd, stderr: outFd, returnOnExit: true });
  let memory = null;
  // The benchmark only draws: windows are accepted, presents dropped, waits return at once
  // with no input, and the screen is the size the page reports on a common display.
  const telka = {
    init() {}, shutdown() {},
    host_create() { return 1; }, host_destroy() {}, host_show() {}, host_set_title() {},
    present() {}, wait() {}, take_record() { return 0; }, pending() { return 0; },
    screen_size(ptr) {
      const view = new DataView(memory.buffer);
      view.setInt32(ptr, 1280, true);
      view.setInt32(ptr + 4, 800, true);
    },
  };
  // Any other import of the page's module (added since) does nothing and answers 0.
  for (const imp of WebAssembly.Module.imports(module))
    if (imp.module === 'telka' && imp.kind === 'function' && !(imp.name in telka)) telka[imp.name] = () => 0;
  const instance = await WebAssembly.instantiate(module, { wasi_snapshot_preview1: wasi.wasiImport, telka });
  memory = instance.exports.memory;
  const status = wasi.start(instance);
  fs.closeSync(outFd);
  const output = fs.readFileSync(outFile, 'utf8');
  fs.rmSync(outFile, { force: true });
  if (status !== 0) throw new Error(`web-frame-bench ended with status ${status}: ${output.trim()}`);
  return output.trim();
}

// How long this thread ran and how long it waited, runnable, for a CPU (Linux; null elsewhere):
// a run that waits for much of its time measures the machine's other work, not the frame.
function schedstat() {
  try {
    const [ran, waited] = fs.readFileSync('/proc/thread-self/schedstat', 'utf8').trim().split(' ').map(Number);
    return { ran, waited };
  } catch {
    return null;
  }
}

const module = await WebAssembly.compile(fs.readFileSync(file));
const medians = [];
for (let i = 0; i < runs; ++i) {
  const before = schedstat();
  const line = await runOnce(module);
  const after = schedstat();
  console.log(line);
  if (before && after)
    console.log(`  ran ${((after.ran - before.ran) / 1e6).toFixed(0)} ms, waited for a CPU ${((after.waited - before.waited) / 1e6).toFixed(0)} ms`);
  const m = /median ([0-9.]+) us/.exec(line);
  if (m) medians.push(Number(m[1]));
}
if (runs > 1 && medians.length) {
  medians.sort((a, b) => a - b);
  console.log(`median of ${medians.length} runs: ${medians[Math.floor(medians.length / 2)].toFixed(1)} us`);
}
