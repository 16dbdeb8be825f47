// Runs the WebAssembly build of clang, lld and the LLVM binutils (@yowasp/clang, installed by
// `cd web && npm ci`) on the real file system, for CMake and make: the files and folders a command
// line names are copied into the compiler's virtual file system at their absolute paths, and what the
// tool wrote there is written back. Usage: node wasm-clang.mjs TOOL ARGS... (TOOL: clang, clang++,
// ar, ranlib, nm, objdump, size, strip, wasm-ld). Relies on the package's runLLVM and Exit.
import fs from 'node:fs';
import path from 'node:path';
import v8 from 'node:v8';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { threadId } from 'node:worker_threads';

// Clang is a 75 MB module, of which one compile calls a small part: compiling functions on their
// first call halves the start of every process.
v8.setFlagsFromString('--wasm-lazy-compilation');

const here = path.dirname(fileURLToPath(import.meta.url));
const projectRoot = path.resolve(here, '../..');
const bundlePath = process.env.TELKA_WASM_CLANG_BUNDLE ||
  path.join(projectRoot, 'web/node_modules/@yowasp/clang/gen/bundle.js');

const TOOLS = new Set(['clang', 'clang++', 'ar', 'ranlib', 'nm', 'objdump', 'size', 'strip', 'wasm-ld']);

// Limits of one folder walk (an include folder, a -L folder, a source's folder): a command that
// names a huge tree gets a message instead of a copy of the disk.
const LIMITS = { files: 20000, bytes: 512 << 20, fileBytes: 64 << 20, depth: 24 };
const SKIPPED_DIRS = new Set(['.git', 'node_modules', 'CMakeFiles']);
// A source's own folder is searched for #include "..." though the command does not name it:
// only what can be included, and not far down (a program in /tmp must not copy all of /tmp).
const SOURCE_DIR_DEPTH = 3;
const INCLUDABLE = /\.(h|hh|hpp|hxx|h\+\+|inc|inl|ipp|tcc|def|c|cc|cpp|cxx)$/;

class UsageError extends Error {}

// The GNU rules of response files, as clang and llvm-ar read them: blanks separate, quotes group,
// a backslash takes the next character as it is (not inside single quotes).
export function tokenizeResponseFile(text) {
  const out = [];
  let cur = null;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (c === ' ' || c === '\t' || c === '\n' || c === '\r') {
      if (cur !== null) out.push(cur);
      cur = null;
    } else if (c === '\\' && i + 1 < text.length) {
      cur = (cur ?? '') + text[++i];
    } else if (c === "'" || c === '"') {
      cur = cur ?? '';
      for (++i; i < text.length && text[i] !== c; ++i) {
        if (c === '"' && text[i] === '\\' && i + 1 < text.length) ++i;
        cur += text[i];
      }
    } else {
      cur = (cur ?? '') + c;
    }
  }
  if (cur !== null) out.push(cur);
  return out;
}

// @file arguments replaced by their contents, recursively (the compiler sees them expanded, so
// the paths inside them get the same treatment as the others).
export function expandResponseFiles(args, cwd, depth = 0) {
  const out = [];
  for (const arg of args) {
    if (arg.length > 1 && arg[0] === '@') {
      if (depth > 16) throw new UsageError(`response files nested too deeply at ${arg}`);
      const file = path.resolve(cwd, arg.slice(1));
      let text;
      try {
        text = fs.readFileSync(file, 'utf8');
      } catch (e) {
        throw new UsageError(`cannot read response file ${file}: ${e.code || e.message}`);
      }
      out.push(...expandResponseFiles(tokenizeResponseFile(text), cwd, depth + 1));
    } else {
      out.push(arg);
    }
  }
  return out;
}

