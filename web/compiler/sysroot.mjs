// Build-time (node): the trimmed sysroot the page's compiler mounts at /usr.
// Reads the compiler package's llvm-resources.tar (every header and library it
// ships), keeps what wasm32-wasip1 C17 / C++20 compiles and links use, adds the
// TELKA SDK (telka.h, libtelka.a) and writes a ustar file the package can unpack.
import fs from 'node:fs';
import path from 'node:path';

// clang's own headers that a wasm compile reaches: the freestanding C headers
// and what they pull in. The rest of that folder is other targets' intrinsics,
// GPU and sanitizer headers.
const CLANG_HEADERS = new Set([
  'float.h',
  'inttypes.h',
  'iso646.h',
  'limits.h',
  'stdalign.h',
  'stdarg.h',
  'stdatomic.h',
  'stdbool.h',
  'stdckdint.h',
  'stdcountof.h',
  'stddef.h',
  'stddefer.h',
  'stdint.h',
  'stdnoreturn.h',
  'tgmath.h',
  'unwind.h',
  'varargs.h',
  'wasm_simd128.h',
]);
const CLANG_HEADER_PREFIXES = ['__float_', '__stdarg_', '__stddef_'];

// Libraries a program links: crt1, libc and its empty companions a student may
// name (-lm, -lpthread...), libc++ and libc++abi, setjmp, compiler-rt builtins.
const LIBRARIES = new Set([
  'lib/wasm32-wasip1/crt1.o',
  'lib/wasm32-wasip1/crt1-command.o',
  'lib/wasm32-wasip1/libc.a',
  'lib/wasm32-wasip1/libm.a',
  'lib/wasm32-wasip1/libpthread.a',
  'lib/wasm32-wasip1/librt.a',
  'lib/wasm32-wasip1/libdl.a',
  'lib/wasm32-wasip1/libutil.a',
  'lib/wasm32-wasip1/libc++.a',
  'lib/wasm32-wasip1/libc++abi.a',
  'lib/wasm32-wasip1/libsetjmp.a',
  'lib/wasm32-unknown-wasip1/libclang_rt.builtins.a',
]);

export const SDK_HEADER = 'include/telka.h';
export const SDK_LIBRARY = 'lib/wasm32-wasip1/libtelka.a';

export function keep(name) {
  if (name.startsWith('include/wasm32-wasip1/')) return true; // libc, and libc++'s __config_site
  if (name.startsWith('include/c++/v1/')) {
    // Frozen C++03 headers serve only -std=c++03 builds with an opt-in macro;
    // experimental/ needs libc++experimental, which is not shipped either.
    return !name.startsWith('include/c++/v1/__cxx03/') && !name.startsWith('include/c++/v1/experimental/');
  }
  if (name.startsWith('include/') && !name.slice(8).includes('/')) {
    const base = name.slice(8);
    return CLANG_HEADERS.has(base) || CLANG_HEADER_PREFIXES.some((p) => base.startsWith(p));
  }
  return LIBRARIES.has(name);
}

// The files of a ustar/GNU tar: [{name, data}] (directories left out).
export function readTar(buffer) {
  const files = [];
  let offset = 0;
  let longName = null;
  while (offset + 512 <= buffer.length) {
    const header = buffer.subarray(offset, offset + 512);
    if (header.every((b) => b === 0)) break;
    const field = (at, len) => {
      const bytes = header.subarray(at, at + len);
      const end = bytes.indexOf(0);
      return Buffer.from(end < 0 ? bytes : bytes.subarray(0, end)).toString('utf8');
    };
    const size = parseInt(field(124, 12).trim() || '0', 8);
    const type = String.fromCharCode(header[156] || 48);
    const prefix = field(345, 155);
    let name = longName ?? (prefix ? `${prefix}/${field(0, 100)}` : field(0, 100));
    longName = null;
    const data = buffer.subarray(offset + 512, offset + 512 + size);
    if (type === 'L') {
      longName = Buffer.from(data).toString('utf8').replace(/\0+$/, '');
    } else if (type === '0' || type === '\0') {
      name = name.replace(/^\.\//, '');
      files.push({name, data});
    }
    offset += 512 + Math.ceil(size / 512) * 512;
  }
  return files;
}

function octal(value, len) {
  return value.toString(8).padStart(len - 1, '0') + '\0';
}

function header(name, size, isDir) {
  // The package's unpacker reads the 100-byte name field only (no prefix, no
  // long-name entries), so every path must fit there.
  if (Buffer.byteLength(name) > 100) throw new Error(`tar: name too long for the compiler's unpacker: ${name}`);
  const h = Buffer.alloc(512, 0);
  h.write(name, 0, 'utf8');
  h.write(octal(isDir ? 0o755 : 0o644, 8), 100, 'ascii');
  h.write(octal(0, 8), 108, 'ascii');
  h.write(octal(0, 8), 116, 'ascii');
  h.write(octal(size, 12), 124, 'ascii');
  h.write(octal(0, 12), 136, 'ascii'); // mtime 0: the same inputs give the same bytes
  h.write(isDir ? '5' : '0', 156, 'ascii');
  h.write('ustar\0', 257, 'ascii');
  h.write('00', 263, 'ascii');
  h.fill(0x20, 148, 156);
  let sum = 0;
  for (const b of h) sum += b;
  h.write(octal(sum, 7) + ' ', 148, 'ascii');
  return h;
}

// A tar of `files` ([{name, data}]) with an entry for every folder before its
// contents: the unpacker walks into folders it has already seen.
export function writeTar(files) {
  const parts = [];
  const dirs = new Set();
  const sorted = [...files].sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
  for (const {name, data} of sorted) {
    const segments = name.split('/');
    for (let i = 1; i < segments.length; ++i) {
      const dir = segments.slice(0, i).join('/');
      if (dirs.has(dir)) continue;
      dirs.add(dir);
      parts.push(header(dir, 0, true));
    }
    parts.push(header(name, data.length, false), Buffer.from(data));
    const pad = (512 - (data.length % 512)) % 512;
    if (pad) parts.push(Buffer.alloc(pad, 0));
  }
  parts.push(Buffer.alloc(1024, 0));
  return Buffer.concat(parts);
}

// Writes the trimmed sysroot with the SDK to `out`; returns what it holds.
export function buildSysroot({resourcesTar, sdk, out}) {
  const all = readTar(fs.readFileSync(resourcesTar));
  const kept = all.filter((f) => keep(f.name));
  for (const name of LIBRARIES)
    if (!kept.some((f) => f.name === name)) throw new Error(`sysroot: ${name} is missing from ${resourcesTar}`);
  const header = fs.readFileSync(path.join(sdk, 'include', 'telka.h'));
  const library = fs.readFileSync(path.join(sdk, 'lib', 'libtelka.a'));
  const files = kept.filter((f) => f.name !== SDK_HEADER && f.name !== SDK_LIBRARY);
  files.push({name: SDK_HEADER, data: header}, {name: SDK_LIBRARY, data: library});
  const tar = writeTar(files);
  fs.writeFileSync(out, tar);
  return {
    files: files.length,
    bytes: tar.length,
    originalFiles: all.length,
    originalBytes: fs.statSync(resourcesTar).size,
  };
}
