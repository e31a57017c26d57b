// Replaying the core's scenes on a canvas 2D context with GDI's semantics (see
// the core's scene header). The backing store is in device pixels and may be
// any multiple of the scene's size: every rectangle edge is mapped and rounded
// on its own, so edges land on device pixels at any ratio and neighbours
// neither overlap nor leave gaps. A scene is painted in its own order; one
// drawn again is replayed from a plan where shapes of one colour are one fill
// wherever nothing drawn between them overlaps them: the picture stays
// exactly the painter's order's.
import { decodeCp949 } from './sivarta-core.js';

export const FONT_STACK = '"굴림체", GulimChe, NanumGothicCoding, "Nanum Gothic Coding", monospace';
const ASCENT_PX = 9;   // 800 of 1000 units, rounded as GDI rounds the cell's ascent
export const LETTER_SPACING = '0.5px';   // GDI's hinted half-width advance is 6 pixels, the outline's 5.5

// 0x00BBGGRR to a CSS colour, cached: a scene repeats few colours.
const colourCache = new Map();
export function css(ref) {
  let value = colourCache.get(ref);
  if (!value) {
    value = `rgb(${ref & 0xff},${(ref >>> 8) & 0xff},${(ref >>> 16) & 0xff})`;
    colourCache.set(ref, value);
  }
  return value;
}

// The primitives of a scene as objects: [{kind, align, rect: [l, t, r, b], colour, fill, bytes}].
export function* primitives(scene) {
  const { prim: f, kind } = scene.c;
  for (let i = 0; i < scene.count; ++i) {
    const o = i * f.ints;
    const head = scene.ints[o + f.head];
    const at = scene.ints[o + f.textOffset];
    yield {
      kind: head & 0xff,
      align: (head >> 8) & 0xff,
      rect: [scene.ints[o + f.left], scene.ints[o + f.top], scene.ints[o + f.right], scene.ints[o + f.bottom]],
      colour: scene.ints[o + f.colour],
      fill: scene.ints[o + f.fill],
      bytes: (head & 0xff) === kind.Text ? scene.text.subarray(at, at + scene.ints[o + f.textLength]) : null,
    };
  }
}

// Device pixels per scene pixel on each axis of the context's backing store.
export function scaleOf(ctx, scene) {
  return [scene.width > 0 ? ctx.canvas.width / scene.width : 1, scene.height > 0 ? ctx.canvas.height / scene.height : 1];
}

// The device rectangle [l, t, r, b] a filled area of scene pixels covers.
const device = ([sx, sy], l, t, r, b) => [Math.round(l * sx), Math.round(t * sy), Math.round(r * sx), Math.round(b * sy)];

// Scene pixels a side of the bands that find the shapes a shape may overlap,
// and how far a text's glyphs may reach beyond its rectangle.
const BAND = 8;
const INK = 12;

// What each context last drew: the scene's shape (its print, from the core)
// and, once the same shape came a second time, its plan: one Path2D per batch
// of one colour's shapes and lists of one colour's texts, in an order that
// keeps the scene's wherever things overlap (GDI's painter's order) and
// merges them where they do not. A shape seen once is painted as it stands:
// a plan costs more to make than one painting. A kept plan serves every
// scene of the same shape, which differs at most in which colour each colour
// slot holds: a colour change refills the kept paths.
const drawn = new WeakMap();

// `scale` defaults to the whole backing store's; a store larger than the
// scene passes the one a store of the scene's own size would have. The scene
// carries its shape (`print`, `colours`). Forced colours may give several
// slots one colour, and a plan merges what one colour fills: it serves only
// scenes whose slots share colours alike (`merged`, each slot's first slot of
// its colour).
export function drawScene(ctx, scene, font, scale = scaleOf(ctx, scene)) {
  const last = drawn.get(ctx);
  clearUnderBackground(ctx, scene);
  const [sx, sy] = scale, [lo, hi] = scene.print;
  const merged = scene.colours.map((colour, slot, all) => all.indexOf(colour));
  if (last && last.sx === sx && last.sy === sy && last.font === font && last.lo === lo && last.hi === hi &&
      sameArray(last.merged, merged)) {
    last.batches ??= planBatches(ctx, scene, scale, font, scene.colours);
    replay(ctx, last, scene.colours, font);
    return;
  }
  drawn.set(ctx, { sx, sy, font, lo, hi, merged, batches: null });
  paint(ctx, scene, scale, font);
}

