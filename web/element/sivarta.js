// <sivarta-chart>: the intraday chart for today's browsers. The chart itself
// (settings rules, file rules, layout, scales, texts, crosshair, tooltip) is
// the portable core compiled to sivarta.wasm; this module only fetches the two
// day files, replays the core's scenes on canvases and forwards events.

const wasmUrl = new URL('sivarta.wasm', import.meta.url);

async function compileCore() {
  const response = fetch(wasmUrl);
  try {
    return await WebAssembly.compileStreaming(response);
  } catch {
    // A server that does not say application/wasm: compile from the bytes.
    return WebAssembly.compile(await (await fetch(wasmUrl)).arrayBuffer());
  }
}
const coreModule = await compileCore();

const FONT_STACK = '"굴림체", GulimChe, NanumGothicCoding, "Nanum Gothic Coding", monospace';
const FONT_PX = 11;    // the faces' cell height; their em is the whole cell
const ASCENT_PX = 9;   // 800 of 1000 units, rounded as GDI rounds the cell's ascent
const LETTER_SPACING = '0.5px';   // GDI's hinted half-width advance is 6 pixels, the outline's 5.5
const HOVER_MS = 100;
const PRIM_INTS = 9;
const PRIM = { Fill: 0, Frame: 1, Line: 2, Text: 3 };
const USE = { Display: 0, Size: 1, Load: 2, Click: 3 };
const TYPE = { String: 0 };
const KEYS = { ArrowDown: 0, ArrowUp: 1, ArrowLeft: 2, ArrowRight: 3 };
const MOVED = 1;
const TIP_CHANGED = 2;

const cp949 = new TextDecoder('euc-kr');
const utf8 = new TextEncoder();

// The core of one element: a module instance with its own chart.
class Core {
  constructor(measure) {
    let memory = null;
    const wasiStub = () => 0;   // the core writes no file; stdio calls are answered and dropped
    const instance = new WebAssembly.Instance(coreModule, {
      env: { text_width: (ptr, len) => measure(new Uint8Array(memory.buffer, ptr, len)) },
      wasi_snapshot_preview1: { fd_close: wasiStub, fd_seek: wasiStub, fd_write: wasiStub },
    });
    this.x = instance.exports;
    memory = this.x.memory;
    this.x._initialize();
  }

  bytes(ptr, length) {
    return new Uint8Array(this.x.memory.buffer, ptr, length);
  }
  putScratch(bytes) {
    const ptr = this.x.sv_scratch(bytes.length);
    this.bytes(ptr, bytes.length).set(bytes);
    return bytes.length;
  }
  scratchBytes(length) {
    return this.bytes(this.x.sv_scratch_data(), length).slice();
  }
  scratchAscii(length) {
    return String.fromCharCode(...this.scratchBytes(length));
  }

  // The property table, read once from the core.
  properties() {
    const list = [];
    for (let i = 0, n = this.x.sv_prop_count(); i < n; ++i) {
      const kind = this.x.sv_prop_kind(i);
      list.push({ index: i, name: this.scratchAscii(this.x.sv_prop_name(i)), type: kind & 0xff, use: kind >> 8 });
    }
    return list;
  }
  set(prop, value) {
    return this.x.sv_prop_set(prop.index, this.putScratch(utf8.encode(String(value)))) === 0;
  }
  get(prop) {
    if (prop.type !== TYPE.String) return this.x.sv_prop_number(prop.index);
    return new TextDecoder().decode(this.scratchBytes(this.x.sv_prop_string(prop.index)));
  }

  // A scene as {count, ints, text}; the arrays are copies (memory may grow).
  scene(which) {
    const count = this.x.sv_scene(which);
    const ints = new Int32Array(this.x.memory.buffer, this.x.sv_flat(), count * PRIM_INTS).slice();
    const text = this.bytes(this.x.sv_flat_text(), this.x.sv_flat_text_size()).slice();
    return { count, ints, text, width: this.x.sv_scene_width(which), height: this.x.sv_scene_height(which) };
  }

  infoText(field) {
    return cp949.decode(this.scratchBytes(this.x.sv_info_text(field)));
  }
}

