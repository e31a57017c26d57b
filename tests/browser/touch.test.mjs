// Fingers and the mouse on the element, in Chromium with emulated touch: every
// gesture runs on the page and, as the same presses, drags and releases, on a
// reference core in Node; the view drawn, the tooltip and the pages opened
// must be the reference's. Also the chart in forced-colours mode.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';
import { NodeCore } from './core.mjs';
import { canvasPixels, goldenDir, openChartPage, pixel, sharedServerAndBrowser, waitReady } from './harness.mjs';
import { sceneText } from '../../web/element/sivarta-scene.js';

const dayFile = (kind) => readFileSync(`${goldenDir}/data/sisefile/${kind}/005930.dat`);
const clickUrl = 'https://example.com/quote';

let server, browser;
sharedServerAndBrowser((s, b) => { server = s; browser = b; });

function reference() {
  const ref = new NodeCore();
  ref.set('strCode', '005930');
  ref.set('strURL', clickUrl);
  ref.size(228, 190);
  ref.load(dayFile('info'), dayFile('Date'));
  return ref;
}

// Each gesture on the page (CDP touches, playwright's mouse) and on the core.
const steps = 8;
const path = ([x0, y0], [x1, y1]) => Array.from({ length: steps }, (_, i) =>
  [Math.round(x0 + ((x1 - x0) * (i + 1)) / steps), Math.round(y0 + ((y1 - y0) * (i + 1)) / steps)]);
const gestures = {
  async tap(page, cdp, [p]) {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: p[0], y: p[1], id: 1 }] });
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  },
  async swipe(page, cdp, [from, to]) {
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: from[0], y: from[1], id: 1 }] });
    for (const [x, y] of path(from, to)) {
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x, y, id: 1 }] });
      await page.evaluate(() => new Promise(requestAnimationFrame));
    }
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  },
  async pinch(page, cdp, [a0, b0, a1, b1]) {
    const points = (a, b) => [{ x: a[0], y: a[1], id: 1 }, { x: b[0], y: b[1], id: 2 }];
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: points(a0, b0) });
    const as = path(a0, a1), bs = path(b0, b1);
    for (let i = 0; i < steps; ++i) {
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: points(as[i], bs[i]) });
      await page.evaluate(() => new Promise(requestAnimationFrame));
    }
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  },
  async mouseDrag(page, cdp, [from, to]) {
    await page.mouse.move(...from);
    await page.mouse.down();
    await page.mouse.move(...to, { steps });
    await page.mouse.up();
  },
  async click(page, cdp, [p]) {
    await page.mouse.click(...p);
  },
};

// The same gesture on the reference: what the core opens and shows. A drag
// more vertical than sideways is the page's (touch-action: pan-y): the
// browser cancels the press. The mouse also moves the crosshair, and its
// tooltip follows the hover rule.
function onReference(ref, kind, points, seen) {
  const core = ref.core;
  const release = (x, y) => {
    const action = core.release(x, y);
    if (action === ref.c.release.openPage) seen.opened.push(core.clickPage());
    seen.tip = action === ref.c.release.showTip;
  };
  if (kind === 'click' || kind === 'mouseDrag') {
    const [from, to = from] = points;
    ref.track(...from);
    core.press(...from, false);
    core.drag(...to);
    ref.track(...to);
    release(...to);
    seen.tip = core.showsTip(...to);
  } else if (kind === 'tap') {
    core.press(...points[0], true);
    release(...points[0]);
  } else if (kind === 'pinch') {
    const [a0, b0, a1, b1] = points;
    core.pinchBegin(Math.round(Math.hypot(a0[0] - b0[0], a0[1] - b0[1])));
    core.pinchTo(Math.round(Math.hypot(a1[0] - b1[0], a1[1] - b1[1])), Math.round((a1[0] + b1[0]) / 2));
    seen.tip = false;
  } else {
    const [from, to] = points;
    core.press(...from, kind === 'swipe');
    if (kind === 'swipe' && Math.abs(to[1] - from[1]) > Math.abs(to[0] - from[0])) {
      core.cancelPress();
      seen.tip = false;
      return;
    }
    core.drag(...to);
    release(...to);
  }
}