// A scene painted as it stands, with no shape kept for a plan: the tooltip,
// whose text changes at every pointer move. False when the store shows it
// already.
export function paintScene(ctx, scene, font, scale = scaleOf(ctx, scene)) {
  if (showsAlready(ctx.canvas, scene, font, scale)) return false;
  clearUnderBackground(ctx, scene);
  paint(ctx, scene, scale, font);
  remember(ctx.canvas, scene, font, scale);
  return true;
}

// What an overlay's or the tooltip's store shows: the scene it was last
// painted with, its font and scale. The same scene again paints nothing, so
// a redraw of the chart leaves an unmoved crosshair and an unchanged tooltip
// alone. A store that was reset (sized) must be forgotten.
const shown = new WeakMap();   // canvas -> { ints, text, font, sx, sy }
function showsAlready(canvas, scene, font, [sx, sy]) {
  const s = shown.get(canvas);
  return !!s && s.font === font && s.sx === sx && s.sy === sy && sameArray(s.ints, scene.ints) && sameArray(s.text, scene.text);
}
function remember(canvas, scene, font, [sx, sy]) {
  const s = shown.get(canvas);
  shown.set(canvas, { font, sx, sy, ints: reuse(s?.ints, scene.ints), text: reuse(s?.text, scene.text) });
}
export function forgetShown(canvas) {
  shown.delete(canvas);
}

// A scene whose first primitive fills all of it is drawn on a cleared store:
// a clear of the whole store lets the browser drop what it recorded before,
// which a fill of it does not.
function clearUnderBackground(ctx, scene) {
  const { prim: f, kind } = scene.c, ints = scene.ints;
  if (ints.length > 0 && (ints[f.head] & 0xff) === kind.Fill && ints[f.left] <= 0 && ints[f.top] <= 0 &&
      ints[f.right] >= scene.width && ints[f.bottom] >= scene.height) ctx.clearRect(0, 0, ctx.canvas.width, ctx.canvas.height);
}

// A colour's slot: its place among the scene's colours in order of first use.
function slotOf(colours, value) {
  const at = colours.indexOf(value);
  return at < 0 ? colours.push(value) - 1 : at;
}

const sameArray = (a, b) => {
  if (a.length !== b.length) return false;
  for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return false;
  return true;
};

// A store painted anew copies into the arrays it kept rather than making new ones.
const reuse = (old, from) => (old?.length === from.length ? (old.set(from), old) : from.slice());

// The scene's primitives in order as filled rectangles, `fill(colour, l, t,
// r, b)` in scene pixels, and placed texts, `text(colour, item, l, t, r, b)`
// with the rectangle their glyphs may reach.
function walk(ctx, scene, scale, font, fill, text) {
  const { prim: f, kind } = scene.c;
  const ints = scene.ints;
  const area = (colour, l, t, r, b) => r > l && b > t && fill(colour, l, t, r, b);
  for (let o = 0; o < ints.length; o += f.ints) {
    const head = ints[o + f.head] & 0xff;
    const l = ints[o + f.left], t = ints[o + f.top], r = ints[o + f.right], b = ints[o + f.bottom];
    const colour = ints[o + f.colour];
    if (head === kind.Fill) {
      area(colour, l, t, r, b);
    } else if (head === kind.Frame && r - l > 2 && b - t > 2) {
      // The outline as four strips around the inside: the same pixels, each painted once.
      area(colour, l, t, r, t + 1);
      area(colour, l, b - 1, r, b);
      area(colour, l, t + 1, l + 1, b - 1);
      area(colour, r - 1, t + 1, r, b - 1);
      area(ints[o + f.fill], l + 1, t + 1, r - 1, b - 1);
    } else if (head === kind.Frame) {
      area(colour, l, t, r, b);
    } else if (head === kind.Line) {
      // Stored forwards and end-exclusive: a one-pixel-wide rectangle.
      if (t === b) area(colour, l, t, r, t + 1);
      else area(colour, l, t, l + 1, b);
    } else if (head === kind.Text) {
      const at = ints[o + f.textOffset];
      const item = placeText(ctx, scene.text.subarray(at, at + ints[o + f.textLength]),
        (ints[o + f.head] >> 8 & 0xff) === scene.c.align.Center, device(scale, l, t, r, b), scene.c.fontPx, scale, font);
      const [L, T, W, H] = item.clip ?? [l - INK, t - INK, r - l + 2 * INK, b - t + 2 * INK];
      text(colour, item, Math.floor(L), Math.floor(T), Math.ceil(L + W), Math.ceil(T + H));
    }
  }
}