const propertyList = new Core(() => 0).properties();
const propertyByName = new Map(propertyList.map((p) => [p.name.toLowerCase(), p]));

// 0x00BBGGRR to a CSS colour, cached: a scene repeats few colours.
const colourCache = new Map();
function css(ref) {
  let value = colourCache.get(ref);
  if (!value) {
    value = `rgb(${ref & 0xff},${(ref >>> 8) & 0xff},${(ref >>> 16) & 0xff})`;
    colourCache.set(ref, value);
  }
  return value;
}

// Replays a scene with GDI's semantics in CSS pixels; the context's transform
// holds the device pixel ratio, so integer rectangles stay on whole pixels.
function drawScene(ctx, scene, font) {
  const { count, ints, text } = scene;
  ctx.font = font;
  ctx.letterSpacing = LETTER_SPACING;
  ctx.textBaseline = 'alphabetic';
  for (let i = 0; i < count; ++i) {
    const o = i * PRIM_INTS;
    const kind = ints[o] & 0xff;
    const left = ints[o + 1], top = ints[o + 2], right = ints[o + 3], bottom = ints[o + 4];
    const colour = ints[o + 5];
    if (kind === PRIM.Fill) {
      ctx.fillStyle = css(colour);
      ctx.fillRect(left, top, right - left, bottom - top);
    } else if (kind === PRIM.Frame) {
      ctx.fillStyle = css(colour);
      ctx.fillRect(left, top, right - left, bottom - top);
      if (right - left > 2 && bottom - top > 2) {
        ctx.fillStyle = css(ints[o + 6]);
        ctx.fillRect(left + 1, top + 1, right - left - 2, bottom - top - 2);
      }
    } else if (kind === PRIM.Line) {
      // Stored forwards and end-exclusive: a one-pixel-wide rectangle.
      ctx.fillStyle = css(colour);
      if (top === bottom) ctx.fillRect(left, top, right - left, 1);
      else ctx.fillRect(left, top, 1, bottom - top);
    } else if (kind === PRIM.Text) {
      const bytes = text.subarray(ints[o + 7], ints[o + 7] + ints[o + 8]);
      drawText(ctx, bytes, (ints[o] >> 8) & 0xff, left, top, right, bottom, css(colour));
    }
  }
}

// Decoded texts and their widths, kept: a redraw repeats most labels.
const textCache = new Map();
function measured(ctx, bytes) {
  let key = '';
  for (let i = 0; i < bytes.length; ++i) key += String.fromCharCode(bytes[i]);
  key = ctx.font + '\u0000' + key;
  let entry = textCache.get(key);
  if (!entry) {
    if (textCache.size > 4096) textCache.clear();
    const lines = cp949.decode(bytes).split(/\r?\n/);
    entry = { lines, single: lines.join(''), widths: lines.map((line) => Math.round(ctx.measureText(line).width)) };
    entry.singleWidth = entry.lines.length === 1 ? entry.widths[0] : Math.round(ctx.measureText(entry.single).width);
    textCache.set(key, entry);
  }
  return entry;
}

// Text clipped to its rectangle: align 0 centres each line (DT_CENTER),
// align 1 is one line from the left (DT_SINGLELINE | DT_LEFT | DT_TOP).
function drawText(ctx, bytes, align, left, top, right, bottom, colour) {
  const text = measured(ctx, bytes);
  const lines = align === 0 ? text.lines : [text.single];
  const widths = align === 0 ? text.widths : [text.singleWidth];
  const fits = top + lines.length * FONT_PX <= bottom && widths.every((w) => w <= right - left);
  if (!fits) {
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, right - left, bottom - top);
    ctx.clip();
  }
  ctx.fillStyle = colour;
  lines.forEach((line, n) => {
    const x = align === 0 ? left + Math.floor((right - left - widths[n]) / 2) : left;
    ctx.fillText(line, x, top + n * FONT_PX + ASCENT_PX);
  });
  if (!fits) ctx.restore();
}

// What a scene says in words: its texts in order.
function sceneText(scene) {
  const texts = [];
  for (let i = 0; i < scene.count; ++i) {
    const o = i * PRIM_INTS;
    if ((scene.ints[o] & 0xff) === PRIM.Text) texts.push(cp949.decode(scene.text.subarray(scene.ints[o + 7], scene.ints[o + 7] + scene.ints[o + 8])));
  }
  return texts.join(' ');
}

