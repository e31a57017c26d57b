// Loads that fail: every fault ends in the chart's failure text, one error
// event with the reason, one readyinfo, nothing read from a failed answer,
// and no request at all for a code that loads nothing. CORS both ways.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { NodeCore } from './core.mjs';
import { startFaultServer } from './fault_server.mjs';
import { spawnSync } from 'node:child_process';
import { buildDir, canvasPixels, colourRef, goldenDir, launchBrowser, openChartPage, pixel, startDataServer, waitReady } from './harness.mjs';

let server, faulty, corsServer, browser;
before(async () => {
  server = await startDataServer();
  corsServer = await startDataServer({ cors: '*', web: false });
  faulty = await startFaultServer({ cors: true });
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  await faulty?.stop();
  await corsServer?.stop();
  await server?.stop();
});

const limits = { idleMs: 800, fileMs: 2500, loadMs: 6000, maxBytes: 16 * 1024 * 1024 };

// The page makes the chart only after tightening the limits.
async function loadChart(settings, pageLimits = limits) {
  const context = await browser.newContext();
  const page = await openChartPage(context, server, `<script type="module">
    import { SivartaChart } from '/sivarta.js';
    Object.assign(SivartaChart.limits, ${JSON.stringify(pageLimits)});
    const c = document.createElement('sivarta-chart');
    c.id = 'c';
    for (const [name, value] of Object.entries(${JSON.stringify(settings)})) c.setAttribute(name, value);
    document.body.append(c);
  </script>`);
  await waitReady(page);
  await page.waitForTimeout(100);   // nothing more may arrive
  return { context, page };
}

// Dark pixels inside the rectangle of the core's failure text.
async function failureTextInk(page) {
  const core = new NodeCore();
  core.size(228, 190);
  core.load(null, null);
  const rect = core.scene().find((p) => p.text === core.c.failureText).rect;
  const image = await canvasPixels(page, '#c');
  let ink = 0;
  for (let y = rect[1]; y < rect[3]; ++y)
    for (let x = rect[0]; x < rect[2]; ++x) {
      const i = (y * image.width + x) * 4;
      if (image.rgba[i] + image.rgba[i + 1] + image.rgba[i + 2] < 300) ++ink;
    }
  return ink;
}

const cases = [
  // name, strCode, reason, code read from the info file, requests made (both files
  // travel at once, so a failed info file still costs two), limits, text after the host
  ['404', 'E404', /info\/E404\.dat: HTTP 404$/, '', 2],
  ['500', 'E500', /HTTP 500$/, '', 2],
  ['stall', 'STALL', /no data for 800 ms$/, '', 2],
  // 17 MiB read on a busy machine can pause longer than the stall limit.
  ['oversize', 'BIG', /larger than 16777216 bytes$/, '', 2, { ...limits, idleMs: 5000, fileMs: 20000, loadMs: 30000 }],
  ['drip-feed', 'DRIP', /timed out after 2500 ms$/, '', 2],
  ['overall deadline', 'DRIP', /load took longer than 1500 ms$/, '', 2, { ...limits, fileMs: 10000, loadMs: 1500 }],
  ['data file missing', 'HALF', /Date\/HALF\.dat: HTTP 404$/, 'HALF', 2],
  ['bad code', '00 59', /not 1 to 32 ASCII letters and digits/, '', 0],
  ['code too long', 'A'.repeat(33), /not 1 to 32 ASCII letters and digits/, '', 0],
  ['host with a line break', '005930', /host holds blanks/, '', 0, limits, '\nexample.com'],
];

for (const [name, code, reason, readCode, requestCount, pageLimits, hostSuffix = ''] of cases) {
  test(`fault: ${name}`, async () => {
    const before = faulty.requests.length;
    const { context, page } = await loadChart({ strcode: code, strchartUrl: faulty.host + hostSuffix }, pageLimits);
    const errors = await page.evaluate(() => window.__errors);
    assert.equal(errors.length, 1);
    assert.match(errors[0].reason, reason);
    assert.equal(await page.evaluate(() => window.__ready.length), 1);
    assert.equal(await page.$eval('#c', (c) => c.GetStockCode()), readCode);
    assert.equal(faulty.requests.length - before, requestCount);
    assert.equal(await page.$eval('#c', (c) => c.getAttribute('aria-label')), 'Stock chart: fail Loading Datafile!');
    assert.ok(await failureTextInk(page) > 20, 'the failure text is drawn in the chart');
    await context.close();
  });
}

test('a chart whose files stall shows its empty frame meanwhile', async () => {
  const context = await browser.newContext();
  const page = await openChartPage(context, server, `<sivarta-chart id="c"><param name="strCode" value="STALL">
    <param name="strChartUrl" value="${faulty.host}"></sivarta-chart><script type="module" src="/sivarta.js"></script>`);
  await page.waitForFunction(() => customElements.get('sivarta-chart'));
  const core = new NodeCore();
  core.size(228, 190);
  core.core.redraw();
  const [background] = core.scene();
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => window.__ready.length), 0, 'still loading');
  assert.deepEqual(pixel(await canvasPixels(page, '#c'), 1, 1), colourRef(background.colour));
  await context.close();
});

test('CORS: refused without the header, loaded with sivarta-data serve --cors', async () => {
  const refusing = await startFaultServer({ cors: false });
  try {
    const { context, page } = await loadChart({ strcode: '005930', strchartUrl: refusing.host });
    const errors = await page.evaluate(() => window.__errors);
    assert.equal(errors.length, 1);
    assert.match(errors[0].reason, /info\/005930\.dat: /);
    assert.equal(await page.$eval('#c', (c) => c.GetStockCode()), '');
    await context.close();
  } finally {
    await refusing.stop();
  }
  const { context, page } = await loadChart({ strcode: '005930', strchartUrl: new URL(corsServer.base).host });
  assert.deepEqual(await page.evaluate(() => window.__errors), []);
  assert.equal(await page.$eval('#c', (c) => c.GetStockCode()), '005930');
  await context.close();
});

test('sivarta-data serve: --cors takes only an origin or *, and sends it with every answer', async () => {
  for (const bad of ['', 'http://[g]:80', 'https://a.example.com:123456', 'evil\r\nSet-Cookie: a=b', 'https://a.example.com/path', 'ftp://a.example.com', '* *']) {
    const run = spawnSync(`${buildDir}/native/bin/sivarta-data`, ['serve', '--root', `${goldenDir}/data`, '--port', '0', '--cors', bad], { timeout: 10000 });
    assert.equal(run.status, 2, `--cors ${JSON.stringify(bad)}`);
  }
  const origin = 'http://[::1]:8443';
  const named = await startDataServer({ cors: origin, web: false });
  try {
    for (const [base, expected] of [[named.base, origin], [corsServer.base, '*'], [server.base, null]]) {
      for (const path of ['/sisefile/info/005930.dat', '/sisefile/info/NONE.dat'])
        assert.equal((await fetch(base + path)).headers.get('access-control-allow-origin'), expected, base + path);
    }
  } finally {
    await named.stop();
  }
});
