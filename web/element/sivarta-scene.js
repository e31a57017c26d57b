// Replaying the core's scenes on a canvas 2D context with GDI's semantics (see
// the core's scene header), in CSS pixels: the context's transform holds the
// device pixel ratio, so integer rectangles stay on whole pixels.
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

export function drawScene(ctx, scene, font) {
  const { kind } = scene.c;
  ctx.font = font;
  ctx.letterSpacing = LETTER_SPACING;
  ctx.textBaseline = 'alphabetic';
  for (const p of primitives(scene)) {
    const [left, top, right, bottom] = p.rect;
    if (p.kind === kind.Fill) {
      ctx.fillStyle = css(p.colour);
      ctx.fillRect(left, top, right - left, bottom - top);
    } else if (p.kind === kind.Frame) {
      ctx.fillStyle = css(p.colour);
      ctx.fillRect(left, top, right - left, bottom - top);
      if (right - left > 2 && bottom - top > 2) {
        ctx.fillStyle = css(p.fill);
        ctx.fillRect(left + 1, top + 1, right - left - 2, bottom - top - 2);
      }
    } else if (p.kind === kind.Line) {
      // Stored forwards and end-exclusive: a one-pixel-wide rectangle.
      ctx.fillStyle = css(p.colour);
      if (top === bottom) ctx.fillRect(left, top, right - left, 1);
      else ctx.fillRect(left, top, 1, bottom - top);
    } else if (p.kind === kind.Text) {
      drawText(ctx, p.bytes, p.align === scene.c.align.Center, p.rect, css(p.colour), scene.c.fontPx);
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
    const lines = decodeCp949(bytes).split(/\r?\n/);
    entry = { lines, single: lines.join(''), widths: lines.map((line) => Math.round(ctx.measureText(line).width)) };
    entry.singleWidth = entry.lines.length === 1 ? entry.widths[0] : Math.round(ctx.measureText(entry.single).width);
    textCache.set(key, entry);
  }
  return entry;
}

// Text clipped to its rectangle: centred lines each centred (DT_CENTER), else
// one line from the left (DT_SINGLELINE | DT_LEFT | DT_TOP).
function drawText(ctx, bytes, centred, [left, top, right, bottom], colour, linePx) {
  const text = measured(ctx, bytes);
  const lines = centred ? text.lines : [text.single];
  const widths = centred ? text.widths : [text.singleWidth];
  const fits = top + lines.length * linePx <= bottom && widths.every((w) => w <= right - left);
  if (!fits) {
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, right - left, bottom - top);
    ctx.clip();
  }
  ctx.fillStyle = colour;
  lines.forEach((line, n) => {
    const x = centred ? left + Math.floor((right - left - widths[n]) / 2) : left;
    ctx.fillText(line, x, top + n * linePx + ASCENT_PX);
  });
  if (!fits) ctx.restore();
}

// What a scene says in words: its texts in order.
export function sceneText(scene) {
  const texts = [];
  for (const p of primitives(scene)) if (p.bytes) texts.push(decodeCp949(p.bytes));
  return texts.join(' ');
}

// Clears what a scene drew (its primitives' rectangles, at least a pixel each).
export function clearScene(ctx, scene) {
  for (const { rect: [left, top, right, bottom] } of primitives(scene))
    ctx.clearRect(left, top, Math.max(1, right - left), Math.max(1, bottom - top));
}
