// A chart's start: the element works out its first day's URLs before the
// wasm runs, exactly as the core makes them, so the data and the wasm travel
// together; with README's preload lines every file is fetched once.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { after, before, test } from 'node:test';
import { dayUrls } from '../../web/element/sivarta-fetch.js';
import { NodeCore } from './core.mjs';
import { buildDir, goldenDir, launchBrowser } from './harness.mjs';

test('the URLs worked out before the core runs are the core\'s, refusals included', () => {
  const core = new NodeCore();
  const codes = ['', '005930', 'abcXYZ09', 'A'.repeat(32), 'A'.repeat(33), '00 59', '0059/', '../x', 'x?y', '가나', '005930\n'];
  const hosts = ['', 'data.example.com', 'data.example.com:8080/', 'HTTPS://a.example//', 'http://', 'a b', 'a\tb', 'a\x7fb', 'host/sub/', '데이터.kr'];
  for (const code of codes) {
    for (const host of hosts) {
      for (const [https, pageHost] of [[false, 'page.example:81'], [true, ''], [true, 'page.example']]) {
        core.set('strCode', code);
        core.set('strChartUrl', host);
        const made = core.core.request(https, pageHost);
        const early = dayUrls(core.c, code, host || pageHost || core.c.defaultHost, https);
        assert.deepEqual(early, made.urls ?? null, JSON.stringify({ code, host, https, pageHost, made }));
      }
    }
  }
});

// Serves the web tree and the golden days on loopback and holds every answer
// for the wasm and the day files until all three were asked for: a page that
// asks for one only after another arrived gets its answers when the gate
// gives up instead.
async function startGate() {
  const held = [];
  const log = [];
  let open = false, gaveUp = false, timer = 0;
  const release = () => {
    clearTimeout(timer);
    open = true;
    for (const answer of held.splice(0)) answer();
  };
  const pages = {};
  const server = createServer((req, res) => {
    const path = new URL(req.url, 'http://x').pathname;
    log.push(path);
    const send = (type, body) => {
      res.writeHead(body ? 200 : 404, { 'Content-Type': type, 'Cache-Control': 'no-store' });
      res.end(body ?? '');
    };
    if (pages[path]) return send('text/html', pages[path]);
    if (path === '/sivarta.js') return send('application/javascript', readFileSync(`${buildDir}/web/sivarta.js`));
    const file = path === '/sivarta.wasm' ? `${buildDir}/web/sivarta.wasm`
      : /^\/sisefile\/(info|Date)\/\w+\.dat$/.test(path) ? `${goldenDir}/data${path}` : null;
    if (!file) return send('text/plain', null);
    const answer = () => send(path.endsWith('.wasm') ? 'application/wasm' : 'application/octet-stream', readFileSync(file));
    if (open) return answer();
    held.push(answer);
    if (held.length === 3) release();
    else if (held.length === 1) timer = setTimeout(() => { gaveUp = !open; release(); }, 5000);
  });
  server.listen(0, '127.0.0.1');
  await new Promise((resolve) => server.once('listening', resolve));
  return {
    host: `127.0.0.1:${server.address().port}`,
    log,
    gaveUp: () => gaveUp,
    page(path, html) {
      pages[path] = html;
      open = false;
      gaveUp = false;
      log.length = 0;
      return `http://${this.host}${path}`;
    },
    stop: () => { clearTimeout(timer); return new Promise((resolve) => server.close(resolve)); },
  };
}

let gate, browser;
before(async () => {
  gate = await startGate();
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  await gate?.stop();
});

const preloadLines = (host) => `<link rel="preload" href="/sivarta.wasm" as="fetch" crossorigin>
<link rel="preload" href="//${host}/sisefile/info/000660.dat" as="fetch" crossorigin>
<link rel="preload" href="//${host}/sisefile/Date/000660.dat" as="fetch" crossorigin>
<script>self.sivartaWasm = WebAssembly.compileStreaming(fetch("/sivarta.wasm"))</script>`;

// The page's own compile may fail (here a file that is no wasm): the module's serves.
const failedCompile = (host) => preloadLines(host).replace('fetch("/sivarta.wasm")', 'fetch("/no.wasm")');
// compiles: how many compiles the page and the module start between them.
for (const [name, lines, compiles] of [['markup only', () => '', 1], ['README\'s preload lines', preloadLines, 1],
  ['a failed early compile', failedCompile, 2]]) {
  test(`start (${name}): the wasm and both day files are asked for together, each once`, async () => {
    const url = gate.page(`/${name.replace(/\W+/g, '-')}.html`, `<!doctype html><html><head>
      <script type="module" src="/sivarta.js"></script>${lines(gate.host)}</head><body>
      <sivarta-chart id="c"><param name="strCode" value="000660"><param name="strChartUrl" value="${gate.host}"></sivarta-chart>
      <script>window.__ready = new Promise((r) => document.getElementById('c').addEventListener('readyinfo', r));</script>
      </body></html>`);
    const page = await browser.newPage();
    await page.addInitScript(() => {
      window.__compiles = 0;
      const real = WebAssembly.compileStreaming.bind(WebAssembly);
      WebAssembly.compileStreaming = (source) => (++window.__compiles, real(source));
    });
    await page.goto(url);
    await page.evaluate(() => window.__ready);
    assert.equal(await page.$eval('#c', (c) => c.GetStockCode()), '000660');
    assert.equal(await page.evaluate(() => window.__compiles), compiles, 'compiles started');
    assert.equal(gate.gaveUp(), false, `asked one after another: ${gate.log.join(' ')}`);
    const counts = {};
    for (const path of gate.log) counts[path] = (counts[path] ?? 0) + 1;
    for (const path of ['/sivarta.wasm', '/sisefile/info/000660.dat', '/sisefile/Date/000660.dat'])
      assert.equal(counts[path], 1, `${path} in ${gate.log.join(' ')}`);
    await page.close();
  });
}
