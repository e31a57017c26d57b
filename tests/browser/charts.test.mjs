// Every chart of a page shares one module instance: charts driven in turn
// must each draw, track and report exactly what a chart alone would.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';
import { NodeCore, wasmModule } from './core.mjs';
import { Core, describe } from '../../web/element/sivarta-core.js';
import { goldenDir } from './harness.mjs';

const file = (kind, code) => readFileSync(`${goldenDir}/data/sisefile/${kind}/${code}.dat`);

// code, size, a setting, a pointer position
const charts = [
  ['005930', [228, 190], ['nIsToolTip', '1'], [60, 80]],
  ['035720', [640, 300], ['nIsToolTip', '1'], [300, 120]],
  ['000660', [400, 240], ['nIsCurrentBar', '0'], [150, 60]],
];

// Each step runs on every chart before the next step, so every call finds
// another chart in use before it.
function drive(list) {
  const cores = list.map(() => new NodeCore());
  const steps = [
    (core, [code, , [name, value]]) => { core.set('strCode', code); core.set(name, value); },
    (core, [, [w, h]]) => core.size(w, h),
    (core, [code]) => assert.ok(core.load(file('info', code), file('Date', code)).accepted, `${code} accepted`),
    (core, [, , , [x, y]]) => core.track(x, y),
  ];
  for (const step of steps) cores.forEach((core, i) => step(core, list[i]));
  return cores.map((core) => ({
    chart: core.scene('chart'),
    crosshair: core.scene('crosshair'),
    tip: core.scene('tip'),
    code: core.core.infoCode(),
    current: core.core.infoNumber('current'),
  }));
}

test('charts on one instance draw what each draws alone', () => {
  const together = drive(charts);
  charts.forEach((c, i) => assert.deepEqual(together[i], drive([c])[0], `${c[0]} together and alone`));
});

test('the table and constants come without a chart; a chart measures its own texts', () => {
  const { c, properties } = describe(wasmModule);
  assert.deepEqual(properties, new NodeCore().core.properties());
  assert.equal(typeof c.prim.ints, 'number');
  // Two charts with different measures: each tooltip is laid out with its own.
  const widths = [4, 9].map((perByte) => {
    const core = new Core(wasmModule, (bytes) => bytes.length * perByte);
    const tip = core.properties().find((p) => p.name === 'nIsToolTip');
    const code = core.properties().find((p) => p.name === 'strCode');
    core.set(tip, '1');
    core.set(code, '005930');
    core.size(228, 190);
    assert.ok(core.load([{ bytes: file('info', '005930') }, { bytes: file('Date', '005930') }]).accepted);
    core.pointerMove(60, 80);
    return core;
  }).map((core) => core.scene(core.c.layer.tip).width);
  assert.ok(widths[1] > widths[0], `the wider measure gives the wider tooltip (${widths})`);
});
