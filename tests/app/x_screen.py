#!/usr/bin/env python3
"""Reads an X screen dump (xwd -root) without an image library:

  x_screen.py png DUMP OUT.png      the dump as a PNG, to look at
  x_screen.py pixel DUMP X Y        the colour at X,Y as rrggbb
  x_screen.py band DUMP X Y0 Y1     runs of equal colour down column X
                                    from Y0 to Y1: "start length rrggbb"
"""
import struct
import sys
import zlib


def load(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    colours = fields[19]
    if bits_per_pixel != 32:
        sys.exit("x_screen: only 32-bit dumps are read, this one has %d" % bits_per_pixel)
    start = header_size + 12 * colours
    return width, height, bytes_per_line, byte_order, data[start:]


def rgb(image, x, y):
    width, height, stride, byte_order, pixels = image
    if not (0 <= x < width and 0 <= y < height):
        sys.exit("x_screen: %d,%d is off the %dx%d screen" % (x, y, width, height))
    offset = y * stride + 4 * x
    b0, b1, b2, b3 = pixels[offset:offset + 4]
    # Least significant byte first: blue, green, red, pad.
    return (b2, b1, b0) if byte_order == 0 else (b1, b2, b3)


def write_png(image, out):
    width, height = image[0], image[1]
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(rgb(image, x, y))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(out, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 6)))
        f.write(chunk(b"IEND", b""))


def band(image, x, y0, y1):
    runs = []
    for y in range(y0, y1 + 1):
        colour = rgb(image, x, y)
        if runs and runs[-1][2] == colour:
            runs[-1][1] += 1
        else:
            runs.append([y, 1, colour])
    for start, length, colour in runs:
        print(start, length, "%02x%02x%02x" % colour)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    image = load(argv[2])
    if argv[1] == "png" and len(argv) == 4:
        write_png(image, argv[3])
    elif argv[1] == "pixel" and len(argv) == 5:
        print("%02x%02x%02x" % rgb(image, int(argv[3]), int(argv[4])))
    elif argv[1] == "band" and len(argv) == 6:
        band(image, int(argv[3]), int(argv[4]), int(argv[5]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
