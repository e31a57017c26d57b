// <sivarta-chart> as a page author uses it: the six methods and readyinfo,
// the three ways to give settings, reload and redraw on change, crosshair,
// tooltip text, picture and placement after a real mouse move (at 1 and 1.5
// device pixels per CSS pixel), arrow keys,
// click-through and the accessible label.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';
import { NodeCore } from './core.mjs';
import { canvasPixels, colourRef, goldenDir, openChartPage, pixel, sharedServerAndBrowser, waitReady } from './harness.mjs';

const dayFile = (kind, code) => readFileSync(`${goldenDir}/data/sisefile/${kind}/${code}.dat`);

function infoOf(code) {
  const b = dayFile('info', code);
  const text = (from, width) => {
    const field = b.subarray(from, from + width);
    const end = field.indexOf(0) < 0 ? width : field.indexOf(0);
    return new TextDecoder('euc-kr').decode(field.subarray(0, end)).replace(/[ \t\n\v\f\r]+$/, '');
  };
  return { code: text(8, 6), name: text(14, 31), date: b.readInt32LE(0), time: b.readInt32LE(4), current: b.readInt32LE(68), change: b.readInt32LE(76) };
}

let server, browser, host;
sharedServerAndBrowser((s, b) => {
  server = s;
  browser = b;
  host = new URL(server.base).host;
});

const script = '<script type="module" src="/sivarta.js"></script>';
const methods = (page, id) => page.$eval(id, (c) => ({
  code: c.GetStockCode(), name: c.GetStockName(), date: c.GetStockDate(),
  time: c.GetStockTime(), current: c.GetStockCurrentga(), change: c.GetStockChange(),
}));

test('methods, readyinfo once per load, reload on strCode, redraw on a display setting', async () => {
  const context = await browser.newContext();
  const page = await openChartPage(context, server,
    `<sivarta-chart id="c"><param name="strCode" value="005930"><param name="strChartUrl" value="${host}"></sivarta-chart>${script}`);
  await waitReady(page, 1);
  assert.deepEqual(await methods(page, '#c'), infoOf('005930'));
  assert.ok(infoOf('005930').name.length > 0);
  assert.equal(await page.$eval('#c', (c) => { c.StratGraph('000660'); c.AboutBox(); return c.GetStockCode(); }), '005930');

  await page.$eval('#c', (c) => { c.strCode = '000660'; c.strCode = '000660'; });
  await waitReady(page, 2);
  assert.deepEqual(await methods(page, '#c'), infoOf('000660'));

  // A colour redraws without a load; the frame's top-left corner takes it.
  await page.$eval('#c', (c) => { c.crBoxLine = 255; });
  await page.waitForTimeout(200);
  assert.equal(await page.evaluate(() => window.__ready.length), 2);
  const core = new NodeCore();
  core.set('strCode', '000660');
  core.size(228, 190);
  core.load(dayFile('info', '000660'), dayFile('Date', '000660'));
  const box = core.scene().find((p) => p.kind === 'Frame').rect;
  assert.deepEqual(pixel(await canvasPixels(page, '#c'), box[0], box[1]), [255, 0, 0]);
  assert.equal(await page.$eval('#c', (c) => c.crBoxLine), 255);
  assert.deepEqual(await page.evaluate(() => window.__errors), []);

  const label = await page.$eval('#c', (c) => [c.getAttribute('role'), c.getAttribute('aria-label')]);
  const info = infoOf('000660');
  assert.equal(label[0], 'group');
  assert.ok(label[1].includes(info.name) && label[1].includes(info.current.toLocaleString('en-US')) &&
            label[1].includes(Math.abs(info.change).toLocaleString('en-US')), label[1]);
  await context.close();
});