// The compiler's sysroot is mounted at /usr of its file system: real files under /usr (CMake's
// own test sources, say) are put under HOST_USR instead, and named so on its command line.
const HOST_USR = '/.host-usr';
export function toVirtual(real) {
  return real === '/usr' || real.startsWith('/usr/') ? HOST_USR + real.slice(4) : real;
}
export function toReal(virtual) {
  return virtual === HOST_USR || virtual.startsWith(HOST_USR + '/') ? '/usr' + virtual.slice(HOST_USR.length) : virtual;
}

// The virtual file system handed to the tool: nested objects, files as Uint8Array. `inputs` keeps
// each file's array so that a file the tool wrote is told from one it only read by identity.
class VirtualTree {
  constructor() {
    this.root = {};
    this.inputs = new Map();
    this.walkedDirs = new Set();
    this.files = 0;
    this.bytes = 0;
    this.warned = false;
  }

  dirNode(abs, create) {
    let node = this.root;
    for (const part of abs.split('/')) {
      if (!part) continue;
      let next = node[part];
      if (next === undefined) {
        if (!create) return null;
        next = node[part] = {};
      } else if (next instanceof Uint8Array) {
        return null;  // a file where a folder is wanted: leave the file
      }
      node = next;
    }
    return node;
  }

  limitReached(what) {
    if (!this.warned)
      process.stderr.write(`wasm-clang: warning: stopped copying ${what} into the compiler: more than ` +
        `${LIMITS.files} files or ${LIMITS.bytes >> 20} MiB named by this command\n`);
    this.warned = true;
    return false;
  }

  // Adds one file (following symbolic links) at its virtual path; false when it is not a
  // readable regular file.
  addFile(abs, stat = null) {
    const virtual = toVirtual(abs);
    if (this.inputs.has(virtual)) return true;
    try {
      stat = stat ?? fs.statSync(abs);
      if (!stat.isFile() || stat.size > LIMITS.fileBytes) return false;
      if (this.files + 1 > LIMITS.files || this.bytes + stat.size > LIMITS.bytes) return this.limitReached(abs);
      const parent = this.dirNode(path.dirname(virtual), true);
      if (!parent) return false;
      const name = path.basename(virtual);
      if (parent[name] !== undefined && !(parent[name] instanceof Uint8Array)) return false;
      const data = fs.readFileSync(abs);
      const bytes = new Uint8Array(data.buffer, data.byteOffset, data.byteLength);
      parent[name] = bytes;
      this.inputs.set(virtual, bytes);
      this.files += 1;
      this.bytes += bytes.byteLength;
      return true;
    } catch {
      return false;
    }
  }

  // Adds a folder's files, and with `deep` those of its subfolders down to `maxDepth`,
  // following symbolic links (the stand-in's include roots are folders of links); `only`
  // filters file names.
  addDir(abs, deep, { maxDepth = LIMITS.depth, only = null } = {}, depth = 0) {
    const key = `${abs}\0${deep}\0${maxDepth}\0${only}`;
    if (this.walkedDirs.has(key)) return;
    this.walkedDirs.add(key);
    let entries;
    try {
      entries = fs.readdirSync(abs, { withFileTypes: true });
    } catch {
      return;  // not there: the tool says what it misses
    }
    this.dirNode(toVirtual(abs), true);
    for (const entry of entries) {
      const child = path.join(abs, entry.name);
      let stat = null;
      let isDir = entry.isDirectory();
      let isFile = entry.isFile();
      if (entry.isSymbolicLink()) {
        try {
          stat = fs.statSync(child);
        } catch {
          continue;  // a dangling link
        }
        isDir = stat.isDirectory();
        isFile = stat.isFile();
      }
      if (isFile) {
        if (only && !only.test(entry.name)) continue;
        if (!this.addFile(child, stat) && this.warned) return;
      } else if (isDir && deep && depth < maxDepth && !SKIPPED_DIRS.has(entry.name)) {
        this.addDir(child, deep, { maxDepth, only }, depth + 1);
        if (this.warned) return;
      }
    }
  }
}

