// bench/compare's measurements, in one run: the peer library, the floor page
// and <sivarta-chart> in one headless Chromium against one loopback data
// server, pages alternating, at 0 and 50 ms added to every request; then the
// control under Wine and the native renderer. Prints numbers and ratios;
// never passes or fails on time. Run it through bench/compare, which builds
// what it needs and provides the display.
//   node bench/web/compare.mjs [--loads N] [--web-only] [--only first|charts|interaction]
// --only runs one web part alone (first charts without the peer, the 30
// charts, or the redraws and pointer moves): a narrower run while working on it.
import { execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { buildDir, launchBrowser, rootDir, startDataServer } from '../../tests/browser/harness.mjs';
import { chartsFloorPage, chartsPage, elementPage, floorPage, peerPage } from './pages.mjs';

const option = (name, fallback) => {
  const at = process.argv.indexOf(name);
  return at > 0 ? Number(process.argv[at + 1]) : fallback;
};
const LOADS = option('--loads', 11);
const ONLY = process.argv.includes('--only') ? process.argv[process.argv.indexOf('--only') + 1] : null;
const WEB_ONLY = process.argv.includes('--web-only') || ONLY !== null;
const REDRAWS = 100;
const MOVES = 500;
const INTERACTIONS = 5;
const LATENCIES = [0, 50];
const KINDS = ONLY === 'first' ? ['floor', 'element', 'preloaded'] : ['peer', 'floor', 'element', 'preloaded'];
// Many charts on one page: one code each, 228x190.
const MANY_CODES = Array.from({ length: 30 }, (_, i) => String(200000 + 7 * i));
const DAYS = [
  { code: '005930', width: 228, height: 190, seconds: false },
  { code: '035720', width: 1920, height: 1080, seconds: true },
];

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[v.length >> 1] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const fmt = (v) => (Number.isNaN(v) ? '-' : v >= 100 ? v.toFixed(0) : v >= 1 ? v.toFixed(2) : v.toFixed(4));
const ratio = (a, b) => (Number.isNaN(a / b) ? '-' : `${(a / b).toFixed(2)}x`);
const pad = (s, n) => String(s).padStart(n);
const optimisedOr = (name) => (existsSync(`${buildDir}/bench/bin/${name}`) ? `${buildDir}/bench/bin/${name}` : `${buildDir}/native/bin/${name}`);

// Animation frames, passed through until __captureFrames(); then held and run
// by __flushFrames() (one pass, returns how many ran), so a redraw that a
// library defers to the next frame is timed as the work it is.
const frameCapture = () => {
  const real = window.requestAnimationFrame.bind(window);
  const realCancel = window.cancelAnimationFrame.bind(window);
  let held = null, next = 1;
  window.requestAnimationFrame = (callback) => {
    if (!held) return real(callback);
    held.push({ id: -next, callback });
    return -next++;
  };
  window.cancelAnimationFrame = (id) => (id < 0 && held ? (held = held.filter((f) => f.id !== id)) : realCancel(id));
  window.__captureFrames = () => { held = []; };
  window.__flushFrames = () => {
    const due = held;
    held = [];
    for (const f of due) f.callback(performance.now());
    return due.length;
  };
};

// When each compile of a WebAssembly module began and ended (ms from navigation start).
const compileWatch = () => {
  window.__compiles = [];
  for (const name of ['compile', 'compileStreaming']) {
    const real = WebAssembly[name].bind(WebAssembly);
    WebAssembly[name] = (...args) => {
      const compile = { began: performance.now() };
      window.__compiles.push(compile);
      return real(...args).then((module) => {
        compile.ended = performance.now();
        return module;
      });
    };
  }
};

// Every WebAssembly instance a page makes, for its memory.
const instanceWatch = () => {
  window.__memories = [];
  WebAssembly.Instance = new Proxy(WebAssembly.Instance, {
    construct(target, args, newTarget) {
      const instance = Reflect.construct(target, args, newTarget);
      window.__memories.push(instance.exports.memory);
      return instance;
    },
  });
};

function makeDays() {
  const root = mkdtempSync(`${tmpdir()}/sivarta-compare-`);
  const tool = `${buildDir}/native/bin/sivarta-data`;
  for (const day of DAYS)
    execFileSync(tool, ['sample', '--root', root, '--code', day.code, ...(day.seconds ? ['--seconds'] : [])]);
  for (const day of DAYS) day.records = statSync(`${root}/sisefile/Date/${day.code}.dat`).size / 28;
  execFileSync(tool, ['sample', '--root', root, ...MANY_CODES.flatMap((code) => ['--code', code])], { stdio: 'ignore' });
  return root;
}

async function withTimeout(promise, what) {
  let timer;
  const limit = new Promise((_, reject) => { timer = setTimeout(() => reject(new Error(`${what}: no chart within 30 s`)), 30000); });
  try { return await Promise.race([promise, limit]); } finally { clearTimeout(timer); }
}

// One tab per chart size, with its DevTools connection for the network settings.
async function openTab(browser, day) {
  const context = await browser.newContext({ viewport: { width: Math.max(day.width, 400), height: Math.max(day.height, 300) } });
  await context.addInitScript(frameCapture);
  await context.addInitScript(compileWatch);
  await context.addInitScript(instanceWatch);
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.setCacheDisabled', { cacheDisabled: true });
  // The page's task times in its main thread's CPU time, which other work
  // on a shared machine inflates far less than the wall clock.
  await cdp.send('Performance.enable', { timeDomain: 'threadTicks' });
  return { context, page, cdp };
}

async function setLatency(tab, latency) {
  await tab.cdp.send('Network.emulateNetworkConditions', { offline: false, latency, downloadThroughput: -1, uploadThroughput: -1 });
}

// The main thread's CPU milliseconds in tasks so far.
async function mainThreadCpu(tab) {
  const { metrics } = await tab.cdp.send('Performance.getMetrics');
  return metrics.find((m) => m.name === 'TaskDuration').value * 1000;
}

async function loadOnce(tab, url) {
  const cpuBefore = await mainThreadCpu(tab);
  await tab.page.goto(url);
  const times = await withTimeout(tab.page.evaluate(() => window.__times), url);
  times.cpu = (await mainThreadCpu(tab)) - cpuBefore;
  // Where the time went: when the module, the wasm and the files were asked
  // for and arrived, and when the wasm was compiled.
  Object.assign(times, await tab.page.evaluate(() => {
    const entries = performance.getEntriesByType('resource');
    const of = (suffix) => entries.filter((e) => e.name.endsWith(suffix));
    const first = (list, field) => (list.length ? Math.min(...list.map((e) => e[field])) : NaN);
    const last = (list, field) => (list.length ? Math.max(...list.map((e) => e[field])) : NaN);
    const [module, wasm, files] = ['/sivarta.js', '/sivarta.wasm', '.dat'].map(of);
    return { files: last(files, 'responseEnd'), filesAsked: first(files, 'startTime'), module: last(module, 'responseEnd'),
             wasmAsked: first(wasm, 'startTime'), wasm: last(wasm, 'responseEnd'),
             compiling: window.__compiles[0]?.began ?? NaN, compiled: window.__compiles.at(-1)?.ended ?? NaN };
  }));
  return times;
}

async function firstCharts(tabs, urls) {
  const samples = {};
  for (let round = 0; round < LOADS; ++round) {
    for (const day of DAYS) {
      for (const latency of LATENCIES) {
        await setLatency(tabs[day.code], latency);
        // The order turns every round, so no page always follows the same one.
        for (let k = 0; k < KINDS.length; ++k) {
          const kind = KINDS[(k + round) % KINDS.length];
          const key = `${kind} ${day.code} ${latency}`;
          (samples[key] ??= []).push(await loadOnce(tabs[day.code], urls[kind][day.code]));
        }
      }
    }
  }
  await Promise.all(DAYS.map((day) => setLatency(tabs[day.code], 0)));
  const result = {};
  for (const [key, list] of Object.entries(samples))
    result[key] = Object.fromEntries(Object.keys(list[0]).map((field) => [field, median(list.map((t) => t[field]))]));
  return result;
}

// One full redraw: the peer's forced repaint (a background change, drawn in
// the frame it asks for) against the element's (a frame colour change, drawn
// in a microtask), each with its frame work run at once.
async function redrawTime(page, kind, n) {
  return page.evaluate(async ({ kind, n }) => {
    window.__captureFrames();
    const chart = kind === 'peer' ? window.__chart : document.getElementById('c');
    let frames = 0;
    const t0 = performance.now();
    for (let i = 0; i < n; ++i) {
      if (kind === 'peer') chart.applyOptions({ layout: { background: { type: 'solid', color: i % 2 ? '#eef5fc' : '#eef5fd' } } });
      else chart.crBoxLine = i % 2 ? 255 : 16737123;
      await null;
      frames += window.__flushFrames();
    }
    const perRedraw = (performance.now() - t0) / n;
    if (kind === 'peer' && frames < n) throw new Error(`the peer drew ${frames} frames for ${n} repaints`);
    return perRedraw;
  }, { kind, n });
}

// One pointer move from slot to slot over the price pane, clear of both
// charts' price scales (the peer's takes 74 of 228 px): the crosshair and the
// tooltip follow. The element's tooltip shows once the pointer rests for a
// hover tick, so it is shown first, as a user hovering sees it.
async function moveTime(page, kind, n) {
  return page.evaluate(({ kind, n }) => {
    window.__captureFrames();
    const box = document.getElementById('c').getBoundingClientRect();
    window.__crosshairMoves = 0;
    // A real mouse's events say they come from no touch screen. Without that
    // the peer takes any mouse event in the first 500 ms of a page for one a
    // touch screen made up, and drops it.
    const sourceCapabilities = new InputDeviceCapabilities({ firesTouchEvents: false });
    // The pointer enters first, as a real one does.
    const start = { bubbles: true, composed: true, clientX: box.left + 10, clientY: box.top + 40, sourceCapabilities };
    document.elementFromPoint(start.clientX, start.clientY).dispatchEvent(new MouseEvent('mouseenter', start));
    const t0 = performance.now();
    for (let i = 0; i < n; ++i) {
      const clientX = box.left + 10 + ((i * 3) % Math.max(3, box.width - 100));
      const clientY = box.top + 40 + (i % 7);
      const target = document.elementFromPoint(clientX, clientY);
      const init = { bubbles: true, composed: true, cancelable: true, clientX, clientY, sourceCapabilities,
                     pointerType: 'mouse', pointerId: 1, isPrimary: true };
      target.dispatchEvent(new PointerEvent('pointermove', init));
      target.dispatchEvent(new MouseEvent('mousemove', init));
      window.__flushFrames();
    }
    return { perMove: (performance.now() - t0) / n, crosshair: window.__crosshairMoves };
  }, { kind, n });
}

// The first moves after a load also pay for what the page has not run yet
// (code not yet optimised, texts not yet shaped); the same moves again show
// what a move costs once the page is warm. {move, again} per move, and the
// fewer crosshair moves of the two runs.
async function movesTwice(page, kind) {
  const first = await moveTime(page, kind, MOVES);
  const again = await moveTime(page, kind, MOVES);
  return { move: first.perMove, again: again.perMove, crosshair: Math.min(first.crosshair, again.crosshair) };
}

async function showTooltip(page) {
  const box = await page.$eval('#c', (chart) => chart.getBoundingClientRect().toJSON());
  await page.mouse.move(box.left + 10, box.top + 40);
  await page.waitForFunction(() => document.getElementById('c').shadowRoot.querySelector('canvas[part=tooltip]').style.display === 'block',
                             null, { polling: 20 });
}

// Each figure is the median of INTERACTIONS fresh loads, the two pages
// alternating: one load's figure swings by half its size.
async function interaction(tabs, urls) {
  const samples = {};
  for (let round = 0; round < INTERACTIONS; ++round) {
    for (const day of DAYS) {
      const tab = tabs[day.code];
      for (const kind of round % 2 ? ['element', 'peer'] : ['peer', 'element']) {
        await loadOnce(tab, urls[kind][day.code]);
        const redraw = await redrawTime(tab.page, kind, day.width > 1000 ? REDRAWS / 2 : REDRAWS);
        if (kind === 'element') await showTooltip(tab.page);
        const { move, again, crosshair } = await movesTwice(tab.page, kind);
        if (kind === 'peer' && crosshair < MOVES) throw new Error(`the peer saw ${crosshair} of ${MOVES} pointer moves`);
        (samples[`${kind} ${day.code}`] ??= []).push({ redraw, move, again });
      }
      // The harness's own cost: the same events on the floor page's canvas,
      // whose one listener only keeps the pointer's position.
      await loadOnce(tab, urls.floor[day.code]);
      await tab.page.evaluate(() => document.getElementById('c').addEventListener('pointermove', (e) => { window.__pointer = [e.clientX, e.clientY]; }));
      const { move, again } = await movesTwice(tab.page, 'floor');
      (samples[`floor ${day.code}`] ??= []).push({ redraw: NaN, move, again });
    }
  }
  return Object.fromEntries(Object.entries(samples).map(([key, list]) =>
    [key, Object.fromEntries(['redraw', 'move', 'again'].map((field) => [field, median(list.map((s) => s[field]))]))]));
}

// A page's memory after a full garbage collection: the JavaScript heap, the
// DOM's (Blink's heap), array buffers outside the heap, the linear memory of
// every WebAssembly instance, and the pixels of the canvases that hold a
// picture (width x height x 4: the element's chart and tooltip canvases, the
// floor's canvases; a crosshair canvas has none before the pointer comes).
async function memoryOf(tab) {
  await tab.cdp.send('HeapProfiler.collectGarbage');
  const heap = await tab.cdp.send('Runtime.getHeapUsage');
  const page = await tab.page.evaluate(() => {
    const canvases = [...document.querySelectorAll('canvas')];
    for (const chart of document.querySelectorAll('sivarta-chart'))
      canvases.push(...chart.shadowRoot.querySelectorAll('canvas:not([part=crosshair])'));
    return { wasm: window.__memories.reduce((sum, memory) => sum + memory.buffer.byteLength, 0), instances: window.__memories.length,
             pixels: canvases.reduce((sum, c) => sum + c.width * c.height * 4, 0) };
  });
  return { js: heap.usedSize, dom: heap.embedderHeapUsedSize, buffers: heap.backingStorageSize, ...page };
}

// 30 charts on one page against their floor, at both latencies; the memory
// of one chart, of 30 and of the floor's page, at no added latency.
async function manyCharts(tab, urls) {
  const samples = {};
  const add = (key, value) => (samples[key] ??= []).push(value);
  for (let round = 0; round < LOADS; ++round) {
    for (const latency of LATENCIES) {
      await setLatency(tab, latency);
      for (const kind of round % 2 ? ['floor', 'charts'] : ['charts', 'floor']) {
        const times = await loadOnce(tab, urls[kind]);
        add(`${kind} ${latency}`, times.presented);
        add(`${kind} ${latency} cpu`, times.cpu);
        if (latency === 0) add(`${kind} memory`, await memoryOf(tab));
      }
    }
    await setLatency(tab, 0);
    await loadOnce(tab, urls.one);
    add('one memory', await memoryOf(tab));
  }
  const result = {};
  for (const [key, list] of Object.entries(samples))
    result[key] = typeof list[0] === 'number' ? median(list)
      : Object.fromEntries(Object.keys(list[0]).map((field) => [field, median(list.map((m) => m[field]))]));
  return result;
}

function printMany(many) {
  const kb = (bytes) => `${(bytes / 1024).toFixed(0)} KB`;
  console.log(`${MANY_CODES.length} charts of 228x190 on one page, one code each, against a floor page that fetches their ` +
              `${MANY_CODES.length} pairs of files and fills one canvas each (presented, median ms):`);
  console.log('  ' + LATENCIES.map((latency) => `+${latency} ms: element ${fmt(many[`charts ${latency}`])} floor ` +
              `${fmt(many[`floor ${latency}`])} (element/floor ${ratio(many[`charts ${latency}`], many[`floor ${latency}`])})`).join(';  '));
  console.log('  main thread CPU to presented (median ms): ' + LATENCIES.map((latency) => `+${latency} ms: element ` +
              `${fmt(many[`charts ${latency} cpu`])} floor ${fmt(many[`floor ${latency} cpu`])}`).join(';  '));
  const [one, all, floor] = ['one', 'charts', 'floor'].map((kind) => many[`${kind} memory`]);
  const own = (m) => m.js + m.dom + m.buffers + m.wasm;
  const describeMemory = (m) => `JS ${kb(m.js)}, DOM ${kb(m.dom)}, array buffers ${kb(m.buffers)}, wasm ${kb(m.wasm)}` +
                                ` (${m.instances} instance${m.instances === 1 ? '' : 's'}); pixels ${kb(m.pixels)}`;
  console.log('memory after a full garbage collection (median):');
  console.log(`  1 chart:    ${describeMemory(one)}`);
  console.log(`  ${MANY_CODES.length} charts:  ${describeMemory(all)}`);
  console.log(`  floor page: ${describeMemory(floor)}`);
  const further = (field) => (all[field] - one[field]) / (MANY_CODES.length - 1);
  const furtherOwn = (own(all) - own(one)) / (MANY_CODES.length - 1);
  console.log(`  each further chart: ${(furtherOwn / 1024).toFixed(1)} KB of JS, DOM, array buffers and wasm (JS ${kb(further('js'))}, ` +
              `DOM ${kb(further('dom'))}, buffers ${kb(further('buffers'))}, wasm ${kb(further('wasm'))}), plus ${kb(further('pixels'))} of pixels`);
  console.log(`  ${MANY_CODES.length} charts against the floor page: ${kb(own(all))} against ${kb(own(floor))} ` +
              `(${ratio(own(all), own(floor))}); with the pixels ${kb(own(all) + all.pixels)} against ${kb(own(floor) + floor.pixels)} ` +
              `(${ratio(own(all) + all.pixels, own(floor) + floor.pixels)})`);
}

function printWeb(first, inter) {
  console.log(`== web, one headless Chromium, one loopback server, pages alternating; cache off; ${LOADS} loads each`);
  console.log('first chart presented (two frames after it was drawn), median ms from navigation start;');
  console.log('preloaded: the element with README\'s preload lines:');
  console.log(`  ${'day, size, added latency'.padEnd(36)}${pad('peer', 7)}${pad('element', 9)}${pad('preloaded', 11)}${pad('floor', 7)}` +
              `${pad('peer/element', 14)}${pad('element/floor', 15)}${pad('preloaded/floor', 17)}${pad('peer/floor', 12)}`);
  for (const day of DAYS) {
    for (const latency of LATENCIES) {
      const [peer, floor, element, preloaded] = ['peer', 'floor', 'element', 'preloaded'].map((k) => first[`${k} ${day.code} ${latency}`]?.presented ?? NaN);
      console.log(`  ${`${day.records} records, ${day.width}x${day.height}, +${latency} ms`.padEnd(36)}` +
                  `${pad(fmt(peer), 7)}${pad(fmt(element), 9)}${pad(fmt(preloaded), 11)}${pad(fmt(floor), 7)}` +
                  `${pad(ratio(peer, element), 14)}${pad(ratio(element, floor), 15)}${pad(ratio(preloaded, floor), 17)}` +
                  `${pad(ratio(peer, floor), 12)}`);
    }
  }
  console.log('  both files arrived (median ms): ' + DAYS.flatMap((day) => LATENCIES.map((latency) =>
    `${day.width}x${day.height} +${latency}: ` + KINDS.map((k) => `${k} ${fmt(first[`${k} ${day.code} ${latency}`].files)}`).join(' '))).join('; '));
  console.log("where the element's first chart goes (median ms from navigation start):");
  for (const kind of ['element', 'preloaded']) {
    for (const day of DAYS) {
      for (const latency of LATENCIES) {
        const t = first[`${kind} ${day.code} ${latency}`];
        console.log(`  ${`${kind} ${day.width}x${day.height} +${latency}:`.padEnd(27)} module arrived ${fmt(t.module)}; ` +
                    `wasm asked ${fmt(t.wasmAsked)}, arrived ${fmt(t.wasm)}, compiling ${fmt(t.compiling)}, compiled ${fmt(t.compiled)}; ` +
                    `files asked ${fmt(t.filesAsked)}, arrived ${fmt(t.files)}; drawn ${fmt(t.drawn)}; presented ${fmt(t.presented)}; ` +
                    `main thread CPU ${fmt(t.cpu)} (floor ${fmt(first[`floor ${day.code} ${latency}`].cpu)})`);
      }
    }
  }
  printInteraction(inter);
}

function printInteraction(inter) {
  if (!inter) return;
  console.log(`one full redraw and one pointer move (crosshair + tooltip), ms, median of ${INTERACTIONS} loads;`);
  console.log(`move: the first ${MOVES} moves after the load; again: the same moves once more on the same page;`);
  console.log('harness: the same pointer events on the floor page, whose canvas only keeps the position:');
  for (const day of DAYS) {
    const peer = inter[`peer ${day.code}`], element = inter[`element ${day.code}`], harness = inter[`floor ${day.code}`];
    console.log(`  ${`${day.width}x${day.height}`.padEnd(10)} redraw peer ${fmt(peer.redraw)} element ${fmt(element.redraw)} ` +
                `(peer/element ${ratio(peer.redraw, element.redraw)});  move peer ${fmt(peer.move)} element ${fmt(element.move)} ` +
                `(peer/element ${ratio(peer.move, element.move)}) harness ${fmt(harness.move)};  again peer ${fmt(peer.again)} ` +
                `element ${fmt(element.again)} (peer/element ${ratio(peer.again, element.again)}) harness ${fmt(harness.again)}`);
  }
}

// The control under Wine, against the peer's figures of the same run.
function printControl(first, inter) {
  const wine = (program, ...args) => execFileSync(`${rootDir}/scripts/wine-run`, [`${buildDir}/win64/bin/${program}`, ...args],
                                                  { encoding: 'utf8', stdio: ['ignore', 'pipe', 'inherit'] });
  console.log('== control (SIVARTA.OCX under Wine, ATL container; cold process per run)');
  const firstChart = (args) => Number(/^\s*total\s+([\d.]+)/m.exec(wine('first_chart_bench.exe', ...args))[1]);
  const refresh = wine('chart_refresh_bench.exe');
  const redraws = [...refresh.matchAll(/RefreshChart\(false\)\s+median\s+([\d.]+) us/g)].map((m) => Number(m[1]) / 1000);
  DAYS.forEach((day, i) => {
    const total = firstChart(day.seconds ? ['9', '--full-hd'] : ['15']);
    const peerFirst = first[`peer ${day.code} 0`].presented, peerRedraw = inter[`peer ${day.code}`].redraw;
    console.log(`  ${`${day.width}x${day.height}`.padEnd(10)} first chart ${fmt(total)} ms (peer ${fmt(peerFirst)}: ` +
                `${ratio(peerFirst, total)});  redraw ${fmt(redraws[i])} ms (peer ${fmt(peerRedraw)}: ${ratio(peerRedraw, redraws[i])})`);
  });
}

function printRenderer() {
  console.log('== renderer (optimised build, one thread)');
  const bench = execFileSync(optimisedOr('render_bench'), ['3'], { encoding: 'utf8' });
  for (const line of bench.trim().split('\n')) console.log(`  ${line.trim()}`);
  const root = mkdtempSync(`${tmpdir()}/sivarta-compare-all-`);
  try {
    const codes = Array.from({ length: 400 }, (_, i) => String(100000 + i * 7));
    execFileSync(`${buildDir}/native/bin/sivarta-data`, ['sample', '--root', root, ...codes.flatMap((c) => ['--code', c])], { stdio: 'ignore' });
    mkdirSync(`${root}/out`);
    // bash's own timer: wall, user and system seconds of the one process.
    const timed = execFileSync('bash', ['-c', 'TIMEFORMAT="%R %U %S"; { time "$@" >/dev/null; } 2>&1', 'time',
                                        optimisedOr('sivarta-render'), '--root', root, '--all', '--out-dir', `${root}/out`], { encoding: 'utf8' });
    const [wall, user, system] = timed.trim().split(/\s+/).map(Number);
    console.log(`  sivarta-render --all, ${codes.length} codes at 228x190: ${fmt(codes.length / wall)} PNG/s wall, ` +
                `${fmt(codes.length / (user + system))} per CPU second (${fmt(wall)} s)`);
  } finally {
    rmSync(root, { recursive: true, force: true });
  }
}

const dataRoot = makeDays();
const server = await startDataServer({ root: dataRoot, tool: optimisedOr('sivarta-data') });
mkdirSync(`${server.webDir}/peer`);
copyFileSync(`${rootDir}/bench/web/node_modules/lightweight-charts/dist/lightweight-charts.standalone.production.js`,
             `${server.webDir}/peer/lightweight-charts.standalone.production.js`);
const host = new URL(server.base).host;
const urls = { peer: {}, floor: {}, element: {}, preloaded: {} };
for (const day of DAYS) {
  urls.peer[day.code] = server.writePage(`peer-${day.code}`, peerPage(day));
  urls.floor[day.code] = server.writePage(`floor-${day.code}`, floorPage(day));
  urls.element[day.code] = server.writePage(`element-${day.code}`, elementPage({ ...day, host }));
  urls.preloaded[day.code] = server.writePage(`preloaded-${day.code}`, elementPage({ ...day, host, preload: true }));
}
const manyUrls = {
  charts: server.writePage('charts', chartsPage({ codes: MANY_CODES, host })),
  one: server.writePage('charts-one', chartsPage({ codes: MANY_CODES.slice(0, 1), host })),
  floor: server.writePage('charts-floor', chartsFloorPage({ codes: MANY_CODES })),
};
const browser = await launchBrowser();
let first, inter;
try {
  const tabs = {};
  for (const day of DAYS) tabs[day.code] = await openTab(browser, day);
  if (!ONLY || ONLY === 'first') first = await firstCharts(tabs, urls);
  if (!ONLY || ONLY === 'interaction') inter = await interaction(tabs, urls);
  const many = ONLY === 'first' || ONLY === 'interaction' ? null : await manyCharts(tabs[DAYS[1].code], manyUrls);
  if (first) printWeb(first, inter);
  else printInteraction(inter);
  if (many) printMany(many);
} finally {
  await browser.close();
  await server.stop();
  rmSync(dataRoot, { recursive: true, force: true });
}
if (!WEB_ONLY) {
  printControl(first, inter);
  printRenderer();
}
