// The element's size: without CSS it keeps nsizeMainX x nsizeMainY (in a box
// its width and height attributes may widen); an axis the page's CSS sizes
// (a percentage, a grid cell) lays the chart out at the element's own size
// and follows it when it changes.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';
import { NodeCore } from './core.mjs';
import { canvasPixels, colourRef, goldenDir, openChartPage, pixel, sharedServerAndBrowser, waitReady } from './harness.mjs';

const dayFile = (kind) => readFileSync(`${goldenDir}/data/sisefile/${kind}/005930.dat`);

let server, browser;
sharedServerAndBrowser((s, b) => { server = s; browser = b; });

// The reference core's chart frame at a size: the first framed rectangle.
function frameAt(width, height) {
  const core = new NodeCore();
  core.set('strCode', '005930');
  core.size(width, height);
  core.load(dayFile('info'), dayFile('Date'));
  return core.scene().find((p) => p.kind === 'Frame');
}

// Each case: the markup around the chart, its attributes, then the chart's
// size after each step (a script run in the page; the first step is none).
const cases = [
  { name: 'no CSS: the chart settings\' size', outer: (c) => c, steps: [[null, 228, 190]] },
  { name: 'width and height attributes widen the box, not the chart', attrs: 'width="300" height="220"', outer: (c) => c, steps: [[null, 228, 190]] },
  { name: 'nsizeMainX without CSS', params: '<param name="nsizeMainX" value="260">', outer: (c) => c, steps: [[null, 260, 190]] },
  {
    name: 'width:100% follows its container, the height stays the settings\'',
    attrs: 'style="width:100%"',
    outer: (c) => `<div id="box" style="width:500px">${c}</div>`,
    steps: [[null, 500, 190], ['document.getElementById("box").style.width = "350px"', 350, 190]],
  },
  {
    name: 'a grid cell sizes an element without CSS of its own',
    outer: (c) => `<div style="display:grid;grid-template-columns:repeat(2, 1fr);grid-auto-rows:200px;width:640px">${c}<i></i></div>`,
    steps: [[null, 320, 200]],
  },
  {
    name: 'a grid cell sizes both axes',
    attrs: 'style="width:auto;height:auto"',
    outer: (c) => `<div id="box" style="display:grid;grid-template-columns:310px;grid-template-rows:170px">${c}</div>`,
    steps: [[null, 310, 170], ['document.getElementById("box").style.gridTemplateRows = "240px"', 310, 240]],
  },
];

test('the chart is laid out at its own size where the page\'s CSS sizes it', async () => {
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  const host = new URL(server.base).host;
  for (const c of cases) {
    const chart = `<sivarta-chart id="c" ${c.attrs ?? ''}><param name="strCode" value="005930"><param name="strChartUrl" value="${host}">${c.params ?? ''}</sivarta-chart>`;
    const page = await openChartPage(context, server, `${c.outer(chart)}<script type="module" src="/sivarta.js"></script>`, { name: 'resize' });
    await waitReady(page);
    for (const [step, width, height] of c.steps) {
      if (step) await page.evaluate(step);
      const where = `${c.name}${step ? ` after ${step}` : ''}`;
      await page.waitForFunction(([w, h]) => {
        const canvas = document.getElementById('c').shadowRoot.querySelector('canvas');
        return canvas.width === w && canvas.height === h;
      }, [width, height], { timeout: 5000 }).catch(() => {});
      const image = await canvasPixels(page, '#c');
      assert.deepEqual([image.width, image.height], [width, height], `${where}: the chart's size`);
      // Drawn at that size: the frame's right edge from top to bottom where the core puts it.
      const frame = frameAt(width, height);
      const [, top, right, bottom] = frame.rect;
      assert.deepEqual(pixel(image, right - 1, top + 5), colourRef(frame.colour), `${where}: the frame's right edge`);
      assert.deepEqual(pixel(image, right - 1, bottom - 2), colourRef(frame.colour), `${where}: the frame's right edge at its foot`);
      assert.notDeepEqual(pixel(image, right - 1, bottom), colourRef(frame.colour), `${where}: below the frame`);
    }
    await page.close();
  }
  await context.close();
});

// A new device pixel ratio (zoom, another screen) gives every chart on the
// page backing stores of the new device pixels, each time it changes.
test('every chart follows the device pixel ratio as it changes', async () => {
  const context = await browser.newContext({ viewport: { width: 800, height: 600 } });
  const host = new URL(server.base).host;
  const chart = (id) => `<sivarta-chart id="${id}"><param name="strCode" value="005930"><param name="strChartUrl" value="${host}"></sivarta-chart>`;
  const page = await openChartPage(context, server, `${chart('a')}${chart('b')}<script type="module" src="/sivarta.js"></script>`, { name: 'ratio' });
  await waitReady(page, 2);
  const cdp = await context.newCDPSession(page);
  for (const [i, ratio] of [2, 1, 1.5].entries()) {
    await cdp.send('Emulation.setDeviceMetricsOverride', { width: 800, height: 600, deviceScaleFactor: ratio, mobile: false });
    // Media queries are evaluated again only when the emulated media changes too.
    await cdp.send('Emulation.setEmulatedMedia', { media: i % 2 ? '' : 'screen' });
    const want = [Math.round(228 * ratio), Math.round(190 * ratio)];
    const stores = () => page.evaluate(() => ['a', 'b'].map((id) => {
      const canvas = document.getElementById(id).shadowRoot.querySelector('canvas');
      return [canvas.width, canvas.height];
    }));
    await page.waitForFunction((w) => ['a', 'b'].every((id) => {
      const canvas = document.getElementById(id).shadowRoot.querySelector('canvas');
      return canvas.width === w[0] && canvas.height === w[1];
    }), want, { timeout: 5000 }).catch(() => {});
    assert.deepEqual(await stores(), [want, want], `at ${ratio} device pixels per CSS pixel`);
  }
  await context.close();
});