// The scene painted primitive by primitive, in its own order.
function paint(ctx, scene, scale, font) {
  const inScene = scaler(ctx, scale);
  let style, texts = false;
  const use = (colour) => colour !== style && (ctx.fillStyle = css(style = colour));
  walk(ctx, scene, scale, font, (colour, l, t, r, b) => {
    use(colour);
    const [L, T, R, B] = device(scale, l, t, r, b);
    ctx.fillRect(L, T, R - L, B - T);
  }, (colour, item) => {
    texts ||= startTexts(ctx, font);
    use(colour);
    inScene(true);
    drawText(ctx, item);
    inScene(false);
  });
}

function planBatches(ctx, scene, scale, font, colours) {
  const batches = [];
  // Per vertical band of the scene, what was placed there: l, t, r, b, batch.
  // Made as touched: an overlay spans the chart's width but covers few bands.
  const bands = [];
  const last = Math.ceil(scene.width / BAND);
  const band = (x) => Math.min(Math.max(Math.floor(x / BAND), 0), last);
  const latest = new Map();   // slot * 2 (+ 1 for texts) -> the last batch of that kind and colour
  // The batch a shape joins: the last of its kind and colour, when no later
  // batch has anything it overlaps; else a new one.
  const batchFor = (key, l, t, r, b) => {
    let over = -1;
    for (let n = band(l); n <= band(r - 1); ++n) {
      const placed = bands[n];
      if (!placed) continue;
      for (let i = 0; i < placed.length; i += 5)
        if (placed[i + 4] > over && placed[i] < r && l < placed[i + 2] && placed[i + 1] < b && t < placed[i + 3]) over = placed[i + 4];
    }
    let at = latest.get(key);
    if (at === undefined || at < over) {
      at = batches.push(key & 1 ? { slot: key >> 1, texts: [] } : { slot: key >> 1, rects: [] }) - 1;
      latest.set(key, at);
    }
    for (let n = band(l); n <= band(r - 1); ++n) (bands[n] ??= []).push(l, t, r, b, at);
    return batches[at];
  };
  walk(ctx, scene, scale, font, (colour, l, t, r, b) => {
    const [L, T, R, B] = device(scale, l, t, r, b);
    batchFor(slotOf(colours, colour) * 2, l, t, r, b).rects.push(L, T, R - L, B - T);
  }, (colour, item, l, t, r, b) => batchFor(slotOf(colours, colour) * 2 + 1, l, t, r, b).texts.push(item));
  return batches;
}

const FEW_RECTS = 8;
function pathOf(rects) {
  const path = new Path2D();
  for (let i = 0; i < rects.length; i += 4) path.rect(rects[i], rects[i + 1], rects[i + 2], rects[i + 3]);
  return path;
}

// The text state, set before a scene's first text (a scene of shapes alone,
// such as the crosshair at most moves, needs none).
function startTexts(ctx, font) {
  ctx.font = font;
  ctx.letterSpacing = LETTER_SPACING;
  ctx.textBaseline = 'alphabetic';
  return true;
}

// Texts are set in scene pixels, rectangles in device pixels: `inScene(on)`
// switches the context's transform between them, only when the two differ
// and the context is not there already (a call costs even when it changes
// nothing).
function scaler(ctx, [sx, sy]) {
  let scene = false;
  return (on) => {
    if (on !== scene && (sx !== 1 || sy !== 1)) ctx.setTransform(on ? sx : 1, 0, 0, on ? sy : 1, 0, 0);
    scene = on;
  };
}

function replay(ctx, plan, colours, font) {
  const inScene = scaler(ctx, [plan.sx, plan.sy]);
  let texts = false;
  for (const batch of plan.batches) {
    ctx.fillStyle = css(colours[batch.slot]);
    inScene(!!batch.texts);
    if (batch.texts) {
      texts ||= startTexts(ctx, font);
      batch.texts.forEach((item) => drawText(ctx, item));
      continue;
    }
    // A few rectangles as rectangles: a path costs more to make than they
    // cost to fill. Many as one path, made once for as long as the plan is
    // kept.
    const r = batch.rects;
    if (r.length <= 4 * FEW_RECTS) for (let i = 0; i < r.length; i += 4) ctx.fillRect(r[i], r[i + 1], r[i + 2], r[i + 3]);
    else ctx.fill(batch.path ??= pathOf(r));
  }
  inScene(false);
}

