// The boundary to sivarta.wasm: one Core per chart, every chart of a page in
// one module instance, each with its own ChartSession. Everything the boundary
// needs to agree on (the primitive layout, kinds, layers, key names, flags,
// limits, defaults, the failure text) is read from the module itself, never
// restated here. Runs in
// browsers and in Node alike: nothing here touches the page.

const cp949 = new TextDecoder('euc-kr');
const utf8 = new TextEncoder();
const utf8Decoder = new TextDecoder();

// One instance per compiled module, shared by every Core made from it, with
// the constants it exports (read once).
const instanceOf = new WeakMap();
function sharedInstance(wasmModule) {
  let shared = instanceOf.get(wasmModule);
  if (shared) return shared;
  shared = { x: null, c: null, properties: null, measure: () => 0, charts: null };
  const wasiStub = () => 0;   // the core writes no file; stdio calls are answered and dropped
  const instance = new WebAssembly.Instance(wasmModule, {
    env: { text_width: (ptr, len) => shared.measure(new Uint8Array(shared.x.memory.buffer, ptr, len)) },
    wasi_snapshot_preview1: { fd_close: wasiStub, fd_seek: wasiStub, fd_write: wasiStub },
  });
  shared.x = instance.exports;
  shared.x._initialize();
  const text = (length) => utf8Decoder.decode(new Uint8Array(shared.x.memory.buffer, shared.x.sv_scratch_data(), length));
  shared.c = JSON.parse(text(shared.x.sv_constants()));
  shared.properties = [];
  for (let i = 0, n = shared.x.sv_prop_count(); i < n; ++i) {
    const kind = shared.x.sv_prop_kind(i);
    shared.properties.push({ index: i, name: text(shared.x.sv_prop_name(i)), type: kind & 0xff, use: kind >> 8 });
  }
  // A chart nothing refers to any more gives its slot in the core back.
  shared.charts = new FinalizationRegistry((handle) => shared.x.sv_chart_free(handle));
  instanceOf.set(wasmModule, shared);
  return shared;
}

// What every chart of a compiled module shares, without making a chart:
// {c: the constants, properties: the property table}.
export function describe(wasmModule) {
  const { c, properties } = sharedInstance(wasmModule);
  return { c, properties };
}

// One chart: a handle into the shared instance. Every call selects it first,
// so charts never see each other's state.
export class Core {
  #shared;
  #handle;
  #measure;
  #xs;

  // measure(cp949Bytes) gives the width of tooltip text in CSS pixels.
  constructor(wasmModule, measure = () => 0) {
    this.#shared = sharedInstance(wasmModule);
    this.#measure = measure;
    this.#xs = this.#shared.x;
    this.#shared.measure = measure;   // the new chart may measure as it is made
    this.#handle = this.#xs.sv_chart_new();
    this.#shared.charts.register(this, this.#handle);
    this.c = this.#shared.c;
  }

  // The instance's exports, with this chart in use.
  get x() {
    this.#xs.sv_chart_use(this.#handle);
    this.#shared.measure = this.#measure;
    return this.#xs;
  }

