// The same sivarta.wasm the page loads, driven from Node through the element's
// own boundary module: the tests take the scene's text rectangles (and other
// expectations) from the core itself and restate none of the boundary.
import { readFileSync } from 'node:fs';
import { Core, decodeCp949 } from '../../web/element/sivarta-core.js';
import { primitives } from '../../web/element/sivarta-scene.js';
import { buildDir } from './harness.mjs';

export const wasmModule = new WebAssembly.Module(readFileSync(`${buildDir}/web/sivarta.wasm`));

export class NodeCore {
  // Text is measured at the fixed pitch of the chart's face: 6 pixels a byte.
  constructor() {
    this.core = new Core(wasmModule, (bytes) => bytes.length * 6);
    this.c = this.core.c;
    this.props = new Map(this.core.properties().map((p) => [p.name, p]));
  }

  set(name, value) {
    if (!this.props.has(name)) throw new Error(`no property ${name}`);
    return this.core.set(this.props.get(name), value);
  }
  size(width, height) { this.core.size(width, height); }
  // Bytes, or null for a file whose download failed.
  load(info, data) {
    return this.core.load([info, data].map((bytes) => (bytes ? { bytes } : { failure: 'not fetched' })));
  }
  track(x, y) { return this.core.pointerMove(x, y); }

  // [{kind, rect: [l, t, r, b], colour, text}] with kind a name of c.kind.
  scene(layer = 'chart') {
    const kinds = Object.fromEntries(Object.entries(this.c.kind).map(([name, value]) => [value, name]));
    return [...primitives(this.core.scene(this.c.layer[layer]))].map((p) => ({
      kind: kinds[p.kind],
      rect: p.rect,
      colour: p.colour,
      text: p.bytes ? decodeCp949(p.bytes) : '',
    }));
  }
  textRects(layer = 'chart') {
    return this.scene(layer).filter((p) => p.kind === 'Text').map((p) => p.rect);
  }
}
