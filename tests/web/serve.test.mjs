// The site's server and build tools on small sites made in a temp folder: the isolation headers, the
// precompressed copies and refused paths (web/serve.mjs), precompress.mjs, service-worker.mjs, licences.mjs;
// and in headless Chromium (puppeteer-core), a header-less host made isolated and offline by sw.js + coi.js.
import assert from 'node:assert/strict';
import {spawn, spawnSync} from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {after, before, describe, test} from 'node:test';
import {fileURLToPath} from 'node:url';
import zlib from 'node:zlib';

import {buildList} from '../../web/tools/service-worker.mjs';

const ROOT = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const SERVE = path.join(ROOT, 'web/serve.mjs');
const PRECOMPRESS = path.join(ROOT, 'web/tools/precompress.mjs');
const WORKER = path.join(ROOT, 'web/tools/service-worker.mjs');
const LICENCES = path.join(ROOT, 'web/tools/licences.mjs');
const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const made = [];
const tmp = (name) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), `telka-${name}-`));
  made.push(dir);
  return dir;
};
process.on('exit', () => {
  for (const dir of made) fs.rmSync(dir, {recursive: true, force: true});
});

function write(dir, rel, data) {
  const file = path.join(dir, rel);
  fs.mkdirSync(path.dirname(file), {recursive: true});
  fs.writeFileSync(file, data);
  return file;
}

function node(script, ...args) {
  return spawnSync(process.execPath, [script, ...args], {encoding: 'utf8'});
}

// Starts web/serve.mjs on a free port; resolves once it prints its address.
function serve(site, ...extra) {
  const proc = spawn(process.execPath, [SERVE, site, '--port', '0', ...extra], {stdio: ['ignore', 'pipe', 'pipe']});
  const requests = [];
  let err = '';
  proc.stderr.setEncoding('utf8');
  proc.stderr.on('data', (d) => {
    err += d;
    requests.push(...d.split('\n').filter(Boolean));
  });
  const exited = new Promise((resolve) => proc.once('exit', (code, signal) => resolve({code, signal})));
  return new Promise((resolve, reject) => {
    let out = '';
    proc.stdout.setEncoding('utf8');
    proc.stdout.on('data', (d) => {
      out += d;
      const m = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(out);
      if (m)
        resolve({
          base: m[0],
          port: Number(m[1]),
          proc,
          requests,
          exited,
          stop: () => {
            proc.kill('SIGTERM');
            return exited;
          },
        });
    });
    exited.then(({code}) => reject(new Error(`serve.mjs ended (${code}) before listening: ${err}`)));
    setTimeout(() => reject(new Error('serve.mjs printed no address')), 10000).unref();
  });
}

// A raw request: the path goes out exactly as given (no normalising of "..") and the body is not decoded.
function request(port, rawPath, {method = 'GET', headers = {}} = {}) {
  return new Promise((resolve, reject) => {
    const req = http.request({host: '127.0.0.1', port, path: rawPath, method, headers}, (res) => {
      const chunks = [];
      res.on('data', (c) => chunks.push(c));
      res.on('end', () => resolve({status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks)}));
    });
    req.on('error', reject);
    req.end();
  });
}

// Text that compresses well, large enough to be precompressed.
const compressible = (n) => Array.from({length: n}, (_, i) => `function f${i}(x) { return x * ${i % 7}; }\n`).join('');

