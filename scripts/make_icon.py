#!/usr/bin/env python3
"""Draws the program icon (a yellow note with a folded corner and text lines)
and writes src/res/dereziz.ico with images of 16 to 64 pixels (32-bit BMP):
the small and large icon sizes at 100, 125, 150 and 200 percent display scale."""
import os
import struct


def pixel(x, y, size):
    """RGBA of one pixel, y counted from the top."""
    s = size / 32.0
    margin = 2 * s
    fold = 9 * s
    left, top, right, bottom = margin, margin, size - margin, size - margin
    if not (left <= x < right and top <= y < bottom):
        return (0, 0, 0, 0)
    # Folded lower right corner: cut the triangle off, draw the flap.
    dx, dy = right - x, bottom - y
    if dx + dy < fold:
        return (0, 0, 0, 0)
    if dx + dy < fold + 1.0:
        return (120, 100, 20, 255)
    if dx < fold and dy < fold:
        return (230, 200, 60, 255)
    edge = x < left + 1 or y < top + 1 or x >= right - 1 or y >= bottom - 1
    if edge:
        return (150, 120, 20, 255)
    if y < top + 6 * s:
        return (250, 170, 40, 255)  # the note's coloured head band
    # Text lines.
    row = (y - top - 8 * s) / (5 * s)
    if row >= 0 and (row - int(row)) < 0.35 and x > left + 4 * s and x < right - 5 * s - (int(row) % 2) * 5 * s:
        return (90, 80, 60, 255)
    return (255, 240, 120, 255)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # BMP rows go bottom up
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(x + 0.5, y + 0.5, size)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\x00" * (mask_row * size)  # alpha carries transparency
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = [16, 20, 24, 32, 40, 48, 64]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "res", "dereziz.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
