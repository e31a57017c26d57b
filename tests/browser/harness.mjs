// What the browser tests, the web demo and the web benchmark share: the data
// server (sivarta-data serve on loopback), Debian's chromium through
// playwright-core, pages built for one test, and reading a chart's pixels.
import { spawn } from 'node:child_process';
import { once } from 'node:events';
import { copyFileSync, mkdirSync, mkdtempSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, resolve } from 'node:path';
import { after, before } from 'node:test';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { decodePng } from './png.mjs';

export const rootDir = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const buildDir = process.env.SIVARTA_BUILD || `${rootDir}/build`;
export const goldenDir = `${rootDir}/tests/golden`;

// sivarta-data serve on 127.0.0.1 with a free port; resolves once it listens.
// With `web`, it also serves a scratch copy of the web tree, where
// writePage() puts the pages of a test: they come from the server itself, as
// a real page does (a page Chromium did not get from the network would count
// as public and be refused the loopback data hosts).
export async function startDataServer({ root = `${goldenDir}/data`, web = true, cors, tool = `${buildDir}/native/bin/sivarta-data` } = {}) {
  const args = ['serve', '--root', root, '--host', '127.0.0.1', '--port', '0'];
  let webDir = null;
  if (web) {
    webDir = mkdtempSync(`${tmpdir()}/sivarta-web-`);
    for (const f of readdirSync(`${buildDir}/web`).filter((name) => /\.(js|wasm|html)$/.test(name))) copyFileSync(`${buildDir}/web/${f}`, `${webDir}/${f}`);
    mkdirSync(`${webDir}/t`);
    args.push('--web', webDir);
  }
  if (cors) args.push('--cors', cors);
  const child = spawn(tool, args, { stdio: ['ignore', 'pipe', 'inherit'] });
  // A test that ends early leaves no server behind.
  const orphan = () => child.kill('SIGTERM');
  process.once('exit', orphan);
  child.once('exit', () => process.off('exit', orphan));
  const requests = [];
  let base = null;
  const ready = new Promise((resolveReady, reject) => {
    child.once('exit', (code) => reject(new Error(`sivarta-data serve ended with ${code}`)));
    let pending = '';
    child.stdout.on('data', (chunk) => {
      pending += chunk;
      let newline;
      while ((newline = pending.indexOf('\n')) >= 0) {
        const line = pending.slice(0, newline);
        pending = pending.slice(newline + 1);
        const match = /^serving .* on (http:\/\/\S+)$/.exec(line);
        if (match) resolveReady((base = match[1]));
        else requests.push(line);
      }
    });
  });
  const timer = setTimeout(() => child.kill('SIGTERM'), 20000);
  await ready;
  clearTimeout(timer);
  return {
    base,
    requests,
    webDir,
    // Writes /t/NAME.html and returns its URL.
    writePage(name, html) {
      writeFileSync(`${webDir}/t/${name}.html`, html);
      return `${base}/t/${name}.html`;
    },
    async stop() {
      if (child.exitCode === null) {
        child.kill('SIGTERM');
        await once(child, 'exit');
      }
      if (webDir) rmSync(webDir, { recursive: true, force: true });
    },
  };
}

// One data server and one browser for a test file: started before its
// tests, handed to `use(server, browser)`, stopped after them (then `cleanup`).
export function sharedServerAndBrowser(use, { cleanup } = {}) {
  let server, browser;
  before(async () => {
    server = await startDataServer();
    browser = await launchBrowser();
    use(server, browser);
  });
  after(async () => {
    await browser?.close();
    await server?.stop();
    cleanup?.();
  });
}

export async function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.SIVARTA_CHROMIUM || '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu'],
  });
}

// Records every readyinfo and error of a <sivarta-chart> and every window.open,
// in the page's window, before any script of the page runs.
const recorder = () => {
  window.__ready = [];
  window.__errors = [];
  window.__opened = [];
  const chart = (e) => e.target.localName === 'sivarta-chart';
  document.addEventListener('readyinfo', (e) => chart(e) && window.__ready.push(e.target.id), true);
  document.addEventListener('error', (e) => chart(e) && window.__errors.push({ id: e.target.id, reason: e.detail?.reason }), true);
  window.open = (...args) => { window.__opened.push(args); return null; };
};

// A page of the data server's with the given body, opened with the recorder.
export async function openChartPage(context, server, body, { name = 'page' } = {}) {
  const page = await context.newPage();
  await page.addInitScript(recorder);
  await page.goto(server.writePage(name,
    `<!doctype html><html><head><meta charset="utf-8"><style>body{margin:0}</style></head><body>${body}</body></html>`));
  return page;
}

export async function waitReady(page, count = 1) {
  await page.waitForFunction((n) => window.__ready.length >= n, count, { timeout: 20000 });
}

// The backing store of one of the element's canvases (chart, crosshair, tooltip).
// An overlay the element draws offscreen shows its latest picture only from
// the next frame on: its pixels are read two frames later.
export async function canvasPixels(page, selector, part = 'chart') {
  if (part !== 'chart') await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
  const url = await page.$eval(selector, (el, p) => el.shadowRoot.querySelector(`canvas[part=${p}]`).toDataURL('image/png'), part);
  return decodePng(Buffer.from(url.slice(url.indexOf(',') + 1), 'base64'));
}

export function pixel(image, x, y) {
  const i = (y * image.width + x) * 4;
  return [image.rgba[i], image.rgba[i + 1], image.rgba[i + 2]];
}

export function colourRef(ref) {
  return [ref & 0xff, (ref >> 8) & 0xff, (ref >> 16) & 0xff];
}

// Pixels that differ outside the given rectangles ([l, t, r, b], scaled by `scale`).
export function differencesOutside(actual, expected, rects, scale = 1) {
  if (actual.width !== expected.width || actual.height !== expected.height)
    return [`size ${actual.width}x${actual.height}, expected ${expected.width}x${expected.height}`];
  const inText = (x, y) => rects.some(([l, t, r, b]) => x >= l * scale && x < r * scale && y >= t * scale && y < b * scale);
  const found = [];
  for (let y = 0; y < actual.height; ++y) {
    for (let x = 0; x < actual.width; ++x) {
      const i = (y * actual.width + x) * 4;
      if (actual.rgba[i] === expected.rgba[i] && actual.rgba[i + 1] === expected.rgba[i + 1] && actual.rgba[i + 2] === expected.rgba[i + 2]) continue;
      if (inText(x, y)) continue;
      if (found.length < 10) found.push(`(${x},${y}) ${pixel(actual, x, y)} expected ${pixel(expected, x, y)}`);
      else return [...found, '...'];
    }
  }
  return found;
}
