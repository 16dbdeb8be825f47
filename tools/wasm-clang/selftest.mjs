// Checks the driver the way make and CMake use it, in a scratch folder: compiles with relative
// paths, include folders and depfiles, a compile over an output that is also an input, errors and
// their status, response files, ar's create, append and delete, ranlib, a link, and the program
// run by node:wasi. Usage: node tools/wasm-clang/selftest.mjs (TELKA_WASM_CLANG_SERVER=0: without
// the compile server). Exits 1 when a check fails.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { WASI } from 'node:wasi';

const tools = path.dirname(fileURLToPath(import.meta.url));
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'wasm-clang-selftest-'));
const failures = [];

function tool(name, args, cwd = dir) {
  const r = spawnSync(path.join(tools, name), args, { cwd, encoding: 'utf8' });
  return { status: r.status, stdout: r.stdout, stderr: r.stderr };
}
function check(what, ok, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${!ok && detail ? ': ' + detail : ''}`);
  if (!ok) failures.push(what);
}
const write = (rel, text) => {
  fs.mkdirSync(path.dirname(path.join(dir, rel)), { recursive: true });
  fs.writeFileSync(path.join(dir, rel), text);
};
const members = (archive) => tool('ar', ['t', archive]).stdout.split('\n').filter(Boolean);

try {
  write('src/main.c', '#include <stdio.h>\n#include "local.h"\n#include "inc/greet.h"\n' +
    'int twice(int);\nint main(void) { printf("%s %d\\n", GREETING, twice(LOCAL)); return 0; }\n');
  write('src/local.h', '#define LOCAL 21\n');
  write('include/inc/greet.h', '#define GREETING MSG\n');
  write('src/twice.c', 'int twice(int x) { return 2 * x; }\n');
  write('flags.rsp', '-DMSG="\\"hello world\\"" -I include\n');
  fs.mkdirSync(path.join(dir, 'obj'));

  let r = tool('clang', ['@flags.rsp', '-O2', '-MD', '-MT', 'obj/main.o', '-MF', 'obj/main.o.d', '-c', 'src/main.c', '-o', 'obj/main.o']);
  check('compiles with relative paths, a response file and an include folder', r.status === 0 && fs.existsSync(path.join(dir, 'obj/main.o')), r.stderr);
  const dep = fs.existsSync(path.join(dir, 'obj/main.o.d')) ? fs.readFileSync(path.join(dir, 'obj/main.o.d'), 'utf8') : '';
  check('the depfile names the headers, not the sysroot\'s', dep.startsWith('obj/main.o:') && dep.includes(path.join(dir, 'include/inc/greet.h')) &&
    dep.includes(path.join(dir, 'src/local.h')) && !dep.includes('/usr/'), dep);

  fs.writeFileSync(path.join(dir, 'include/twice.o'), 'OLD');
  r = tool('clang', ['-I', 'include', '-c', 'src/twice.c', '-o', 'include/twice.o']);
  check('an output that is also an input is replaced', r.status === 0 && fs.statSync(path.join(dir, 'include/twice.o')).size > 3, r.stderr);
  fs.renameSync(path.join(dir, 'include/twice.o'), path.join(dir, 'obj/twice.o'));

  write('src/bad.c', 'int f(void) { return missing; }\n');
  r = tool('clang', ['-c', 'src/bad.c', '-o', 'obj/bad.o']);
  check('an error: status 1, the diagnostic, no output', r.status === 1 && /error: use of undeclared identifier/.test(r.stderr) &&
    !fs.existsSync(path.join(dir, 'obj/bad.o')), `${r.status} ${r.stderr}`);
  r = tool('clang', ['-c', 'src/none.c']);
  check('a missing source: status 1 and the driver\'s message', r.status === 1 && /no such file/.test(r.stderr), r.stderr);

  r = tool('ar', ['qc', 'obj/lib.a', 'obj/twice.o']);
  const appended = tool('ar', ['q', 'obj/lib.a', 'obj/main.o']);
  check('ar creates an archive and appends to it', r.status === 0 && appended.status === 0 &&
    members('obj/lib.a').join(' ') === 'twice.o main.o', members('obj/lib.a').join(' '));
  r = tool('ar', ['d', 'obj/lib.a', 'main.o']);
  check('ar deletes a member', r.status === 0 && members('obj/lib.a').join(' ') === 'twice.o', members('obj/lib.a').join(' '));
  r = tool('ranlib', ['obj/lib.a']);
  check('ranlib', r.status === 0, r.stderr);

  r = tool('clang', ['obj/main.o', '-Lobj', '-l:lib.a', '-o', 'out/main.wasm']);
  const wasm = path.join(dir, 'out/main.wasm');
  check('links objects and an archive', r.status === 0 && fs.existsSync(wasm), r.stderr);
  if (fs.existsSync(wasm)) {
    const outFile = path.join(dir, 'run.out');
    const fd = fs.openSync(outFile, 'w');
    const wasi = new WASI({ version: 'preview1', args: ['main'], env: {}, stdout: fd, returnOnExit: true });
    const { instance } = await WebAssembly.instantiate(fs.readFileSync(wasm), { wasi_snapshot_preview1: wasi.wasiImport });
    const status = wasi.start(instance);
    fs.closeSync(fd);
    const printed = fs.readFileSync(outFile, 'utf8');
    check('the program runs', status === 0 && printed === 'hello world 42\n', JSON.stringify(printed));
  }

  r = tool('clang', ['--version']);
  check('--version on stdout', r.status === 0 && /^clang version/.test(r.stdout), r.stdout + r.stderr);
} finally {
  fs.rmSync(dir, { recursive: true, force: true });
}
console.log(failures.length ? `${failures.length} failed` : 'all passed');
process.exitCode = failures.length ? 1 : 0;
