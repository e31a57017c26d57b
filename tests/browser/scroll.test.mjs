// Scrolling through the day in the element: keys, horizontal wheel and
// ctrl+wheel zoom reach the core's view, the chart is drawn from it, and the
// arrow keys speak the record under the crosshair through the live region.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';
import { NodeCore } from './core.mjs';
import { canvasPixels, goldenDir, openChartPage, sharedServerAndBrowser, waitReady } from './harness.mjs';

const dayFile = (kind, code) => readFileSync(`${goldenDir}/data/sisefile/${kind}/${code}.dat`);

let server, browser;
sharedServerAndBrowser((s, b) => { server = s; browser = b; });

// The same chart in Node, driven through the same boundary.
function reference(type) {
  const core = new NodeCore();
  core.set('strCode', '005930');
  if (type) core.set('strType', type);
  core.size(228, 190);
  core.load(dayFile('info', '005930'), dayFile('Date', '005930'));
  return core;
}

// Each case: what the page does, the same on the reference core.
const cases = [
  { name: 'Home shows the oldest records', keys: ['Home'], act: (c) => c.core.key('Home'), following: false },
  { name: 'PageUp goes back a page', keys: ['PageUp'], act: (c) => c.core.key('PageUp'), following: false },
  { name: 'Home then End comes back to the newest', keys: ['Home', 'End'], act: (c) => { c.core.key('Home'); c.core.key('End'); }, following: true },
  { name: 'a horizontal wheel to the left shows older records', wheel: { deltaX: -60 }, act: (c) => c.core.scrollPixels(60), following: false },
  { name: 'a vertical wheel is the page\'s', wheel: { deltaY: 100 }, act: () => {}, following: true },
  { name: 'ctrl+wheel up widens the slots', wheel: { deltaY: -100, ctrl: true }, act: (c) => c.core.zoom(1, 100), following: true },
];

test('keys, wheel and zoom move the view as the core does, and the chart is drawn from it', async () => {
  const context = await browser.newContext({ viewport: { width: 600, height: 300 } });
  for (const c of cases) {
    const page = await openChartPage(context, server,
      `<sivarta-chart id="c"><param name="strCode" value="005930"><param name="strChartUrl" value="${new URL(server.base).host}"></sivarta-chart>
       <div style="height:2000px"></div><script type="module" src="/sivarta.js"></script>`, { name: 'scroll' });
    await waitReady(page);
    const start = await canvasPixels(page, '#c');
    await page.focus('#c');
    for (const key of c.keys ?? []) await page.keyboard.press(key);
    if (c.wheel) {
      await page.mouse.move(100, 60);
      if (c.wheel.ctrl) await page.keyboard.down('Control');
      await page.mouse.wheel(c.wheel.deltaX ?? 0, c.wheel.deltaY ?? 0);
      if (c.wheel.ctrl) await page.keyboard.up('Control');
      await page.waitForTimeout(100);
    }
    const core = reference();
    const before = core.core.view();
    c.act(core);
    const expected = core.core.view();
    assert.equal(expected.following, c.following, `${c.name}: the reference`);
    const shown = await canvasPixels(page, '#c');
    const moved = expected.first !== before.first || expected.slotWidth !== before.slotWidth;
    assert.equal(Buffer.from(shown.rgba).equals(Buffer.from(start.rgba)), !moved, `${c.name}: the picture changes exactly when the view does`);
    // The chart is the reference core's scene: its frame's pixels, and a candle's column.
    const candle = core.scene().find((p) => p.kind === 'Fill' && [0x1701E5, 0x89482B].includes(p.colour));
    assert.ok(candle, `${c.name}: a body in the reference scene`);
    const i = (candle.rect[1] * shown.width + candle.rect[0]) * 4;
    assert.deepEqual([...shown.rgba.subarray(i, i + 3)], [candle.colour & 0xff, (candle.colour >> 8) & 0xff, (candle.colour >> 16) & 0xff], `${c.name}: first body at ${candle.rect}`);
    if (c.wheel && !c.wheel.ctrl && c.wheel.deltaY) assert.ok(await page.evaluate(() => window.scrollY) > 0, `${c.name}: the page scrolled`);
    await page.close();
  }
  await context.close();
});

test('arrow keys announce the record under the crosshair in Korean or English', async () => {
  const context = await browser.newContext({ viewport: { width: 600, height: 300 } });
  for (const type of ['', 'ENG']) {
    const page = await openChartPage(context, server,
      `<sivarta-chart id="c" strtype="${type}"><param name="strCode" value="005930"><param name="strChartUrl" value="${new URL(server.base).host}"></sivarta-chart>
       <script type="module" src="/sivarta.js"></script>`, { name: `say${type}` });
    await waitReady(page);
    const core = reference(type);
    await page.mouse.move(60, 80);
    core.track(60, 80);
    await page.focus('#c');
    for (const key of ['ArrowLeft', 'ArrowLeft', 'ArrowRight']) {
      await page.keyboard.press(key);
      core.core.key(key);
      const said = await page.$eval('#c', (c) => {
        const region = c.shadowRoot.querySelector('[aria-live]');
        return { text: region.textContent, live: region.getAttribute('aria-live') };
      });
      assert.equal(said.live, 'polite');
      assert.equal(said.text, core.core.announcement(), `${type} ${key}`);
      assert.match(said.text, type ? /^\d\d:\d\d, open [\d,]+, high [\d,]+, low [\d,]+, close [\d,]+, volume [\d,]+$/
        : /^\d\d시 \d\d분, 시가 [\d,]+, 고가 [\d,]+, 저가 [\d,]+, 종가 [\d,]+, 거래량 [\d,]+$/);
    }
    await page.close();
  }
  await context.close();
});
