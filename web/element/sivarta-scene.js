// Replaying the core's scenes on a canvas 2D context with GDI's semantics (see
// the core's scene header). The backing store is in device pixels and may be
// any multiple of the scene's size: every rectangle edge is mapped and rounded
// on its own, so edges land on device pixels at any ratio and neighbours
// neither overlap nor leave gaps. Consecutive primitives of one colour are one
// path and one fill: the painter's order stays exactly the scene's.
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

// Fills a scene-pixel rectangle into the open path when it is not empty.
function addRect(ctx, scale, l, t, r, b) {
  if (r <= l || b <= t) return;
  const [L, T, R, B] = device(scale, l, t, r, b);
  ctx.rect(L, T, R - L, B - T);
}

export function drawScene(ctx, scene, font) {
  const { prim: f, kind } = scene.c;
  const ints = scene.ints;
  const scale = scaleOf(ctx, scene);
  let run = -1;   // the colour of the open path, -1 when none
  const paint = (colour) => {
    if (colour === run) return;
    if (run !== -1) ctx.fill();
    ctx.beginPath();
    ctx.fillStyle = css(colour);
    run = colour;
  };
  const close = () => {
    if (run !== -1) ctx.fill();
    run = -1;
  };
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  for (let o = 0; o < scene.count * f.ints; o += f.ints) {
    const head = ints[o + f.head] & 0xff;
    const l = ints[o + f.left], t = ints[o + f.top], r = ints[o + f.right], b = ints[o + f.bottom];
    const colour = ints[o + f.colour];
    if (head === kind.Fill) {
      paint(colour);
      addRect(ctx, scale, l, t, r, b);
    } else if (head === kind.Frame) {
      paint(colour);
      addRect(ctx, scale, l, t, r, b);
      if (r - l > 2 && b - t > 2) {
        paint(ints[o + f.fill]);
        addRect(ctx, scale, l + 1, t + 1, r - 1, b - 1);
      }
    } else if (head === kind.Line) {
      // Stored forwards and end-exclusive: a one-pixel-wide rectangle.
      paint(colour);
      if (t === b) addRect(ctx, scale, l, t, r, t + 1);
      else addRect(ctx, scale, l, t, l + 1, b);
    } else if (head === kind.Text) {
      close();
      const at = ints[o + f.textOffset];
      drawText(ctx, scene.text.subarray(at, at + ints[o + f.textLength]), (ints[o + f.head] >> 8 & 0xff) === scene.c.align.Center,
        device(scale, l, t, r, b), css(colour), scene.c.fontPx, scale, font);
    }
  }
  close();
}

// Decoded texts and their widths in scene pixels, kept: a redraw repeats most
// labels. Only a text not kept sets the context's font to measure it.
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
// device pixel.
function drawText(ctx, bytes, centred, [L, T, R, B], colour, linePx, [sx, sy], font) {
  ctx.setTransform(sx, 0, 0, sy, 0, 0);
  ctx.font = font;
  ctx.letterSpacing = LETTER_SPACING;
  ctx.textBaseline = 'alphabetic';
  const text = measured(ctx, bytes, font);
  const lines = centred ? text.lines : text.single;
  const widths = centred ? text.widths : text.singleWidth;
  const left = L / sx, top = T / sy, width = (R - L) / sx;
  const fits = T + lines.length * linePx * sy <= B + 1e-9 && widths.every((w) => w <= width + 1e-9);
  if (!fits) {
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, width, (B - T) / sy);
    ctx.clip();
  }
  ctx.fillStyle = colour;
  for (let n = 0; n < lines.length; ++n) {
    const x = centred ? left + Math.floor((width - widths[n]) / 2) : left;
    ctx.fillText(lines[n], Math.round(x * sx) / sx, Math.round((top + n * linePx + ASCENT_PX) * sy) / sy);
  }
  if (!fits) ctx.restore();
  ctx.setTransform(1, 0, 0, 1, 0, 0);
}

// What a scene says in words: its texts in order.
export function sceneText(scene) {
  const texts = [];
  for (const p of primitives(scene)) if (p.bytes) texts.push(decodeCp949(p.bytes));
  return texts.join(' ');
}

// Clears what a scene drew (its primitives' rectangles, at least a pixel each).
export function clearScene(ctx, scene) {
  const scale = scaleOf(ctx, scene);
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  for (const { rect: [l, t, r, b] } of primitives(scene)) {
    const [L, T, R, B] = device(scale, l, t, Math.max(r, l + 1), Math.max(b, t + 1));
    ctx.clearRect(L, T, R - L, B - T);
  }
}