test('params, case-insensitive attributes and properties give the same chart; --sivarta-font its face', async () => {
  const context = await browser.newContext();
  // The fonts each chart's texts are drawn in, by the chart's id.
  await context.addInitScript(() => {
    const fillText = CanvasRenderingContext2D.prototype.fillText;
    window.__fonts = {};
    CanvasRenderingContext2D.prototype.fillText = function (...args) {
      const id = this.canvas.getRootNode().host?.id;
      if (id) (window.__fonts[id] ??= new Set()).add(this.font);
      return fillText.apply(this, args);
    };
  });
  const settings = { strCode: '005930', strType: 'ENG', crBoxLine: '255', nsizeGapX: '12', nIsCurrentBar: '0', nsizeMainX: '300' };
  const params = Object.entries(settings).map(([n, v]) => `<param name="${n}" value="${v}">`).join('');
  const attributes = Object.entries(settings).map(([n, v]) => `${n.toUpperCase()}="${v}"`).join(' ');
  const page = await openChartPage(context, server, `
    <sivarta-chart id="p" strChartUrl="${host}">${params}</sivarta-chart>
    <sivarta-chart id="a" strchartURL="${host}" ${attributes} crvaluetext="black"></sivarta-chart>
    <sivarta-chart id="f" style="--sivarta-font: Courier" strChartUrl="${host}">${params}</sivarta-chart>${script}
    <script type="module">
      const c = document.createElement('sivarta-chart');
      c.id = 's';
      Object.assign(c, ${JSON.stringify(settings)}, { strChartUrl: '${host}' });
      document.body.append(c);
    </script>`);
  await waitReady(page, 4);
  const fonts = await page.evaluate(() => Object.fromEntries(Object.entries(window.__fonts).map(([id, set]) => [id, [...set]])));
  assert.equal(fonts.f.length, 1);
  assert.match(fonts.f[0], /^\d+px Courier$/);
  assert.equal(fonts.p.length, 1);
  assert.match(fonts.p[0], /^\d+px .*monospace$/);
  const [p, a, s] = await Promise.all(['#p', '#a', '#s'].map((id) => canvasPixels(page, id)));
  assert.equal(p.width, 300);
  assert.ok(Buffer.from(a.rgba).equals(Buffer.from(p.rgba)), 'attributes draw what params draw');
  assert.ok(Buffer.from(s.rgba).equals(Buffer.from(p.rgba)), 'properties draw what params draw');
  assert.deepEqual(await page.$eval('#a', (c) => [c.strType, c.crBoxLine, c.nsizeGapX, c.crValueText, c.strURL]), ['ENG', 255, 12, 0, '']);
  const refused = await page.$eval('#s', (c) => { try { c.crBoxLine = 'red'; return 'taken'; } catch (e) { return e.name; } });
  assert.equal(refused, 'RangeError');
  await context.close();
});

// The crosshair overlay holds exactly the core's crosshair lines.
function assertCrosshair(image, prims) {
  const expected = new Set();
  for (const { rect: [l, t, r, b] } of prims)
    for (let y = t; y < Math.max(b, t + 1); ++y) for (let x = l; x < Math.max(r, l + 1); ++x) expected.add(y * image.width + x);
  for (let i = 0; i < image.width * image.height; ++i) {
    const drawn = image.rgba[i * 4 + 3] > 0;
    assert.equal(drawn, expected.has(i), `crosshair pixel ${i % image.width},${Math.floor(i / image.width)}`);
    if (drawn) assert.deepEqual([...image.rgba.subarray(i * 4, i * 4 + 3)], colourRef(prims[0].colour));
  }
}

// The tooltip's picture: an opaque box at the top left of its backing store
// (which only grows), framed in the core's border colour, nothing beyond it.
async function tipPicture(page, border) {
  const image = await canvasPixels(page, '#c', 'tooltip');
  const alpha = (x, y) => image.rgba[(y * image.width + x) * 4 + 3];
  let width = 0, height = 0;
  while (width < image.width && alpha(width, 0) === 255) ++width;
  while (height < image.height && alpha(0, height) === 255) ++height;
  for (let y = 0; y < image.height; ++y)
    for (let x = 0; x < image.width; ++x) assert.equal(alpha(x, y), x < width && y < height ? 255 : 0, `tooltip pixel ${x},${y}`);
  for (const [x, y] of [[0, 0], [width - 1, height >> 1], [width >> 1, height - 1]]) assert.deepEqual(pixel(image, x, y), colourRef(border));
  return { width, height, store: image.width };
}

