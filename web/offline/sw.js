// The site's service worker: keeps every file the site serves (pages, runtime, fonts, programs, the
// compiler) in CacheStorage through workbox-precaching, so the site works with the network gone, and
// gives every response it serves the cross-origin isolation headers, so programs' SharedArrayBuffer
// works on hosts that cannot send them. web/tools/service-worker.mjs bundles it with the build's file
// list (TELKA_BUILD: {version, files: [{url, revision: sha256 hex, size}]}, smallest first), so a new
// build is a new sw.js: the browser's own update check on each navigation finds it, and the new worker
// fetches only the files whose hash changed.
import {PrecacheController, PrecacheRoute} from 'workbox-precaching';

const CACHE = 'telka-files-v2';
const INSTALL_LIMIT = 4 << 20; // install waits only for files up to this size; larger ones follow
const INSTALL_WAIT_MS = 8000; // and no longer than this: the page is not isolated until the worker runs

const ISOLATION = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
  'Cross-Origin-Resource-Policy': 'same-origin',
};

// The browser checks each file's bytes against its hash (a half-deployed build or a proxy's error page
// must not be kept as this version of the file).
function entry(file) {
  const digest = String.fromCharCode(...file.revision.match(/../g).map((h) => parseInt(h, 16)));
  return {url: file.url, revision: file.revision, integrity: `sha256-${btoa(digest)}`};
}

function isolate(response) {
  if (!response || response.type === 'opaque' || response.type === 'opaqueredirect' || response.status === 0)
    return response;
  if (Object.entries(ISOLATION).every(([k, v]) => response.headers.get(k) === v)) return response;
  const headers = new Headers(response.headers);
  for (const [k, v] of Object.entries(ISOLATION)) headers.set(k, v);
  // The body reaching the worker is already decoded: the length and coding the server sent no longer hold.
  headers.delete('Content-Encoding');
  headers.delete('Content-Length');
  const nullBody = [101, 103, 204, 205, 304].includes(response.status);
  return new Response(nullBody ? null : response.body, {
    status: response.status,
    statusText: response.statusText,
    headers,
  });
}

const downloads = new Map(); // cache key -> promise of the download storing it

const plugins = [
  {
    // Stored with the isolation headers, so that a hit goes to the page as it is: Chromium then reuses
    // what it compiled of a wasm module last time, which it cannot for a response made anew.
    async cacheWillUpdate({response}) {
      if (response.status !== 200) return null;
      const body = await response.arrayBuffer();
      const headers = new Headers({
        'Content-Type': response.headers.get('Content-Type') || 'application/octet-stream',
        'Content-Length': String(body.byteLength),
        ...ISOLATION,
      });
      return new Response(body, {headers});
    },
    handlerWillRespond: async ({response}) => isolate(response),
    // The precache asks with cache: 'reload'. Revalidating instead turns what the first, not yet isolated
    // page fetched itself (the compiler, say) into a 304 from the HTTP cache; the hash check still holds.
    requestWillFetch: async ({request}) =>
      request.cache === 'reload' ? new Request(request, {cache: 'no-cache'}) : request,
    // A file the page asks for while the precache downloads it (or the other way round) is fetched once:
    // the second asker waits for the first's copy.
    async cachedResponseWillBeUsed({cacheName, request, cachedResponse, state}) {
      if (cachedResponse) return cachedResponse;
      const running = downloads.get(request.url);
      if (running) {
        await running;
        return (await caches.open(cacheName)).match(request);
      }
      let done;
      downloads.set(
        request.url,
        new Promise((resolve) => {
          done = resolve;
        })
      );
      state.download = {key: request.url, done};
      return null;
    },
    async handlerDidComplete({state}) {
      if (!state.download) return;
      downloads.delete(state.download.key);
      state.download.done();
    },
  },
];

