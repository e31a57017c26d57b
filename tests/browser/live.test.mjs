// The live chart on a host of the page's own (empty strChartUrl): polling
// with 304s while unchanged, a rewritten file reaching the picture, the
// change feed, pausing while hidden or off-screen, a failed refresh keeping the chart, and
// the events page code sees (crosshairmove, update, error), CSS colours, toBlob.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { canvasPixels, launchBrowser, pixel } from './harness.mjs';
import { startLiveServer } from './live_server.mjs';

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser?.close(); });

const recorder = () => {
  window.__events = [];
  document.addEventListener('DOMContentLoaded', () => {
    const c = document.querySelector('sivarta-chart');
    for (const type of ['readyinfo', 'update', 'error', 'crosshairmove'])
      c.addEventListener(type, (e) => window.__events.push({ type, detail: e.detail ?? null }));
  });
};

async function open(server, attributes, { top = 0 } = {}) {
  const page = await browser.newPage();
  await page.addInitScript(recorder);
  await page.goto(server.page('live', `<!doctype html><meta charset="utf-8"><style>body{margin:0;height:5000px}</style>
    <script type="module" src="/sivarta.js"></script><sivarta-chart id="c" style="margin-top:${top}px" ${attributes}></sivarta-chart>`));
  await page.waitForFunction(() => window.__events.some((e) => e.type === 'readyinfo'), null, { timeout: 20000 });
  return page;
}
const events = (page, type) => page.evaluate((t) => window.__events.filter((e) => e.type === t), type);
const chartBytes = async (page) => Buffer.from((await canvasPixels(page, '#c')).rgba).toString('base64');

// Each case: the server's step, then what must follow within the wait.
const pollCases = [
  ['unchanged: two 304s a poll, no update', async () => {}, { updates: 0, errors: 0, same: true, only304: true }],
  ['a rewritten data file reaches the picture', (s) => s.grow(500), { updates: 1, errors: 0, same: false }],
  ['a rewritten info file beside an unchanged data file reaches the picture', (s) => s.reprice(-300),
    { updates: 1, errors: 0, same: false }],
  ['a failed refresh keeps the chart and says why', (s) => { s.grow(-500); s.fail(true); }, { updates: 0, errors: 1, same: true }],
];

for (const [name, step, expect] of pollCases) {
  test(`polling: ${name}`, async () => {
    const server = await startLiveServer({ events: false });
    try {
      const page = await open(server, 'refresh="1"');
      assert.deepEqual(await events(page, 'error'), [], 'the page host serves the day');
      assert.equal(await page.$eval('#c', (c) => c.GetStockCode()), '005930');
      const picture = await chartBytes(page);
      const label = () => page.$eval('#c', (c) => c.getAttribute('aria-label'));
      const labelBefore = await label();
      const logged = server.log.length;
      await step(server);
      await page.waitForTimeout(2600);
      const polls = server.log.slice(logged);
      assert.ok(polls.length >= 1, 'it polled');
      if (expect.only304) assert.ok(polls.every((p) => p.status === 304), JSON.stringify(polls));
      assert.equal((await events(page, 'update')).length, expect.updates);
      const errors = await events(page, 'error');
      assert.ok(expect.errors ? errors.length >= 1 : errors.length === 0, JSON.stringify(errors));
      if (expect.errors) assert.match(errors[0].detail.reason, /HTTP 500$/);
      assert.equal(await chartBytes(page) === picture, expect.same);
      // The label speaks the day shown: the new current price after an update.
      if (expect.updates) assert.ok((await label()).includes(`current price ${server.current().toLocaleString('en-US')},`), await label());
      else assert.equal(await label(), labelBefore);
      assert.equal((await events(page, 'readyinfo')).length, 1, 'readyinfo once per load');
      await page.close();
    } finally {
      await server.stop();
    }
  });
}

test('polling pauses while the chart is off-screen and catches up when it comes back', async () => {
  const server = await startLiveServer({ events: false });
  try {
    const page = await open(server, 'refresh="1"', { top: 3000 });
    const logged = server.log.length;
    await page.waitForTimeout(2500);
    assert.equal(server.log.length, logged, 'no request while off-screen');
    server.grow(500);
    await page.evaluate(() => window.scrollTo(0, 2900));
    await page.waitForFunction(() => window.__events.some((e) => e.type === 'update'), null, { timeout: 5000 });
    await page.close();
  } finally {
    await server.stop();
  }
});

test('polling pauses while the page is hidden and catches up when it is shown', async () => {
  const server = await startLiveServer({ events: false });
  try {
    const page = await open(server, 'refresh="1"');
    // A headless page is never hidden by itself: the document says it is, as a backgrounded tab's does.
    const setVisibility = (state) => page.evaluate((s) => {
      Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => s });
      document.dispatchEvent(new Event('visibilitychange'));
    }, state);
    await setVisibility('hidden');
    const logged = server.log.length;
    server.grow(500);
    await page.waitForTimeout(2500);
    assert.equal(server.log.length, logged, 'no request while hidden');
    assert.equal((await events(page, 'update')).length, 0);
    await setVisibility('visible');
    await page.waitForFunction(() => window.__events.some((e) => e.type === 'update'), null, { timeout: 5000 });
    await page.close();
  } finally {
    await server.stop();
  }
});

test('change feed: a change reaches the picture without polling; the crosshair keeps its record', async () => {
  const server = await startLiveServer({ events: true });
  try {
    const page = await open(server, 'refresh="60" crCurrentBarBackGround="#112233"');
    assert.deepEqual(pixel(await canvasPixels(page, '#c'), 1, 1), [0x11, 0x22, 0x33], 'CSS hex colour');
    await page.waitForFunction(() => true);
    await page.mouse.move(150, 100);
    const moved = await page.waitForFunction(() => window.__events.filter((e) => e.type === 'crosshairmove').at(-1)?.detail);
    const record = await moved.jsonValue();
    for (const field of ['index', 'time', 'open', 'high', 'low', 'close', 'volume']) assert.equal(typeof record[field], 'number', field);
    assert.ok(record.low <= record.open && record.open <= record.high && record.low <= record.close && record.close <= record.high);
    const logged = server.log.length;
    for (let i = 0; i < 50 && server.feedCount() === 0; ++i) await page.waitForTimeout(100);
    server.grow(700, { keepTag: true });
    const sent = Date.now();
    server.announce();
    await page.waitForFunction(() => window.__events.some((e) => e.type === 'update'), null, { timeout: 1000 });
    assert.ok(Date.now() - sent < 1000);
    assert.deepEqual(server.log.slice(logged).map((r) => r.status), [200, 200], 'one whole refresh, no polling, no 304 from a stale tag');
    const after = (await events(page, 'crosshairmove')).at(-1).detail;
    assert.equal(after?.index, record.index, 'the same record under the crosshair');
    await page.mouse.move(500, 500);
    assert.equal((await events(page, 'crosshairmove')).at(-1).detail, null, 'null when the pointer leaves');
    const png = await page.$eval('#c', async (c) => {
      const blob = await c.toBlob();
      return { type: blob.type, head: [...new Uint8Array(await blob.slice(0, 8).arrayBuffer())] };
    });
    assert.equal(png.type, 'image/png');
    assert.deepEqual(png.head, [0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
    await page.close();
  } finally {
    await server.stop();
  }
});
