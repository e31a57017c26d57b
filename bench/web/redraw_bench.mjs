// One full redraw and one pointer move of <sivarta-chart> against the peer
// library's forced repaint and crosshair, in one headless Chromium, for the
// minute day at 228 x 190 and the one-second day at 1920 x 1080, at device
// pixel ratios 1 and 1.5. Each figure twice: the script's time (what bench/
// compare reports), and with the canvases rasterised after each step (one
// pixel read back from each), where deferred drawing is paid. Moves are timed
// with the element's tooltip shown, as a user hovering sees it. Prints
// numbers; never fails on time.
//   node bench/web/redraw_bench.mjs [--rounds N]   (after scripts/build native web)
import { execFileSync } from 'node:child_process';
import { copyFileSync, mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { buildDir, launchBrowser, rootDir, startDataServer } from '../../tests/browser/harness.mjs';
import { elementPage, peerPage } from './pages.mjs';

const at = process.argv.indexOf('--rounds');
const ROUNDS = at > 0 ? Number(process.argv[at + 1]) : 5;
const DAYS = [
  { code: '005930', width: 228, height: 190, seconds: false, redraws: 200 },
  { code: '035720', width: 1920, height: 1080, seconds: true, redraws: 40 },
];
const RATIOS = [1, 1.5];
const MOVES = 400;

const median = (v) => [...v].sort((a, b) => a - b)[v.length >> 1];
const fmt = (ms) => (ms >= 1 ? `${ms.toFixed(2)} ms` : `${(ms * 1000).toFixed(1)} us`);

// Every canvas of the page, shadow roots included; reading a pixel of each
// makes the browser rasterise what was drawn.
const pageHelpers = () => {
  window.__canvases = () => {
    const found = [];
    const walk = (root) => root.querySelectorAll('*').forEach((el) => {
      if (el.localName === 'canvas') found.push(el);
      if (el.shadowRoot) walk(el.shadowRoot);
    });
    walk(document);
    return found;
  };
  window.__rasterise = () => {
    for (const canvas of window.__canvases()) if (canvas.width && canvas.height) canvas.getContext('2d').getImageData(0, 0, 1, 1);
  };
  // Once the chart is shown, animation frames a library asks for are held and
  // run at once, so its deferred work is timed.
  const real = window.requestAnimationFrame.bind(window);
  window.__frames = null;
  window.requestAnimationFrame = (callback) => (window.__frames ? window.__frames.push(callback) : real(callback));
  window.__captureFrames = () => { window.__frames ??= []; };
  window.__flushFrames = () => {
    const due = window.__frames;
    window.__frames = [];
    for (const callback of due) callback(performance.now());
  };
};

async function redraw(page, kind, n, rasterise) {
  return page.evaluate(async ({ kind, n, rasterise }) => {
    const chart = kind === 'peer' ? window.__chart : document.getElementById('c');
    const t0 = performance.now();
    for (let i = 0; i < n; ++i) {
      if (kind === 'peer') chart.applyOptions({ layout: { background: { type: 'solid', color: i % 2 ? '#eef5fc' : '#eef5fd' } } });
      else chart.crBoxLine = i % 2 ? 255 : 16737123;
      await null;
      window.__flushFrames();
      if (rasterise) window.__rasterise();
    }
    return (performance.now() - t0) / n;
  }, { kind, n, rasterise });
}

async function move(page, n, rasterise) {
  return page.evaluate(({ n, rasterise }) => {
    const box = document.getElementById('c').getBoundingClientRect();
    const t0 = performance.now();
    for (let i = 0; i < n; ++i) {
      const clientX = box.left + 10 + ((i * 3) % Math.max(3, box.width - 80));
      const clientY = box.top + 40 + (i % 7);
      const target = document.elementFromPoint(clientX, clientY);
      const init = { bubbles: true, composed: true, cancelable: true, clientX, clientY, pointerType: 'mouse', pointerId: 1, isPrimary: true };
      target.dispatchEvent(new PointerEvent('pointermove', init));
      target.dispatchEvent(new MouseEvent('mousemove', init));
      window.__flushFrames();
      if (rasterise) window.__rasterise();
    }
    return (performance.now() - t0) / n;
  }, { n, rasterise });
}

const dataRoot = mkdtempSync(`${tmpdir()}/sivarta-redraw-`);
const tool = `${buildDir}/native/bin/sivarta-data`;
for (const day of DAYS) execFileSync(tool, ['sample', '--root', dataRoot, '--code', day.code, ...(day.seconds ? ['--seconds'] : [])]);
const server = await startDataServer({ root: dataRoot, tool });
mkdirSync(`${server.webDir}/peer`);
copyFileSync(`${rootDir}/bench/web/node_modules/lightweight-charts/dist/lightweight-charts.standalone.production.js`,
             `${server.webDir}/peer/lightweight-charts.standalone.production.js`);
const host = new URL(server.base).host;
const browser = await launchBrowser();
try {
  console.log(`redraw and pointer move, median of ${ROUNDS} rounds; script time / with rasterisation`);
  for (const day of DAYS) {
    const urls = {
      peer: server.writePage(`peer-${day.code}`, peerPage(day)),
      element: server.writePage(`element-${day.code}`, elementPage({ ...day, host })),
    };
    for (const ratio of RATIOS) {
      const context = await browser.newContext({ deviceScaleFactor: ratio, viewport: { width: Math.max(day.width, 400) + 400, height: Math.max(day.height, 300) } });
      await context.addInitScript(pageHelpers);
      const figures = {};
      for (const kind of ['peer', 'element']) {
        const page = await context.newPage();
        await page.goto(urls[kind]);
        await page.evaluate(() => window.__times);
        if (kind === 'element') {
          // The tooltip shows after the pointer rests over the frame for a hover tick.
          const box = await page.$eval('#c', (c) => c.getBoundingClientRect().toJSON());
          await page.mouse.move(box.left + 60, box.top + 60);
          await page.waitForFunction(() => getComputedStyle(document.getElementById('c').shadowRoot.querySelector('canvas[part=tooltip]')).display !== 'none');
        }
        await page.evaluate(() => window.__captureFrames());
        const samples = { redraw: [], redrawRaster: [], move: [], moveRaster: [] };
        for (let round = 0; round < ROUNDS; ++round) {
          samples.redraw.push(await redraw(page, kind, day.redraws, false));
          samples.redrawRaster.push(await redraw(page, kind, day.redraws, true));
          samples.move.push(await move(page, MOVES, false));
          samples.moveRaster.push(await move(page, MOVES, true));
        }
        figures[kind] = Object.fromEntries(Object.entries(samples).map(([k, v]) => [k, median(v)]));
        await page.close();
      }
      const { peer, element } = figures;
      const line = (what, a, b) => `${what} peer ${fmt(peer[a])} / ${fmt(peer[b])}, element ${fmt(element[a])} / ${fmt(element[b])} ` +
        `(peer/element ${(peer[a] / element[a]).toFixed(1)}x / ${(peer[b] / element[b]).toFixed(1)}x)`;
      console.log(`${day.width}x${day.height} (${day.code}), ratio ${ratio}:`);
      console.log(`  ${line('redraw', 'redraw', 'redrawRaster')}`);
      console.log(`  ${line('move  ', 'move', 'moveRaster')}`);
      await context.close();
    }
  }
} finally {
  await browser.close();
  await server.stop();
  rmSync(dataRoot, { recursive: true, force: true });
}