// Each case: its gestures, and what only the page can show (the page's own scroll).
const cases = [
  { name: 'a sideways touch drag shows older records', gestures: [['swipe', [60, 100], [150, 104]]] },
  { name: 'a vertical touch drag scrolls the page, not the chart', gestures: [['swipe', [100, 170], [102, 40]]], pageScrolls: true },
  { name: 'a tap shows the crosshair and tooltip at its record', gestures: [['tap', [100, 80]]] },
  { name: 'a second tap on the record shown opens the page', gestures: [['tap', [100, 80]], ['tap', [100, 84]]] },
  { name: 'a tapped tooltip goes when the page scrolls', gestures: [['tap', [100, 80]], ['swipe', [100, 170], [102, 40]]], pageScrolls: true },
  { name: 'a tap on another record moves the tooltip', gestures: [['tap', [100, 80]], ['tap', [130, 80]]] },
  { name: 'a tap after a pan shows the tooltip, not the page', gestures: [['tap', [100, 80]], ['swipe', [60, 100], [150, 100]], ['tap', [100, 80]]] },
  { name: 'a pinch widens the slots', gestures: [['pinch', [90, 100], [110, 100], [60, 100], [140, 100]]] },
  { name: 'a mouse drag shows older records and opens nothing', gestures: [['mouseDrag', [60, 100], [150, 100]]] },
  { name: 'a mouse drag held beyond the chart keeps scrolling', gestures: [['mouseDrag', [150, 100], [330, 100]]] },
  { name: 'a mouse click opens the page', gestures: [['click', [100, 80]]] },
];

test('touch and mouse gestures scroll, zoom, show the tooltip and open the page as the core decides', async () => {
  const context = await browser.newContext({ viewport: { width: 600, height: 300 }, hasTouch: true });
  for (const c of cases) {
    const page = await openChartPage(context, server,
      `<sivarta-chart id="c"><param name="strCode" value="005930"><param name="strURL" value="${clickUrl}">
       <param name="strChartUrl" value="${new URL(server.base).host}"></sivarta-chart>
       <div style="height:2000px"></div><script type="module" src="/sivarta.js"></script>
       <script>window.__moves = []; document.getElementById('c').addEventListener('crosshairmove', (e) => __moves.push(e.detail));
       const open = window.open; window.open = (...args) => open(...args, navigator.userActivation.isActive);</script>`,
      { name: 'touch' });
    await waitReady(page);
    const cdp = await context.newCDPSession(page);
    const start = await canvasPixels(page, '#c');
    const ref = reference();
    const first = ref.core.view();
    const seen = { opened: [], tip: false };
    for (const [kind, ...points] of c.gestures) {
      await gestures[kind](page, cdp, points);
      onReference(ref, kind, points, seen);
    }
    await page.waitForTimeout(150);
    const view = ref.core.view();

    // Opened while the gesture still counts as the user's: no popup blocker stops it.
    const opened = await page.evaluate(() => window.__opened);
    assert.deepEqual(opened.map((args) => args[0]), seen.opened, `${c.name}: pages opened`);
    assert.ok(opened.every((args) => args.at(-1) === true), `${c.name}: opened within the user's gesture`);
    const shown = await canvasPixels(page, '#c');
    const moved = view.first !== first.first || view.slotWidth !== first.slotWidth;
    assert.equal(Buffer.from(shown.rgba).equals(Buffer.from(start.rgba)), !moved, `${c.name}: the picture changes exactly when the view does`);
    // Every candle body of the reference's view is in the picture.
    const bodies = ref.scene().filter((p) => p.kind === 'Fill' && [0x1701E5, 0x89482B].includes(p.colour));
    assert.ok(bodies.length > 10, `${c.name}: bodies in the reference`);
    for (const b of bodies) assert.deepEqual(pixel(shown, b.rect[0], b.rect[1]), [b.colour & 0xff, (b.colour >> 8) & 0xff, b.colour >> 16], `${c.name}: body at ${b.rect}`);
    assert.equal(await page.evaluate(() => window.scrollY) > 0, Boolean(c.pageScrolls), `${c.name}: the page scrolled`);

    const tip = await page.$eval('#c', (el) => {
      const t = el.shadowRoot.querySelector('canvas[part=tooltip]');
      return { shown: getComputedStyle(t).display !== 'none', text: t.getAttribute('aria-label') };
    });
    assert.equal(tip.shown, seen.tip, `${c.name}: tooltip shown`);
    if (seen.tip) {
      assert.equal(tip.text, sceneText(ref.core.scene(ref.c.layer.tip)), `${c.name}: the tooltip's record`);
      const moves = await page.evaluate(() => window.__moves);
      assert.equal(moves.at(-1)?.index, ref.core.tracked().index, `${c.name}: crosshairmove`);
      const cross = await canvasPixels(page, '#c', 'crosshair');
      const line = ref.scene('crosshair').find((p) => p.kind === 'Line');
      assert.ok(line, `${c.name}: a crosshair line in the reference`);
      const i = (line.rect[1] * cross.width + line.rect[0]) * 4;
      assert.equal(cross.rgba[i + 3], 255, `${c.name}: the crosshair drawn at ${line.rect}`);
    }
    await page.close();
  }
  await context.close();
});

