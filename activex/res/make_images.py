#!/usr/bin/env python3
"""Writes the module's small images (hand cursor, toolbox bitmap, icon) from the
ASCII pictures below. The outputs are checked in; run this after editing a picture."""
import struct, pathlib

HERE = pathlib.Path(__file__).resolve().parent

# Hand cursor, index finger up, hot spot on the finger tip at (5, 0).
# '#' black, 'o' white, ' ' transparent.
HAND = [
    "     ##",
    "    #oo#",
    "    #oo#",
    "    #oo#",
    "    #oo#",
    "    #oo###",
    "    #oo#oo###",
    "    #oo#oo#oo##",
    " ## #oo#oo#oo#o#",
    " #o##oooooooo#oo#",
    " #oo#ooooooooooo#",
    "  #o#ooooooooooo#",
    "  #oooooooooooo#",
    "   #ooooooooooo#",
    "   #oooooooooo#",
    "    #ooooooooo#",
    "    #ooooooooo#",
    "    ###########",
]

# Standard 16-colour palette (B, G, R, 0).
VGA = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
       (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
       (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]
PALETTE = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in VGA)

# Candles: '.' white, 'r' red, 'b' blue, 'k' black frame, 'g' grey grid, 'c' cyan bars.
CHART_16x15 = [
    "kkkkkkkkkkkkkkkk",
    "k..............k",
    "k..........r...k",
    "k.....r...rrr..k",
    "k..b..r...rrr..k",
    "k.bbb.rrr..r...k",
    "kgbbbgrrrggrgggk",
    "k.bbb..r.......k",
    "k..b...r.......k",
    "k..............k",
    "kkkkkkkkkkkkkkkk",
    "k..............k",
    "k.c..c.....c...k",
    "k.c..c..c..c.c.k",
    "kkkkkkkkkkkkkkkk",
]
INDEX = {'k': 0, '.': 15, 'r': 12, 'b': 9, 'g': 7, 'c': 11, 'y': 14}


def scale(picture, w, h):
    ph, pw = len(picture), len(picture[0])
    return [[picture[y * ph // h][x * pw // w] for x in range(w)] for y in range(h)]


def rows4(pixels):
    """4-bit rows, bottom-up, each padded to 4 bytes."""
    out = b""
    for row in reversed(pixels):
        nib = [INDEX[c] for c in row]
        data = bytes((nib[i] << 4) | (nib[i + 1] if i + 1 < len(nib) else 0) for i in range(0, len(nib), 2))
        out += data + b"\0" * (-len(data) % 4)
    return out


def rows1(bits_rows):
    out = b""
    for row in reversed(bits_rows):
        data = bytearray((len(row) + 7) // 8)
        for x, bit in enumerate(row):
            if bit:
                data[x // 8] |= 0x80 >> (x % 8)
        out += bytes(data) + b"\0" * (-len(data) % 4)
    return out


def info_header(w, h, bpp, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, image_size, 0, 0, colours, 0)


def cursor():
    grid = [row.ljust(32) for row in HAND] + [" " * 32] * (32 - len(HAND))
    xor = [[c == 'o' for c in row] for row in grid]
    andm = [[c == ' ' for c in row] for row in grid]
    body = rows1(xor) + rows1(andm)
    image = info_header(32, 64, 1, len(body), 2) + struct.pack("<II", 0, 0x00FFFFFF) + body
    head = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 2, 0, 5, 0, len(image), 22)
    return head + image


def icon():
    images = []
    for size in (32, 16):
        pix = scale(CHART_16x15, size, size)
        body = rows4(pix) + rows1([[False] * size for _ in range(size)])
        images.append((size, info_header(size, size * 2, 4, len(body), 16) + PALETTE + body))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b"".join(img for _, img in images)


def bitmap():
    body = rows4(CHART_16x15)
    header = info_header(16, 15, 4, len(body), 16) + PALETTE
    return struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(body), 0, 0, 14 + len(header)) + header + body


if __name__ == "__main__":
    (HERE / "hand.cur").write_bytes(cursor())
    (HERE / "sivarta.ico").write_bytes(icon())
    (HERE / "sivarta.bmp").write_bytes(bitmap())
