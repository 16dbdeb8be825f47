#!/usr/bin/env node
// Serves the browser site (build-web/site/) for development and classrooms: static files with the
// cross-origin isolation headers the program Worker needs, build-time .br/.gz siblings, ETags and 304s.
// Node's standard library only, so it runs wherever node does. Each request is logged on stderr
// (method, path, status, bytes sent) unless --quiet.
//
//   node scripts/web-serve.mjs SITE_DIR [--port N] [--host 127.0.0.1] [--no-isolation-headers] [--quiet]
//
// Cache policy: the site's names are not content-hashed (programs/NAME.wasm, compiler/llvm.core.wasm keep
// their names across builds), so nothing is cached long-lived: every response must be revalidated, which
// costs a 304 when unchanged. The service worker, not the HTTP cache, is what keeps the site offline.
import fs from 'node:fs';
import fsp from 'node:fs/promises';
import http from 'node:http';
import path from 'node:path';
import {pathToFileURL} from 'node:url';

export const MIME = {
  '.html': 'text/html; charset=utf-8',
  '.htm': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.json': 'application/json; charset=utf-8',
  '.map': 'application/json; charset=utf-8',
  '.wasm': 'application/wasm',
  '.tar': 'application/x-tar',
  '.ttf': 'font/ttf',
  '.otf': 'font/otf',
  '.woff': 'font/woff',
  '.woff2': 'font/woff2',
  '.png': 'image/png',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
  '.txt': 'text/plain; charset=utf-8',
  '.md': 'text/plain; charset=utf-8',
  '.c': 'text/plain; charset=utf-8',
  '.cpp': 'text/plain; charset=utf-8',
  '.cc': 'text/plain; charset=utf-8',
  '.h': 'text/plain; charset=utf-8',
  '.hpp': 'text/plain; charset=utf-8',
  '.scr': 'application/octet-stream',
  '.data': 'application/octet-stream',
};

// Preferred first: brotli is the smaller where both exist.
const ENCODINGS = [{name: 'br', suffix: '.br'}, {name: 'gzip', suffix: '.gz'}];

const ISOLATION_HEADERS = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
  'Cross-Origin-Resource-Policy': 'same-origin',
};

function usage() {
  return 'usage: node scripts/web-serve.mjs SITE_DIR [--port N] [--host ADDRESS] [--no-isolation-headers] [--quiet]\n' +
         '  serves SITE_DIR on http://127.0.0.1:8080/ by default; --port 0 picks a free port';
}

// Returns {site, port, host, isolation, quiet} or {error}.
export function parseArgs(argv) {
  const options = {site: null, port: 8080, host: '127.0.0.1', isolation: true, quiet: false};
  for (let i = 0; i < argv.length; ++i) {
    const arg = argv[i];
    const value = () => {
      const v = argv[++i];
      if (v === undefined) throw new Error(`${arg} needs a value`);
      return v;
    };
    try {
      if (arg === '--port' || arg.startsWith('--port=')) {
        const v = arg.includes('=') ? arg.slice(7) : value();
        if (!/^\d+$/.test(v) || Number(v) > 65535) return {error: `--port wants a number from 0 to 65535, not "${v}"`};
        options.port = Number(v);
      } else if (arg === '--host' || arg.startsWith('--host=')) {
        options.host = arg.includes('=') ? arg.slice(7) : value();
        if (!options.host) return {error: '--host wants an address'};
      } else if (arg === '--no-isolation-headers') {
        options.isolation = false;
      } else if (arg === '--quiet') {
        options.quiet = true;
      } else if (arg === '-h' || arg === '--help') {
        return {help: true};
      } else if (arg.startsWith('-')) {
        return {error: `unknown option ${arg}`};
      } else if (options.site === null) {
        options.site = arg;
      } else {
        return {error: `one site folder only (got "${options.site}" and "${arg}")`};
      }
    } catch (e) {
      return {error: e.message};
    }
  }
  if (options.site === null) return {error: 'no site folder given'};
  return options;
}

function mimeOf(file) {
  return MIME[path.extname(file).toLowerCase()] || 'application/octet-stream';
}

function cacheControlOf(rel) {
  const ext = path.extname(rel).toLowerCase();
  if (ext === '.html' || ext === '.htm' || rel === 'sw.js' || rel === 'precache.json') return 'no-cache';
  return 'public, max-age=0, must-revalidate';
}

function etagOf(stat, encoding) {
  // Size and modification time name a version of the file; the encoding tells the variants apart,
  // as a strong ETag must.
  return `"${stat.size.toString(16)}-${Math.floor(stat.mtimeMs).toString(16)}${encoding ? '-' + encoding : ''}"`;
}

