#!/usr/bin/env python3
"""Checks that a screenshot shows what the dialog paints: a real picture, not an empty one.

usage: check-screenshot.py FILE.png          the viewer window
       check-screenshot.py --info FILE.png   the information dialog
Exits non-zero, saying why, when the file is no PNG, smaller than the viewer's minimum size, or
holds fewer colours than the viewer's caption band, tree, list and buttons paint. For the
information dialog: when the caption band holds no white type, or the message area no document
symbol with dark type beside it (a capture taken before the paint reached the screen).
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


def is_band(p):  # the caption band's orange to brown gradient
    return p[0] > 130 and p[2] < 90 and p[1] < 200 and p[0] - p[2] > 90


def check_info(path, width, height, channels, rows):
    """The caption band's white type and the message area's symbol and dark type."""
    def at(x, y):
        return rows[y][x * channels:x * channels + 3]

    band = [y for y in range(height) if sum(is_band(at(x, y)) for x in range(width)) > width // 2]
    if not band:
        sys.exit(f"{path}: no caption band")
    band_rows = range(band[0], band[-1] + 1)
    white_type = sum(1 for y in band_rows for x in range(width // 8, width * 7 // 8)
                     if min(at(x, y)) > 235)
    # The message area: the white rows right under the band.
    area = []
    for y in range(band[-1] + 1, height):
        if sum(min(at(x, y)) > 245 for x in range(width)) < width * 3 // 4:
            if area:
                break
            continue
        area.append(y)
    if not area:
        sys.exit(f"{path}: no message area under the caption band")
    inner = range(8, width - 8)  # inside the window's frame
    inked = [x for y in area for x in inner if min(at(x, y)) < 200]
    symbol_edge = min(inked) if inked else width
    dark_type = sum(1 for y in area for x in range(symbol_edge + 30, width - 8) if max(at(x, y)) < 100)
    symbol = sum(1 for y in area for x in range(symbol_edge, min(symbol_edge + 24, width))
                 if min(at(x, y)) < 200)
    problems = []
    if white_type < 40:
        problems.append(f"only {white_type} white pixels of type on the caption band")
    if symbol < 40:
        problems.append("no document symbol in the message area")
    if dark_type < 40:
        problems.append(f"only {dark_type} dark pixels of type beside the document symbol")
    if problems:
        sys.exit(f"{path}: " + "; ".join(problems))
    print(f"{path}: {width}x{height}, caption type {white_type} px, message type {dark_type} px")


def main():
    info = sys.argv[1] == "--info"
    path = sys.argv[2] if info else sys.argv[1]
    try:
        width, height, channels, rows = pixels(path)
    except (OSError, ValueError, TypeError, zlib.error, struct.error) as error:
        sys.exit(f"{path}: {error}")
    if info:
        check_info(path, width, height, channels, rows)
        return
    colours = {row[x:x + 3] for row in rows for x in range(0, len(row), channels)}
    if width < MIN_WIDTH or height < MIN_HEIGHT:
        sys.exit(f"{path}: {width}x{height} is smaller than the viewer window")
    if len(colours) < MIN_COLOURS:
        sys.exit(f"{path}: only {len(colours)} colours; the viewer was not drawn")
    print(f"{path}: {width}x{height}, {len(colours)} colours")


if __name__ == "__main__":
    main()
