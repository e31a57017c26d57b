// A data host for the live tests that serves the web tree and test pages
// too (same origin, empty strChartUrl), answers day files with ETags and 304s,
// can be told to fail, and speaks the /events change feed.
import { createServer } from 'node:http';
import { readFileSync } from 'node:fs';
import { buildDir, goldenDir } from './harness.mjs';

const types = { js: 'text/javascript', wasm: 'application/wasm', html: 'text/html' };

export async function startLiveServer({ events = true } = {}) {
  const files = new Map();
  for (const kind of ['info', 'Date']) files.set(kind, readFileSync(`${goldenDir}/data/sisefile/${kind}/005930.dat`));
  const pages = new Map();
  const log = [];   // {kind, status, bytes}
  const feeds = new Set();
  const versions = { info: 1, Date: 1 };
  let failing = false;
  const server = createServer((req, res) => {
    const url = new URL(req.url, 'http://x');
    const day = /^\/sisefile\/(info|Date)\/005930\.dat$/.exec(url.pathname);
    if (day) {
      const tag = `"${day[1]}-${versions[day[1]]}"`;
      const answer = (status, body = '') => {
        res.writeHead(status, status === 500 ? {} : { ETag: tag, 'Content-Type': 'application/octet-stream' });
        res.end(body);
        res.once('finish', () => log.push({ kind: day[1], status, bytes: res.socket?.bytesWritten }));
      };
      if (failing) return answer(500);
      if (req.headers['if-none-match'] === tag) return answer(304);
      return answer(200, files.get(day[1]));
    }
    if (url.pathname === '/events' && events) {
      res.writeHead(200, { 'Content-Type': 'text/event-stream', 'Cache-Control': 'no-cache' });
      res.write('retry: 1000\n\n');
      feeds.add(res);
      res.on('close', () => feeds.delete(res));
      return;
    }
    const name = url.pathname.slice(1);
    if (pages.has(name)) { res.writeHead(200, { 'Content-Type': 'text/html' }); return res.end(pages.get(name)); }
    const ext = name.split('.').pop();
    if (/^[\w.-]+\.(js|wasm)$/.test(name)) {
      let body = null;
      try { body = readFileSync(`${buildDir}/web/${name}`); } catch { body = null; }   // not built: 404 below
      if (body) { res.writeHead(200, { 'Content-Type': types[ext] }); return res.end(body); }
    }
    res.writeHead(404);
    res.end();
  });
  server.listen(0, '127.0.0.1');
  await new Promise((resolve) => server.once('listening', resolve));
  const base = `http://127.0.0.1:${server.address().port}`;
  return {
    base,
    log,
    page(name, html) { pages.set(`${name}.html`, html); return `${base}/${name}.html`; },
    // Rewrites the day: its data file with one more record (the last one
    // copied, the close moved) and the info file's current price that close.
    // With keepTag the validators stay: a host whose tags count whole seconds
    // (nginx's) gives that for a rewrite within the second.
    grow(closeDelta, { keepTag = false } = {}) {
      const data = files.get('Date');
      const last = Buffer.from(data.subarray(data.length - 28));
      last.writeInt32LE(last.readInt32LE(4) + 100, 4);
      last.writeInt32LE(last.readInt32LE(20) + closeDelta, 20);
      files.set('Date', Buffer.concat([data, last]));
      const info = Buffer.from(files.get('info'));
      info.writeInt32LE(last.readInt32LE(20), 68);
      files.set('info', info);
      if (!keepTag) for (const kind in versions) ++versions[kind];
    },
    // Rewrites the info file alone: its current price moved, the data file as it was.
    reprice(delta) {
      const info = Buffer.from(files.get('info'));
      info.writeInt32LE(info.readInt32LE(68) + delta, 68);
      files.set('info', info);
      ++versions.info;
    },
    current: () => files.get('info').readInt32LE(68),
    fail(on) { failing = on; },
    announce() { for (const res of feeds) res.write('event: change\ndata: 005930\n\n'); },
    feedCount: () => feeds.size,
    async stop() {
      for (const res of feeds) res.destroy();
      server.closeAllConnections();
      await new Promise((resolve) => server.close(resolve));
    },
  };
}