const build = TELKA_BUILD;
const all = new PrecacheController({cacheName: CACHE, plugins});
all.addToCacheList(build.files.map(entry));
const small = new PrecacheController({cacheName: CACHE, plugins});
small.addToCacheList(build.files.filter((f) => f.size <= INSTALL_LIMIT).map(entry));
// Pages carry their state in the query (index.html?program=hello): any query names the file itself.
const route = new PrecacheRoute(all, {ignoreURLParametersMatching: [/./]});

// The downloads go on past the event that started them (install stops waiting after a while): each
// keeps the worker alive only through `keep`, the event of whoever waits on it.
function lifetime(keep) {
  return {type: 'install', waitUntil: (promise) => keep && keep.waitUntil(promise.catch(() => {}))};
}

let completing = null;

function status(state, extra = {}) {
  return {
    state,
    version: build.version,
    files: build.files.length,
    bytes: build.files.reduce((n, f) => n + f.size, 0),
    ...extra,
  };
}

// Downloads whatever of the build is not cached yet, smallest first; one run at a time, every caller
// waiting on it. A failure (offline, a half-deployed build) is reported and tried again at the next ask.
function complete(event) {
  if (!completing) {
    completing = all
      .install(lifetime(event))
      .then(
        () => status('ready'),
        (e) => status(navigator.onLine === false ? 'offline' : 'failed', {error: String(e.message || e)})
      )
      .finally(() => {
        completing = null;
      });
  }
  return completing;
}

// A file fetched now goes to the page as its stored copy, not as the network's response: Chromium keeps
// what it compiled of a wasm module beside a cached response only, and reuses it on the next visit.
async function precached(event, params) {
  const [response, stored] = all.strategy.handleAll({event, request: event.request, params});
  response.catch(() => {});
  await stored.catch(() => {});
  return (await (await caches.open(CACHE)).match(params.cacheKey)) || response;
}

function offlinePage(path) {
  return new Response(
    `This part of the site (${path}) is not saved on this computer, and the network cannot be reached.\n`,
    {status: 503, headers: {'Content-Type': 'text/plain; charset=utf-8', ...ISOLATION}}
  );
}

self.addEventListener('install', (event) => {
  // A first install: the small files now, so the pages work offline after the first visit even if the large
  // ones do not arrive, and it never fails over them, or the site would lose its isolation headers too.
  if (!self.registration.active) {
    self.skipWaiting();
    event.waitUntil(
      Promise.race([
        small.install(lifetime(null)).catch(() => {}),
        new Promise((resolve) => setTimeout(resolve, INSTALL_WAIT_MS)),
      ])
    );
    return;
  }
  // An update takes over only once the whole new build is stored: until then the worker before it serves
  // its own complete build, online or not. One that cannot fetch it all fails; the next navigation tries
  // again and downloads only what is still missing.
  event.waitUntil(all.install(lifetime(event)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    (async () => {
      await all.activate(event); // drops the files only older builds listed
      for (const name of await caches.keys()) {
        if (name.startsWith('telka-') && name !== CACHE) await caches.delete(name);
      }
      await self.clients.claim();
    })()
  );
});

self.addEventListener('fetch', (event) => {
  const {request} = event;
  const url = new URL(request.url);
  if (url.origin !== location.origin || !url.pathname.startsWith(new URL(self.registration.scope).pathname)) return;
  const params = request.method === 'GET' && route.match({request});
  const answer = params ? precached(event, params) : fetch(request).then(isolate);
  event.respondWith(answer.catch(() => offlinePage(url.pathname)));
});

// Pages ask ({type: 'telka-sync'}) for the rest of the site and hear where the cache stands when that
// ends: each message keeps the worker alive for the download it waits on.
self.addEventListener('message', (event) => {
  const data = event.data || {};
  if (data.type !== 'telka-sync') return;
  event.waitUntil(
    complete(event).then((s) => {
      if (event.source) event.source.postMessage({type: 'telka-sync', ...s});
    })
  );
});
