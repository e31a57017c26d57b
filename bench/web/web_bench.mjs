// <sivarta-chart> in headless Chromium against sivarta-data serve on loopback:
// time to first chart, one full redraw and one pointer move, for a minute day
// (391 records) at 228 x 190 and a one-second day (23,401 records) at
// 1920 x 1080. Prints numbers; never fails on time.
//   node bench/web/web_bench.mjs        (after scripts/build native web [bench])
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { buildDir, launchBrowser, startDataServer } from '../../tests/browser/harness.mjs';

const LOADS = 15;
const REDRAWS = 200;
const MOVES = 2000;

const dataRoot = mkdtempSync(`${tmpdir()}/sivarta-web-bench-`);
const tool = `${buildDir}/native/bin/sivarta-data`;
execFileSync(tool, ['sample', '--root', dataRoot, '--code', '005930']);
execFileSync(tool, ['sample', '--root', `${dataRoot}/seconds`, '--code', '035720', '--seconds']);
execFileSync('sh', ['-c', `cp "${dataRoot}"/seconds/sisefile/info/* "${dataRoot}/sisefile/info/" && cp "${dataRoot}"/seconds/sisefile/Date/* "${dataRoot}/sisefile/Date/"`]);

// The optimised server of the bench tree when it has been built (scripts/build
// bench), else the test tree's, which runs under the sanitizers.
const optimised = `${buildDir}/bench/bin/sivarta-data`;
const serverTool = existsSync(optimised) ? optimised : tool;
console.log(`data server: ${serverTool}`);
const server = await startDataServer({ root: dataRoot, tool: serverTool });
const browser = await launchBrowser();
const host = new URL(server.base).host;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (v) => v.toFixed(v < 1 ? 4 : 2);

async function measure(code, width, height) {
  const context = await browser.newContext({ viewport: { width: Math.max(width, 400), height: Math.max(height, 300) } });
  const page = await context.newPage();
  const url = server.writePage(`bench-${code}`, `<!doctype html><meta charset="utf-8"><style>body{margin:0}</style>
      <script type="module" src="/sivarta.js"></script>
      <sivarta-chart id="c" width="${width}" height="${height}"><param name="strCode" value="${code}">
      <param name="strChartUrl" value="${host}"><param name="nsizeMainX" value="${width}"><param name="nsizeMainY" value="${height}"></sivarta-chart>
      <script>
        // Drawn: readyinfo comes right after the chart's canvas was painted; presented: two frames later.
        window.__times = new Promise((resolve) => document.getElementById('c').addEventListener('readyinfo', () => {
          const drawn = performance.now();
          requestAnimationFrame(() => requestAnimationFrame(() => resolve({ drawn, presented: performance.now() })));
        }));
      </script>`);
  const drawn = [], presented = [];
  const phases = { page: [], 'sivarta.js': [], 'sivarta.wasm': [], 'data arrived': [] };
  for (let i = 0; i < LOADS; ++i) {
    await page.goto(url);
    const t = await page.evaluate(() => window.__times);
    drawn.push(t.drawn);
    presented.push(t.presented);
    // Where the time went: when each part had arrived, from navigation start.
    const arrived = await page.evaluate(() => [performance.getEntriesByType('navigation')[0].responseEnd,
      ...['sivarta.js', 'sivarta.wasm', '.dat'].map((name) => Math.max(...performance.getEntriesByType('resource')
        .filter((e) => e.name.endsWith(name)).map((e) => e.responseEnd)))]);
    Object.values(phases).forEach((list, k) => list.push(arrived[k]));
  }
  const perRedraw = await page.evaluate(async (n) => {
    const c = document.getElementById('c');
    const t0 = performance.now();
    for (let i = 0; i < n; ++i) {
      c.crBoxLine = i % 2 ? 255 : 16737123;
      await null;   // the queued redraw runs first
    }
    return (performance.now() - t0) / n;
  }, REDRAWS);
  const perMove = await page.evaluate((n) => {
    const c = document.getElementById('c');
    const r = c.getBoundingClientRect();
    const t0 = performance.now();
    for (let i = 0; i < n; ++i) {
      // Slot to slot across the price pane, so every move redraws the crosshair and the tooltip.
      const x = r.left + 10 + ((i * 3) % Math.max(3, r.width - 60));
      c.dispatchEvent(new PointerEvent('pointermove', { clientX: x, clientY: r.top + 60 + (i % 7) }));
    }
    return (performance.now() - t0) / n;
  }, MOVES);
  const records = statSync(`${dataRoot}/sisefile/Date/${code}.dat`).size / 28;
  console.log(`${width}x${height} ${code} (${records} records): first chart drawn ${ms(median(drawn))} ms median, ` +
              `presented ${ms(median(presented))} ms median (${LOADS} loads); redraw ${ms(perRedraw)} ms; pointer move ${ms(perMove)} ms`);
  console.log(`  arrived (median ms from navigation start): ${Object.entries(phases).map(([k, v]) => `${k} ${ms(median(v))}`).join(', ')}`);
  await context.close();
}

try {
  await measure('005930', 228, 190);
  await measure('035720', 1920, 1080);
} finally {
  await browser.close();
  await server.stop();
  rmSync(dataRoot, { recursive: true, force: true });
}
