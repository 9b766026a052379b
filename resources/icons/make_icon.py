#!/usr/bin/env python3
"""Draws the Tapdeck marks and writes them as .ico files.

The mark is drawn from geometry, not pixels, so every size is rendered
afresh (4x4 supersampled) and the output is the same on every machine.
  tapdeck:  a rounded deep-blue tile with a white card and three touch arcs.
  pairwell: the same tile in teal with a Wi-Fi fan above a dot.
Usage: make_icon.py {tapdeck|pairwell} OUT.ico
"""
import math
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)


def tile(x, y, s, radius):
    # Signed distance to a rounded square covering [0.06, 0.94] of the icon.
    lo, hi = 0.06 * s, 0.94 * s
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return math.hypot(x - cx, y - cy) <= radius


def arc(x, y, cx, cy, r, width, start, end):
    d = math.hypot(x - cx, y - cy)
    if abs(d - r) > width / 2:
        return False
    a = math.degrees(math.atan2(cy - y, x - cx))
    return start <= a <= end


def tapdeck(x, y, s):
    if not tile(x, y, s, 0.18 * s):
        return None
    u, v = x / s, y / s
    # card, tilted feel by an offset rectangle
    if 0.22 <= u <= 0.50 and 0.30 <= v <= 0.78:
        return (255, 255, 255)
    for i, r in enumerate((0.16, 0.26, 0.36)):
        if arc(u, v, 0.50, 0.54, r, 0.065, -50, 50):
            return (255, 255, 255) if i < 2 else (190, 215, 245)
    return (0x00, 0x33, 0x99)  # the product's blue (0x00993300 as COLORREF)


def pairwell(x, y, s):
    if not tile(x, y, s, 0.18 * s):
        return None
    u, v = x / s, y / s
    if math.hypot(u - 0.5, v - 0.72) <= 0.075:
        return (255, 255, 255)
    for r in (0.20, 0.34, 0.48):
        if arc(u, v, 0.5, 0.74, r, 0.08, 45, 135):
            return (255, 255, 255)
    return (0x00, 0x80, 0x80)


def render(draw, size):
    n = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = draw(px + (sx + 0.5) / n, py + (sy + 0.5) / n, size)
                    if c:
                        acc[0] += c[0]; acc[1] += c[1]; acc[2] += c[2]; acc[3] += 255
            cov = acc[3] // 255
            if cov:
                row.append((acc[0] // cov, acc[1] // cov, acc[2] // cov, acc[3] // (n * n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bmp_entry(rows, size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    return header + pixels + b'\0' * (mask_row * size)


def png_entry(rows, size):
    raw = b''.join(b'\0' + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    draw = {'tapdeck': tapdeck, 'pairwell': pairwell}[sys.argv[1]]
    images = []
    for size in SIZES:
        rows = render(draw, size)
        images.append((size, png_entry(rows, size) if size == 256 else bmp_entry(rows, size)))
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(sys.argv[2], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
