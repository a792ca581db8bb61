#!/usr/bin/env python3
"""Draws the program icon (res/tolvex.ico): a landscape picture with a small
calendar page in its corner, at 16, 32 and 48 pixels, 32-bit with alpha."""
import struct
import sys


def pixel(x, y, n):
    """Colour (r, g, b, a) of the icon at (x, y) on an n x n grid (y down)."""
    u, v = (x + 0.5) / n, (y + 0.5) / n
    # Frame of the picture.
    if not (0.06 <= u <= 0.94 and 0.12 <= v <= 0.88):
        return (0, 0, 0, 0)
    if u < 0.10 or u > 0.90 or v < 0.16 or v > 0.84:
        return (60, 60, 70, 255)
    # Calendar page in the lower right corner.
    if 0.52 <= u <= 0.90 and 0.46 <= v <= 0.84:
        if v < 0.56:
            return (210, 40, 50, 255)
        cu, cv = (u - 0.52) / 0.38, (v - 0.56) / 0.28
        col, row = int(cu * 4), int(cv * 3)
        inner = (cu * 4) % 1, (cv * 3) % 1
        if 0.2 < inner[0] < 0.8 and 0.2 < inner[1] < 0.8 and n >= 32:
            return (200, 60, 80, 255) if col == 0 else (90, 90, 100, 255)
        return (250, 250, 250, 255)
    # Sun.
    if (u - 0.30) ** 2 + (v - 0.32) ** 2 < 0.008:
        return (255, 210, 60, 255)
    # Hill.
    if v > 0.62 - 0.18 * (1 - ((u - 0.35) / 0.5) ** 2):
        return (60, 150, 70, 255)
    # Sky, lighter towards the horizon.
    t = (v - 0.16) / 0.5
    return (int(70 + 110 * t), int(130 + 90 * t), 230, 255)


def image(n):
    rows = []
    for y in range(n - 1, -1, -1):  # bottom-up
        row = b""
        for x in range(n):
            r, g, b, a = pixel(x, y, n)
            row += bytes((b, g, r, a))
        rows.append(row)
    xor = b"".join(rows)
    mask_stride = ((n + 31) // 32) * 4
    mask = b""
    for y in range(n - 1, -1, -1):
        bits = 0
        line = bytearray(mask_stride)
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def main(path):
    sizes = [16, 32, 48]
    images = [image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/tolvex.ico")