// Backing stores scale by the rounded device pixel ratio, so integer
// coordinates stay on whole device pixels.
const pixelRatio = () => Math.max(1, Math.round(window.devicePixelRatio || 1));

// A canvas whose backing store follows the rounded device pixel ratio.
function sizeCanvas(canvas, width, height) {
  const ratio = pixelRatio();
  canvas.width = Math.max(0, width) * ratio;
  canvas.height = Math.max(0, height) * ratio;
  canvas.style.width = `${Math.max(0, width)}px`;
  canvas.style.height = `${Math.max(0, height)}px`;
  const ctx = canvas.getContext('2d');
  ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
  return ctx;
}

// One file of a load: 2xx only, never from a cache, at most `cap` bytes
// (counted while streaming), failed when no byte arrives for idleMs or the
// whole file takes longer than fileMs.
async function fetchDayFile(url, signal, limits) {
  const abort = new AbortController();
  const stop = (reason) => abort.abort(reason);
  const onParentAbort = () => stop(signal.reason);
  signal.addEventListener('abort', onParentAbort);
  const fileTimer = setTimeout(() => stop(new Error(`timed out after ${limits.fileMs} ms`)), limits.fileMs);
  let idleTimer = 0;
  const idle = () => {
    clearTimeout(idleTimer);
    idleTimer = setTimeout(() => stop(new Error(`no data for ${limits.idleMs} ms`)), limits.idleMs);
  };
  try {
    idle();
    const response = await fetch(url, { cache: 'no-store', signal: abort.signal, credentials: 'omit' });
    if (response.status < 200 || response.status > 299) throw new Error(`HTTP ${response.status}`);
    const declared = Number(response.headers.get('content-length'));
    if (declared > limits.maxBytes) throw new Error(`larger than ${limits.maxBytes} bytes`);
    const chunks = [];
    let total = 0;
    const reader = response.body.getReader();
    for (;;) {
      idle();
      const { done, value } = await reader.read();
      if (done) break;
      total += value.length;
      if (total > limits.maxBytes) {
        reader.cancel().catch(() => {});
        throw new Error(`larger than ${limits.maxBytes} bytes`);
      }
      chunks.push(value);
    }
    const bytes = new Uint8Array(total);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes;
  } catch (error) {
    throw abort.signal.aborted && abort.signal.reason instanceof Error ? abort.signal.reason : error;
  } finally {
    clearTimeout(fileTimer);
    clearTimeout(idleTimer);
    signal.removeEventListener('abort', onParentAbort);
  }
}

const template = document.createElement('template');
template.innerHTML = `<style>
  :host { display: inline-block; position: relative; overflow: hidden; cursor: pointer; outline-offset: -1px;
          --sivarta-font: ${FONT_STACK}; }
  canvas { position: absolute; left: 0; top: 0; }
  .tip { position: fixed; display: none; pointer-events: none; z-index: 2147483647; }
</style><canvas part="chart"></canvas><canvas part="crosshair"></canvas><canvas part="tooltip" class="tip"></canvas>`;

export class SivartaChart extends HTMLElement {
  // Loading limits; a page may tighten them.
  static limits = { idleMs: 10000, fileMs: 30000, loadMs: 45000, maxBytes: 16 * 1024 * 1024 };

  static get observedAttributes() {
    return [...propertyByName.keys(), 'width', 'height'];
  }

  #core;
  #chart;
  #cross;
  #tip;
  #font = `${FONT_PX}px ${FONT_STACK}`;
  #measureCtx;
  #loadAbort = null;
  #loadId = 0;
  #queued = { load: false, draw: false };
  #pointer = null;   // {clientX, clientY} while known
  #crossScene = null;   // what the crosshair canvas shows
  #ratioWatch = null;
  #hoverTimer = 0;
  #connected = false;

