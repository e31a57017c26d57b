// Every golden case drawn by <sivarta-chart> in Chromium equals the golden
// picture (the control's drawing surface) and sivarta-render's PNG outside
// the scene's text rectangles, pixel for pixel; at a device pixel ratio of 2
// every golden pixel becomes a 2x2 block of the same colour.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { test } from 'node:test';
import { NodeCore } from './core.mjs';
import { buildDir, canvasPixels, differencesOutside, goldenDir, openChartPage, sharedServerAndBrowser, waitReady } from './harness.mjs';
import { decodePng } from './png.mjs';

const cases = readFileSync(`${goldenDir}/cases.txt`, 'utf8').split('\n')
  .filter((line) => line.trim() && !line.startsWith('#'))
  .map((line) => {
    const [name, code, size, ...props] = line.trim().split(/\s+/);
    const [width, height] = size.split('x').map(Number);
    return { name, code, width, height, props: props.map((p) => p.split('=')) };
  });

const renderer = `${buildDir}/native/bin/sivarta-render`;
const scratch = mkdtempSync(`${tmpdir()}/sivarta-parity-`);

// sivarta-render's file of a case.
function renderedFile(c) {
  const out = `${scratch}/${c.name}.png`;
  const args = ['--root', `${goldenDir}/data`, '--code', c.code, '--size', `${c.width}x${c.height}`, '--out', out];
  for (const [n, v] of c.props) args.push('--prop', `${n}=${v}`);
  const run = spawnSync(renderer, args, { encoding: 'utf8', timeout: 60000 });
  assert.equal(run.status, 0, run.stderr);
  return readFileSync(out);
}

// The same file as Chromium's own decoder reads it.
async function chromiumDecode(page, file) {
  const rgba = await page.evaluate(async (url) => {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    return [image.width, image.height, Array.from(context.getImageData(0, 0, image.width, image.height).data)];
  }, `data:image/png;base64,${file.toString('base64')}`);
  return { width: rgba[0], height: rgba[1], rgba: Uint8Array.from(rgba[2]) };
}

let server, browser;
sharedServerAndBrowser((s, b) => { server = s; browser = b; }, { cleanup: () => rmSync(scratch, { recursive: true, force: true }) });

function markup(c, host) {
  const params = [['strCode', c.code], ['strChartUrl', host], ['nsizeMainX', c.width], ['nsizeMainY', c.height], ...c.props];
  return `<sivarta-chart id="chart">${params.map(([n, v]) => `<param name="${n}" value="${v}">`).join('')}</sivarta-chart>
    <script type="module" src="/sivarta.js"></script>`;
}

function expectedTextRects(c) {
  const core = new NodeCore();
  for (const [n, v] of c.props) core.set(n, v);
  core.set('strCode', c.code);
  core.size(c.width, c.height);
  const file = (kind) => readFileSync(`${goldenDir}/data/sisefile/${kind}/${c.code}.dat`);
  assert.ok(core.load(file('info'), file('Date')).accepted, `${c.name}: the core accepts the golden files`);
  return core.textRects();
}

function upscale(image, k) {
  const out = { width: image.width * k, height: image.height * k, rgba: new Uint8Array(image.rgba.length * k * k) };
  for (let y = 0; y < out.height; ++y)
    for (let x = 0; x < out.width; ++x)
      out.rgba.set(image.rgba.subarray(((y / k | 0) * image.width + (x / k | 0)) * 4, ((y / k | 0) * image.width + (x / k | 0)) * 4 + 4), (y * out.width + x) * 4);
  return out;
}

for (const c of cases) {
  test(`golden ${c.name} at device pixel ratio 1`, async () => {
    const context = await browser.newContext({ deviceScaleFactor: 1 });
    const page = await openChartPage(context, server, markup(c, new URL(server.base).host), { name: c.name });
    await waitReady(page);
    const actual = await canvasPixels(page, '#chart');
    const golden = decodePng(readFileSync(`${goldenDir}/${c.name}.png`));
    const textRects = expectedTextRects(c);
    assert.deepEqual(differencesOutside(actual, golden, textRects), [], 'against the golden picture');
    if (existsSync(renderer)) {
      const file = renderedFile(c);
      assert.deepEqual(differencesOutside(actual, decodePng(file), textRects), [], 'against sivarta-render');
      // Every pixel, text included: the browser reads the file as the tests' reader does.
      assert.deepEqual(differencesOutside(await chromiumDecode(page, file), decodePng(file), []), [], 'Chromium reads sivarta-render');
    }
    await context.close();
  });
}

test('a device pixel ratio of 2 doubles every pixel and keeps lines crisp', async () => {
  const c = cases.find((k) => k.name === 'day_005930');
  const context = await browser.newContext({ deviceScaleFactor: 2 });
  const page = await openChartPage(context, server, markup(c, new URL(server.base).host), { name: 'dpr2' });
  await waitReady(page);
  const actual = await canvasPixels(page, '#chart');
  const golden = upscale(decodePng(readFileSync(`${goldenDir}/${c.name}.png`)), 2);
  assert.deepEqual(differencesOutside(actual, golden, expectedTextRects(c), 2), []);
  await context.close();
});