// The price pane's background (a point inside its frame that nothing else
// covers) and each candle body: visible means their colours differ.
async function candleColours(page, ref) {
  const shown = await canvasPixels(page, '#c');
  const scene = ref.scene();
  const frame = scene.findIndex((p) => p.kind === 'Frame');
  const [l, t, r, b] = scene[frame].rect;
  const covered = (x, y) => scene.slice(frame + 1).some(({ rect }) => x >= rect[0] - 1 && x <= rect[2] && y >= rect[1] - 1 && y <= rect[3]);
  let free = null;
  for (let y = t + 2; y < b - 2 && !free; ++y) for (let x = l + 2; x < r - 2 && !free; ++x) if (!covered(x, y)) free = [x, y];
  assert.ok(free, 'a bare point of the price pane');
  const bodies = scene.filter((p) => p.kind === 'Fill' && [0x1701E5, 0x89482B].includes(p.colour));
  return { back: pixel(shown, ...free), bodies: bodies.map((p) => ({ colour: p.colour, at: pixel(shown, p.rect[0], p.rect[1]) })) };
}

test('in forced-colours mode the candles stay visible, and the default colours come back with it off', async () => {
  const context = await browser.newContext({ viewport: { width: 600, height: 300 } });
  const page = await openChartPage(context, server,
    `<sivarta-chart id="c"><param name="strCode" value="005930"><param name="strChartUrl" value="${new URL(server.base).host}"></sivarta-chart>
     <script type="module" src="/sivarta.js"></script>`, { name: 'forced' });
  const ref = reference();
  const modes = ['active', 'none', 'active'];
  await page.emulateMedia({ forcedColors: modes[0] });
  await waitReady(page);
  for (const mode of modes) {
    await page.emulateMedia({ forcedColors: mode });
    await page.waitForTimeout(100);
    const { back, bodies } = await candleColours(page, ref);
    const colour = (ref) => [ref & 0xff, (ref >> 8) & 0xff, ref >> 16];
    if (mode === 'none') {
      assert.deepEqual(back, colour(ref.core.get(ref.props.get('crValueBackGround'))), 'the default background');
      for (const b of bodies) assert.deepEqual(b.at, colour(b.colour), 'the default candle colours');
      continue;
    }
    assert.notDeepEqual(back, colour(ref.core.get(ref.props.get('crValueBackGround'))), 'forced: the background is the system\'s');
    for (const b of bodies) assert.notDeepEqual(b.at, back, `forced: a candle distinct from the background (${b.at} on ${back})`);
    const rising = bodies.find((b) => b.colour === 0x1701E5).at, falling = bodies.find((b) => b.colour === 0x89482B).at;
    assert.notDeepEqual(rising, falling, 'forced: rising and falling candles differ');
  }
  await context.close();
});