  constructor() {
    super();
    const root = this.attachShadow({ mode: 'open' });
    root.appendChild(template.content.cloneNode(true));
    [this.#chart, this.#cross, this.#tip] = root.querySelectorAll('canvas');
    this.#measureCtx = document.createElement('canvas').getContext('2d');
    this.#core = new Core((bytes) => {
      this.#measureCtx.font = this.#font;
      this.#measureCtx.letterSpacing = LETTER_SPACING;
      return Math.round(this.#measureCtx.measureText(cp949.decode(bytes)).width);
    });
    this.#core.x.sv_size(this.#core.get(propertyByName.get('nsizemainx')), this.#core.get(propertyByName.get('nsizemainy')));
    new MutationObserver((records) => this.#paramsChanged(records)).observe(this, {
      childList: true, subtree: true, attributes: true, attributeFilter: ['name', 'value'],
    });
    // Properties a script set before this module defined the element are own
    // data properties that hide the accessors: hand them to the settings.
    for (const prop of propertyList) {
      if (!Object.hasOwn(this, prop.name)) continue;
      const value = this[prop.name];
      delete this[prop.name];
      this[prop.name] = value;
    }
    this.addEventListener('pointermove', (e) => this.#pointerMove(e));
    this.addEventListener('pointerenter', (e) => this.#pointerMove(e));
    this.addEventListener('pointerleave', () => { this.#pointer = null; });
    this.addEventListener('pointerdown', (e) => this.#pointerDown(e));
    this.addEventListener('keydown', (e) => this.#keyDown(e));
  }

  connectedCallback() {
    if (!this.hasAttribute('tabindex')) this.tabIndex = 0;
    this.setAttribute('role', 'img');
    this.#font = `${FONT_PX}px ${getComputedStyle(this).getPropertyValue('--sivarta-font').trim() || FONT_STACK}`;
    for (const param of this.querySelectorAll(':scope > param')) this.#applyParam(param);
    for (const attr of this.attributes) this.#applySetting(attr.name, attr.value, 'attribute');
    this.#connected = true;
    this.#watchPixelRatio();
    this.#resize();
    this.#updateLabel();
    this.#queue('load');
  }

  disconnectedCallback() {
    this.#connected = false;
    this.#ratioWatch?.abort();
    ++this.#loadId;
    this.#loadAbort?.abort(new Error('removed from the page'));
    this.#stopHover();
  }

  attributeChangedCallback(name, oldValue, value) {
    if (!this.#connected || value === null) return;
    if (name === 'width' || name === 'height') this.#resize();
    else this.#applySetting(name, value, 'attribute');
  }

  // --- The control's methods ------------------------------------------------
  GetStockCode() { return this.#core.infoText(0); }
  GetStockName() { return this.#core.infoText(1); }
  GetStockDate() { return this.#core.x.sv_info_number(0); }
  GetStockTime() { return this.#core.x.sv_info_number(1); }
  GetStockCurrentga() { return this.#core.x.sv_info_number(2); }
  GetStockChange() { return this.#core.x.sv_info_number(3); }
  // Kept so that old pages run unchanged: the control's StratGraph does
  // nothing either, and a page has no about box.
  StratGraph() {}
  AboutBox() {}

  // --- Settings ----------------------------------------------------------------
  // The settings as JavaScript properties under their own names.
  static {
    for (const prop of propertyList) {
      Object.defineProperty(SivartaChart.prototype, prop.name, {
        get() { return this.#core.get(prop); },
        set(value) {
          if (!this.#setProperty(prop, value)) throw new RangeError(`${prop.name}: ${value} is not a valid value`);
        },
        enumerable: true,
      });
    }
  }

  #paramsChanged(records) {
    if (!this.#connected) return;
    for (const record of records) {
      if (record.type === 'attributes' && record.target.localName === 'param') this.#applyParam(record.target);
      for (const node of record.addedNodes ?? []) if (node.localName === 'param') this.#applyParam(node);
    }
  }

  #applyParam(param) {
    if (param.parentElement !== this) return;
    this.#applySetting(param.getAttribute('name') ?? '', param.getAttribute('value') ?? '', 'param');
  }

  // Markup values that the core refuses are reported and leave the setting as it was.
  #applySetting(name, value, from) {
    const prop = propertyByName.get(name.toLowerCase());
    if (!prop) return;
    if (!this.#setProperty(prop, value)) console.warn(`sivarta-chart: ${from} ${prop.name}="${value}" is not a valid value`);
  }

  #setProperty(prop, value) {
    const before = this.#core.get(prop);
    if (!this.#core.set(prop, value)) return false;
    if (this.#core.get(prop) === before) return true;
    if (prop.use === USE.Load) this.#queue('load');
    else if (prop.use === USE.Size) this.#resize();
    else if (prop.use === USE.Display) this.#queue('draw');
    return true;
  }

  // Several changes in one task lead to one load or one redraw.
  #queue(what) {
    if (this.#queued[what]) return;
    this.#queued[what] = true;
    queueMicrotask(() => {
      this.#queued[what] = false;
      if (!this.#connected) return;
      if (what === 'load') this.#load();
      else this.#redraw();
    });
  }

  // The element's box follows its width and height attributes like the object
  // tag's; the chart inside it is nsizeMainX x nsizeMainY.
  #resize() {
    const width = this.#core.get(propertyByName.get('nsizemainx'));
    const height = this.#core.get(propertyByName.get('nsizemainy'));
    this.#core.x.sv_size(width, height);
    const box = (attribute, size) => {
      const value = this.getAttribute(attribute);
      return value === null ? `${Math.max(size, 0)}px` : /^\d+$/.test(value) ? `${value}px` : value;
    };
    this.style.width = box('width', width);
    this.style.height = box('height', height);
    sizeCanvas(this.#chart, width, height);
    sizeCanvas(this.#cross, width, height);
    this.#crossScene = null;
    if (this.#connected) this.#queue('draw');
  }

  // Zoom or a move to another screen changes the ratio: new backing stores.
  #watchPixelRatio() {
    this.#ratioWatch?.abort();
    this.#ratioWatch = new AbortController();
    matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
      this.#resize();
      this.#watchPixelRatio();
    }, { once: true, signal: this.#ratioWatch.signal });
  }

  // --- Loading -----------------------------------------------------------------
  async #load() {
    this.#loadAbort?.abort(new Error('superseded by a new load'));
    const abort = new AbortController();
    this.#loadAbort = abort;
    const id = ++this.#loadId;
    const { limits } = SivartaChart;
    const deadline = setTimeout(() => abort.abort(new Error(`load took longer than ${limits.loadMs} ms`)), limits.loadMs);

    const core = this.#core;
    const urlsLength = core.x.sv_request(location.protocol === 'https:' ? 1 : 0);
    const files = [null, null];
    let reason = '';
    if (urlsLength === 0) {
      reason = 'nothing to load: the code is not 1 to 32 ASCII letters and digits, or the host holds blanks';
    } else {
      const urls = new TextDecoder().decode(core.scratchBytes(urlsLength)).split('\n');
      // The data file is fetched only after the info file arrived, as the control does.
      for (let i = 0; i < 2 && !reason; ++i) {
        try {
          files[i] = await fetchDayFile(urls[i], abort.signal, limits);
        } catch (error) {
          reason = `${urls[i]}: ${error?.message ?? error}`;
        }
      }
    }
    clearTimeout(deadline);
    if (id !== this.#loadId) return;   // a newer load owns the chart
    this.#loadAbort = null;

    for (let i = 0; i < 2; ++i) {
      const bytes = files[i] ?? new Uint8Array(0);
      core.bytes(core.x.sv_file(i, bytes.length, files[i] ? 1 : 0), bytes.length).set(bytes);
    }
    const ok = core.x.sv_load() === 1;
    this.#paint();
    this.#updateLabel();
    if (!ok) {
      reason ||= 'the day files were not accepted';
      this.dispatchEvent(new CustomEvent('error', { detail: { reason } }));
    }
    this.dispatchEvent(new Event('readyinfo'));
  }

  // --- Drawing -----------------------------------------------------------------
  #redraw() {
    this.#core.x.sv_redraw();
    this.#paint();
  }

  #paint() {
    const ctx = this.#chart.getContext('2d');
    drawScene(ctx, this.#core.scene(0), this.#font);
    this.#paintTip();   // its colours may have changed
    // The crosshair comes back where it was, for whatever record is there now.
    this.#showTrack(this.#core.x.sv_retrack());
  }

  // Redraws the crosshair overlay and the tooltip's picture after a track.
  #showTrack(changed) {
    if (changed & MOVED) {
      const ctx = this.#cross.getContext('2d');
      const old = this.#crossScene;
      for (let i = 0; old && i < old.count; ++i) {
        const o = i * PRIM_INTS;
        ctx.clearRect(old.ints[o + 1], old.ints[o + 2], Math.max(1, old.ints[o + 3] - old.ints[o + 1]), Math.max(1, old.ints[o + 4] - old.ints[o + 2]));
      }
      this.#crossScene = this.#core.scene(1);
      drawScene(ctx, this.#crossScene, this.#font);
    }
    if (changed & TIP_CHANGED) this.#paintTip();
  }

  #paintTip() {
    const scene = this.#core.scene(2);
    // Its first primitive fills it whole: a canvas of the right size is only redrawn.
    const ratio = pixelRatio();
    const ctx = this.#tip.width === scene.width * ratio && this.#tip.height === scene.height * ratio
      ? this.#tip.getContext('2d') : sizeCanvas(this.#tip, scene.width, scene.height);
    drawScene(ctx, scene, this.#font);
    this.#tip.setAttribute('aria-label', sceneText(scene));
  }

  #updateLabel() {
    const code = this.GetStockCode();
    const failure = this.#core.x.sv_failure_text();
    if (failure) {
      this.setAttribute('aria-label', `Stock chart: ${this.#core.scratchAscii(failure)}`);
      return;
    }
    if (!code) {
      this.setAttribute('aria-label', 'Stock chart: no data');
      return;
    }
    const number = (n) => n.toLocaleString('en-US');
    const change = this.GetStockChange();
    const sign = change > 0 ? '+' : '';
    const name = this.GetStockName();
    this.setAttribute('aria-label',
      `${name ? `${name} (${code})` : code}: current price ${number(this.GetStockCurrentga())}, change ${sign}${number(change)}`);
  }

  // --- Pointer, hover timer, click and keys ----------------------------------
  #local(e) {
    const r = this.#chart.getBoundingClientRect();
    return [Math.floor(e.clientX - r.left), Math.floor(e.clientY - r.top)];
  }

  #pointerMove(e) {
    this.#pointer = { clientX: e.clientX, clientY: e.clientY };
    const [x, y] = this.#local(e);
    this.#showTrack(this.#core.x.sv_track(x, y, 1));
    this.#startHover();
  }

  #startHover() {
    if (this.#hoverTimer || this.#core.get(propertyByName.get('nistooltip')) !== 1) return;
    this.#hoverTimer = setInterval(() => this.#hoverTick(), HOVER_MS);
  }

  #stopHover() {
    clearInterval(this.#hoverTimer);
    this.#hoverTimer = 0;
    this.#tip.style.display = 'none';
  }

  // Every tick: beside the pointer while it is over the frame and nothing lies
  // over the chart there; hidden otherwise (and then the timer rests).
  #hoverTick() {
    const p = this.#pointer;
    let show = false;
    if (p && this.#core.get(propertyByName.get('nistooltip')) === 1) {
      const [x, y] = this.#local(p);
      show = this.#core.x.sv_in_box(x, y) === 1 && this.shadowRoot.elementFromPoint(p.clientX, p.clientY) === this.#cross;
    }
    if (!show) {
      this.#stopHover();
      return;
    }
    const width = document.documentElement.clientWidth;
    const place = new Int32Array(this.#core.x.memory.buffer, this.#core.x.sv_place_tip(p.clientX, p.clientY, width), 2);
    this.#tip.style.left = `${place[0]}px`;
    this.#tip.style.top = `${place[1]}px`;
    this.#tip.style.display = 'block';
  }

  #pointerDown(e) {
    if (e.button !== 0) return;
    const length = this.#core.x.sv_click_url();
    if (length === 0) return;
    const url = new TextDecoder().decode(this.#core.scratchBytes(length));
    window.open(url, '_blank', 'noopener');
  }

  #keyDown(e) {
    const key = KEYS[e.key];
    if (key === undefined) return;
    e.preventDefault();   // the arrows move the crosshair, not the page
    this.#showTrack(this.#core.x.sv_key(key));
  }
}

customElements.define('sivarta-chart', SivartaChart);
