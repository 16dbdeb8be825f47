// The compile server of wasm-clang.mjs: one node process, started on demand by the first command
// of a build, that keeps clang loaded in a few worker threads and runs the commands that clients
// send over a Unix socket; it ends by itself after a while without work. Worth it because V8
// optimises the compiler's hot functions only after they have run for a while: a process that has
// compiled a few files compiles the next three to four times faster than a fresh one.
import crypto from 'node:crypto';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { Worker } from 'node:worker_threads';

const serverFile = fileURLToPath(import.meta.url);
const workerFile = path.join(path.dirname(serverFile), 'server-worker.mjs');
const driverFile = path.join(path.dirname(serverFile), 'wasm-clang.mjs');

// Seconds without a command after which the server ends (TELKA_WASM_CLANG_IDLE overrides).
const DEFAULT_IDLE_SECONDS = 60;
// How long a client waits for a server it started before compiling by itself.
const START_TIMEOUT_MS = 20000;

function mtimeOf(file) {
  try {
    return fs.statSync(file).mtimeMs;
  } catch {
    return 0;
  }
}

// One server per driver, compiler and node: a changed driver or package gets a server of its own,
// and the old one ends when idle.
export function socketPath(bundlePath) {
  const key = crypto.createHash('sha256')
    .update([serverFile, mtimeOf(serverFile), workerFile, mtimeOf(workerFile), driverFile, mtimeOf(driverFile),
      bundlePath, mtimeOf(bundlePath), process.version].join('\0'))
    .digest('hex').slice(0, 16);
  const uid = typeof process.getuid === 'function' ? process.getuid() : 'user';
  return path.join(os.tmpdir(), `telka-wasm-clang-${uid}`, `${key}.sock`);
}

// The socket's folder, private to this user; null when it cannot be made so.
function privateDir(dir) {
  try {
    fs.mkdirSync(dir, { recursive: true, mode: 0o700 });
    const st = fs.lstatSync(dir);
    const uid = typeof process.getuid === 'function' ? process.getuid() : st.uid;
    if (!st.isDirectory() || st.uid !== uid || (st.mode & 0o077) !== 0) return null;
    return dir;
  } catch {
    return null;
  }
}