describe('serve.mjs', () => {
  let site, outside, server;
  before(async () => {
    site = tmp('site');
    outside = tmp('outside');
    write(outside, 'secret.txt', 'SECRET');
    write(site, 'index.html', '<!doctype html><title>index</title>');
    write(site, 'app.js', compressible(2000));
    write(site, 'runtime/worker.mjs', 'export {};\n');
    write(site, 'programs/hello.wasm', Buffer.from([0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]));
    write(site, 'compiler/sysroot.tar', Buffer.alloc(10000, 1));
    write(site, 'fonts/a.ttf', Buffer.alloc(100, 2));
    write(site, 'examples/hello.c', '#include <telka.h>\nint main(void) { return 0; }\n');
    write(site, 'examples/list.json', '["hello.c"]');
    write(site, 'style.css', 'body{}');
    write(site, 'pic.png', Buffer.alloc(10, 3));
    write(site, 'pic.svg', '<svg/>');
    write(site, 'sw.js', '// worker\n');
    write(site, 'empty/readme.txt', 'x');
    fs.mkdirSync(path.join(site, 'nolist'));
    write(site, 'nolist/a.txt', 'a');
    fs.symlinkSync(path.join(outside, 'secret.txt'), path.join(site, 'leak.txt'));
    fs.symlinkSync(outside, path.join(site, 'leakdir'));
    write(site, 'sub/index.html', '<p>sub</p>');
    const r = node(PRECOMPRESS, site);
    assert.equal(r.status, 0, r.stderr);
    server = await serve(site);
  });
  after(async () => {
    await server?.stop();
  });

  test('isolation headers, and the types the page relies on', async () => {
    const types = {
      '/index.html': 'text/html;charset=utf-8',
      '/runtime/worker.mjs': 'text/javascript',
      '/programs/hello.wasm': 'application/wasm',
      '/compiler/sysroot.tar': 'application/x-tar',
      '/examples/hello.c': 'text/plain; charset=utf-8',
    };
    for (const [p, type] of Object.entries(types)) {
      const r = await request(server.port, p);
      assert.equal(r.status, 200, p);
      assert.equal(r.headers['content-type'], type, p);
      assert.equal(r.headers['cross-origin-opener-policy'], 'same-origin', p);
      assert.equal(r.headers['cross-origin-embedder-policy'], 'require-corp', p);
      assert.equal(r.headers['cross-origin-resource-policy'], 'same-origin', p);
    }
    const root = await request(server.port, '/');
    assert.equal(root.body.toString(), '<!doctype html><title>index</title>');
    assert.equal((await request(server.port, '/index.html?program=hello')).status, 200, 'a query string is ignored');
  });

  test('the compressed copy where the browser takes it, logged with the bytes sent; a revalidation is a 304', async () => {
    const raw = fs.readFileSync(path.join(site, 'app.js'));
    const br = fs.readFileSync(path.join(site, 'app.js.br'));
    await sleep(100); // the log lines arrive through a pipe
    server.requests.length = 0;
    const r = await request(server.port, '/app.js', {headers: {'accept-encoding': 'gzip, deflate, br'}});
    assert.equal(r.headers['content-encoding'], 'br');
    assert.deepEqual(zlib.brotliDecompressSync(r.body), raw);
    assert.equal(r.headers['cross-origin-embedder-policy'], 'require-corp');
    assert.deepEqual((await request(server.port, '/app.js')).body, raw);
    const again = await request(server.port, '/app.js', {
      headers: {'accept-encoding': 'br', 'if-none-match': r.headers.etag},
    });
    assert.equal(again.status, 304);
    assert.equal(again.body.length, 0);
    await sleep(100);
    assert.deepEqual(server.requests, [
      `GET /app.js 200 ${br.length} br`,
      `GET /app.js 200 ${raw.length}`,
      'GET /app.js 304 -',
    ]);
  });

  test('a copy older than its file is not served', async () => {
    const dir = tmp('stale');
    write(dir, 'a.js', compressible(500));
    assert.equal(node(PRECOMPRESS, dir).status, 0);
    const later = new Date(Date.now() + 5000);
    fs.writeFileSync(path.join(dir, 'a.js'), compressible(600));
    fs.utimesSync(path.join(dir, 'a.js'), later, later);
    const s = await serve(dir);
    try {
      const r = await request(s.port, '/a.js', {headers: {'accept-encoding': 'br, gzip'}});
      assert.equal(r.headers['content-encoding'], undefined);
      assert.equal(r.body.toString(), compressible(600));
    } finally {
      await s.stop();
    }
  });

  test('paths out of the site are refused, encoded or not, symlinks too', async () => {
    for (const p of [
      '/../secret.txt',
      '/%2e%2e/secret.txt',
      '/..%2fsecret.txt',
      '/%2E%2E%2Fsecret.txt',
      '/sub/%2e%2e/%2e%2e/secret.txt',
      '/..\\secret.txt',
      '/%5c..%5csecret.txt',
      '/leak.txt',
      '/leakdir/secret.txt',
      '/%00',
      '/.precompress.json',
      `/${'..%2f'.repeat(8)}etc/passwd`,
      '/%zz',
    ]) {
      const r = await request(server.port, p);
      assert.ok([400, 403, 404].includes(r.status), `${p}: ${r.status}`);
      assert.ok(!r.body.toString().includes('SECRET'), p);
      assert.ok(!r.body.toString().includes('root:'), p);
      assert.equal(r.headers['content-type'], 'text/plain; charset=utf-8', p);
    }
  });

  test('404, no listings, 405, folders', async () => {
    const missing = await request(server.port, '/nothing.js');
    assert.equal(missing.status, 404);
    assert.match(missing.body.toString(), /Not found/);
    assert.equal((await request(server.port, '/nolist/')).status, 404, 'a folder without index.html lists nothing');
    assert.equal((await request(server.port, '/sub/')).body.toString(), '<p>sub</p>');
    const post = await request(server.port, '/index.html', {method: 'POST'});
    assert.equal(post.status, 405);
    assert.equal(post.headers.allow, 'GET, HEAD');
    assert.equal(post.headers['content-type'], 'text/plain; charset=utf-8');
    assert.equal((await request(server.port, '/index.html', {method: 'DELETE'})).status, 405);
  });

  test('--no-isolation-headers leaves them out', async () => {
    const s = await serve(site, '--no-isolation-headers');
    try {
      const r = await request(s.port, '/index.html');
      assert.equal(r.status, 200);
      assert.equal(r.headers['cross-origin-opener-policy'], undefined);
      assert.equal(r.headers['cross-origin-embedder-policy'], undefined);
    } finally {
      await s.stop();
    }
  });

  test('ends cleanly on SIGTERM and SIGINT; bad arguments get a message', async () => {
    for (const signal of ['SIGTERM', 'SIGINT']) {
      const s = await serve(site);
      s.proc.kill(signal);
      assert.deepEqual(await s.exited, {code: 0, signal: null});
    }
    let r = node(SERVE);
    assert.equal(r.status, 2);
    assert.match(r.stderr, /one site folder/);
    r = node(SERVE, path.join(site, 'no-such-folder'));
    assert.equal(r.status, 1);
    assert.match(r.stderr, /not a folder/);
    r = node(SERVE, site, '--port', 'eighty');
    assert.equal(r.status, 2);
    assert.match(r.stderr, /--port/);
    r = node(SERVE, site, '--port', String(server.port));
    assert.equal(r.status, 1);
    assert.match(r.stderr, /in use/);
  });
});