// The golden picture as a backing store of width x height device pixels shows
// it when every edge x goes to round(x * scale) on its own: device pixel X
// shows the scene pixel x with round(x * scale) <= X < round((x + 1) * scale).
function mapped(image, width, height) {
  const sources = (n, size) => {
    const scale = n / size, from = new Int32Array(n);
    for (let x = 0; x < size; ++x) from.fill(x, Math.round(x * scale), Math.round((x + 1) * scale));
    return from;
  };
  const sx = sources(width, image.width), sy = sources(height, image.height);
  const out = { width, height, rgba: new Uint8Array(width * height * 4) };
  for (let y = 0; y < height; ++y)
    for (let x = 0; x < width; ++x)
      out.rgba.set(image.rgba.subarray((sy[y] * image.width + sx[x]) * 4, (sy[y] * image.width + sx[x]) * 4 + 4), (y * width + x) * 4);
  return out;
}

// Each ratio, with the chart on the device pixel grid and off it: the backing
// store is the canvas's box in device pixels as layout snaps it, and holds
// outside text only the golden picture's colours at its edges' rounded places
// (no blended edge, no gap, no overlap). On the grid the screen shows it as it
// is; off it Chromium's emulated ratios resample whatever is drawn there, so
// only the backing store is compared.
const ratios = [1, 1.25, 1.5, 1.75, 2, 3];
const placements = [{ padding: '4px', onGrid: true }, { padding: '3px 0 0 7px', onGrid: false }];
for (const name of ['day_005930', 'colours']) {
  test(`${name} is crisp at device pixel ratios ${ratios.join(', ')}`, async () => {
    const c = cases.find((k) => k.name === name);
    const golden = decodePng(readFileSync(`${goldenDir}/${c.name}.png`));
    const textRects = expectedTextRects(c);
    for (const ratio of ratios) {
      const context = await browser.newContext({ deviceScaleFactor: ratio });
      for (const { padding, onGrid } of placements) {
        const where = `ratio ${ratio}, padding ${padding}`;
        const page = await openChartPage(context, server, `<div style="padding:${padding}">${markup(c, new URL(server.base).host)}</div>`,
          { name: `ratio-${name}` });
        await waitReady(page);
        const actual = await canvasPixels(page, '#chart');
        const box = await page.$eval('#chart', (el) => el.shadowRoot.querySelector('canvas').getBoundingClientRect().toJSON());
        const at = [box.left, box.top].map((v) => Math.round(v * ratio));
        const size = [[box.left, box.width], [box.top, box.height]].map(([v, n]) => Math.round((v + n) * ratio) - Math.round(v * ratio));
        assert.deepEqual([actual.width, actual.height], size, `${where}: the backing store is the box's device pixels`);
        const scale = [actual.width / c.width, actual.height / c.height];
        const deviceText = textRects.map(([l, t, r, b]) => [l, t, r, b].map((v, i) => Math.round(v * scale[i % 2])));
        assert.deepEqual(differencesOutside(actual, mapped(golden, ...size), deviceText), [], `${where}: against the golden picture`);
        if (onGrid) {
          const shot = decodePng(await page.screenshot());
          const shown = { width: size[0], height: size[1], rgba: new Uint8Array(size[0] * size[1] * 4) };
          for (let y = 0; y < size[1]; ++y)
            shown.rgba.set(shot.rgba.subarray(((at[1] + y) * shot.width + at[0]) * 4, ((at[1] + y) * shot.width + at[0] + size[0]) * 4), y * size[0] * 4);
          assert.deepEqual(differencesOutside(shown, actual, []), [], `${where}: the screen shows the backing store as it is`);
        }
        await page.close();
      }
      await context.close();
    }
  });
}

// A chart whose colours change repaints as a chart drawn with those colours
// from the start, text included, whether colours become shared, stay apart or
// part again; also where panes overlap, so that order counts.
for (const name of ['day_005930', 'gaps_hostile']) test(`colour changes repaint ${name} as a chart made with the new colours`, async () => {
  const c = cases.find((k) => k.name === name);
  const host = new URL(server.base).host;
  const steps = [
    { crBoxLine: 255 },
    { crBoxLine: 'crMainBackGround' },
    { crHighCandle: 'crLowCandle', crValueText: 'crTime' },
    { crBoxLine: 65280, crHighCandle: 8421504 },
    { crValueText: 16711680 },
  ];
  for (const ratio of [1, 1.5]) {
    const context = await browser.newContext({ deviceScaleFactor: ratio });
    const page = await openChartPage(context, server, markup(c, host), { name: 'recolour' });
    await waitReady(page);
    const props = [];
    for (const step of steps) {
      const set = await page.$eval('#chart', async (el, step) => {
        for (const [name, value] of Object.entries(step)) el[name] = typeof value === 'string' ? el[value] : value;
        await new Promise(requestAnimationFrame);
        return Object.keys(step).map((name) => [name, el[name]]);
      }, step);
      props.push(...set);
      const fresh = await openChartPage(context, server, markup({ ...c, props: [...c.props, ...props] }, host), { name: 'recolour-fresh' });
      await waitReady(fresh);
      assert.deepEqual(differencesOutside(await canvasPixels(page, '#chart'), await canvasPixels(fresh, '#chart'), []), [],
        `ratio ${ratio}, after ${JSON.stringify(set)}`);
      await fresh.close();
    }
    await context.close();
  }
});
