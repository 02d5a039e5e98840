#!/usr/bin/env python3
"""Stores a 16-colour bitmap run-length encoded (BI_RLE4), same pixels.

    python3 tools/rle4.py in.bmp out.bmp

The artwork in resources/ is kept this way: Windows decodes RLE4 bitmap
resources itself, and the pictures shrink to a fraction. Each row is encoded
with the fewest bytes (encoded runs of two alternating colours, absolute runs
padded to 16 bits), ends with an end-of-line mark, and the picture with an
end-of-bitmap mark.
"""
import struct
import sys


def read_bmp(path):
    data = open(path, 'rb').read()
    offset = struct.unpack_from('<I', data, 10)[0]
    (size, width, height, planes, bits, compression, _, xppm, yppm, used,
     important) = struct.unpack_from('<IiiHHIIiiII', data, 14)
    if size != 40 or bits != 4 or compression != 0 or height <= 0:
        sys.exit(f'{path}: not an uncompressed bottom-up 4-bit bitmap')
    palette = data[14 + 40:offset]
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for y in range(height):
        line = data[offset + y * stride:offset + (y + 1) * stride]
        rows.append([(line[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(width)])
    return width, height, (xppm, yppm, used, important), palette, rows


def absolute_cost(n):
    return 2 + ((n + 3) // 4) * 2  # escape, count, nibbles padded to a word


def encode_row(row):
    n = len(row)
    best = [0] + [None] * n      # best[i]: fewest bytes for row[:i]
    step = [None] * (n + 1)
    for i in range(n):
        if best[i] is None:
            continue
        # Encoded run: colours alternate a, b, a, b ... from i.
        length = 1
        while i + length < n and length < 255 and row[i + length] == row[i + (length % 2)]:
            length += 1
        for k in range(1, length + 1):
            if best[i + k] is None or best[i] + 2 < best[i + k]:
                best[i + k], step[i + k] = best[i] + 2, ('run', i, k)
        for k in range(3, min(255, n - i) + 1):
            cost = best[i] + absolute_cost(k)
            if best[i + k] is None or cost < best[i + k]:
                best[i + k], step[i + k] = cost, ('abs', i, k)
    pieces = []
    at = n
    while at > 0:
        kind, i, k = step[at]
        if kind == 'run':
            second = row[i + 1] if k > 1 else row[i]
            pieces.append(bytes([k, (row[i] << 4) | second]))
        else:
            nibbles = row[i:i + k] + [0] * ((-k) % 4)
            packed = bytes((nibbles[j] << 4) | nibbles[j + 1] for j in range(0, len(nibbles), 2))
            pieces.append(bytes([0, k]) + packed)
        at = i
    return b''.join(reversed(pieces)) + b'\0\0'


def main(source, target):
    width, height, (xppm, yppm, used, important), palette, rows = read_bmp(source)
    bits = b''.join(encode_row(row) for row in rows) + b'\0\1'
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 2, len(bits), xppm, yppm, used, important)
    open(target, 'wb').write(header + info + palette + bits)


if __name__ == '__main__':
    main(*sys.argv[1:3])