describe('precompress.mjs and service-worker.mjs', () => {
  test('keeps a variant only when it saves, skips what is current, removes what is orphaned', () => {
    const dir = tmp('pre');
    write(dir, 'text.js', compressible(3000));
    write(dir, 'noise.wasm', crypto.randomBytes(20000));
    write(dir, 'tiny.js', 'x');
    write(dir, 'pic.png', Buffer.alloc(50000));
    let r = node(PRECOMPRESS, dir);
    assert.equal(r.status, 0, r.stderr);
    assert.match(r.stdout, /2 compressed/);
    assert.ok(fs.existsSync(path.join(dir, 'text.js.br')) && fs.existsSync(path.join(dir, 'text.js.gz')));
    assert.ok(!fs.existsSync(path.join(dir, 'noise.wasm.br')), 'noise does not compress by 10%');
    assert.ok(!fs.existsSync(path.join(dir, 'tiny.js.br')), 'too small to bother');
    assert.ok(!fs.existsSync(path.join(dir, 'pic.png.gz')), 'PNG is compressed already');
    assert.deepEqual(
      zlib.brotliDecompressSync(fs.readFileSync(path.join(dir, 'text.js.br'))),
      fs.readFileSync(path.join(dir, 'text.js'))
    );

    r = node(PRECOMPRESS, dir);
    assert.equal(r.status, 0);
    assert.match(r.stdout, /0 compressed .* 2 up to date/);

    const later = new Date(Date.now() + 3000);
    fs.writeFileSync(path.join(dir, 'text.js'), compressible(3100));
    fs.utimesSync(path.join(dir, 'text.js'), later, later);
    r = node(PRECOMPRESS, dir);
    assert.match(r.stdout, /1 compressed .* 1 up to date/);
    assert.deepEqual(zlib.gunzipSync(fs.readFileSync(path.join(dir, 'text.js.gz'))), Buffer.from(compressible(3100)));

    fs.rmSync(path.join(dir, 'text.js'));
    node(PRECOMPRESS, dir);
    assert.ok(!fs.existsSync(path.join(dir, 'text.js.br')), 'the sibling of a removed file goes too');
    assert.equal(fs.readdirSync(dir).filter((n) => n.endsWith('.tmp')).length, 0);

    r = node(PRECOMPRESS, path.join(dir, 'missing'));
    assert.equal(r.status, 1);
    assert.match(r.stderr, /not a folder/);
  });

  test('the worker carries the served files with their hashes; its version follows their content', async () => {
    const dir = tmp('manifest');
    write(dir, 'index.html', compressible(200));
    write(dir, 'programs/a.wasm', Buffer.alloc(5000, 7));
    write(dir, '.hidden', 'state');
    assert.equal(node(PRECOMPRESS, dir).status, 0);
    assert.equal(node(WORKER, dir).status, 0);
    const l1 = await buildList(dir);
    assert.deepEqual(
      l1.files.map((f) => f.url),
      ['programs/a.wasm', 'index.html'],
      'smallest first, no sw.js, copies or hidden files'
    );
    assert.equal(l1.files[0].size, 5000);
    assert.match(l1.files[0].revision, /^[0-9a-f]{64}$/);
    assert.match(l1.version, /^[0-9a-f]{16}$/);
    const worker = fs.readFileSync(path.join(dir, 'sw.js'), 'utf8');
    for (const text of [l1.version, l1.files[0].revision, l1.files[1].revision]) assert.ok(worker.includes(text), text);
    write(dir, 'programs/a.wasm', Buffer.alloc(5000, 8));
    assert.equal(node(WORKER, dir).status, 0);
    const l2 = await buildList(dir);
    assert.notEqual(l2.version, l1.version);
    assert.equal(l2.files[1].revision, l1.files[1].revision);
    assert.notEqual(l2.files[0].revision, l1.files[0].revision);
    assert.ok(fs.readFileSync(path.join(dir, 'sw.js'), 'utf8').includes(l2.version));
    assert.equal(node(WORKER).status, 2);
  });
});

