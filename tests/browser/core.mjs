// The same sivarta.wasm the page loads, driven from Node: the tests take the
// scene's text rectangles (and other expectations) from the core itself.
import { readFileSync } from 'node:fs';
import { buildDir } from './harness.mjs';

const module = new WebAssembly.Module(readFileSync(`${buildDir}/web/sivarta.wasm`));
const cp949 = new TextDecoder('euc-kr');

export class NodeCore {
  // Text is measured at the fixed pitch of the chart's face: 6 pixels a byte.
  constructor() {
    const stub = () => 0;
    const instance = new WebAssembly.Instance(module, {
      env: { text_width: (ptr, len) => len * 6 },
      wasi_snapshot_preview1: { fd_close: stub, fd_seek: stub, fd_write: stub },
    });
    this.x = instance.exports;
    this.x._initialize();
    this.names = new Map();
    for (let i = 0, n = this.x.sv_prop_count(); i < n; ++i) this.names.set(this.#ascii(this.x.sv_prop_name(i)), i);
  }

  #bytes(ptr, n) { return new Uint8Array(this.x.memory.buffer, ptr, n); }
  #ascii(n) { return String.fromCharCode(...this.#bytes(this.x.sv_scratch_data(), n)); }
  #put(bytes) {
    this.#bytes(this.x.sv_scratch(bytes.length), bytes.length).set(bytes);
    return bytes.length;
  }

  set(name, value) {
    if (!this.names.has(name)) throw new Error(`no property ${name}`);
    return this.x.sv_prop_set(this.names.get(name), this.#put(new TextEncoder().encode(String(value)))) === 0;
  }
  size(width, height) { this.x.sv_size(width, height); }
  load(info, data) {
    [info, data].forEach((bytes, i) => this.#bytes(this.x.sv_file(i, bytes?.length ?? 0, bytes ? 1 : 0), bytes?.length ?? 0).set(bytes ?? []));
    return this.x.sv_load() === 1;
  }
  track(x, y) { return this.x.sv_track(x, y, 1); }

  // [{kind, rect: [l, t, r, b], colour, text}]
  scene(which) {
    const n = this.x.sv_scene(which);
    const ints = new Int32Array(this.x.memory.buffer, this.x.sv_flat(), n * 9).slice();
    const text = this.x.sv_flat_text();
    const prims = [];
    for (let i = 0; i < n; ++i) {
      const o = i * 9;
      prims.push({
        kind: ints[o] & 0xff,
        rect: [ints[o + 1], ints[o + 2], ints[o + 3], ints[o + 4]],
        colour: ints[o + 5],
        text: (ints[o] & 0xff) === 3 ? cp949.decode(this.#bytes(text + ints[o + 7], ints[o + 8])) : '',
      });
    }
    return prims;
  }
  textRects(which = 0) {
    return this.scene(which).filter((p) => p.kind === 3).map((p) => p.rect);
  }
}
