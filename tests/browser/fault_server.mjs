// A data host on 127.0.0.1 that misbehaves by instrument code, for the load
// fault tests. Bounded: every answer ends by itself within a few seconds, and
// stop() closes whatever is still open.
import { createServer } from 'node:http';
import { readFileSync } from 'node:fs';
import { goldenDir } from './harness.mjs';

const golden = (kind) => readFileSync(`${goldenDir}/data/sisefile/${kind}/005930.dat`);

// The golden 005930 day under another code (the info record's code field rewritten).
function infoFor(code) {
  const info = Buffer.from(golden('info'));
  info.fill(0, 8, 14);
  info.write(code.slice(0, 6), 8, 'latin1');
  return info;
}

export async function startFaultServer({ cors = false } = {}) {
  const requests = [];
  const open = new Set();
  const timers = new Set();
  const later = (ms, fn) => { const t = setTimeout(() => { timers.delete(t); fn(); }, ms); timers.add(t); return t; };
  const server = createServer((req, res) => {
    requests.push(req.url);
    open.add(res);
    res.on('close', () => open.delete(res));
    const [, kind, code] = /^\/sisefile\/(info|Date)\/([A-Za-z0-9]+)\.dat$/.exec(req.url) ?? [];
    const headers = { 'Content-Type': 'application/octet-stream', ...(cors ? { 'Access-Control-Allow-Origin': '*' } : {}) };
    const ok = (body) => { res.writeHead(200, headers); res.end(body); };
    const failing = (status) => { res.writeHead(status, headers); res.end(Buffer.from(infoFor(code))); };
    switch (code) {
      case 'E404': return failing(404);   // a body the chart must not read
      case 'E500': return failing(500);
      case 'STALL':   // headers and a few bytes, then silence for 5 s
        res.writeHead(200, headers);
        res.write(Buffer.alloc(16));
        return later(5000, () => res.end());
      case 'BIG': {   // 17 MiB without a length, as fast as the client reads
        res.writeHead(200, headers);
        let left = 17 * 64;
        const chunk = Buffer.alloc(16 * 1024);
        const pump = () => {
          while (left > 0 && !res.destroyed) {
            --left;
            if (!res.write(chunk)) return res.once('drain', pump);
          }
          res.end();
        };
        return pump();
      }
      case 'DRIP': {   // one byte every 50 ms, 100 bytes at most
        res.writeHead(200, headers);
        let left = 100;
        const drip = () => {
          if (res.destroyed) return;
          if (left-- === 0) return res.end();
          res.write(Buffer.alloc(1));
          later(50, drip);
        };
        return drip();
      }
      case 'HALF':   // the info file arrives, the data file is missing
        return kind === 'info' ? ok(infoFor(code)) : failing(404);
      default:
        return kind === 'info' ? ok(infoFor(code ?? '')) : ok(golden('Date'));
    }
  });
  server.listen(0, '127.0.0.1');
  await new Promise((resolve) => server.once('listening', resolve));
  return {
    host: `127.0.0.1:${server.address().port}`,
    requests,
    async stop() {
      for (const t of timers) clearTimeout(t);
      for (const res of open) res.destroy();
      await new Promise((resolve) => server.close(resolve));
    },
  };
}