// A tiny site the way the real one is laid out: pages that include coi.js first, a Worker that blocks
// with Atomics.wait, a file larger than the worker's install share, all listed in sw.js.
function makeBrowserSite({withWorker = true} = {}) {
  const dir = tmp('coi');
  const page = (title) => `<!doctype html><html><head><meta charset="utf-8"><script src="coi.js"></script>
<title>${title}</title></head><body><p id="state">loading</p><script src="page.js"></script></body></html>\n`;
  write(dir, 'index.html', page('coi test'));
  write(
    dir,
    'page.js',
    `
const loads = Number(sessionStorage.getItem('loads') || 0) + 1;
sessionStorage.setItem('loads', String(loads));
(async () => {
  const out = {loads, isolated: crossOriginIsolated};
  out.data = await (await fetch('data.txt')).text();
  const big = await fetch('programs/big.wasm');
  out.big = (await big.arrayBuffer()).byteLength;
  out.bigType = big.headers.get('content-type');
  out.bigCoep = big.headers.get('cross-origin-embedder-policy');
  if (crossOriginIsolated) {
    out.worker = await new Promise((resolve) => {
      const w = new Worker('runtime/worker.js', {type: 'module'});
      w.onmessage = (e) => resolve(e.data);
      w.onerror = (e) => resolve('worker error: ' + e.message);
      w.postMessage(new SharedArrayBuffer(4));
    });
  }
  window.result = out;
  document.getElementById('state').textContent = JSON.stringify(out);
})().catch((e) => { window.result = {error: String(e)}; });
`
  );
  write(
    dir,
    'runtime/worker.js',
    `
self.onmessage = async (e) => {
  const cell = new Int32Array(e.data);
  const waited = Atomics.wait(cell, 0, 0, 5);
  const data = await (await fetch('../data.txt')).text();  // a Worker's own fetch, as the compiler's
  postMessage('waited: ' + waited + ', read: ' + data.trim());
};
`
  );
  write(dir, 'data.txt', 'version one\n');
  // 6 MB, above what install waits for; half compressible, so the server sends it as brotli.
  write(dir, 'programs/big.wasm', Buffer.concat([crypto.randomBytes(3 << 20), Buffer.alloc(3 << 20, 42)]));
  fs.copyFileSync(path.join(ROOT, 'web/site/coi.js'), path.join(dir, 'coi.js'));
  if (withWorker) assert.equal(node(WORKER, dir).status, 0);
  assert.equal(node(PRECOMPRESS, dir).status, 0);
  return dir;
}

