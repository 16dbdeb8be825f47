// The site's service worker: keeps every file precache.json lists (pages, runtime, fonts, programs, the
// compiler) in CacheStorage so the site works with the network gone, and gives every response it serves
// the cross-origin isolation headers, so programs' SharedArrayBuffer works on hosts that cannot send them.
// Relies on precache.json (web/tools/site-manifest.mjs): {version, files: [{path, size, hash: sha256 hex}]}.
'use strict';

const FILES = 'telka-files-v1';  // entries keyed by path and content hash: a changed file is a new key
const META = 'telka-meta-v1';    // the manifest whose files are all cached, and the one being fetched
const MANIFEST = 'precache.json';
const INSTALL_LIMIT = 4 << 20;   // install waits only for files up to this size; larger ones follow
const INSTALL_WAIT_MS = 8000;    // and no longer than this: the page is not isolated until the worker runs
const CHECK_INTERVAL_MS = 30000; // a navigation looks for a new build at most this often
const PARALLEL = 3;

const ISOLATION = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
  'Cross-Origin-Resource-Policy': 'same-origin',
};

const scope = new URL(self.registration.scope);
let current = null;      // manifest served from the cache (all its files are there)
let pending = null;      // manifest being fetched; served from while there is no current one
let loaded = null;       // promise: current and pending read back from META after a restart
let syncing = null;      // promise of the running sync
let lastCheck = 0;
let lastStatus = {state: 'idle'};
const inflight = new Map();  // cache key -> promise of the download storing it

function siteURL(path) {
  return new URL(path.split('/').map(encodeURIComponent).join('/'), scope).href;
}

function keyOf(file) {
  return `${siteURL(file.path)}?sha256=${file.hash}`;
}

// The site path a request names ('' and folders mean their index.html), or null outside the scope.
function pathOf(url) {
  if (url.origin !== scope.origin || !url.pathname.startsWith(scope.pathname)) return null;
  let rel;
  try {
    rel = decodeURIComponent(url.pathname.slice(scope.pathname.length));
  } catch {
    return null;
  }
  if (rel === '' || rel.endsWith('/')) rel += 'index.html';
  return rel;
}

function valid(m) {
  if (!m || typeof m.version !== 'string' || !Array.isArray(m.files)) return false;
  return m.files.every((f) => f && typeof f.path === 'string' && f.path && typeof f.hash === 'string' &&
                              /^[0-9a-f]{64}$/.test(f.hash) && Number.isFinite(f.size) && f.size >= 0);
}

function indexed(m) {
  if (m) m.byPath = new Map(m.files.map((f) => [f.path, f]));
  return m;
}

async function readMeta(name) {
  const r = await (await caches.open(META)).match(name);
  if (!r) return null;
  try {
    const m = await r.json();
    return valid(m) ? indexed(m) : null;
  } catch {
    return null;
  }
}

async function writeMeta(name, m) {
  const meta = await caches.open(META);
  if (m) await meta.put(name, new Response(JSON.stringify({version: m.version, files: m.files}), {headers: {'Content-Type': 'application/json'}}));
  else await meta.delete(name);
}

function ensureLoaded() {
  if (!loaded) {
    loaded = (async () => {
      current = current || await readMeta('current');
      pending = pending || await readMeta('pending');
    })().catch(() => {});
  }
  return loaded;
}

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');
}

// Stores a full 200 response as `file`, after checking its bytes are the ones the manifest names: a
// build deployed half-way, or a proxy's error page, must not be kept as this version of the file.
async function store(file, response) {
  if (response.status !== 200) throw new Error(`${file.path}: HTTP ${response.status}`);
  const body = await response.arrayBuffer();
  const hash = hex(await crypto.subtle.digest('SHA-256', body));
  if (hash !== file.hash) throw new Error(`${file.path} on the server is not the one precache.json lists`);
  // Stored with the isolation headers, so that a hit goes to the page as it
  // is: Chromium then reuses what it compiled of a wasm module last time,
  // which it cannot for a response made anew.
  const headers = new Headers({
    'Content-Type': response.headers.get('Content-Type') || 'application/octet-stream',
    'Content-Length': String(body.byteLength),
    ...ISOLATION,
  });
  await (await caches.open(FILES)).put(keyOf(file), new Response(body, {headers}));
}

function download(file, response) {
  const key = keyOf(file);
  if (inflight.has(key)) return inflight.get(key);
  const job = (async () => {
    // no-cache: revalidated with the server (a 304 is cheap), never an old copy from the HTTP cache.
    const r = response || await fetch(siteURL(file.path), {cache: 'no-cache'});
    await store(file, r);
  })().finally(() => inflight.delete(key));
  inflight.set(key, job);
  return job;
}

async function cached(file) {
  return (await caches.open(FILES)).match(keyOf(file));
}

async function fetchManifest() {
  const r = await fetch(siteURL(MANIFEST), {cache: 'no-cache'});
  if (!r.ok) throw new Error(`${MANIFEST}: HTTP ${r.status}`);
  const m = await r.json();
  if (!valid(m)) throw new Error(`${MANIFEST} is not a file list`);
  return indexed(m);
}

