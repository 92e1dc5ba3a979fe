#!/usr/bin/env python3
"""Checks that a file is a PNG of the viewer window: a real picture, not an empty or black one.

usage: check-screenshot.py FILE.png
Exits non-zero, saying why, when the file is no PNG, smaller than the viewer's minimum size, or
holds fewer colours than the viewer's caption band, tree, list and buttons paint.
"""
import struct
import sys
import zlib

MIN_WIDTH, MIN_HEIGHT = 400, 300  # the viewer opens at about 620 x 480
MIN_COLOURS = 16


def pixels(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError(f"unexpected PNG layout (depth {depth}, colour type {colour})")
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up, corner = previous[x], previous[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[x] = (line[x] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def main():
    path = sys.argv[1]
    try:
        width, height, channels, rows = pixels(path)
    except (OSError, ValueError, TypeError, zlib.error, struct.error) as error:
        sys.exit(f"{path}: {error}")
    colours = {row[x:x + 3] for row in rows for x in range(0, len(row), channels)}
    if width < MIN_WIDTH or height < MIN_HEIGHT:
        sys.exit(f"{path}: {width}x{height} is smaller than the viewer window")
    if len(colours) < MIN_COLOURS:
        sys.exit(f"{path}: only {len(colours)} colours; the viewer was not drawn")
    print(f"{path}: {width}x{height}, {len(colours)} colours")


if __name__ == "__main__":
    main()
