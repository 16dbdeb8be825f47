#!/usr/bin/env node
// Serves the browser site (build-web/site/) for development and classrooms: sirv sends the files, their
// build-time .br/.gz siblings and ETags; this adds the cross-origin isolation headers the program Worker
// needs, keeps hidden files, links out of the site and stale copies unserved, and logs each request on stderr
// ("METHOD PATH STATUS BYTES", which the browser tests read) unless --quiet.
//
//   node web/serve.mjs SITE_DIR [--port N] [--host 127.0.0.1] [--no-isolation-headers] [--quiet]
//
// Every response is revalidated (sirv's dev mode: no-cache, each request looks at the disk, so a rebuild
// is served at once): the site's names are not content-hashed, and the service worker, not the HTTP
// cache, is what keeps the site offline.
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {pathToFileURL} from 'node:url';
import {parseArgs} from 'node:util';
import sirv from 'sirv';

const ISOLATION_HEADERS = {
  'Cross-Origin-Opener-Policy': 'same-origin',
  'Cross-Origin-Embedder-Policy': 'require-corp',
  'Cross-Origin-Resource-Policy': 'same-origin',
};
// sirv's MIME table knows the web's own types, not the site's sources (shown as text) or its archive.
const EXTRA_TYPES = [
  [/\.(c|cc|cpp|h|hpp|scr|txt|md)$/i, 'text/plain; charset=utf-8'],
  [/\.tar$/i, 'application/x-tar'],
];

const USAGE =
  'usage: node web/serve.mjs SITE_DIR [--port N] [--host ADDRESS] [--no-isolation-headers] [--quiet]\n' +
  '  serves SITE_DIR on http://127.0.0.1:8080/ by default; --port 0 picks a free port';

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

function createHandler(site, {isolation = true, log = () => {}} = {}) {
  const root = fs.realpathSync(path.resolve(site));
  const files = sirv(root, {
    dev: true,
    etag: true,
    brotli: true,
    gzip: true,
    setHeaders(res, pathname) {
      const extra = EXTRA_TYPES.find(([pattern]) => pattern.test(pathname));
      if (extra) res.setHeader('Content-Type', extra[1]);
    },
  });
  return (req, res) => {
    res.setHeader('X-Content-Type-Options', 'nosniff');
    if (isolation) for (const [k, v] of Object.entries(ISOLATION_HEADERS)) res.setHeader(k, v);
    res.once('finish', () => {
      const enc = res.getHeader('Content-Encoding');
      log(
        `${req.method} ${req.url} ${res.statusCode} ${res.getHeader('Content-Length') ?? '-'}${enc ? ' ' + enc : ''}`
      );
    });
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      plain(res, 405, 'Method not allowed: this server only reads files (GET, HEAD).', {Allow: 'GET, HEAD'});
      return;
    }
    let name;
    try {
      name = decodeURIComponent(new URL(req.url, 'http://site').pathname);
    } catch {
      plain(res, 400, 'Bad request: the path is not valid percent-encoding.');
      return;
    }
    // Hidden names are build state (.precompress.json) or a checkout's; a link may point out of the site.
    if (/(^|\/)\./.test(name) || name.includes('\0') || !inside(root, path.join(root, name))) {
      plain(res, 404, 'Not found.');
      return;
    }
    // A copy older than its file (the file rebuilt, precompress.mjs not run again) holds old content.
    if (staleCopy(path.join(root, name))) req.headers['accept-encoding'] = 'identity';
    files(req, res, () => plain(res, 404, 'Not found.'));
  };
}

function staleCopy(file) {
  const time = (f) => fs.statSync(f, {throwIfNoEntry: false})?.mtimeMs;
  const own = time(file);
  return own !== undefined && ['.br', '.gz'].some((suffix) => time(file + suffix) < own);
}

// Whether `file` (when it exists) lies in `root` once its links are followed.
function inside(root, file) {
  let real;
  try {
    real = fs.realpathSync(file);
  } catch {
    return true; // nothing there: sirv answers 404
  }
  const rel = path.relative(root, real);
  return rel === '' || (!rel.startsWith('..') && !path.isAbsolute(rel));
}

function main() {
  let options;
  try {
    options = parseArgs({
      allowPositionals: true,
      options: {
        port: {type: 'string', default: '8080'},
        host: {type: 'string', default: '127.0.0.1'},
        'no-isolation-headers': {type: 'boolean', default: false},
        quiet: {type: 'boolean', default: false},
        help: {type: 'boolean', short: 'h', default: false},
      },
    });
  } catch (e) {
    console.error(`serve: ${e.message}\n${USAGE}`);
    process.exit(2);
  }
  const {values, positionals} = options;
  if (values.help) {
    console.log(USAGE);
    return;
  }
  const port = Number(values.port);
  const misuse =
    positionals.length !== 1
      ? 'one site folder, please'
      : !/^\d+$/.test(values.port) || port > 65535
        ? `--port wants a number from 0 to 65535, not "${values.port}"`
        : null;
  if (misuse) {
    console.error(`serve: ${misuse}\n${USAGE}`);
    process.exit(2);
  }
  const site = positionals[0];
  if (!fs.statSync(site, {throwIfNoEntry: false})?.isDirectory()) {
    console.error(`serve: ${site} is not a folder (build the site first: make web)`);
    process.exit(1);
  }
  const isolation = !values['no-isolation-headers'];
  const log = values.quiet ? () => {} : (line) => console.error(line);
  const server = http.createServer(createHandler(site, {isolation, log}));
  server.on('error', (e) => {
    const why = e.code === 'EADDRINUSE' ? `port ${port} is in use (try --port 0)` : e.message;
    console.error(`serve: cannot listen: ${why}`);
    process.exit(1);
  });
  server.listen(port, values.host, () => {
    const host = values.host.includes(':') ? `[${values.host}]` : values.host;
    const note = isolation ? '' : ' without the cross-origin isolation headers';
    console.log(`Serving ${path.resolve(site)} at http://${host}:${server.address().port}/${note} (Ctrl+C stops)`);
  });
  const stop = () => {
    server.close(() => process.exit(0));
    server.closeAllConnections();
  };
  process.once('SIGINT', stop);
  process.once('SIGTERM', stop);
}

if (import.meta.url === pathToFileURL(process.argv[1] || '').href) main();