// Brings the cache to the server's newest manifest: downloads the files whose hash is not cached yet
// (smallest first, so the pages are offline before the compiler is), then makes that manifest the
// served one and drops the entries only older versions used. `limit` caps the size of the files fetched
// now (install); the switch then waits for a later, full sync.
async function sync({limit = Infinity} = {}) {
  await ensureLoaded();
  const next = await fetchManifest();
  lastCheck = Date.now();
  if (current && current.version === next.version) {
    if (pending) {
      pending = null;
      await writeMeta('pending', null);
    }
    return status('ready', current);
  }
  pending = next;
  await writeMeta('pending', next);
  const wanted = next.files.filter((f) => f.path !== 'sw.js' && f.size <= limit).sort((a, b) => a.size - b.size);
  const queue = [];
  for (const f of wanted) if (!(await cached(f))) queue.push(f);
  status('fetching', next, queue);
  let failure = null;
  await Promise.all(Array.from({length: PARALLEL}, async () => {
    while (queue.length && !failure) {
      const f = queue.shift();
      try {
        await download(f);
      } catch (e) {
        failure = failure || e;
      }
    }
  }));
  if (failure) throw failure;
  if (limit !== Infinity) return status('partial', next);
  current = next;
  pending = null;
  await writeMeta('current', next);
  await writeMeta('pending', null);
  const keep = new Set(next.files.map(keyOf));
  const files = await caches.open(FILES);
  for (const request of await files.keys()) if (!keep.has(request.url)) await files.delete(request);
  return status('ready', next);
}

function status(state, m, left = []) {
  lastStatus = {state, version: m ? m.version : null, files: m ? m.files.length : 0,
                bytes: m ? m.files.reduce((n, f) => n + f.size, 0) : 0, left: left.length};
  return lastStatus;
}

// One sync at a time; every caller waits on the running one. A failure (offline, a half-deployed
// build) leaves the cache as it was, still serving the last complete version.
function syncOnce(options) {
  if (!syncing) {
    syncing = sync(options)
      .catch((e) => {
        lastStatus = {...lastStatus, state: navigator.onLine === false ? 'offline' : 'failed', error: String(e.message || e)};
        return lastStatus;
      })
      .finally(() => { syncing = null; });
  }
  return syncing;
}

function isolate(response) {
  if (!response || response.type === 'opaque' || response.type === 'opaqueredirect' || response.status === 0) return response;
  if (Object.entries(ISOLATION).every(([k, v]) => response.headers.get(k) === v)) return response;
  const headers = new Headers(response.headers);
  for (const [k, v] of Object.entries(ISOLATION)) headers.set(k, v);
  // The body reaching the worker is already decoded: the length and coding the server sent no longer hold.
  headers.delete('Content-Encoding');
  headers.delete('Content-Length');
  const nullBody = [101, 103, 204, 205, 304].includes(response.status);
  return new Response(nullBody ? null : response.body, {status: response.status, statusText: response.statusText, headers});
}

function offlinePage(path) {
  return new Response(`This part of the site (${path}) is not saved on this computer, and the network cannot be reached.\n`,
                      {status: 503, headers: {'Content-Type': 'text/plain; charset=utf-8', ...ISOLATION}});
}

async function respond(event, path) {
  await ensureLoaded();
  const manifest = current || pending;
  const file = manifest && manifest.byPath.get(path);
  if (file && path !== 'sw.js') {
    const hit = await cached(file);
    if (hit) return isolate(hit);
    const key = keyOf(file);
    if (inflight.has(key)) {
      // Already downloading (the precache): wait for it rather than fetch the same bytes twice.
      try {
        await inflight.get(key);
        const again = await cached(file);
        if (again) return isolate(again);
      } catch {
        // fall through to the network
      }
    }
    try {
      const r = await fetch(event.request);
      if (r.status === 200 && r.type === 'basic' && !inflight.has(key)) {
        event.waitUntil(download(file, r.clone()).catch(() => {}));  // keep what the page fetched anyway
      }
      return isolate(r);
    } catch {
      return offlinePage(path);
    }
  }
  try {
    return isolate(await fetch(event.request));
  } catch {
    return offlinePage(path);
  }
}

self.addEventListener('install', (event) => {
  self.skipWaiting();
  // The small files now, so the pages work offline after the first visit even if the large ones do not
  // arrive; never fail the install over them, or the site would lose its isolation headers too. On a slow
  // network the install goes on after a while and the download continues (pages' messages keep it alive).
  event.waitUntil(Promise.race([syncOnce({limit: INSTALL_LIMIT}),
                                new Promise((resolve) => setTimeout(resolve, INSTALL_WAIT_MS))]));
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('telka-') && name !== FILES && name !== META) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  const path = pathOf(url);
  if (path === null) return;  // another origin or outside the site: the browser's own handling
  if (request.method !== 'GET') {
    event.respondWith(fetch(request).then(isolate));
    return;
  }
  if (path === MANIFEST) {
    event.respondWith(fetch(request).then(isolate, () => offlinePage(path)));
    return;
  }
  event.respondWith(respond(event, path));
  if (request.mode === 'navigate' && Date.now() - lastCheck > CHECK_INTERVAL_MS) {
    lastCheck = Date.now();
    event.waitUntil(syncOnce());
  }
});

// Pages ask for a sync ({type: 'telka-sync'}) and hear where the cache stands when it ends: each message
// keeps the worker alive for the download it waits on.
self.addEventListener('message', (event) => {
  const data = event.data || {};
  if (data.type !== 'telka-sync') return;
  // A sync still limited to the small files (install's) is followed by a full one.
  event.waitUntil(syncOnce().then((s) => (s.state === 'partial' ? syncOnce() : s)).then((s) => {
    if (event.source) event.source.postMessage({type: 'telka-sync', ...s});
  }));
});