// What a clang command line names: every path made absolute (the compiler's working folder is
// the virtual root), the files and folders it reads put into the tree.
const CLANG_SEPARATE_DIR = new Set(['-I', '-isystem', '-iquote', '-idirafter', '-L', '-isysroot', '--sysroot',
  '-iwithsysroot', '-cxx-isystem']);
const CLANG_SEPARATE_FILE = new Set(['-include', '-imacros', '-include-pch', '-T']);
const CLANG_SEPARATE_OUTPUT = new Set(['-o', '-MF', '-MJ', '-serialize-diagnostics']);
const CLANG_SEPARATE_OTHER = new Set(['-MT', '-MQ', '-x', '-D', '-U', '-Xclang', '-mllvm', '-target', '-arch',
  '-Xassembler', '-Xpreprocessor', '-e', '-u', '-z', '-l', '-iprefix', '-iwithprefix', '-iwithprefixbefore',
  '-ferror-limit']);
const CLANG_JOINED_DIR = ['-isystem', '-iquote', '-idirafter', '-I', '-L', '--sysroot=', '-isysroot'];
const CLANG_JOINED_OUTPUT = ['-MF'];

function absolute(cwd, p) {
  return path.resolve(cwd, p);
}

// A linker or cc1 argument that names an existing file (a script, a list of symbols, a
// precompiled header) is copied in and made absolute; anything else is left alone.
function linkerArg(arg, cwd, tree) {
  const eq = arg.startsWith('-') ? arg.indexOf('=') : -1;
  const value = eq >= 0 ? arg.slice(eq + 1) : arg.startsWith('-') ? null : arg;
  if (!value) return arg;
  const abs = absolute(cwd, value);
  if (!tree.addFile(abs)) return arg;
  if (abs.endsWith('.pch')) addPchSources(abs, tree);
  return eq >= 0 ? arg.slice(0, eq + 1) + toVirtual(abs) : toVirtual(abs);
}

// A precompiled header is checked against the files it was made from: the header and the
// source compiled to make it (CMake's cmake_pch.hxx and cmake_pch.hxx.cxx beside the .pch).
function addPchSources(pch, tree) {
  const stem = path.basename(pch, '.pch');
  let names = [];
  try {
    names = fs.readdirSync(path.dirname(pch));
  } catch {
    return;
  }
  for (const name of names)
    if (name.startsWith(stem) && !name.endsWith('.pch') && !name.endsWith('.d')) tree.addFile(path.join(path.dirname(pch), name));
}

