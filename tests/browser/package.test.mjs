// The npm package as a page author gets it: npm pack of build/web/package,
// the tarball installed into a scratch site, the element loaded from
// node_modules in Chromium and drawing the day; its types resolve through the
// package's exports and name exactly the members the element has.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { after, before, test } from 'node:test';
import ts from 'typescript';
import { buildDir, canvasPixels, colourRef, launchBrowser, openChartPage, rootDir, startDataServer, waitReady } from './harness.mjs';

const packageDir = `${buildDir}/web/package`;
const installed = (server) => `${server.webDir}/node_modules/sivarta-chart`;
let server, browser, packed, scratch;

before(async () => {
  scratch = mkdtempSync(`${tmpdir()}/sivarta-pack-`);
  const out = execFileSync('npm', ['pack', '--json', '--pack-destination', scratch], { cwd: packageDir, encoding: 'utf8' });
  [packed] = JSON.parse(out);
  server = await startDataServer();
  // Installed into the served folder itself; the tarball has no dependencies,
  // so npm needs no registry.
  execFileSync('npm', ['install', '--offline', '--no-audit', '--no-fund', '--prefix', server.webDir, `${scratch}/${packed.filename}`],
    { stdio: ['ignore', 'ignore', 'inherit'] });
  browser = await launchBrowser();
});
after(async () => {
  await browser?.close();
  await server?.stop();
  if (scratch) rmSync(scratch, { recursive: true, force: true });
});