// Whether an If-None-Match header matches `etag` (weak comparison, as RFC 9110 asks for GET/HEAD).
function noneMatchHits(header, etag) {
  if (!header) return false;
  if (header.trim() === '*') return true;
  const bare = (t) => t.trim().replace(/^W\//, '');
  return header.split(',').some((t) => bare(t) === bare(etag));
}

// q-values of Accept-Encoding; a coding is acceptable when q > 0 (directly or through "*").
function acceptedEncodings(header) {
  const q = new Map();
  if (!header) return () => false;
  for (const part of header.split(',')) {
    const [name, ...params] = part.trim().toLowerCase().split(';');
    if (!name) continue;
    let weight = 1;
    for (const p of params) {
      const m = /^\s*q\s*=\s*([0-9.]+)\s*$/.exec(p);
      if (m) weight = Number(m[1]);
    }
    q.set(name, Number.isFinite(weight) ? weight : 0);
  }
  return (name) => {
    if (q.has(name)) return q.get(name) > 0;
    if (q.has('*')) return q.get('*') > 0;
    return false;
  };
}

function isInside(root, candidate) {
  const rel = path.relative(root, candidate);
  return rel === '' || (!rel.startsWith('..') && !path.isAbsolute(rel));
}

// Maps a request path to a file under the site, or to an error status. Refuses anything that could
// leave the site: "..", encoded or not, backslashes, NUL, hidden names (.git, build state) and symlinks
// whose target lies outside.
export async function resolvePath(root, realRoot, rawPath) {
  let decoded;
  try {
    decoded = decodeURIComponent(rawPath);
  } catch {
    return {status: 400, message: 'Bad request: the path is not valid percent-encoding.'};
  }
  if (decoded.includes('\0') || decoded.includes('\\')) return {status: 400, message: 'Bad request: bad characters in the path.'};
  const segments = decoded.split('/');
  if (segments.some((s) => s === '..' || s === '.')) return {status: 403, message: 'Forbidden: the path leaves the site.'};
  if (segments.some((s) => s.startsWith('.'))) return {status: 404, message: 'Not found.'};
  const wantsDir = decoded.endsWith('/');
  let file = path.join(root, ...segments.filter(Boolean));
  if (!isInside(root, file)) return {status: 403, message: 'Forbidden: the path leaves the site.'};
  let stat;
  try {
    stat = await fsp.stat(file);
  } catch {
    return {status: 404, message: 'Not found.'};
  }
  if (stat.isDirectory()) {
    // Rebuilt from the segments, so that "//host" can never become a redirect off the site.
    if (!wantsDir) return {status: 301, location: '/' + segments.filter(Boolean).map(encodeURIComponent).join('/') + '/'};
    file = path.join(file, 'index.html');
    try {
      stat = await fsp.stat(file);
    } catch {
      return {status: 404, message: 'Not found.'};  // no directory listings
    }
  } else if (wantsDir) {
    return {status: 404, message: 'Not found.'};
  }
  if (!stat.isFile()) return {status: 404, message: 'Not found.'};
  let real;
  try {
    real = await fsp.realpath(file);
  } catch {
    return {status: 404, message: 'Not found.'};
  }
  if (!isInside(realRoot, real)) return {status: 403, message: 'Forbidden: the file lies outside the site.'};
  return {file: real, stat, rel: path.relative(root, file).split(path.sep).join('/')};
}

// The precompressed sibling to send, when the client takes its encoding and the sibling is at least
// as new as the file (a stale one would serve old content).
async function pickVariant(file, stat, accepts, realRoot) {
  for (const enc of ENCODINGS) {
    if (!accepts(enc.name)) continue;
    try {
      const real = await fsp.realpath(file + enc.suffix);
      if (!isInside(realRoot, real)) continue;
      const s = await fsp.stat(real);
      if (s.isFile() && s.mtimeMs >= stat.mtimeMs) return {file: real, stat: s, encoding: enc.name};
    } catch {
      // no such sibling
    }
  }
  return {file, stat, encoding: null};
}

function plain(res, status, message, extra = {}) {
  const body = message + '\n';
  res.writeHead(status, {
    'Content-Type': 'text/plain; charset=utf-8',
    'Content-Length': Buffer.byteLength(body),
    'Cache-Control': 'no-store',
    ...extra,
  });
  res.end(res.req.method === 'HEAD' ? undefined : body);
}

export function createHandler(site, {isolation = true, log = () => {}} = {}) {
  const root = path.resolve(site);
  const realRoot = fs.realpathSync(root);
  const common = {
    'X-Content-Type-Options': 'nosniff',
    ...(isolation ? ISOLATION_HEADERS : {}),
  };
  return async (req, res) => {
    for (const [k, v] of Object.entries(common)) res.setHeader(k, v);
    res.once('finish', () => {
      const enc = res.getHeader('Content-Encoding');
      log(`${req.method} ${req.url} ${res.statusCode} ${res.getHeader('Content-Length') ?? '-'}${enc ? ' ' + enc : ''}`);
    });
    try {
      if (req.method !== 'GET' && req.method !== 'HEAD') {
        plain(res, 405, 'Method not allowed: this server only reads files (GET, HEAD).', {Allow: 'GET, HEAD'});
        return;
      }
      const url = req.url || '/';
      if (!url.startsWith('/')) {
        plain(res, 400, 'Bad request.');
        return;
      }
      let rawPath = url.split('?')[0].split('#')[0];
      if (rawPath === '/') rawPath = '/index.html';
      const found = await resolvePath(root, realRoot, rawPath);
      if (found.status === 301) {
        const query = url.includes('?') ? url.slice(url.indexOf('?')) : '';
        plain(res, 301, 'Moved.', {Location: found.location + query});
        return;
      }
      if (found.status) {
        plain(res, found.status, found.message);
        return;
      }
      const accepts = acceptedEncodings(req.headers['accept-encoding']);
      const variant = await pickVariant(found.file, found.stat, accepts, realRoot);
      const etag = etagOf(variant.stat, variant.encoding);
      const headers = {
        'Content-Type': mimeOf(found.file),
        'Cache-Control': cacheControlOf(found.rel),
        'ETag': etag,
        'Last-Modified': new Date(found.stat.mtimeMs).toUTCString(),
        'Vary': 'Accept-Encoding',
      };
      if (variant.encoding) headers['Content-Encoding'] = variant.encoding;
      const inm = req.headers['if-none-match'];
      const ims = req.headers['if-modified-since'];
      const notModified = inm ? noneMatchHits(inm, etag)
                              : ims ? Math.floor(found.stat.mtimeMs / 1000) <= Math.floor(Date.parse(ims) / 1000) : false;
      if (notModified) {
        delete headers['Content-Type'];
        res.writeHead(304, headers);
        res.end();
        return;
      }
      headers['Content-Length'] = variant.stat.size;
      if (req.method === 'HEAD') {
        res.writeHead(200, headers);
        res.end();
        return;
      }
      const stream = fs.createReadStream(variant.file);
      stream.once('open', () => {
        res.writeHead(200, headers);
        stream.pipe(res);
      });
      stream.once('error', (e) => {
        if (!res.headersSent) plain(res, 500, `Cannot read the file: ${e.code || e.message}`);
        else res.destroy(e);
      });
      res.once('close', () => stream.destroy());
    } catch (e) {
      if (!res.headersSent) plain(res, 500, 'Internal error.');
      else res.destroy();
      log(`${req.method} ${req.url}: ${e && e.stack || e}`);
    }
  };
}

export function urlOf(host, port) {
  const h = host.includes(':') ? `[${host}]` : host;
  return `http://${h}:${port}/`;
}

async function main() {
  const options = parseArgs(process.argv.slice(2));
  if (options.help) {
    console.log(usage());
    return;
  }
  if (options.error) {
    console.error(`web-serve: ${options.error}\n${usage()}`);
    process.exitCode = 2;
    return;
  }
  let st;
  try {
    st = fs.statSync(options.site);
  } catch {
    st = null;
  }
  if (!st || !st.isDirectory()) {
    console.error(`web-serve: ${options.site} is not a folder (build the site first: make web)`);
    process.exitCode = 1;
    return;
  }
  const log = options.quiet ? () => {} : (line) => console.error(line);
  const server = http.createServer(createHandler(options.site, {isolation: options.isolation, log}));
  server.on('error', (e) => {
    const why = e.code === 'EADDRINUSE' ? `port ${options.port} is in use (try --port 0)`
              : e.code === 'EACCES' ? `no permission to listen on port ${options.port}`
              : e.code === 'EADDRNOTAVAIL' || e.code === 'ENOTFOUND' ? `no such local address ${options.host}`
              : e.message;
    console.error(`web-serve: cannot listen: ${why}`);
    process.exit(1);
  });
  server.listen(options.port, options.host, () => {
    const {port} = server.address();
    const note = options.isolation ? '' : ' without the cross-origin isolation headers';
    console.log(`Serving ${path.resolve(options.site)} at ${urlOf(options.host, port)}${note} (Ctrl+C stops)`);
  });
  const stop = (signal) => {
    console.log(`web-serve: ${signal}, stopping`);
    server.close(() => process.exit(0));
    server.closeAllConnections();
    setTimeout(() => process.exit(0), 2000).unref();
  };
  process.once('SIGINT', () => stop('SIGINT'));
  process.once('SIGTERM', () => stop('SIGTERM'));
}

if (import.meta.url === pathToFileURL(process.argv[1] || '').href) main();
