// The deployed stack in a browser: Debian's nginx with deploy/nginx.conf in
// front of sivarta-data serve (tests/e2e/nginx_stack.sh starts both), a page
// on nginx's origin with <sivarta-chart>, and a trade fed by
// `sivarta-data feed` reaching the element through the change feed within a
// second. Revalidations of an unchanged day pass nginx as 304s.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { copyFileSync, existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, utimesSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { createInterface } from 'node:readline';
import { after, before, test } from 'node:test';
import { buildDir, canvasPixels, launchBrowser, rootDir } from './harness.mjs';

const dataTool = `${buildDir}/native/bin/sivarta-data`;
const work = mkdtempSync(`${tmpdir()}/sivarta-nginx-`);
let stack;
let front;
let browser;

// nginx_stack.sh's start_stack in a shell that keeps both servers until its input closes.
function startStack() {
  // Its input closes when this process ends, however it ends: the shell then stops both.
  const script = `source "$root/tests/e2e/nginx_stack.sh"; server_pid=
    trap 'stop_nginx; [ -n "$server_pid" ] && kill "$server_pid"' EXIT
    start_stack; echo "front $front"; read -r _`;
  const child = spawn('bash', ['-c', script], {
    env: { ...process.env, data_tool: dataTool, root: rootDir, work },
    stdio: ['pipe', 'pipe', 'inherit'],
  });
  const lines = createInterface({ input: child.stdout });
  return new Promise((resolve, reject) => {
    child.once('exit', (code) => reject(new Error(`the stack did not start (${code})`)));
    lines.on('line', (line) => {
      const match = /^front (\S+)$/.exec(line);
      if (match) resolve({ child, front: match[1] });
      else if (line.startsWith('FAIL')) reject(new Error(line));
    });
  });
}

before(async () => {
  mkdirSync(`${work}/web/t`, { recursive: true });
  for (const f of ['sivarta.js', 'sivarta.wasm']) copyFileSync(`${buildDir}/web/${f}`, `${work}/web/${f}`);
  writeFileSync(`${work}/web/t/feed.html`, `<!doctype html><meta charset="utf-8"><style>body{margin:0}</style>
    <script>window.__events = []; document.addEventListener('update', (e) => window.__events.push({ type: 'update', at: Date.now() }), true);
      document.addEventListener('readyinfo', () => window.__events.push({ type: 'readyinfo' }), true);</script>
    <script type="module" src="/web/sivarta.js"></script><sivarta-chart id="c" strCode="005930" refresh="60"></sivarta-chart>`);
  ({ child: stack, front } = await startStack());
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  if (stack) {
    stack.stdin.end();
    await new Promise((resolve) => (stack.exitCode === null ? stack.once('exit', resolve) : resolve()));
  }
  rmSync(work, { recursive: true, force: true });
});

const accessLog = () => readFileSync(`${work}/nginx/logs/sivarta-access.log`, 'utf8');
const serveLog = () => readFileSync(`${work}/serve.log`, 'utf8');
const until = async (what, check, ms = 10000) => {
  for (const end = Date.now() + ms; Date.now() < end; await new Promise((r) => setTimeout(r, 25))) if (check()) return;
  assert.fail(`waited ${ms} ms for ${what}`);
};

// One trade on the feed's input: the element shows its price and a changed
// picture within a second; the delay is printed.
async function checkFedTrade(page, feed, before) {
  const sent = Date.now();
  feed.stdin.write('005930,153010,69900,5000\n');
  await page.waitForFunction(() => window.__events.some((e) => e.type === 'update'), null, { timeout: 5000 });
  const delay = (await page.evaluate(() => window.__events.find((e) => e.type === 'update').at)) - sent;
  console.log(`a fed trade reached the element through nginx after ${delay} ms`);
  assert.ok(delay < 1000, `${delay} ms`);
  assert.equal(await page.$eval('#c', (c) => c.GetStockCurrentga()), 69900, 'the price the trade set');
  assert.notDeepEqual((await canvasPixels(page, '#c')).rgba, before.pixels, 'the picture changed');
}

test('a fed trade reaches <sivarta-chart> through nginx within a second', async () => {
  assert.ok(existsSync(dataTool), 'scripts/build native first');
  // The sample day is older than this second, so nginx's tags (second and size) tell the fed files apart.
  const past = new Date(Date.now() - 60000);
  for (const kind of ['info', 'Date']) utimesSync(`${work}/data/sisefile/${kind}/005930.dat`, past, past);
  const page = await browser.newPage();
  await page.goto(`http://${front}/web/t/feed.html`);
  await page.waitForFunction(() => window.__events.some((e) => e.type === 'readyinfo'), null, { timeout: 20000 });
  const before = { price: await page.$eval('#c', (c) => c.GetStockCurrentga()), pixels: (await canvasPixels(page, '#c')).rgba };
  assert.equal(before.price, 68200, 'the sample day loaded through nginx');
  await until('the change feed through nginx', () => /GET \/events 200/.test(serveLog()));

  const feed = spawn(dataTool, ['feed', '--root', `${work}/data`, '--date', '20240105'], { stdio: ['pipe', 'inherit', 'inherit'] });
  const fed = new Promise((resolve) => feed.once('exit', resolve));
  try {
    await checkFedTrade(page, feed, before);
  } finally {
    feed.stdin.end();
  }
  assert.equal(await fed, 0, 'the feed ended well');

  // Nothing changed since (once the refreshes the two renames set off are
  // done): a refresh revalidates both files with nginx, which answers 304.
  for (let last = -1; last !== accessLog().length; await new Promise((r) => setTimeout(r, 500))) last = accessLog().length;
  const updates = await page.evaluate(() => window.__events.filter((e) => e.type === 'update').length);
  const logged = accessLog().length;
  await page.$eval('#c', (c) => c.refresh());
  const revalidated = () => accessLog().slice(logged).match(/"GET \/sisefile\/(info|Date)\/005930\.dat HTTP\/1\.1" 304 /g) ?? [];
  await until('two 304s through nginx', () => revalidated().length === 2);
  assert.equal(await page.evaluate(() => window.__events.filter((e) => e.type === 'update').length), updates, 'no update from a 304');
  await page.close();
});
