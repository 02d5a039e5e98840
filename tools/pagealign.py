#!/usr/bin/env python3
"""Moves a section of a linked PE image to a page-aligned file offset.

usage: pagealign.py <image> [section]      (section: .rsrc by default)

Wine maps a section straight from the file only when the section's file
offset is a multiple of the page size; any other section is read into memory
whole when the image is loaded. setup's payload lives in .rsrc, so with the
linker's 512-byte file alignment its start time grew with the payload. The
section keeps its address in memory: zero bytes go in front of its raw data,
the raw data offsets of it and of every section after it move by as many
bytes, and the checksum is computed again. Nothing the loader resolves by
address changes; a symbol table behind the sections (unstripped test
builds) moves with them. Signing comes after this step: an image that
carries a certificate or a debug directory is refused rather than patched.

ld merges the resources of several objects after it has laid out the file
and then writes the section's unpadded length as its raw size, which must
be a multiple of the file alignment; the zero padding is in the file (the
next section starts behind it, and SizeOfInitializedData counts it), so the
raw size is rounded up to cover it.
"""
import struct
import sys

PAGE = 0x1000


def fail(message):
    sys.exit(f"pagealign: {message}")


def checksum(image, field):
    """The PE checksum: 16-bit words summed with end-around carry, the
    checksum field counted as zero, plus the file length."""
    body = image[:field] + b"\0\0\0\0" + image[field + 4:]
    if len(body) % 2:
        body += b"\0"
    total = sum(struct.unpack(f"<{len(body) // 2}H", body))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def align(image, name):
    if image[:2] != b"MZ":
        fail("not an MZ image")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        fail("no PE signature")
    coff = pe + 4
    sections, symbols, optional_size = (struct.unpack_from("<H", image, coff + 2)[0],
                                        struct.unpack_from("<I", image, coff + 8)[0],
                                        struct.unpack_from("<H", image, coff + 16)[0])
    opt = coff + 20
    magic = struct.unpack_from("<H", image, opt)[0]
    if magic not in (0x10B, 0x20B):
        fail(f"unknown optional header magic {magic:#x}")
    dirs = opt + (96 if magic == 0x10B else 112)
    count = struct.unpack_from("<I", image, dirs - 4)[0]
    entry = lambda i: struct.unpack_from("<II", image, dirs + 8 * i) if i < count else (0, 0)
    if entry(4)[1] or entry(6)[1]:
        fail("the image carries a certificate or a debug directory")
    table = opt + optional_size
    headers = [table + 40 * i for i in range(sections)]
    target = next((h for h in headers if image[h:h + 8].rstrip(b"\0") == name.encode()), None)
    if target is None:
        fail(f"no section {name}")
    size, start = struct.unpack_from("<II", image, target + 16)
    file_alignment = struct.unpack_from("<I", image, opt + 36)[0]
    following = [struct.unpack_from("<I", image, h + 20)[0] for h in headers] + [symbols, len(image)]
    limit = min((raw for raw in following if raw > start), default=start)
    rounded = size + -size % file_alignment
    if rounded > limit - start or any(image[start + size:start + rounded]):
        rounded = size
    pad = -start % PAGE
    if pad == 0 and rounded == size:
        return image
    out = bytearray(image[:start] + bytes(pad) + image[start:])
    struct.pack_into("<I", out, target + 16, rounded)
    for h in headers:
        raw = struct.unpack_from("<I", out, h + 20)[0]
        if raw >= start:
            struct.pack_into("<I", out, h + 20, raw + pad)
    if symbols >= start:
        struct.pack_into("<I", out, coff + 8, symbols + pad)
    field = opt + 64
    if struct.unpack_from("<I", out, field)[0]:
        struct.pack_into("<I", out, field, checksum(bytes(out), field))
    return bytes(out)


def main():
    if len(sys.argv) not in (2, 3):
        fail("usage: pagealign.py <image> [section]")
    path = sys.argv[1]
    with open(path, "rb") as f:
        image = f.read()
    aligned = align(image, sys.argv[2] if len(sys.argv) == 3 else ".rsrc")
    if aligned is not image:
        with open(path, "wb") as f:
            f.write(aligned)


if __name__ == "__main__":
    main()