// Waits through reloads until `fn` in the page returns something truthy.
async function pageValue(page, fn, timeout = 30000) {
  const end = Date.now() + timeout;
  for (;;) {
    try {
      const v = await page.evaluate(fn);
      if (v) return v;
    } catch {
      // the page is between two documents (coi.js reloading it)
    }
    if (Date.now() > end) throw new Error(`timed out waiting for ${fn}`);
    await sleep(100);
  }
}

describe('sw.js and coi.js in Chromium', {skip: !fs.existsSync(CHROMIUM) && `no browser at ${CHROMIUM}`}, () => {
  let browser;
  before(async () => {
    const {default: puppeteer} = await import('puppeteer-core');
    browser = await puppeteer.launch({executablePath: CHROMIUM, headless: true, args: ['--no-sandbox']});
  });
  after(async () => {
    await browser?.close();
  });

  test('a host without the headers: isolated after one reload, then offline from the cache', async () => {
    const site = makeBrowserSite();
    let server = await serve(site, '--no-isolation-headers');
    const context = await browser.createBrowserContext();
    try {
      const page = await context.newPage();
      await page.goto(`${server.base}index.html?program=demo`);
      // The first document is not isolated and reloads; wait for the one that is, or gives up.
      const first = await pageValue(
        page,
        () =>
          window.result && (window.result.isolated || window.telkaIsolation.state === 'unavailable') && window.result
      );
      assert.equal(first.error, undefined, first.error);
      assert.equal(first.isolated, true);
      assert.equal(first.loads, 2, 'isolated after exactly one reload');
      assert.equal(first.worker, 'waited: timed-out, read: version one', 'a Worker blocks with Atomics.wait');
      assert.equal(first.data, 'version one\n');
      assert.equal(first.big, 6 << 20);
      assert.equal(first.bigType, 'application/wasm');
      assert.equal(first.bigCoep, 'require-corp');

      const offline = await pageValue(
        page,
        () => window.telkaIsolation.offline.state === 'ready' && window.telkaIsolation.offline,
        60000
      );
      const manifest = await buildList(site);
      assert.equal(offline.version, manifest.version);

      // A second visit downloads nothing but the worker's update check: every file comes from the cache.
      server.requests.length = 0;
      await page.reload();
      const second = await pageValue(page, () => window.result);
      assert.equal(second.isolated, true);
      assert.equal(second.loads, 3, 'no further reload');
      await sleep(300);
      const fetched = server.requests.filter((line) => /^GET /.test(line) && !/ 304 /.test(line));
      assert.ok(
        fetched.every((line) => /^GET \/sw\.js /.test(line)),
        fetched.join('\n')
      );

      // A new build changes one small file: the new worker fetches that file only and drops its old copy.
      write(site, 'data.txt', 'version two\n');
      assert.equal(node(WORKER, site).status, 0);
      const manifest2 = await buildList(site);
      server.requests.length = 0;
      await page.evaluate(() => navigator.serviceWorker.getRegistration().then((r) => r.update()));
      await page.waitForFunction(
        (old) => window.telkaIsolation.offline.version !== old,
        {timeout: 30000},
        manifest.version
      );
      const updated = await page.evaluate(() => window.telkaIsolation.offline);
      assert.equal(updated.state, 'ready');
      assert.equal(updated.version, manifest2.version);
      await sleep(300); // the server's log lines arrive through a pipe
      const got = server.requests.filter((line) => /^GET /.test(line)).map((line) => line.split(' ')[1]);
      assert.deepEqual(got.sort(), ['/data.txt', '/sw.js']);
      // The old copy goes once the new worker has activated, which its pages hear of a moment before.
      const expected = JSON.stringify(manifest2.files.map((f) => '/' + f.url).sort());
      await page.waitForFunction(
        async (expected) =>
          expected ===
          JSON.stringify(
            (await (await caches.open('telka-files-v2')).keys()).map((r) => new URL(r.url).pathname).sort()
          ),
        {timeout: 10000},
        expected
      );

      // The network gone: the page, its script, the Worker and the large file still load.
      await server.stop();
      server = null;
      await page.reload();
      const third = await pageValue(page, () => window.result);
      assert.equal(third.error, undefined, third.error);
      assert.equal(third.isolated, true);
      assert.equal(third.data, 'version two\n');
      assert.equal(third.big, 6 << 20);
      assert.equal(third.worker, 'waited: timed-out, read: version two', 'the Worker reads from the cache');
      assert.match(await page.$eval('#state', (e) => e.textContent), /"loads":4/);
      const missing = await page.evaluate(async () => {
        const r = await fetch('not-in-the-site.txt');
        return `${r.status} ${await r.text()}`;
      });
      assert.match(missing, /^503 .*not saved on this computer/);
    } finally {
      await context.close();
      await server?.stop();
    }
  });

  test('a server that sends the headers: no reload, and the worker still keeps the site', async () => {
    const site = makeBrowserSite();
    const server = await serve(site);
    const context = await browser.createBrowserContext();
    try {
      const page = await context.newPage();
      await page.goto(`${server.base}index.html`);
      const r = await pageValue(page, () => window.result);
      assert.equal(r.isolated, true);
      assert.equal(r.loads, 1);
      const offline = await pageValue(
        page,
        () => window.telkaIsolation.offline.state === 'ready' && window.telkaIsolation.offline,
        60000
      );
      const manifest = await buildList(site);
      assert.equal(offline.files, manifest.files.length);
      assert.equal(offline.version, manifest.version);
      assert.equal(await page.evaluate(() => sessionStorage.getItem('loads')), '1');
    } finally {
      await context.close();
      await server.stop();
    }
  });

  test('no headers and no worker: a plain message says programs cannot run, and no reload loop', async () => {
    const site = makeBrowserSite({withWorker: false});
    const server = await serve(site, '--no-isolation-headers');
    const context = await browser.createBrowserContext();
    try {
      const page = await context.newPage();
      await page.goto(`${server.base}index.html`);
      const text = await pageValue(page, () => document.getElementById('telka-coi-message')?.textContent);
      assert.match(text, /cannot run programs here/);
      assert.match(text, /service worker/);
      await sleep(500);
      assert.equal(await page.evaluate(() => sessionStorage.getItem('loads')), '1');
      assert.equal(await page.evaluate(() => window.telkaIsolation.state), 'unavailable');
    } finally {
      await context.close();
      await server.stop();
    }
  });
});