// Decoded texts and their widths in scene pixels, kept: a redraw repeats most labels.
const textCache = new Map();
function measured(ctx, bytes, font) {
  const key = font + '\u0000' + String.fromCharCode.apply(null, bytes);
  let entry = textCache.get(key);
  if (!entry) {
    if (textCache.size > 4096) textCache.clear();
    ctx.font = font;
    ctx.letterSpacing = LETTER_SPACING;
    const lines = decodeCp949(bytes).split(/\r?\n/);
    const width = (line) => Math.round(ctx.measureText(line).width);
    entry = { lines, single: [lines.join('')], widths: lines.map(width) };
    entry.singleWidth = [lines.length === 1 ? entry.widths[0] : width(entry.single[0])];
    textCache.set(key, entry);
  }
  return entry;
}

// The width of text on one line in scene pixels, as the tooltip is measured.
export function textWidth(ctx, bytes, font) {
  return measured(ctx, bytes, font).singleWidth[0];
}

// Text clipped to its device rectangle: centred lines each centred
// (DT_CENTER), else one line from the left (DT_SINGLELINE | DT_LEFT | DT_TOP).
// It is set in scene pixels at the ratio's size, each line's origin on a
// device pixel: {lines, xs, ys, clip: [x, y, w, h] in scene pixels, or null
// when the lines fit}.
function placeText(ctx, bytes, centred, [L, T, R, B], linePx, [sx, sy], font) {
  const text = measured(ctx, bytes, font);
  const lines = centred ? text.lines : text.single;
  const widths = centred ? text.widths : text.singleWidth;
  const left = L / sx, top = T / sy, width = (R - L) / sx;
  const fits = T + lines.length * linePx * sy <= B + 1e-9 && widths.every((w) => w <= width + 1e-9);
  return {
    lines,
    xs: lines.map((_, n) => Math.round((centred ? left + Math.floor((width - widths[n]) / 2) : left) * sx) / sx),
    ys: lines.map((_, n) => Math.round((top + n * linePx + ASCENT_PX) * sy) / sy),
    clip: fits ? null : [left, top, width, (B - T) / sy],
  };
}

function drawText(ctx, { lines, xs, ys, clip }) {
  if (clip) {
    ctx.save();
    ctx.beginPath();
    ctx.rect(...clip);
    ctx.clip();
  }
  for (let n = 0; n < lines.length; ++n) ctx.fillText(lines[n], xs[n], ys[n]);
  if (clip) ctx.restore();
}

// What a scene says in words: its texts in order.
export function sceneText(scene) {
  const texts = [];
  for (const p of primitives(scene)) if (p.bytes) texts.push(decodeCp949(p.bytes));
  return texts.join(' ');
}

// An overlay drawn anew at every pointer move (the crosshair): what its last
// scene drew is cleared, and the new one painted as it stands, without the
// shape comparison and plan a chart's scene goes through. Lines alone, as
// the crosshair's, clear just their own pixels next time; any other scene
// the whole store.
const overlays = new WeakMap();   // context -> the device rectangles [l, t, w, h, ...] its last scene drew
export function drawOverlay(ctx, scene, font) {
  const scale = scaleOf(ctx, scene);
  if (showsAlready(ctx.canvas, scene, font, scale)) return;
  const marks = overlays.get(ctx) ?? [];
  for (let i = 0; i < marks.length; i += 4) ctx.clearRect(marks[i], marks[i + 1], marks[i + 2], marks[i + 3]);
  marks.length = 0;
  if (!paintLines(ctx, scene, scale, marks)) {
    paint(ctx, scene, scale, font);
    marks.push(0, 0, ctx.canvas.width, ctx.canvas.height);
  }
  overlays.set(ctx, marks);
  remember(ctx.canvas, scene, font, scale);
}

// A scene of lines alone, such as the crosshair, painted in one loop; false
// (and nothing painted) for any other scene.
function paintLines(ctx, scene, [sx, sy], marks) {
  const { ints: n, head, left, top, right, bottom, colour } = scene.c.prim, line = scene.c.kind.Line;
  const ints = scene.ints;
  for (let o = 0; o < ints.length; o += n) if ((ints[o + head] & 0xff) !== line) return false;
  for (let o = 0; o < ints.length; o += n) {
    const l = ints[o + left], t = ints[o + top], across = t === ints[o + bottom];
    // Stored forwards and end-exclusive: a one-pixel-wide rectangle.
    const r = across ? ints[o + right] : l + 1, b = across ? t + 1 : ints[o + bottom];
    if (r <= l || b <= t) continue;
    const L = Math.round(l * sx), T = Math.round(t * sy), W = Math.round(r * sx) - L, H = Math.round(b * sy) - T;
    ctx.fillStyle = css(ints[o + colour]);
    ctx.fillRect(L, T, W, H);
    marks.push(L, T, W, H);
  }
  return true;
}
