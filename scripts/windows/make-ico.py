#!/usr/bin/env python3
"""Packs PNG pictures into one Windows .ico (each entry a PNG, as Windows
Vista and later read them):  make-ico.py OUT.ico IN-16.png IN-32.png ..."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("make-ico: not a PNG file")
    return struct.unpack(">II", data[16:24])


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    pictures = []
    for name in sys.argv[2:]:
        with open(name, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit(f"make-ico: {name} is larger than 256 pixels")
        pictures.append((width, height, data))
    offset = 6 + 16 * len(pictures)
    header = struct.pack("<HHH", 0, 1, len(pictures))
    entries, blobs = b"", b""
    for width, height, data in pictures:
        # 0 stands for 256 in the entry's one-byte sizes.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(sys.argv[1], "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    main()