export function prepareClang(args, cwd, tree) {
  const out = [];
  let depfile = false;
  let depfilePath = null;
  let objectOutput = null;
  for (let i = 0; i < args.length; ++i) {
    const arg = args[i];
    const next = () => {
      if (i + 1 >= args.length) throw new UsageError(`${arg} needs a value`);
      return args[++i];
    };
    if (CLANG_SEPARATE_DIR.has(arg)) {
      const abs = absolute(cwd, next());
      tree.addDir(abs, arg !== '-L');
      out.push(arg, toVirtual(abs));
    } else if (CLANG_SEPARATE_FILE.has(arg)) {
      const abs = absolute(cwd, next());
      tree.addFile(abs);
      if (abs.endsWith('.pch')) addPchSources(abs, tree);
      out.push(arg, toVirtual(abs));
    } else if (CLANG_SEPARATE_OUTPUT.has(arg)) {
      const abs = toVirtual(absolute(cwd, next()));
      if (arg === '-o') objectOutput = abs;
      if (arg === '-MF') depfilePath = abs;
      out.push(arg, abs);
    } else if (arg === '-Xlinker' || arg === '-Xclang') {
      // A file named there (a linker script; CMake's precompiled header) goes in too.
      out.push(arg, linkerArg(next(), cwd, tree));
    } else if (CLANG_SEPARATE_OTHER.has(arg)) {
      out.push(arg, next());
    } else if (arg.startsWith('-Wl,')) {
      out.push('-Wl,' + arg.slice(4).split(',').map((a) => linkerArg(a, cwd, tree)).join(','));
    } else if (arg === '-MD' || arg === '-MMD') {
      depfile = true;
      out.push(arg);
    } else if (arg === '-working-directory' || arg.startsWith('-working-directory=')) {
      throw new UsageError('-working-directory is not supported: run the command in that folder');
    } else if (arg.startsWith('-') && arg !== '-') {
      const dirOpt = CLANG_JOINED_DIR.find((o) => arg.startsWith(o) && arg.length > o.length);
      const outOpt = CLANG_JOINED_OUTPUT.find((o) => arg.startsWith(o) && arg.length > o.length);
      if (dirOpt) {
        const abs = absolute(cwd, arg.slice(dirOpt.length));
        tree.addDir(abs, dirOpt !== '-L');
        out.push(dirOpt + toVirtual(abs));
      } else if (outOpt) {
        const abs = toVirtual(absolute(cwd, arg.slice(outOpt.length)));
        depfilePath = abs;
        out.push(outOpt + abs);
      } else {
        out.push(arg);
      }
    } else if (arg === '-') {
      out.push(arg);
    } else {
      // An input: a source, an object, an archive. A source's own folder, and those below it,
      // answer its #include "..." lines.
      const abs = absolute(cwd, arg);
      tree.addFile(abs);
      if (/\.(c|cc|cp|cpp|cxx|c\+\+|C|m|mm|S)$/.test(abs))
        tree.addDir(path.dirname(abs), true, { maxDepth: SOURCE_DIR_DEPTH, only: INCLUDABLE });
      out.push(toVirtual(abs));
    }
  }
  // clang -MD without -MF writes OUTPUT with .d for its extension.
  if (depfile && !depfilePath && objectOutput) depfilePath = objectOutput.replace(/\.[^./]*$/, '') + '.d';
  return { args: out, depfile: depfile || depfilePath ? depfilePath : null };
}

// A file argument of a binutil: copied in when it exists, made absolute either way (a new
// archive's name does not exist yet).
function fileArg(arg, cwd, tree) {
  const abs = absolute(cwd, arg);
  tree.addFile(abs);
  return toVirtual(abs);
}

// ar: `ar [-]OPERATION[MODIFIERS] [RELPOS] [COUNT] ARCHIVE [NAMES...]`. The names are files to add
// for q and r, and members of the archive for d, m, p, t and x (extracted ones land in the
// working folder). ranlib, nm and the others: every argument not an option is a file.
export function prepareBinutil(tool, args, cwd, tree) {
  const out = [];
  let op = null;
  let archive = null;
  let skip = 0;  // RELPOS and COUNT after the operation
  for (const arg of args) {
    if (tool !== 'ar') {
      out.push(arg.startsWith('-') || arg === '' ? arg : fileArg(arg, cwd, tree));
    } else if (op === null && (arg.startsWith('--') || arg === '')) {
      out.push(arg);  // --format=..., --plugin...
    } else if (op === null) {
      op = arg.replace(/^-/, '');
      skip = (/[abi]/.test(op.slice(1)) ? 1 : 0) + (op.slice(1).includes('N') ? 1 : 0);
      out.push(arg);
    } else if (skip > 0) {
      --skip;
      out.push(arg);
    } else if (archive === null) {
      archive = fileArg(arg, cwd, tree);
      out.push(archive);
    } else {
      out.push(/^[qr]/.test(op) ? fileArg(arg, cwd, tree) : arg);
    }
  }
  return { args: out, depfile: null };
}

