#!/usr/bin/env python3
"""Draws the program's icon: a stylised leaf on a deep-green disc, 64x64 pixels, 32-bit colour
with alpha, written in icon-file form (one image: 6-byte header, one 16-byte directory entry,
40-byte bitmap header, 64x64 BGRA pixels bottom-up, 64x64 one-bit mask) = 16,958 bytes.

    python3 make_icon.py vorenn.ico
    python3 make_icon.py --png SIZE OUT.png   the same drawing at SIZE x SIZE pixels, for the
                                              desktop's icon theme
"""
import math
import struct
import sys
import zlib

SIZE = 64
SAMPLES = 4  # per axis, for smooth edges


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def disc(x, y):
    """Colour of the disc at (x, y) in pixel units, or None outside it."""
    cx = cy = SIZE / 2
    r = math.hypot(x - cx, y - cy)
    if r > 30.5:
        return None
    if r > 28.5:  # a thin golden rim
        return (214, 178, 92)
    # deep green, lighter towards the upper left
    t = max(0.0, min(1.0, ((x - 8) + (y - 8)) / 96))
    return mix((46, 120, 84), (16, 58, 44), t)


def leaf(x, y):
    """Colour of the leaf at (x, y), or None outside it. The leaf lies along the diagonal from the
    lower left to the upper right: the overlap of two circles, with a midrib and a short stem."""
    # rotate by 45 degrees about the centre: u along the leaf, v across it
    cx = cy = SIZE / 2
    dx, dy = x - cx, y - cy
    u = (dx - dy) / math.sqrt(2)
    v = (dx + dy) / math.sqrt(2)
    half_length, radius = 19.0, 24.0
    offset = math.sqrt(radius * radius - half_length * half_length)
    inside = math.hypot(u, v - offset) <= radius and math.hypot(u, v + offset) <= radius
    stem = -25.0 <= u <= -17.0 and abs(v - (u + 17.0) * 0.15) <= 1.0
    if not inside and not stem:
        return None
    if stem:
        return (150, 190, 90)
    if abs(v) <= 0.8 and u > -18:  # midrib
        return (236, 240, 200)
    for k in (-9.0, -1.0, 7.0):  # veins leaving the midrib towards the tip
        if abs(abs(v) - (u - k) * 0.7) <= 0.6 and u > k and abs(v) < 9:
            return (200, 226, 150)
    # light at the tip, richer towards the stem
    t = max(0.0, min(1.0, (u + half_length) / (2 * half_length)))
    return mix((112, 176, 70), (190, 226, 110), t)


def pixel(px, py, size=SIZE):
    """Averaged (r, g, b, a) of the pixel whose top-left corner is (px, py) in an image of
    size x size pixels; the drawing is made in 64-pixel units and scaled to that size."""
    acc = [0.0, 0.0, 0.0]
    covered = 0
    scale = SIZE / size
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) * scale
            y = (py + (sy + 0.5) / SAMPLES) * scale
            colour = leaf(x, y) or disc(x, y)
            if colour is None:
                continue
            covered += 1
            for i in range(3):
                acc[i] += colour[i]
    if covered == 0:
        return (0, 0, 0, 0)
    alpha = covered / (SAMPLES * SAMPLES)
    return tuple(int(round(c / covered)) for c in acc) + (int(round(alpha * 255)),)


def icon_bytes():
    pixels = bytearray()
    mask = bytearray()
    for row in range(SIZE - 1, -1, -1):  # bitmaps run bottom-up
        bits = 0
        row_mask = bytearray()
        for col in range(SIZE):
            r, g, b, a = pixel(col, row)
            pixels += bytes((b, g, r, a))
            bits = (bits << 1) | (1 if a == 0 else 0)
            if col % 8 == 7:
                row_mask.append(bits)
                bits = 0
        mask += row_mask
    image = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image += pixels + mask
    header = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


def png_bytes(size):
    """The drawing as a size x size RGBA PNG (8 bits per channel, no interlace)."""
    raw = bytearray()
    for row in range(size):
        raw.append(0)  # filter type: none
        for col in range(size):
            raw += bytes(pixel(col, row, size))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def main():
    if sys.argv[1] == '--png':
        with open(sys.argv[3], 'wb') as out:
            out.write(png_bytes(int(sys.argv[2])))
        return
    data = icon_bytes()
    assert len(data) == 16958, len(data)
    with open(sys.argv[1], 'wb') as out:
        out.write(data)


if __name__ == '__main__':
    main()