// Overlays drawn on offscreen canvases, and on the canvases themselves in a
// browser without them.
for (const offscreen of [true, false]) test(`crosshair, tooltip text and placement after a real mouse move, arrow keys${offscreen ? '' : ', no offscreen canvases'}`, async () => {
  const context = await browser.newContext({ viewport: { width: 800, height: 400 } });
  if (!offscreen) await context.addInitScript(() => { delete HTMLCanvasElement.prototype.transferControlToOffscreen; });
  const page = await openChartPage(context, server, `<div style="position:absolute;left:400px;top:50px">
    <sivarta-chart id="c"><param name="strCode" value="005930"><param name="strChartUrl" value="${host}"></sivarta-chart></div>${script}`);
  await waitReady(page);
  const handedOver = () => page.$eval('#c', (c) => {
    try { return !c.shadowRoot.querySelector('canvas[part=crosshair]').getContext('2d'); } catch { return true; }
  });
  const core = new NodeCore();
  core.set('strCode', '005930');
  core.size(228, 190);
  core.load(dayFile('info', '005930'), dayFile('Date', '005930'));
  const tipShown = (shown) => page.waitForFunction((want) =>
    (getComputedStyle(document.getElementById('c').shadowRoot.querySelector('canvas[part=tooltip]')).display !== 'none') === want, shown, { timeout: 3000 });
  const tip = (p) => p.$eval('#c', (c) => {
    const t = c.shadowRoot.querySelector('canvas[part=tooltip]');
    return { shown: getComputedStyle(t).display !== 'none', left: parseInt(t.style.left), top: parseInt(t.style.top), text: t.getAttribute('aria-label') };
  });
  const tipText = () => core.scene('tip').filter((p) => p.kind === 'Text').map((p) => p.text).join(' ');

  // Right of the cursor where 310 pixels fit before the viewport's edge,
  // flipped left where not; a narrower record's tooltip after a wider one's.
  const widths = [];
  for (const [x, y] of [[20, 60], [150, 100], [60, 100]]) {
    await page.mouse.move(400 + x, 50 + y);
    core.track(x, y);
    await tipShown(true);
    // The next hover tick puts it beside the pointer.
    const clientX = 400 + x;
    const picture = await tipPicture(page, core.scene('tip').find((p) => p.kind === 'Line').colour);
    const width = picture.width;
    widths.push([width, picture.store]);
    const left = clientX + 310 > 800 ? clientX - 5 - width : clientX + 10;
    await page.waitForFunction(([l, t]) => {
      const tipCanvas = document.getElementById('c').shadowRoot.querySelector('canvas[part=tooltip]');
      return tipCanvas.style.left === `${l}px` && tipCanvas.style.top === `${t}px`;
    }, [left, 50 + y + 10], { timeout: 3000 });
    const shown = await tip(page);
    assert.equal(shown.text, tipText());
    assert.match(shown.text, /^\d\d\/\d\d /);
    assertCrosshair(await canvasPixels(page, '#c', 'crosshair'), core.scene('crosshair'));
  }
  assert.ok(widths[2][0] < widths[2][1], `the narrower tooltip is drawn into the wider one's store (${widths})`);
  assert.equal(await handedOver(), offscreen, 'the crosshair is drawn offscreen where the browser can');

  // Outside the frame (the label column) the tooltip goes at the next tick; the crosshair stays.
  await page.mouse.move(400 + 222, 50 + 100);
  await tipShown(false);

  // Keys move the crosshair from its last point: right one slot, up one row, left one slot.
  await page.focus('#c');
  for (const key of ['ArrowRight', 'ArrowRight', 'ArrowUp', 'ArrowLeft', 'ArrowDown']) {
    await page.keyboard.press(key);
    core.core.key(key);
    assertCrosshair(await canvasPixels(page, '#c', 'crosshair'), core.scene('crosshair'));
  }
  assert.equal((await tip(page)).text, tipText());

  // nIsToolTip other than 1: the crosshair follows, the tooltip never shows.
  await page.$eval('#c', (c) => { c.nIsToolTip = 2; });
  await page.mouse.move(400 + 30, 50 + 70);
  core.set('nIsToolTip', 2);
  core.core.redraw();
  core.core.retrack();
  core.track(30, 70);
  await page.waitForTimeout(400);
  assert.equal((await tip(page)).shown, false);
  assertCrosshair(await canvasPixels(page, '#c', 'crosshair'), core.scene('crosshair'));
  await context.close();
});