// A Makefile (what clang -MD writes) as logical lines of words, escaped blanks kept.
function depfileLines(text) {
  const lines = [];
  let words = [];
  let cur = '';
  const endWord = () => { if (cur) words.push(cur); cur = ''; };
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (c === '\\' && text[i + 1] === '\n') {
      ++i;
      endWord();
    } else if (c === '\\' && text[i + 1] === '\r' && text[i + 2] === '\n') {
      i += 2;
      endWord();
    } else if (c === '\\' && i + 1 < text.length) {
      cur += c + text[++i];
    } else if (c === '\n') {
      endWord();
      if (words.length) lines.push(words);
      words = [];
    } else if (c === ' ' || c === '\t' || c === '\r') {
      endWord();
    } else {
      cur += c;
    }
  }
  endWord();
  if (words.length) lines.push(words);
  return lines;
}

// The sysroot's headers are in no real folder: a dependency on them would make make and ninja
// rebuild every time (a missing prerequisite). They change only with the pinned package.
export function filterDepfile(bytes) {
  const inSysroot = (w) => w.startsWith('/usr/');
  const real = (w) => (w.startsWith(HOST_USR + '/') ? toReal(w) : w);
  const out = [];
  for (const words of depfileLines(new TextDecoder().decode(bytes))) {
    const colon = words.findIndex((w) => w.endsWith(':'));
    if (colon < 0) {
      out.push(words.join(' '));
      continue;
    }
    const targets = words.slice(0, colon + 1);
    const deps = words.slice(colon + 1).filter((w) => !inSysroot(w)).map(real);
    // -MP's empty rule for a sysroot header goes with it.
    if (deps.length === 0 && targets.length === 1 && inSysroot(targets[0].slice(0, -1))) continue;
    out.push([targets.join(' '), ...deps].join(' \\\n  '));
  }
  return new TextEncoder().encode(out.join('\n') + '\n');
}

// The package's virtual file system renames onto an existing file by keeping the old one, so a
// tool that writes a temporary and renames it over its output (ar d, ar q on an archive, ranlib,
// clang over an object that is also an input) would silently leave the old file. Loaded with that
// one method replaced; a package whose code differs is refused rather than trusted.
const RENAME_AS_SHIPPED = `    const oldEntry = this.entry.traverse(oldPath);
    this.entry.traverse(newPath, { create: oldEntry });
    this.entry.traverse(oldPath, { remove: true });`;
const RENAME_REPLACING = `    const oldEntry = this.entry.traverse(oldPath);
    if (this.entry === newDescriptor.entry && oldPath === newPath) return;
    if (newDescriptor.entry.traverse(newPath, { create: oldEntry }) !== oldEntry) {
      newDescriptor.entry.traverse(newPath, { remove: true });
      newDescriptor.entry.traverse(newPath, { create: oldEntry });
    }
    this.entry.traverse(oldPath, { remove: true });`;

let bundle = null;
async function loadBundle() {
  if (bundle) return bundle;
  if (!fs.existsSync(bundlePath))
    throw new UsageError(`the wasm toolchain is not installed (${bundlePath} missing): run \`cd web && npm ci\``);
  const source = fs.readFileSync(bundlePath, 'utf8');
  if (!source.includes(RENAME_AS_SHIPPED))
    throw new UsageError(`${bundlePath} is not the version this driver was written for (its rename differs)`);
  // Its files (the compiler modules, the sysroot) are found next to the original.
  const patched = source.replace(RENAME_AS_SHIPPED, RENAME_REPLACING)
    .replaceAll('import.meta.url', JSON.stringify(pathToFileURL(bundlePath).href));
  bundle = await import(`data:text/javascript;base64,${Buffer.from(patched).toString('base64')}`);
  await bundle.runLLVM(null, {}, { fetchProgress: () => {} });  // compile the modules, unpack the sysroot
  return bundle;
}

