#!/bin/sh
# Makes src/resources/corvane.ico from its SVG sources. The icon's first two images (32 x 32 in 2
# and 16 colours) are kept byte for byte from the current file; after them come 32-bit images
# with alpha at 16 (corvane-16.svg), 24, 32, 48 and 256 pixels (corvane.svg), the 256 one
# PNG-compressed as Windows expects at that size.
. "$(dirname "$0")/common.sh"
PACKAGES="librsvg2-bin imagemagick python3"
install_missing_packages

RES="$ROOT/src/resources"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

rsvg-convert -w 16 -h 16 "$RES/corvane-16.svg" -o "$WORK/16.png"
for size in 24 32 48 256; do
    rsvg-convert -w $size -h $size "$RES/corvane.svg" -o "$WORK/$size.png"
done
for size in 16 24 32 48; do
    # Straight (not premultiplied) alpha, as an icon's 32-bit DIB holds it.
    convert "$WORK/$size.png" -depth 8 "BGRA:$WORK/$size.bgra"
done
convert "$WORK/256.png" -strip -define png:compression-level=9 -define png:compression-filter=1 \
    "PNG32:$WORK/256-small.png"

python3 - "$RES/corvane.ico" "$WORK" <<'EOF'
import struct
import sys

ico_path, work = sys.argv[1], sys.argv[2]
old = open(ico_path, "rb").read()
reserved, kind, count = struct.unpack_from("<HHH", old, 0)
if reserved != 0 or kind != 1 or count < 2:
    sys.exit(f"{ico_path} is not an icon with at least two images")
# The two images every older Windows and the About page's template have always had.
kept = []
for i in range(2):
    entry = old[6 + 16 * i : 22 + 16 * i]
    size, offset = struct.unpack_from("<II", entry, 8)
    kept.append((entry[:8], old[offset : offset + size]))


def dib(size):
    """A 32-bit BITMAPINFOHEADER image: colour rows bottom-up, then the AND mask."""
    pixels = open(f"{work}/{size}.bgra", "rb").read()
    if len(pixels) != size * size * 4:
        sys.exit(f"{size}x{size}: expected {size * size * 4} bytes of BGRA")
    rows = [pixels[y * size * 4 : (y + 1) * size * 4] for y in range(size)]
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if row[x * 4 + 3] == 0:  # fully transparent: shows the background on old systems
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(reversed(rows)) + bytes(mask)


images = kept + [
    (struct.pack("<BBBBHH", size, size, 0, 0, 1, 32), dib(size)) for size in (16, 24, 32, 48)
]
images.append((struct.pack("<BBBBHH", 0, 0, 0, 0, 1, 32), open(f"{work}/256-small.png", "rb").read()))

out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
offset = 6 + 16 * len(images)
for head, data in images:
    out += head + struct.pack("<II", len(data), offset)
    offset += len(data)
for _, data in images:
    out += data
open(ico_path, "wb").write(out)
print(f"{ico_path}: {len(images)} images, {len(out)} bytes")
EOF