test('at 1.5 device pixels per CSS pixel the tooltip is whole device pixels, after a wider one too', async () => {
  const context = await browser.newContext({ viewport: { width: 800, height: 400 }, deviceScaleFactor: 1.5 });
  const page = await openChartPage(context, server,
    `<sivarta-chart id="c"><param name="strCode" value="005930"><param name="strChartUrl" value="${host}"></sivarta-chart>${script}`);
  await waitReady(page);
  const core = new NodeCore();
  core.set('strCode', '005930');
  core.size(228, 190);
  core.load(dayFile('info', '005930'), dayFile('Date', '005930'));
  const pictures = [];
  for (const [x, y] of [[20, 60], [150, 100], [60, 100]]) {
    await page.mouse.move(x, y);
    core.track(x, y);
    // Shown at the next hover tick, with the words of this record.
    const words = core.scene('tip').filter((p) => p.kind === 'Text').map((p) => p.text).join(' ');
    await page.waitForFunction((w) => document.getElementById('c').shadowRoot.querySelector('canvas[part=tooltip]').getAttribute('aria-label') === w,
      words, { timeout: 3000 });
    const border = core.scene('tip').find((p) => p.kind === 'Line').colour;
    pictures.push(await tipPicture(page, border));
    assert.equal(pictures.at(-1).height, Math.round(core.scene('tip')[0].rect[3] * 1.5));
  }
  assert.ok(pictures[2].width < pictures[2].store, `the narrower tooltip is drawn into the wider one's store (${pictures.map((p) => p.width)})`);
  await context.close();
});

test('click-through opens only absolute http and https pages, once, without an opener', async () => {
  const context = await browser.newContext();
  const rows = [
    // strURL, strClickAction, what opens
    ['https://www.example.com/a b', '', ['https://www.example.com/a b', '_blank', 'noopener']],
    ['HTTP://example.com/', 'n', ['HTTP://example.com/', '_blank', 'noopener']],
    ['', 'NO', ['http://127.0.0.1:8949/', '_blank', 'noopener']],
    ['https://www.example.com/', 'N', null],
    ['javascript:alert(1)', '', null],
    ['file:///etc/passwd', '', null],
    ['//www.example.com/', '', null],
  ];
  const body = rows.map(([url, action], i) =>
    `<sivarta-chart id="c${i}" strcode="BAD-CODE" nsizemainy="40"><param name="strURL" value="${url}"><param name="strClickAction" value="${action}"></sivarta-chart>`).join('');
  const page = await openChartPage(context, server, body + script);
  await waitReady(page, rows.length);
  for (const [i, row] of rows.entries()) {
    await page.evaluate(() => { window.__opened = []; });
    await page.click(`#c${i}`, { position: { x: 5, y: 5 } });
    assert.deepEqual(await page.evaluate(() => window.__opened), row[2] ? [row[2]] : [], `strURL ${row[0]} strClickAction ${row[1]}`);
  }
  assert.equal(await page.$eval('#c0', (c) => getComputedStyle(c).cursor), 'pointer');
  await context.close();
});

test('the demo page from sivarta-data serve --web: element, module and WebAssembly from the data host', async () => {
  const context = await browser.newContext();
  const page = await context.newPage();
  const types = {};
  page.on('response', (r) => { types[new URL(r.url()).pathname] = r.headers()['content-type']; });
  await page.goto(`${server.base}/?code=000660`);
  await page.waitForSelector('body[data-ready]', { timeout: 20000 });
  const info = infoOf('000660');
  assert.equal(await page.textContent('#info'), `code${info.code}name${info.name}date${info.date}time${info.time}current${info.current}change${info.change}`);
  assert.match(types['/'], /^text\/html/);
  assert.match(types['/sivarta.js'], /^application\/javascript/);
  assert.equal(types['/sivarta.wasm'], 'application/wasm');
  assert.equal(types['/sisefile/info/000660.dat'], 'application/octet-stream');
  await context.close();
});