function connect(sock) {
  return new Promise((resolve) => {
    const c = net.createConnection(sock);
    c.once('connect', () => resolve(c));
    c.once('error', () => resolve(null));
  });
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function startServer(sock) {
  const child = spawn(process.execPath, [serverFile, '--serve', sock], {
    cwd: '/',
    detached: true,
    stdio: 'ignore',  // never the build's pipes: make would wait for the server to close them
    env: process.env,
  });
  child.unref();
}

// Runs a command through the server, starting one if there is none. Resolves to the exit
// status, or to null when no server could be had or it went away before answering (the
// caller then runs the command itself; outputs are written whole, so running twice is safe).
export async function viaServer(bundlePath, request, io) {
  const sock = socketPath(bundlePath);
  if (!privateDir(path.dirname(sock))) return null;
  let conn = await connect(sock);
  if (!conn) {
    startServer(sock);
    const deadline = Date.now() + START_TIMEOUT_MS;
    for (let wait = 20; !conn && Date.now() < deadline; wait = Math.min(wait * 2, 250)) {
      await sleep(wait);
      conn = await connect(sock);
    }
    if (!conn) return null;
  }
  return new Promise((resolve) => {
    let buffered = '';
    let status = null;
    conn.setEncoding('utf8');
    conn.on('data', (text) => {
      buffered += text;
      let nl;
      while ((nl = buffered.indexOf('\n')) >= 0) {
        const line = buffered.slice(0, nl);
        buffered = buffered.slice(nl + 1);
        let msg;
        try {
          msg = JSON.parse(line);
        } catch {
          continue;
        }
        if (msg.o) io.stdout(Buffer.from(msg.o, 'base64'));
        if (msg.e) io.stderr(Buffer.from(msg.e, 'base64'));
        if (typeof msg.exit === 'number') status = msg.exit;
      }
    });
    conn.on('error', () => {});
    conn.on('close', () => resolve(status));
    conn.write(JSON.stringify(request) + '\n');
  });
}

// ---- the server process ----

async function serve(sock) {
  const logFile = sock.replace(/\.sock$/, '.log');
  const log = (msg) => {
    try {
      fs.appendFileSync(logFile, `${new Date().toISOString()} ${process.pid} ${msg}\n`);
    } catch { /* no log, no matter */ }
  };
  const idleMs = (Number(process.env.TELKA_WASM_CLANG_IDLE) || DEFAULT_IDLE_SECONDS) * 1000;
  const size = Math.max(1, Math.min(4, os.availableParallelism ? os.availableParallelism() : os.cpus().length));

  const server = net.createServer();
  const listen = () => new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(sock, () => { server.off('error', reject); resolve(); });
  });
  try {
    await listen();
  } catch (e) {
    if (e.code !== 'EADDRINUSE') throw e;
    // A live server answers; a dead one left its socket file behind.
    const c = await connect(sock);
    if (c) {
      c.destroy();
      return;
    }
    fs.rmSync(sock, { force: true });
    try {
      await listen();
    } catch {
      return;  // another server won the race
    }
  }
  fs.chmodSync(sock, 0o600);
  // Logs of servers long gone (each driver version has its own).
  const dir = path.dirname(sock);
  for (const name of fs.readdirSync(dir)) {
    const file = path.join(dir, name);
    try {
      if (name.endsWith('.log') && file !== logFile && Date.now() - fs.statSync(file).mtimeMs > 86400e3) fs.rmSync(file);
    } catch { /* another server's cleaning */ }
  }
  log(`serving with ${size} workers`);

  const queue = [];
  const workers = [];
  let idleTimer = null;
  const busy = () => queue.length > 0 || workers.some((w) => w.job);
  const armIdle = () => {
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => { if (!busy()) shutdown(); }, idleMs);
  };
  let ending = false;
  const shutdown = () => {
    log('idle: ending');
    ending = true;
    for (const w of workers) w.thread.terminate();
    // Closing removes the socket file.
    server.close(() => process.exit(0));
    setTimeout(() => process.exit(0), 2000).unref();
  };

  const send = (job, msg) => {
    if (!job.conn.destroyed) job.conn.write(JSON.stringify(msg) + '\n');
  };
  const finish = (w, status) => {
    const job = w.job;
    w.job = null;
    if (job) {
      send(job, { exit: status });
      job.conn.end();
    }
    dispatch();
  };
  const makeWorker = (w = {}) => {
    w.thread = new Worker(workerFile);
    w.job = null;
    w.thread.on('message', (msg) => {
      if (!w.job) return;
      if (msg.o) send(w.job, { o: Buffer.from(msg.o).toString('base64') });
      if (msg.e) send(w.job, { e: Buffer.from(msg.e).toString('base64') });
      if (typeof msg.exit === 'number') finish(w, msg.exit);
    });
    w.thread.on('error', (e) => {
      log(`worker failed: ${e.stack || e}`);
      if (w.job) send(w.job, { e: Buffer.from(`wasm-clang: the compile server's worker failed: ${e.message}\n`).toString('base64') });
    });
    w.thread.on('exit', () => {
      if (ending) return;
      // A worker that died (out of memory, say) fails its command and is replaced.
      finish(w, 70);
      makeWorker(w);
    });
    return w;
  };
  for (let i = 0; i < size; ++i) workers.push(makeWorker());

  function dispatch() {
    for (const w of workers) {
      if (!queue.length) break;
      if (w.job) continue;
      const job = queue.shift();
      if (job.conn.destroyed && !job.started) {
        continue;  // the client went away before its turn
      }
      w.job = job;
      job.started = true;
      w.thread.postMessage(job.request);
    }
    if (!busy()) armIdle();
  }

  server.on('connection', (conn) => {
    clearTimeout(idleTimer);
    let buffered = '';
    conn.setEncoding('utf8');
    conn.on('error', () => {});
    conn.on('data', (text) => {
      if (buffered === null) return;
      buffered += text;
      const nl = buffered.indexOf('\n');
      if (nl < 0) return;
      let request;
      try {
        request = JSON.parse(buffered.slice(0, nl));
      } catch {
        conn.end();
        return;
      }
      buffered = null;
      queue.push({ conn, request, started: false });
      dispatch();
    });
  });
  armIdle();
}

if (process.argv[1] && path.resolve(process.argv[1]) === serverFile && process.argv[2] === '--serve') {
  await serve(process.argv[3]);
}
