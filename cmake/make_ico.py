"""Packs PNG pictures of an icon, each square and at most 256 pixels wide, into one Windows .ico
file (as Windows Vista and later read them: each size a PNG of its own).
    make_ico.py OUTPUT.ico PICTURE.png..."""
import os
import struct
import sys


def size_of(png):
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        raise SystemExit("not a PNG picture")
    return struct.unpack(">II", png[16:24])


def main(output, pictures):
    images = sorted((open(p, "rb").read() for p in pictures), key=lambda png: size_of(png)[0])
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, offset = b"", 6 + 16 * len(images)
    for png in images:
        width, height = size_of(png)
        if width != height or width > 256:
            raise SystemExit(f"an icon is square and at most 256 pixels wide, not {width}x{height}")
        # 256 is written as 0; 32 bits a pixel.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
    os.makedirs(os.path.dirname(output) or ".", exist_ok=True)
    with open(output, "wb") as out:
        out.write(header + entries + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
