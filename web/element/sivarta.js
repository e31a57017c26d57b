// <sivarta-chart>: the intraday chart for today's browsers. The chart itself
// (settings rules, file rules, layout, scales, texts, crosshair, tooltip, the
// load's URLs and limits) is the portable core compiled to sivarta.wasm and
// driven through sivarta-core.js; this module only fetches the two day files
// (sivarta-fetch.js), replays the core's scenes on canvases (sivarta-scene.js)
// and forwards events.
import { coreCompiled } from './sivarta-wasm.js';   // the wasm's compile: see there for when it starts
import { Core, describe } from './sivarta-core.js';
import { FONT_STACK, drawOverlay, drawScene, forgetShown, paintScene, sceneText, textWidth } from './sivarta-scene.js';
import { dayUrls, fetchDay, followChanges } from './sivarta-fetch.js';
import startup from 'sivarta-startup';   // the core's URL layout and limits, written by the build

// A setting as the element will take it from its markup: a property a script
// set, then its <param>, then its attribute.
function markupSetting(chart, name) {
  let value = Object.hasOwn(chart, name) ? String(chart[name]) : '';
  for (const param of chart.querySelectorAll(':scope > param'))
    if (param.getAttribute('name')?.toLowerCase() === name.toLowerCase()) value = param.getAttribute('value') ?? '';
  return chart.getAttribute(name) ?? value;
}

// The charts already on the page ask for their first day's files now, while
// the wasm travels and compiles: {urls, abort, files}.
const earlyDays = new WeakMap();
const markupCharts = document.querySelectorAll('sivarta-chart');
for (const chart of markupCharts) {
  const host = markupSetting(chart, 'strChartUrl') || location.host || startup.defaultHost;
  const urls = dayUrls(startup, markupSetting(chart, 'strCode'), host, location.protocol === 'https:');
  const abort = new AbortController();
  if (!urls) continue;
  earlyDays.set(chart, { urls, abort, files: fetchDay(urls, abort.signal, startup.limits) });
}

// The early files of a chart's first load when they are the ones the core
// asks for; dropped otherwise.
function takeEarlyDay(chart, urls, signal) {
  const early = earlyDays.get(chart);
  earlyDays.delete(chart);
  if (!early) return null;
  if (!urls || early.urls.join('\n') !== urls.join('\n')) {
    early.abort.abort(new Error('not the day the chart asks for'));
    return null;
  }
  signal.addEventListener('abort', () => early.abort.abort(signal.reason), { once: true });
  return early.files;
}

// A first measure while the wasm compiles: the charts' font is looked up
// and loaded before any chart's first paint needs it.
textWidth(document.createElement('canvas').getContext('2d'), new Uint8Array([48]), `${startup.fontPx}px ${FONT_STACK}`);

// The overlays (crosshair and tooltip) are drawn on an offscreen canvas the
// element hands its pixels to, where the browser has one: a picture drawn
// there reaches the screen with the next frame without marking the page for
// paint, so the hit test of the next pointer move does not repaint the page
// first. Handed over when first drawn on; `surfaceOf` is where a canvas's
// pixels are.
const surfaces = new WeakMap();   // canvas -> the OffscreenCanvas that draws for it
const surfaceOf = (canvas) => surfaces.get(canvas) ?? canvas;
function overlaySurface(canvas) {
  if (!surfaces.has(canvas) && typeof canvas.transferControlToOffscreen === 'function') surfaces.set(canvas, canvas.transferControlToOffscreen());
  return surfaceOf(canvas);
}

// A canvas of width x height CSS pixels whose backing store has the given
// device pixels: what the browser reports for its box, else the ratio's
// estimate. Its context is left alone, so a canvas nothing was drawn on yet
// has neither context nor pixels. Sizing clears the store, even to the size
// it had, so what it showed is forgotten.
function sizeCanvas(canvas, width, height, device = deviceSize(width, height)) {
  const store = surfaceOf(canvas);
  [store.width, store.height] = device;
  forgetShown(store);
  canvas.style.width = `${Math.max(0, width)}px`;
  canvas.style.height = `${Math.max(0, height)}px`;
}
const deviceSize = (width, height) => [width, height].map((v) => Math.round(Math.max(0, v) * (window.devicePixelRatio || 1)));
// A CSS length that starts and ends on a device pixel (from a whole-pixel origin).
const onDevicePixel = (v) => Math.round(v * (window.devicePixelRatio || 1)) / (window.devicePixelRatio || 1);

// What a refresh asks the host with: the day's bytes are not kept.
const validatorsOf = (files) => files.map(({ etag, lastModified }) => ({ etag, lastModified }));