  // --- Buffers ---------------------------------------------------------------
  #bytes(ptr, length) {
    return new Uint8Array(this.x.memory.buffer, ptr, length);
  }
  #put(bytes) {
    this.#bytes(this.x.sv_scratch(bytes.length), bytes.length).set(bytes);
    return bytes.length;
  }
  #scratch(length) {
    return this.#bytes(this.x.sv_scratch_data(), length).slice();
  }
  #text(length) {
    return utf8Decoder.decode(this.#scratch(length));
  }

  // --- Settings --------------------------------------------------------------
  // The property table: [{index, name, type, use}].
  properties() {
    return this.#shared.properties;
  }
  // False when the core refuses the value (the setting stays as it was).
  set(prop, value) {
    return this.x.sv_prop_set(prop.index, this.#put(utf8.encode(String(value)))) === 0;
  }
  get(prop) {
    if (prop.type !== this.c.propType.String) return this.x.sv_prop_number(prop.index);
    return this.#text(this.x.sv_prop_string(prop.index));
  }
  size(width, height) {
    this.x.sv_size(width, height);
  }

  // --- Load ------------------------------------------------------------------
  // {urls: [info, data]} or {refusal}; an empty strChartUrl means pageHost.
  request(https, pageHost = '') {
    const length = this.x.sv_request(https ? 1 : 0, this.#put(utf8.encode(pageHost)));
    const text = this.#text(length);
    return this.x.sv_request_made() ? { urls: text.split('\n') } : { refusal: text };
  }
  // files: [info, data], each {bytes} or {failure}; a file that did not
  // arrive ends the load. Returns {accepted, failed, reason}.
  load(files) {
    this.#putFiles(files);
    const outcome = this.x.sv_load();
    return {
      accepted: (outcome & this.c.load.accepted) !== 0,
      failed: (outcome & this.c.load.failed) !== 0,
      reason: this.#text(this.x.sv_load_reason()),
    };
  }
  // A reload of the day shown, files as for load(): {accepted, changed,
  // reason}; one not accepted left the chart as it was.
  refresh(files) {
    this.#putFiles(files);
    const outcome = this.x.sv_refresh();
    return {
      accepted: (outcome & this.c.load.accepted) !== 0,
      changed: (outcome & this.c.load.changed) !== 0,
      reason: this.#text(this.x.sv_refresh_reason()),
    };
  }
  #putFiles(files) {
    files.forEach((file, i) => {
      const bytes = file?.bytes ?? new Uint8Array(0);
      this.#bytes(this.x.sv_file(i, bytes.length, file?.bytes ? 1 : 0), bytes.length).set(bytes);
      if (!file?.bytes) this.x.sv_file_failure(i, this.#put(utf8.encode(file?.failure ?? '')));
    });
  }
  redraw() {
    this.x.sv_redraw();
  }

  // --- Scenes ------------------------------------------------------------------
  // A layer's scene (this.c.layer) as {count, ints, text, width, height, c};
  // the arrays are copies (memory may grow), or with `view` the core's own,
  // valid until the chart changes: a new typed array costs a redraw dearly.
  // The chart's scene carries its shape too, by which it is replayed: `print`
  // (two halves) and `colours`, its colour slots.
  scene(layer, view = false) {
    const count = this.x.sv_scene(layer);
    const ints = new Int32Array(this.x.memory.buffer, this.x.sv_flat(), count * this.c.prim.ints);
    const text = this.#bytes(this.x.sv_flat_text(), this.x.sv_flat_text_size());
    const scene = { count, ints: view ? ints : ints.slice(), text: view ? text : text.slice(),
      width: this.x.sv_scene_width(layer), height: this.x.sv_scene_height(layer), c: this.c };
    if (layer === this.c.layer.chart) {
      const at = this.x.sv_shape() >> 2, shape = new Int32Array(this.x.memory.buffer);
      scene.print = [shape[at], shape[at + 1]];
      scene.colours = Array.from(shape.subarray(at + 3, at + 3 + shape[at + 2]));
    }
    return scene;
  }

  // --- Pointer, keys, tooltip, click -----------------------------------------
  // Each returns the flags of this.c.flag.
  pointerMove(x, y) {
    return this.x.sv_pointer_move(x, y);
  }
  // A key by its DOM name; undefined for a key the chart does not take.
  key(name) {
    const code = this.c.key[name];
    if (code !== undefined) return this.x.sv_key(code);
    const scroll = this.c.scrollKey[name];
    return scroll === undefined ? undefined : this.x.sv_scroll_key(scroll);
  }
  scrollPixels(dx) {
    return this.x.sv_scroll_pixels(dx);
  }
  zoom(steps, x) {
    return this.x.sv_zoom(steps, x);
  }
  // A press (mouse or touch), its drags and its release (this.c.release).
  press(x, y, touch) {
    this.x.sv_press(x, y, touch ? 1 : 0);
  }
  drag(x, y) {
    return this.x.sv_drag(x, y);
  }
  release(x, y) {
    return this.x.sv_release(x, y);
  }
  cancelPress() {
    this.x.sv_cancel_press();
  }
  // Two fingers that far apart begin a pinch; pinchTo follows their distance.
  pinchBegin(distance) {
    this.x.sv_pinch(-Math.max(1, distance), 0);
  }
  pinchTo(distance, x) {
    return this.x.sv_pinch(distance, x);
  }
  // {slotWidth, first, following}: the view.
  view() {
    return { slotWidth: this.x.sv_view(0), first: this.x.sv_view(1), following: this.x.sv_view(2) === 1 };
  }
  // The record under the crosshair in words.
  announcement() {
    return this.#text(this.x.sv_announcement());
  }
  retrack() {
    return this.x.sv_retrack();
  }
  // {x, y, tracked}: where the crosshair stands.
  crosshair() {
    return { x: this.x.sv_crosshair(0), y: this.x.sv_crosshair(1), tracked: this.x.sv_crosshair(2) === 1 };
  }
  // The record under the crosshair as {index, time, open, high, low, close, volume}, or null.
  tracked() {
    const f = this.c.tracked;
    const index = this.x.sv_tracked(f.index);
    if (index < 0) return null;
    const field = (name) => this.x.sv_tracked(f[name]);
    return { index, time: field('time'), open: field('open'), high: field('high'), low: field('low'), close: field('close'), volume: field('volume') };
  }
  showsTip(x, y) {
    return this.x.sv_shows_tip(x, y) === 1;
  }
  // The tooltip's {left, top} beside a cursor in a viewport that wide.
  tipPlace(x, y, viewportWidth) {
    const place = new Int32Array(this.x.memory.buffer, this.x.sv_tip_place(x, y, viewportWidth), 2);
    return { left: place[0], top: place[1] };
  }
  // The page a click opens, or null.
  clickPage() {
    const length = this.x.sv_click_page();
    return length ? this.#text(length) : null;
  }

  // --- The info record of the last load ---------------------------------------
  infoCode() {
    return cp949.decode(this.#scratch(this.x.sv_info_text(this.c.infoText.code)));
  }
  infoName() {
    return cp949.decode(this.#scratch(this.x.sv_info_text(this.c.infoText.name)));
  }
  infoNumber(field) {
    return this.x.sv_info_number(this.c.infoNumber[field]);
  }
}

export function decodeCp949(bytes) {
  return cp949.decode(bytes);
}