test('the tarball: the project version and exactly the files a page needs', () => {
  const [, major, minor, patch] = /project\(sivarta VERSION (\d+)\.(\d+)\.(\d+)/.exec(readFileSync(`${rootDir}/CMakeLists.txt`, 'utf8'));
  assert.equal(packed.name, 'sivarta-chart');
  assert.equal(packed.version, `${major}.${minor}.${patch}`);
  assert.deepEqual(packed.files.map((f) => f.path).sort(),
    ['LICENSE', 'README.md', 'package.json', 'sivarta.d.ts', 'sivarta.js', 'sivarta.wasm']);
  const manifest = JSON.parse(readFileSync(`${installed(server)}/package.json`, 'utf8'));
  assert.equal(manifest.exports['.'].types, manifest.types);
  for (const file of [manifest.types, manifest.exports['.'].default, manifest.exports['./sivarta.wasm']])
    assert.ok(packed.files.some((f) => `./${f.path}` === file), `${file} is in the tarball`);
  console.log(`npm pack: ${packed.filename}, ${packed.size} bytes packed, ${packed.unpackedSize} unpacked, ${packed.files.length} files`);
});

test('the installed element loads the day from the page\'s own host and draws its candles', async () => {
  const context = await browser.newContext();
  const from = server.requests.length;
  const page = await openChartPage(context, server,
    '<sivarta-chart id="c" strcode="005930" strcharturl=""></sivarta-chart>' +
    '<script type="module" src="/node_modules/sivarta-chart/sivarta.js"></script>');
  await waitReady(page);
  assert.deepEqual(await page.evaluate(() => window.__errors), []);
  assert.equal(await page.$eval('#c', (c) => c.GetStockCode()), '005930');
  const asked = server.requests.slice(from).map((line) => line.split(' ').slice(1, 3).join(' '));
  for (const path of ['/node_modules/sivarta-chart/sivarta.js', '/node_modules/sivarta-chart/sivarta.wasm', '/sisefile/info/005930.dat'])
    assert.ok(asked.includes(`${path} 200`), `${path} served: ${asked.join(', ')}`);

  const image = await canvasPixels(page, '#c');
  const count = (ref) => {
    const [r, g, b] = colourRef(ref);
    let n = 0;
    for (let i = 0; i < image.rgba.length; i += 4) if (image.rgba[i] === r && image.rgba[i + 1] === g && image.rgba[i + 2] === b) ++n;
    return n;
  };
  const chart = await page.$eval('#c', (c) => ({ high: c.crHighCandle, low: c.crLowCandle }));
  assert.ok(count(chart.high) > 20, `rising candles drawn: ${count(chart.high)} pixels`);
  assert.ok(count(chart.low) > 20, `falling candles drawn: ${count(chart.low)} pixels`);
  await context.close();
});

// The declared members of SivartaChart (instance and static), the events and
// the setting names by kind, from the installed declarations.
function declaredMembers(file) {
  const source = ts.createSourceFile(file, readFileSync(file, 'utf8'), ts.ScriptTarget.Latest, true);
  const found = { instance: new Set(), static: new Set(), events: new Set(), settings: {} };
  const kinds = { SivartaStringSetting: 'string', SivartaNumberSetting: 'number', SivartaColourSetting: 'colour' };
  const visit = (node) => {
    if (ts.isClassDeclaration(node) && node.name?.text === 'SivartaChart') {
      for (const member of node.members) {
        if (!member.name) continue;
        const isStatic = member.modifiers?.some((m) => m.kind === ts.SyntaxKind.StaticKeyword);
        found[isStatic ? 'static' : 'instance'].add(member.name.getText(source));
      }
    }
    if (ts.isInterfaceDeclaration(node) && node.name.text === 'SivartaChartEventMap')
      for (const member of node.members) found.events.add(member.name.getText(source));
    if (ts.isTypeAliasDeclaration(node) && kinds[node.name.text]) {
      const names = ts.isUnionTypeNode(node.type) ? node.type.types : [node.type];
      for (const name of names) found.settings[name.literal.text] = kinds[node.name.text];
    }
    ts.forEachChild(node, visit);
  };
  visit(source);
  return found;
}

test('the types resolve through the package and name what the element has', async () => {
  // The sample page script, compiled against the installed package alone.
  const types = `${server.webDir}/types`;
  cpSync(`${rootDir}/tests/types`, types, { recursive: true });
  const config = JSON.parse(readFileSync(`${types}/tsconfig.json`, 'utf8'));
  delete config.compilerOptions.paths;
  writeFileSync(`${types}/tsconfig.json`, JSON.stringify(config));
  const tsc = spawnSync(`${rootDir}/node_modules/.bin/tsc`, ['-p', types, '--listFiles'], { encoding: 'utf8' });
  assert.equal(tsc.status, 0, tsc.stdout + tsc.stderr);
  assert.match(tsc.stdout, /node_modules\/sivarta-chart\/sivarta\.d\.ts/);

  const declared = declaredMembers(`${installed(server)}/sivarta.d.ts`);
  const context = await browser.newContext();
  const page = await openChartPage(context, server, '<script type="module" src="/node_modules/sivarta-chart/sivarta.js"></script>');
  const real = await page.evaluate(async (names) => {
    const Chart = await customElements.whenDefined('sivarta-chart');
    const lifecycle = ['constructor', 'connectedCallback', 'disconnectedCallback', 'attributeChangedCallback'];
    // Each setting's kind as the element holds it: what a read gives, and
    // whether #rrggbb is taken.
    const chart = document.createElement('sivarta-chart');
    const kindOf = (name) => {
      if (typeof chart[name] === 'string') return 'string';
      try {
        chart[name] = '#102030';
        return chart[name] === 0x302010 ? 'colour' : 'number';
      } catch {
        return 'number';
      }
    };
    return {
      instance: Object.getOwnPropertyNames(Chart.prototype).filter((name) => !lifecycle.includes(name)),
      static: Object.getOwnPropertyNames(Chart).filter((name) => !['length', 'name', 'prototype'].includes(name)),
      attributes: Chart.observedAttributes,
      settings: Object.fromEntries(names.map((name) => [name, kindOf(name)])),
    };
  }, Object.keys(declared.settings));
  // Listener overloads are typings of what every element has.
  const typed = [...declared.instance].filter((name) => !['addEventListener', 'removeEventListener'].includes(name));
  assert.deepEqual(typed.sort(), [...new Set(real.instance)].sort());
  assert.deepEqual([...declared.static].sort(), real.static.sort());
  // Every setting is named once, under its kind, and they are all the settings there are.
  assert.deepEqual(real.settings, declared.settings);
  assert.deepEqual(Object.keys(declared.settings).map((name) => name.toLowerCase()).concat('width', 'height', 'refresh').sort(),
    [...real.attributes].sort());
  // The events the element dispatches are the ones declared beside an element's own.
  const dispatched = new Set([...readFileSync(`${installed(server)}/sivarta.js`, 'utf8')
    .matchAll(/new (?:Custom)?Event\("(\w+)"/g)].map((m) => m[1]));
  assert.deepEqual([...declared.events].sort(), [...dispatched].sort());
  await context.close();
});