// Clang's own driver cannot start processes under WASI: `clang -###` prints the commands
// (cc1, wasm-ld) and each runs in turn on the same tree. Returns the temporary files those
// commands named under /tmp, which are not written back.
function quotedArgs(line) {
  return Array.from(line.matchAll(/ (?:([^ "]+)|"((?:[^"\\$]|\\["\\$])*)")/g),
    (m) => (m[1] !== undefined ? m[1] : m[2].replaceAll(/\\(["$\\])/g, '$1')));
}

const BANNER = /^(clang version|Target:|Thread model:|InstalledDir:|Build config:)/;

async function runClangDriver(b, args, files, io) {
  const driver = args[0];
  const rest = args.slice(1);
  if (rest.includes('-###')) return { files: await b.runLLVM(args, files, io), temps: [] };
  const chunks = [];
  const capture = (bytes) => { if (bytes) chunks.push(new Uint8Array(bytes)); };
  let planFailed = false;
  try {
    await b.runLLVM([driver, '-###', ...rest], files, { stdout: capture, stderr: capture, decodeASCII: false });
  } catch (e) {
    if (!(e instanceof b.Exit)) throw e;
    planFailed = true;
  }
  const text = Buffer.concat(chunks).toString('utf8');
  const commands = [];
  const said = [];  // the driver's warnings
  for (const line of text.split('\n')) {
    if (line.startsWith(' "')) {
      const cmd = quotedArgs(line);
      if (cmd[0] === '') cmd.shift();
      commands.push(cmd);
    } else if (line !== '' && line !== ' (in-process)' && !BANNER.test(line)) {
      said.push(line);
    }
  }
  // Nothing to start (an error, --version, -print-*, -dumpversion): the driver itself does
  // all there is, and prints it where it belongs.
  if (planFailed || commands.length === 0) return { files: await b.runLLVM(args, files, io), temps: [] };
  if (rest.includes('-v')) io.stderr(Buffer.from(text));
  else if (said.length) io.stderr(Buffer.from(said.join('\n') + '\n'));
  // The driver names its temporaries /tmp/STEM-XXXXXX.EXT.
  const original = new Set(args);
  const temps = [];
  for (const cmd of commands)
    for (const a of cmd) if (/^\/tmp\/[^/]+-[0-9a-f]{6}\.[^/.]+$/.test(a) && !original.has(a)) temps.push(a);
  for (const cmd of commands) files = await b.runLLVM(cmd, files, io);
  return { files, temps };
}

// Every file of the result that the tool wrote: new, or a different array from the one given.
function* writtenFiles(node, prefix, tree) {
  for (const [name, value] of Object.entries(node)) {
    const abs = prefix + '/' + name;
    if (value instanceof Uint8Array) {
      if (tree.inputs.get(abs) !== value) yield [abs, value];
    } else if (typeof value === 'string') {
      yield [abs, Buffer.from(value)];
    } else if (!(prefix === '' && name === 'usr')) {
      yield* writtenFiles(value, abs, tree);
    }
  }
}

// Written beside the target, then renamed over it: a reader never sees half a file.
function writeAtomically(file, bytes) {
  fs.mkdirSync(path.dirname(file), { recursive: true });
  const tmp = `${file}.wasm-clang-${process.pid}-${threadId}.tmp`;
  try {
    fs.writeFileSync(tmp, bytes);
    fs.renameSync(tmp, file);
  } catch (e) {
    try { fs.unlinkSync(tmp); } catch { /* not there */ }
    throw e;
  }
}

// TELKA_WASM_CLANG_TIMES=FILE appends one line per command: milliseconds spent copying the inputs
// in, loading the compiler, running the tool and writing the outputs, and when it ended (how the
// build's time splits).
function logTimes(timesFile, tool, args, times) {
  if (!timesFile) return;
  const out = args.find((a, i) => args[i - 1] === '-o') ?? args.find((a) => a.endsWith('.a')) ?? '';
  fs.appendFileSync(timesFile, JSON.stringify({ tool, out: path.basename(out), pid: process.pid, end: Date.now(), ...times }) + '\n');
}

// Runs one tool command; resolves to its exit status. `io.stdout`, `io.stderr` take Buffers.
export async function runTool(tool, rawArgs, cwd, io, timesFile = process.env.TELKA_WASM_CLANG_TIMES) {
  if (!TOOLS.has(tool)) throw new UsageError(`unknown tool '${tool}' (one of: ${[...TOOLS].join(', ')})`);
  const t0 = performance.now();
  const times = {};
  const args = expandResponseFiles(rawArgs, cwd);
  const tree = new VirtualTree();
  const isClang = tool === 'clang' || tool === 'clang++';
  const plan = isClang ? prepareClang(args, cwd, tree) : prepareBinutil(tool, args, cwd, tree);
  const t1 = performance.now();
  times.map = Math.round(t1 - t0);
  times.files = tree.files;
  const b = await loadBundle();
  const t2 = performance.now();
  times.load = Math.round(t2 - t1);
  const runIo = {
    stdout: (bytes) => { if (bytes) io.stdout(Buffer.from(bytes)); },
    stderr: (bytes) => { if (bytes) io.stderr(Buffer.from(bytes)); },
    decodeASCII: false,
  };
  let result;
  let temps = [];
  try {
    if (isClang) {
      ({ files: result, temps } = await runClangDriver(b, [tool, ...plan.args], tree.root, runIo));
    } else {
      result = await b.runLLVM([tool, ...plan.args], tree.root, runIo);
    }
  } catch (e) {
    times.run = Math.round(performance.now() - t2);
    logTimes(timesFile, tool, args, times);
    if (e instanceof b.Exit) return e.code || 1;
    const what = e instanceof WebAssembly.RuntimeError ? `${tool} crashed (${e.message})` : `${tool} failed: ${e.stack || e}`;
    io.stderr(Buffer.from(`wasm-clang: ${what}\n`));
    return 70;
  }
  const t3 = performance.now();
  times.run = Math.round(t3 - t2);
  const skip = new Set(temps);
  for (const [abs, bytes] of writtenFiles(result, '', tree)) {
    if (skip.has(abs)) continue;
    // A file at the virtual root is one the tool made in its working folder (a.out, ar x).
    const real = path.dirname(abs) === '/' && !tree.inputs.has(abs) ? path.join(cwd, path.basename(abs)) : toReal(abs);
    writeAtomically(real, plan.depfile === abs ? filterDepfile(bytes) : bytes);
  }
  times.write = Math.round(performance.now() - t3);
  logTimes(timesFile, tool, args, times);
  return 0;
}

export function describeError(e) {
  return e instanceof UsageError ? [e.message, 2] : [e.stack || String(e), 70];
}

// A command goes to the compile server (server.mjs) unless TELKA_WASM_CLANG_SERVER=0; without
// an answer from one it runs here.
async function main() {
  const [tool, ...args] = process.argv.slice(2);
  if (!tool) {
    process.stderr.write(`usage: node wasm-clang.mjs TOOL ARGS... (TOOL: ${[...TOOLS].join(', ')})\n`);
    process.exitCode = 2;
    return;
  }
  // A reader that stops reading (| head) ends the output, not the command.
  for (const stream of [process.stdout, process.stderr]) stream.on('error', () => {});
  const io = {
    stdout: (b) => process.stdout.write(b),
    stderr: (b) => process.stderr.write(b),
  };
  if (TOOLS.has(tool) && process.env.TELKA_WASM_CLANG_SERVER !== '0') {
    const { viaServer } = await import('./server.mjs');
    const request = { tool, args, cwd: process.cwd(), timesFile: process.env.TELKA_WASM_CLANG_TIMES || null };
    const status = await viaServer(bundlePath, request, io);
    if (status !== null) {
      process.exitCode = status;
      return;
    }
  }
  try {
    process.exitCode = await runTool(tool, args, process.cwd(), io);
  } catch (e) {
    const [message, code] = describeError(e);
    process.stderr.write(`wasm-clang: ${message}\n`);
    process.exitCode = code;
  }
}

if (process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url)) await main();
