#!/usr/bin/env python3
"""PNG pictures for the end-to-end tests: decode (8-bit RGB, RGBA or palette,
not interlaced) and compare two pictures pixel by pixel.

  png_tool.py compare EXPECTED ACTUAL [--ignore RECTS_FILE]
      Prints the differing pixels' count and exits 1 when any differ (or the
      sizes differ). RECTS_FILE lists rectangles "left top right bottom", one a
      line, whose pixels are only counted, not required to match; the share of
      equal pixels inside them is printed.
"""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(f'{path}: not a PNG')
    pos, idat, header, palette = 8, b'', None, b''
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'PLTE':
            palette = body
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 3, 6) or interlace:
        raise ValueError(f'{path}: only 8-bit RGB/RGBA/palette, not interlaced')
    bpp = {2: 3, 3: 1, 6: 4}[colour]
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        if colour == 3:
            rows.append([tuple(palette[3 * k:3 * k + 3]) for k in line])
        else:
            rows.append([tuple(line[j:j + 3]) for j in range(0, stride, bpp)])
        prev = line
    return width, height, rows


def compare(expected, actual, ignore_rects):
    we, he, re = read_png(expected)
    wa, ha, ra = read_png(actual)
    if (we, he) != (wa, ha):
        print(f'size differs: {we}x{he} expected, {wa}x{ha} got')
        return 1
    ignored = [[False] * we for _ in range(he)]
    for left, top, right, bottom in ignore_rects:
        for y in range(max(top, 0), min(bottom, he)):
            for x in range(max(left, 0), min(right, we)):
                ignored[y][x] = True
    differ = inside = inside_equal = 0
    first = None
    for y in range(he):
        for x in range(we):
            same = re[y][x] == ra[y][x]
            if ignored[y][x]:
                inside += 1
                inside_equal += same
            elif not same:
                differ += 1
                first = first or (x, y, re[y][x], ra[y][x])
    print(f'{differ} differing pixels' + (' outside text rectangles' if ignore_rects else '') +
          (f', first at {first[0]},{first[1]}: {first[2]} expected, {first[3]} got' if first else ''))
    if inside:
        print(f'text rectangles: {inside_equal}/{inside} pixels equal '
              f'({100.0 * inside_equal / inside:.1f}%)')
    return 1 if differ else 0


def main(argv):
    if len(argv) >= 3 and argv[0] == 'compare':
        rects = []
        if len(argv) == 5 and argv[3] == '--ignore':
            rects = [tuple(int(v) for v in line.split()) for line in open(argv[4]) if line.strip()]
        return compare(argv[1], argv[2], rects)
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
