#!/usr/bin/env python3
"""Draws the module's images (warning triangle, document, application icon) as PNG and ICO.

Run it after changing a drawing; its outputs under res/art/ are committed so that the build
needs nothing but the compilers. Shapes are drawn with 4x4 supersampling for smooth edges.
"""
import os
import struct
import zlib

SIZE = 32
SS = 4  # supersampling factor per axis


def render(shape, size):
    """shape(x, y) -> (r, g, b, a) or None, with x and y in 0..1; returns rows of RGBA."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = shape((px + (sx + 0.5) / SS) / size, (py + (sy + 0.5) / SS) / size)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = SS * SS
            alpha = acc[3] / n
            if acc[3]:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(alpha)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def inside_triangle(x, y, inset):
    # Apex at top centre, base at the bottom; `inset` shrinks it uniformly.
    top, bottom, half = 0.06 + inset * 1.6, 0.94 - inset, 0.47 - inset * 1.6
    if y < top or y > bottom:
        return False
    w = half * (y - top) / (bottom - top)
    return abs(x - 0.5) <= w


def warning(x, y):
    if not inside_triangle(x, y, 0.0):
        return None
    if not inside_triangle(x, y, 0.07):
        return (90, 40, 0, 255)  # dark rim
    # exclamation mark
    if abs(x - 0.5) < 0.055 and 0.33 < y < 0.68:
        return (20, 20, 20, 255)
    if (x - 0.5) ** 2 + (y - 0.79) ** 2 < 0.055 ** 2:
        return (20, 20, 20, 255)
    return (255, 200, 0, 255)


def document(x, y):
    left, right, top, bottom, fold = 0.18, 0.82, 0.05, 0.95, 0.22
    if not (left <= x <= right and top <= y <= bottom):
        return None
    if x - (right - fold) > y - top:  # cut corner
        return None
    edge = 0.035
    if x < left + edge or x > right - edge or y < top + edge or y > bottom - edge:
        return (60, 70, 90, 255)
    if abs((x - (right - fold)) - (y - top)) < edge * 0.8:
        return (60, 70, 90, 255)
    if right - fold <= x and y <= top + fold:  # the folded flap
        return (200, 210, 225, 255)
    for line in (0.38, 0.50, 0.62, 0.74):
        if abs(y - line) < 0.025 and left + 0.12 < x < right - 0.12:
            return (110, 130, 160, 255)
    return (255, 255, 255, 255)


def app_icon(x, y):
    # A green caption band over a white list: the viewer at a glance.
    if not (0.06 <= x <= 0.94 and 0.1 <= y <= 0.9):
        return None
    if x < 0.1 or x > 0.9 or y < 0.14 or y > 0.86:
        return (30, 60, 30, 255)
    if y < 0.34:
        t = (y - 0.14) / 0.2
        return (int(0 + 200 * t), int(128 + 80 * t), int(0 + 200 * t), 255)
    for line in (0.45, 0.58, 0.71):
        if abs(y - line) < 0.035 and 0.18 < x < 0.82:
            return (80, 90, 110, 255)
    return (250, 250, 250, 255)


def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def dib_bytes(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = 0
        line = bytearray(mask_row)
        for i, px in enumerate(row):
            if px[3] == 0:
                line[i // 8] |= 0x80 >> (i % 8)
        mask += bytes(line)
    return header + pixels + mask


def ico_bytes(images):
    count = len(images)
    out = struct.pack("<HHH", 0, 1, count)
    offset = 6 + 16 * count
    blobs = []
    for rows in images:
        data = dib_bytes(rows)
        size = len(rows)
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        blobs.append(data)
    return out + b"".join(blobs)


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "art")
    os.makedirs(here, exist_ok=True)
    with open(os.path.join(here, "warning.png"), "wb") as f:
        f.write(png_bytes(render(warning, SIZE)))
    with open(os.path.join(here, "document.png"), "wb") as f:
        f.write(png_bytes(render(document, SIZE)))
    with open(os.path.join(here, "ZtServiceMsg.ico"), "wb") as f:
        f.write(ico_bytes([render(app_icon, 32), render(app_icon, 16)]))


if __name__ == "__main__":
    main()
