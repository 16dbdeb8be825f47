// Where the compile worker keeps compiled prefixes (see compiler.js's
// cacheHeaders): the newest two in memory, and the newest few in the
// browser's Cache Storage, so that the next visit's first Run of the same
// includes is quick too. A prefix of the five common C++ headers is about
// 15 MB; the browser may drop the stored ones when space runs short, which
// makes a Run only slower. Keys are hex digests, which already name the
// compiler and flags they were made with.
import {memoryHeaderStore} from './compiler.js';

const CACHE_NAME = 'compiled-headers-v1';
const STORED = 4;

function address(key) {
  return new URL(`./compiled-headers/${key}`, self.location.href).href;
}

export function browserHeaderStore({storage = self.caches, stored = STORED} = {}) {
  const memory = memoryHeaderStore();
  let opened = null;
  const open = () => {
    if (!storage) return Promise.resolve(null);
    if (!opened) opened = storage.open(CACHE_NAME).catch(() => null);
    return opened;
  };
  return {
    async get(key) {
      const near = await memory.get(key);
      if (near) return near;
      const cache = await open();
      const response = cache ? await cache.match(address(key)).catch(() => null) : null;
      if (!response) return null;
      const bytes = new Uint8Array(await response.arrayBuffer());
      await memory.put(key, bytes);
      return bytes;
    },
    async put(key, bytes) {
      await memory.put(key, bytes);
      const cache = await open();
      if (!cache) return;
      try {
        await cache.delete(address(key));
        await cache.put(address(key), new Response(bytes, {headers: {'Content-Type': 'application/octet-stream'}}));
        // Keys come back in the order they were put: the oldest go first.
        const keys = await cache.keys();
        for (const old of keys.slice(0, Math.max(0, keys.length - stored))) await cache.delete(old);
      } catch {
        // full or refused storage: kept in memory for this page only
      }
    },
    async delete(key) {
      await memory.delete(key);
      const cache = await open();
      if (cache) await cache.delete(address(key)).catch(() => false);
    },
  };
}