describe('licences.mjs', () => {
  test('lists the shipped packages with their licence files, escaped; build tools left out', () => {
    const site = tmp('lic-site');
    write(site, 'index.html', '<p>x</p>');
    write(site, 'fonts/DejaVuSans.ttf', 'font');
    const web = tmp('lic-web');
    write(
      web,
      'package-lock.json',
      JSON.stringify({
        packages: {
          '': {dependencies: {'@scope/editor': '1.0.0'}, devDependencies: {esbuild: '0.1.0'}},
          'node_modules/@scope/editor': {version: '1.0.0', license: 'MIT', dependencies: {helper: '^2'}},
          'node_modules/helper': {version: '2.1.0', license: 'ISC'},
          'node_modules/esbuild': {version: '0.1.0', license: 'MIT', dev: true},
        },
      })
    );
    write(web, 'node_modules/@scope/editor/package.json', '{"license": "MIT"}');
    write(web, 'node_modules/@scope/editor/LICENSE', 'MIT <script>alert("x")</script> & friends');
    write(web, 'node_modules/helper/package.json', '{"license": "ISC"}');
    write(web, 'node_modules/helper/README.md', 'helper\n======\n\nLicense\n-------\n\nISC, see <the site>.\n');
    const r = node(LICENCES, site, '--web', web, '--root', site);
    assert.equal(r.status, 0, r.stderr);
    const html = fs.readFileSync(path.join(site, 'licences.html'), 'utf8');
    assert.match(html, /@scope\/editor/);
    assert.match(html, /helper<\/a><\/td><td>2\.1\.0<\/td><td>ISC/);
    assert.doesNotMatch(html, /esbuild/, 'a build tool is not shipped');
    assert.doesNotMatch(html, /<script>/);
    assert.match(html, /MIT &lt;script&gt;alert\(&quot;x&quot;\)&lt;\/script&gt; &amp; friends/);
    assert.match(html, /its README says:<\/p><pre>ISC, see &lt;the site&gt;\.<\/pre>/);
    assert.match(html, /has no licence file/, 'TELKA without a licence file says so');
    assert.match(r.stderr, /no LICENSE file/);
    for (const [file, text] of [
      ['/usr/share/doc/libfreetype6/copyright', /FreeType/],
      ['/usr/share/doc/fonts-dejavu-core/copyright', /DejaVu/],
    ]) {
      if (fs.existsSync(file))
        assert.ok(html.includes(escapeForTest(fs.readFileSync(file, 'utf8').slice(0, 200))), file);
      assert.match(html, text);
    }
    assert.equal(node(LICENCES).status, 2);
    assert.equal(node(LICENCES, path.join(site, 'none')).status, 1);
  });

  test(
    'the real package list: every package the site bundles or copies',
    {
      skip:
        !fs.existsSync(path.join(ROOT, 'web/node_modules/@yowasp/clang')) &&
        'web/node_modules not installed (cd web && npm ci)',
    },
    () => {
      const site = tmp('lic-real');
      write(site, 'index.html', '<p>x</p>');
      const r = node(LICENCES, site);
      assert.equal(r.status, 0, r.stderr);
      const html = fs.readFileSync(path.join(site, 'licences.html'), 'utf8');
      for (const name of [
        '@yowasp/clang',
        'codemirror',
        '@codemirror/view',
        '@codemirror/state',
        '@codemirror/lang-cpp',
        '@codemirror/lint',
        '@lezer/common',
        '@lezer/cpp',
        'style-mod',
        'crelt',
        'w3c-keyname',
        '@bjorn3/browser_wasi_shim',
        'workbox-precaching',
        'workbox-core',
        'workbox-routing',
        'workbox-strategies',
      ]) {
        assert.ok(html.includes(`>${name}</a>`), name);
      }
      assert.doesNotMatch(html, />(esbuild|sirv|mrmime)</, 'the build and serve tools are not shipped');
      assert.match(html, /Apache-2\.0 WITH LLVM-exception/);
      assert.match(html, /wasi-libc/);
    }
  );
});

function escapeForTest(text) {
  return text.replace(/[&<>"']/g, (c) => ({'&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&#39;'})[c]);
}