// One watch of the device pixel ratio for every chart on the page, each
// chart's callback in ratioWatchers: a media query each would cost every
// chart its own.
const ratioWatchers = new Set();
let ratioQuery = null;
function watchPixelRatio() {
  if (ratioQuery) return;
  ratioQuery = matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`);
  ratioQuery.addEventListener('change', () => {
    ratioQuery = null;
    for (const changed of [...ratioWatchers]) changed();
    if (ratioWatchers.size) watchPixelRatio();
  }, { once: true });
}

// One formatter for every label (toLocaleString would make one per number).
const numberFormat = new Intl.NumberFormat('en-US');

// In forced-colours mode the canvases keep their colours unless the chart
// maps them: backgrounds to Canvas, rising and falling candles to Highlight
// and LinkText, grid lines to GrayText, everything else to CanvasText.
const forcedColours = matchMedia('(forced-colors: active)');
const systemRole = (name) => (name.endsWith('BackGround') ? 'Canvas' : name === 'crHighCandle' ? 'Highlight'
  : name === 'crLowCandle' ? 'LinkText' : name.includes('HorizonalLine') ? 'GrayText' : 'CanvasText');

// One parsed style sheet for every chart's shadow root; each root's own
// <style> holds its box.
const sheet = new CSSStyleSheet();
sheet.replaceSync(`
  :host { display: inline-block; position: relative; overflow: hidden; contain: size; cursor: pointer; outline-offset: -1px;
          touch-action: pan-y; user-select: none; --sivarta-font: ${FONT_STACK}; }
  canvas { position: absolute; left: 0; top: 0; }
  .tip { position: fixed; display: none; pointer-events: none; z-index: 2147483647; }
  .said { position: absolute; width: 1px; height: 1px; overflow: hidden; clip-path: inset(50%); }`);
const template = document.createElement('template');
template.innerHTML = `<style></style><canvas part="chart"></canvas><canvas part="crosshair"></canvas><canvas part="tooltip" class="tip" width="0" height="0"></canvas>
<div class="said" aria-live="polite" aria-atomic="true"></div><i hidden style="forced-color-adjust:none"></i>`;

// The charts already on the page get their chart canvas now, at the size
// their settings give, with its store made: a canvas's first drawing makes
// its store, which costs a large chart tens of milliseconds that would
// otherwise come after its files arrived. A chart that turns out another
// size sizes it again.
const earlyCanvases = new WeakMap();
for (const chart of markupCharts) {
  const setting = (name, fallback) => {
    const value = parseInt(markupSetting(chart, name), 10);
    return value > 0 ? value : fallback;
  };
  const canvas = document.createElement('canvas');
  canvas.setAttribute('part', 'chart');
  [canvas.width, canvas.height] = deviceSize(setting('nsizeMainX', startup.chartSize.width), setting('nsizeMainY', startup.chartSize.height));
  canvas.getContext('2d').clearRect(0, 0, 1, 1);
  earlyCanvases.set(chart, canvas);
}

// All above runs while the wasm compiles; the element needs the core.
const coreModule = await coreCompiled;
const { c: C, properties: propertyList } = describe(coreModule);
const propertyByName = new Map(propertyList.map((p) => [p.name.toLowerCase(), p]));
const colourProps = propertyList.filter((p) => p.name.startsWith('cr'));

export class SivartaChart extends HTMLElement {
  // Loading limits, the core's; a page may tighten them.
  static limits = { idleMs: C.limits.idleMs, fileMs: C.limits.fileMs, loadMs: C.limits.loadMs, maxBytes: C.limits.maxBytes };

  static get observedAttributes() {
    return [...propertyByName.keys(), 'width', 'height', 'refresh'];
  }

  #core;
  #announce;   // the polite live region the arrow keys speak through
  #chart;
  #cross;
  #tip;
  #font = `${C.fontPx}px ${FONT_STACK}`;
  #fontRead = true;   // #font is the page's --sivarta-font since the chart connected
  #loadAbort = null;
  #loadId = 0;
  #queued = { load: false, draw: false };
  #painted = false;   // the chart canvas has shown a scene
  #pointer = null;   // {clientX, clientY} while known
  #crossShown = false;   // the crosshair canvas shows a scene
  #crossContext = null;   // the overlays' contexts, made on their first picture
  #tipContext = null;
  #boxStyle;   // the element's box when the page's CSS does not size it
  #boxSize = null;   // [width, height] of the element's content box, once laid out
  #sizes = null;   // the ResizeObserver of the element's box and the chart canvas's device pixels
  #chartSize = [0, 0];   // the chart's size in CSS pixels
  #device = null;   // the device pixels of the chart canvas's box, as last reported
  #hoverTimer = 0;
  #connected = false;
  #failed = false;   // the last load failed: the chart shows the core's failure text
  #day = null;   // the validators of the day shown, [{etag, lastModified}] x 2, for refreshes
  #refreshing = null;   // the refresh under way (a promise)
  #live = { timer: 0, feed: null, feedOpen: false, hidden: false, offScreen: false, stale: false, changed: false };
  #tracked;   // the record crosshairmove last reported (undefined before any)
  #tipDrawn = null;   // [ratio, width, height]: the device pixels the tooltip's store shows, once painted
  #tipStale = true;   // the tooltip's picture is not the core's
  #tipUnsaid = null;   // the tooltip's scene whose words are not its label yet
  #touches = new Map();   // pointerId -> [x, y] of each finger down
  #tapTip = false;   // a tap shows the tooltip (until a pan, a scroll or another tap)
  #system = null;   // system colour name -> colour reference, while forced
  #probe;   // resolves system colour names
  #watches = null;   // aborts the element's document-wide listeners

  constructor() {
    super();
    const root = this.attachShadow({ mode: 'open' });
    root.adoptedStyleSheets = [sheet];
    root.appendChild(template.content.cloneNode(true));
    const early = earlyCanvases.get(this);
    earlyCanvases.delete(this);
    if (early) root.querySelector('canvas').replaceWith(early);
    [this.#chart, this.#cross, this.#tip] = root.querySelectorAll('canvas');
    this.#boxStyle = root.querySelector('style');
    this.#announce = root.querySelector('[aria-live]');
    this.#probe = root.querySelector('i');
    // The tooltip's texts are measured on the tooltip's own context, whose
    // font then has them shaped when they are drawn.
    this.#core = new Core(coreModule, (bytes) => textWidth(this.#tipContext2d(), bytes, this.#face));
    this.#core.size(this.#core.get(propertyByName.get('nsizemainx')), this.#core.get(propertyByName.get('nsizemainy')));
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
    this.addEventListener('pointerleave', (e) => {
      if (e.pointerType === 'touch') return;   // a tap's crosshair stays
      this.#pointer = null;
      this.#reportTracked(null);
    });
    this.addEventListener('pointerdown', (e) => this.#pointerDown(e));
    this.addEventListener('pointerup', (e) => this.#pointerUp(e));
    this.addEventListener('pointercancel', (e) => this.#pointerCancel(e));
    this.addEventListener('keydown', (e) => this.#keyDown(e));
    this.addEventListener('wheel', (e) => this.#wheel(e), { passive: false });
  }

  connectedCallback() {
    if (!this.hasAttribute('tabindex')) this.tabIndex = 0;
    // A group, not an image: an image's children are hidden from assistive
    // technology, and the live region that speaks the records is one.
    this.setAttribute('role', 'group');
    this.#fontRead = false;
    for (const param of this.querySelectorAll(':scope > param')) this.#applyParam(param);
    for (const attr of this.attributes) this.#applySetting(attr.name, attr.value, 'attribute');
    this.#connected = true;
    ratioWatchers.add(this.#ratioChanged);
    watchPixelRatio();
    this.#watches = new AbortController();
    forcedColours.addEventListener('change', () => {
      this.#system = null;
      this.#paint();
      this.#showTrack(C.flag.crosshairMoved);
    }, { signal: this.#watches.signal });
    // A tapped tooltip stands in the viewport: the page scrolling leaves it behind.
    addEventListener('scroll', () => this.#hideTapTip(), { capture: true, passive: true, signal: this.#watches.signal });
    this.#resize();
    this.#watchSizes();
    this.#updateLabel();
    this.#queue('load');
    this.#watchVisibility();
  }

  disconnectedCallback() {
    this.#connected = false;
    SivartaChart.#onScreen.unobserve(this);
    document.removeEventListener('visibilitychange', this.#visibilityChanged);
    this.#stopLive();
    ratioWatchers.delete(this.#ratioChanged);
    this.#sizes?.disconnect();
    this.#watches?.abort();
    this.#touches.clear();
    this.#core.cancelPress();   // a press the page took away with the element
    ++this.#loadId;
    this.#loadAbort?.abort(new Error('removed from the page'));
    this.#stopHover();
  }

  attributeChangedCallback(name, oldValue, value) {
    if (!this.#connected || value === null) return;
    if (name === 'width' || name === 'height') this.#resize();
    else if (name === 'refresh') this.#updateLive();
    else this.#applySetting(name, value, 'attribute');
  }

  // --- The control's methods ------------------------------------------------
  GetStockCode() { return this.#core.infoCode(); }
  GetStockName() { return this.#core.infoName(); }
  GetStockDate() { return this.#core.infoNumber('date'); }
  GetStockTime() { return this.#core.infoNumber('time'); }
  GetStockCurrentga() { return this.#core.infoNumber('current'); }
  GetStockChange() { return this.#core.infoNumber('change'); }
  // Kept so that old pages run unchanged: the control's StratGraph does
  // nothing either, and a page has no about box.
  StratGraph() {}
  AboutBox() {}

  // --- Page code's conveniences ------------------------------------------------
  // Reloads the day now; resolves when done. Before a day was shown it is a
  // load, done at its readyinfo.
  refresh() {
    if (!this.#day) {
      const loaded = new Promise((resolve) => this.addEventListener('readyinfo', () => resolve(), { once: true }));
      this.#queue('load');
      return loaded;
    }
    this.#refreshing ??= this.#refreshDay().finally(() => {
      this.#refreshing = null;
      if (this.#live.changed && this.#day) this.refresh();   // the host changed the day meanwhile
    });
    return this.#refreshing;
  }

  // The change feed said the day's files changed: fetch them whole.
  #refreshChanged() {
    this.#live.changed = true;
    this.refresh();
  }

  // The chart as shown, crosshair included, as a PNG.
  toBlob() {
    const out = document.createElement('canvas');
    out.width = this.#chart.width;
    out.height = this.#chart.height;
    const ctx = out.getContext('2d');
    ctx.drawImage(this.#chart, 0, 0);
    ctx.drawImage(surfaceOf(this.#cross), 0, 0);
    return new Promise((resolve, reject) => out.toBlob((blob) => (blob ? resolve(blob) : reject(new Error('no picture'))), 'image/png'));
  }

  // Seconds between refreshes (at least 1); 0 when the chart does not refresh.
  get refreshSeconds() {
    const value = Number(this.getAttribute('refresh'));
    return Number.isFinite(value) && value >= 1 ? value : 0;
  }

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
    // Colours also in CSS hex, #rrggbb, turned into the control's colour reference.
    const hex = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(typeof value === 'string' ? value.trim() : '');
    if (hex && prop.name.startsWith('cr')) value = parseInt(hex[1], 16) | parseInt(hex[2], 16) << 8 | parseInt(hex[3], 16) << 16;
    const before = this.#core.get(prop);
    if (!this.#core.set(prop, value)) return false;
    if (this.#core.get(prop) === before) return true;
    if (prop.use === C.propUse.Load) this.#queue('load');
    else if (prop.use === C.propUse.Size && this.#connected) this.#resize();   // connecting sizes once
    else if (prop.use === C.propUse.Display) this.#queue('draw');
    return true;
  }

  // Several changes in one task lead to one load or one redraw. A chart that
  // never showed a scene and is loading leaves its empty frame to the next
  // frame, the first that could show it: a day that arrives before then is
  // drawn instead, and a large empty frame is not drawn for nothing.
  #queue(what) {
    if (this.#queued[what]) return;
    this.#queued[what] = true;
    queueMicrotask(() => {
      this.#queued[what] = false;
      if (!this.#connected) return;
      if (what === 'load') this.#load();
      else if (this.#painted || !(this.#queued.load || this.#loadAbort)) this.#redraw();
      else requestAnimationFrame(() => this.#painted || !this.#connected || this.#redraw());
    });
  }

  // The element's box follows its width and height attributes like the object
  // tag's; without them its size is the chart's, as a replaced element's
  // intrinsic size, so the page's CSS (a percentage, a grid cell) overrides
  // either. The chart inside is nsizeMainX x nsizeMainY, except on an axis
  // the page sized: there it is the element's own size and follows it.
  #resize() {
    const size = this.#defaultSize();
    const box = (attribute, property) => {
      const value = this.getAttribute(attribute);
      return value === null ? '' : `${property}:${/^\d+$/.test(value) ? `${value}px` : value};`;
    };
    this.#boxStyle.textContent = `:host{contain-intrinsic-size:${Math.max(size[0], 0)}px ${Math.max(size[1], 0)}px;` +
      `${box('width', 'width')}${box('height', 'height')}}`;
    this.#layOut();
  }

  #defaultSize() {
    return [this.#core.get(propertyByName.get('nsizemainx')), this.#core.get(propertyByName.get('nsizemainy'))];
  }

  // The chart's size: on each axis the element's content box when that is not
  // the default box (the page sized it), else the chart settings'.
  #layOut() {
    const size = this.#defaultSize();
    const boxDefault = ['width', 'height'].map((a, i) => {
      const value = this.getAttribute(a);
      return value === null ? size[i] : /^\d+$/.test(value) ? Number(value) : null;
    });
    if (this.#boxSize)
      for (let i = 0; i < 2; ++i) if (boxDefault[i] !== null && this.#boxSize[i] !== boxDefault[i]) size[i] = this.#boxSize[i];
    // The same box keeps its reported device pixels; a new one is estimated
    // until the browser reports it.
    if (size[0] !== this.#chartSize[0] || size[1] !== this.#chartSize[1]) this.#device = null;
    this.#chartSize = size;
    this.#core.size(...size);
    this.#sizeCanvases();
  }

  #sizeCanvases() {
    const [width, height] = this.#chartSize;
    const device = this.#device ?? deviceSize(width, height);
    const chart = this.#chart;
    if (chart.width === device[0] && chart.height === device[1] && chart.style.width === `${width}px` && chart.style.height === `${height}px`) return;
    for (const canvas of [chart, this.#cross]) sizeCanvas(canvas, width, height, device);
    this.#crossShown = false;
    if (this.#connected) this.#queue('draw');
  }

  // The element's box as laid out, and the device pixels of the chart's
  // canvas where the browser says them (device-pixel-content-box): a backing
  // store of exactly those pixels is shown without resampling.
  #watchSizes() {
    this.#sizes?.disconnect();
    this.#sizes = new ResizeObserver((entries) => {
      for (const entry of entries) {
        if (entry.target === this) {
          const box = entry.contentBoxSize[0];
          const size = [Math.floor(box.inlineSize), Math.floor(box.blockSize)];
          if (this.#boxSize?.[0] === size[0] && this.#boxSize?.[1] === size[1]) continue;
          this.#boxSize = size;
          this.#layOut();
        } else {
          // Where the browser does not say it, or says what cannot be (Chromium's
          // emulated ratios report CSS pixels), the box's edges are rounded
          // to device pixels as layout snaps them.
          const r = this.#chart.getBoundingClientRect();
          const ratio = window.devicePixelRatio || 1;
          const snapped = [[r.left, r.width], [r.top, r.height]].map(([at, size]) => Math.round((at + size) * ratio) - Math.round(at * ratio));
          const box = entry.devicePixelContentBoxSize?.[0];
          const device = box ? [box.inlineSize, box.blockSize] : snapped;
          this.#device = device.every((v, i) => Math.abs(v - snapped[i]) <= 1) ? device : snapped;
          if (this.#device[0] !== this.#chart.width || this.#device[1] !== this.#chart.height) this.#sizeCanvases();
        }
      }
    });
    this.#sizes.observe(this);
    try {
      this.#sizes.observe(this.#chart, { box: 'device-pixel-content-box' });
    } catch {
      this.#sizes.observe(this.#chart);
    }
  }

  // A new device pixel ratio (the page zoomed, the window moved to another
  // screen): new device pixels for the canvases.
  #ratioChanged = () => {
    this.#device = null;
    this.#resize();
  };

  // --- Loading -----------------------------------------------------------------
  async #load() {
    this.#loadAbort?.abort(new Error('superseded by a new load'));
    const abort = new AbortController();
    this.#loadAbort = abort;
    const id = ++this.#loadId;
    const { limits } = SivartaChart;
    const deadline = setTimeout(() => abort.abort(new Error(`load took longer than ${limits.loadMs} ms`)), limits.loadMs);

    this.#day = null;
    this.#stopLive();
    const files = await this.#fetchDay(abort.signal, null);
    clearTimeout(deadline);
    if (id !== this.#loadId) return;   // a newer load owns the chart
    this.#loadAbort = null;

    const outcome = this.#core.load(files);
    this.#failed = outcome.failed;
    if (outcome.accepted) this.#day = validatorsOf(files);
    this.#paint();
    this.#updateLabel();
    // A failed load and a refused day both say why.
    if (!outcome.accepted) this.dispatchEvent(new CustomEvent('error', { detail: { reason: outcome.reason } }));
    this.dispatchEvent(new Event('readyinfo'));
    this.#updateLive();
  }

  // The day's two files, each {bytes, etag, lastModified} or {failure}; both
  // {notModified} when `shown` (the day shown's validators) still holds.
  async #fetchDay(signal, shown, fresh = false) {
    const request = this.#core.request(location.protocol === 'https:', location.host);
    const early = takeEarlyDay(this, request.urls, signal);
    if (request.refusal) return [{ failure: request.refusal }, null];
    return early ?? fetchDay(request.urls, signal, SivartaChart.limits, shown, fresh);
  }

  // A refresh: two 304s leave everything as it is; otherwise the core decides,
  // and one it does not accept keeps the day shown and says why.
  async #refreshDay() {
    const id = this.#loadId;
    const shown = this.#day;
    const abort = new AbortController();
    this.#loadAbort = abort;
    const deadline = setTimeout(() => abort.abort(new Error(`refresh took longer than ${SivartaChart.limits.loadMs} ms`)),
      SivartaChart.limits.loadMs);
    const fresh = this.#live.changed;
    this.#live.changed = false;
    const fetched = await this.#fetchDay(abort.signal, shown, fresh);
    clearTimeout(deadline);
    if (id !== this.#loadId || this.#day !== shown) return;   // a load replaced the day meanwhile
    this.#loadAbort = null;
    if (fetched.every((f) => f?.notModified)) return;
    const outcome = this.#core.refresh(fetched);
    if (!outcome.accepted) {
      this.dispatchEvent(new CustomEvent('error', { detail: { reason: outcome.reason } }));
      return;
    }
    this.#day = validatorsOf(fetched);
    if (!outcome.changed) return;
    this.#paint();
    this.#updateLabel();
    this.dispatchEvent(new Event('update'));
  }

  // --- Live: polling, the change feed, pausing ---------------------------------
  #visibilityChanged = () => {
    this.#live.hidden = document.visibilityState === 'hidden';
    this.#updateLive();
  };

  // One observer for every chart of the page: each entry is one chart's.
  static #onScreen = new IntersectionObserver((entries) => {
    for (const entry of entries) {
      entry.target.#live.offScreen = !entry.isIntersecting;
      entry.target.#updateLive();
    }
  });

  #watchVisibility() {
    this.#live.hidden = document.visibilityState === 'hidden';
    document.addEventListener('visibilitychange', this.#visibilityChanged);
    SivartaChart.#onScreen.observe(this);
  }

  // Refreshing runs while the chart refreshes at all, has a day, and is seen.
  #updateLive() {
    const live = this.#live;
    const run = this.#connected && this.refreshSeconds > 0 && this.#day && !live.hidden && !live.offScreen;
    if (!run) {
      if (live.timer || live.feed) live.stale = true;   // a change may come while paused
      this.#stopLive();
      return;
    }
    if (!live.feed) {
      const request = this.#core.request(location.protocol === 'https:', location.host);
      if (request.urls) {
        live.feed = followChanges(request.urls[0], this.#core.infoCode() || this.strCode, () => this.#refreshChanged(), (open) => {
          live.feedOpen = open;
          this.#schedulePoll();
        });
      }
    }
    if (live.stale) {
      live.stale = false;
      this.refresh();
    }
    this.#schedulePoll();
  }

  // Polls while the change feed is not open; the feed makes polling needless.
  #schedulePoll() {
    const live = this.#live;
    clearInterval(live.timer);
    live.timer = 0;
    if (live.feedOpen || !live.feed) return;
    live.timer = setInterval(() => this.refresh(), this.refreshSeconds * 1000);
  }

  #stopLive() {
    const live = this.#live;
    clearInterval(live.timer);
    live.feed?.close();
    Object.assign(live, { timer: 0, feed: null, feedOpen: false });
  }

  // --- Drawing -----------------------------------------------------------------
  // The font of the chart's texts, read from the page's style when first
  // needed after connecting: charts connected together force one style pass,
  // not one each.
  get #face() {
    if (!this.#fontRead) {
      this.#fontRead = true;
      this.#font = `${C.fontPx}px ${getComputedStyle(this).getPropertyValue('--sivarta-font').trim() || FONT_STACK}`;
    }
    return this.#font;
  }

  #redraw() {
    this.#core.redraw();
    this.#paint();
  }

  #paint() {
    this.#painted = true;
    drawScene(this.#chart.getContext('2d'), this.#scene(C.layer.chart, true), this.#face);
    // Its colours may have changed; a hidden one is drawn when it shows.
    this.#tipStale = true;
    if (this.#tip.style.display === 'block') this.#readyTip();
    // The crosshair comes back where it was, for whatever record is there now.
    this.#showTrack(this.#core.retrack());
  }

  // A layer's scene, in system colours while colours are forced; a `view`
  // (the module's memory) lasts until the chart changes.
  #scene(layer, view = false) {
    if (!forcedColours.matches) return this.#core.scene(layer, view);
    this.#system ??= {};
    const system = (name) => {
      if (this.#system[name] === undefined) {
        this.#probe.style.color = name;
        const [r, g, b] = getComputedStyle(this.#probe).color.match(/\d+/g).map(Number);
        this.#system[name] = r | g << 8 | b << 16;
      }
      return this.#system[name];
    };
    // Backgrounds last: a colour a background shares stays the background's.
    const palette = new Map();
    for (const back of [false, true]) {
      for (const prop of colourProps) {
        const role = systemRole(prop.name);
        if ((role === 'Canvas') === back) palette.set(this.#core.get(prop), system(role));
      }
    }
    const scene = this.#core.scene(layer);   // a copy: its colours change here
    const f = C.prim;
    const mapped = (colour) => palette.get(colour) ?? system('CanvasText');
    for (let o = 0; o < scene.count * f.ints; o += f.ints) {
      for (const field of [f.colour, f.fill]) scene.ints[o + field] = mapped(scene.ints[o + field]);
    }
    if (scene.colours) scene.colours = scene.colours.map(mapped);
    return scene;
  }

  // Redraws the crosshair overlay and the tooltip's picture after a track.
  // A canvas nothing was drawn on keeps no context: charts the pointer never
  // visits stay small. A pointer move repaints a shown tooltip only, and
  // leaves its words to the next hover tick.
  #showTrack(changed, moving = false) {
    if (changed & C.flag.crosshairMoved) {
      this.#reportTracked(this.#core.tracked());
      const scene = this.#scene(C.layer.crosshair, true);
      if (scene.count || this.#crossShown) {
        drawOverlay(this.#crossContext ??= overlaySurface(this.#cross).getContext('2d'), scene, this.#face);
      }
      this.#crossShown = scene.count > 0;
    }
    if (changed & C.flag.tipChanged) {
      this.#tipStale = true;
      if (!this.#tipDrawn) return;
      if (!moving) this.#readyTip();
      else if (this.#tip.style.display === 'block') this.#paintTip();
    }
  }

  // crosshairmove: the record under the crosshair, null when there is none
  // or the pointer left; only when that changes.
  #reportTracked(record) {
    const same = (a, b) => a === b || (a && b && Object.keys(a).every((k) => a[k] === b[k]));
    if (this.#tracked !== undefined && same(record, this.#tracked)) return;
    this.#tracked = record;
    this.dispatchEvent(new CustomEvent('crosshairmove', { detail: record }));
  }

  // The tooltip's 2D context, made when the tooltip is first measured or drawn.
  #tipContext2d() {
    return (this.#tipContext ??= overlaySurface(this.#tip).getContext('2d'));
  }

  // The tooltip's backing store only grows: a new size would reset the canvas
  // and relayout the page at the next hit test. Its picture is drawn top left
  // at the scale a store of its own size has, on whole device pixels; what a
  // larger picture left beyond it is cleared.
  #paintTip() {
    const scene = this.#scene(C.layer.tip);
    const ratio = window.devicePixelRatio || 1;
    const [width, height] = deviceSize(scene.width, scene.height);
    const tip = overlaySurface(this.#tip);
    const [shownRatio, shownWidth, shownHeight] = this.#tipDrawn ?? [];
    if (shownRatio !== ratio || width > tip.width || height > tip.height) {
      const grown = shownRatio === ratio ? [Math.max(width, tip.width), Math.max(height, tip.height)] : [width, height];
      sizeCanvas(this.#tip, grown[0] / ratio, grown[1] / ratio, grown);
    }
    const ctx = this.#tipContext2d();
    this.#tipStale = false;
    // The same picture again (a redraw of the chart, a move within a record)
    // leaves the store and its words as they are.
    if (!paintScene(ctx, scene, this.#face, [width / scene.width || 1, height / scene.height || 1])) return;
    if (width < shownWidth || height < shownHeight) {
      ctx.clearRect(width, 0, tip.width, tip.height);
      ctx.clearRect(0, height, tip.width, tip.height);
    }
    this.#tipDrawn = [ratio, width, height];
    this.#tipUnsaid = scene;
  }

  // The tooltip painted and its words for assistive technology, written when
  // they change.
  #readyTip() {
    if (this.#tipStale) this.#paintTip();
    if (!this.#tipUnsaid) return;
    const words = sceneText(this.#tipUnsaid);
    this.#tipUnsaid = null;
    if (this.#tip.getAttribute('aria-label') !== words) this.#tip.setAttribute('aria-label', words);
  }

  #updateLabel() {
    const code = this.GetStockCode();
    if (this.#failed) {
      this.setAttribute('aria-label', `Stock chart: ${C.failureText}`);
      return;
    }
    if (!code) {
      this.setAttribute('aria-label', 'Stock chart: no data');
      return;
    }
    const number = (n) => numberFormat.format(n);
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

  // A mouse (or pen) moves the crosshair and, held down, drags the day;
  // fingers only press, drag and pinch.
  #pointerMove(e) {
    const [x, y] = this.#local(e);
    if (e.pointerType === 'touch') {
      this.#touchMove(e.pointerId, x, y);
      return;
    }
    this.#pointer = { clientX: e.clientX, clientY: e.clientY };
    this.#showTrack(this.#core.pointerMove(x, y), true);
    this.#startHover();
    if (e.buttons & 1) this.#showView(this.#core.drag(x, y));
  }

  #touchMove(id, x, y) {
    if (!this.#touches.has(id)) return;
    this.#touches.set(id, [x, y]);
    const [a, b] = this.#touches.values();
    const changed = b ? this.#core.pinchTo(this.#spread(), Math.round((a[0] + b[0]) / 2)) : this.#core.drag(x, y);
    if (changed & C.flag.scrolled) this.#hideTapTip();   // the tooltip's record moved away
    this.#showView(changed);
  }

  // The distance between the two fingers down.
  #spread() {
    const [a, b] = this.#touches.values();
    return Math.round(Math.hypot(a[0] - b[0], a[1] - b[1]));
  }

  #startHover() {
    if (this.#hoverTimer || this.#core.get(propertyByName.get('nistooltip')) !== 1) return;
    this.#hoverTimer = setInterval(() => this.#hoverTick(), C.hoverMs);
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
    if (p) {
      const [x, y] = this.#local(p);
      show = this.#core.showsTip(x, y) && this.shadowRoot.elementFromPoint(p.clientX, p.clientY) === this.#cross;
    }
    if (!show) {
      this.#stopHover();
      return;
    }
    this.#readyTip();
    const width = document.documentElement.clientWidth;
    const place = this.#core.tipPlace(p.clientX, p.clientY, width);
    this.#tip.style.left = `${onDevicePixel(place.left)}px`;
    this.#tip.style.top = `${onDevicePixel(place.top)}px`;
    this.#tip.style.display = 'block';
  }

  // The core decides what a press does when it ends: a mouse click opens the
  // page, a tap shows the tooltip, a pan or a pinch does neither.
  #pointerDown(e) {
    const touch = e.pointerType === 'touch';
    if (!touch && e.button !== 0) return;
    const [x, y] = this.#local(e);
    if (touch) this.#touches.set(e.pointerId, [x, y]);
    if (this.#touches.size === 2) {
      this.#core.cancelPress();
      this.#core.pinchBegin(this.#spread());
    } else if (this.#touches.size < 2) {
      this.#core.press(x, y, touch);
    }
    // Drags go on outside the element; a pointer page code made up has nothing to capture.
    if (e.isTrusted) this.setPointerCapture(e.pointerId);
  }

  #pointerUp(e) {
    const fingers = this.#touches.size;
    if (!this.#touches.delete(e.pointerId) && e.pointerType === 'touch') return;
    if (fingers > 1) return;   // a pinch ends: its press was cancelled
    const [x, y] = this.#local(e);
    const action = this.#core.release(x, y);
    if (action === C.release.openPage) {
      this.#hideTapTip();
      const url = this.#core.clickPage();
      if (url) window.open(url, '_blank', 'noopener');
    } else if (action === C.release.showTip) {
      this.#showTapTip(e);
    } else if (e.pointerType === 'touch') {
      this.#hideTapTip();
    }
  }

  // The browser took the press over (the page scrolls).
  #pointerCancel(e) {
    this.#touches.delete(e.pointerId);
    this.#core.cancelPress();
    this.#hideTapTip();
  }

  // The crosshair at the tapped record, and its tooltip beside the finger.
  #showTapTip(e) {
    this.#showTrack(C.flag.crosshairMoved | C.flag.tipChanged);
    if (this.#core.get(propertyByName.get('nistooltip')) !== 1) return;
    this.#readyTip();
    const place = this.#core.tipPlace(e.clientX, e.clientY, document.documentElement.clientWidth);
    Object.assign(this.#tip.style, { left: `${place.left}px`, top: `${place.top}px`, display: 'block' });
    this.#tapTip = true;
  }

  #hideTapTip() {
    if (!this.#tapTip) return;
    this.#tapTip = false;
    this.#tip.style.display = 'none';
  }

  #keyDown(e) {
    const changed = this.#core.key(e.key);
    if (changed === undefined) return;
    e.preventDefault();   // the arrows move the crosshair, the others the day, not the page
    this.#showView(changed);
    if (e.key.startsWith('Arrow')) this.#announce.textContent = this.#core.announcement();
  }

  // Horizontal wheels and trackpads scroll the day, ctrl+wheel (and a
  // trackpad's pinch) zooms; a vertical wheel stays the page's.
  #wheel(e) {
    const [x] = this.#local(e);
    const changed = e.ctrlKey ? this.#core.zoom(e.deltaY < 0 ? 1 : e.deltaY > 0 ? -1 : 0, x)
      : Math.abs(e.deltaX) > Math.abs(e.deltaY) ? this.#core.scrollPixels(-Math.round(e.deltaX)) : 0;
    if (!changed && !e.ctrlKey) return;
    e.preventDefault();
    this.#showView(changed);
  }

  // After a scroll or zoom the chart is drawn again; the crosshair follows.
  #showView(changed) {
    if (changed & C.flag.scrolled) drawScene(this.#chart.getContext('2d'), this.#scene(C.layer.chart, true), this.#face);
    this.#showTrack(changed);
  }
}

customElements.define('sivarta-chart', SivartaChart);
