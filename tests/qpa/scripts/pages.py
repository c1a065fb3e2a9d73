#!/usr/bin/env python3
"""pages.py BEFORE.ppm AFTER.ppm X1 Y1 X2 Y2

Compares two renderings of a 612 x 792 page at 72 dpi (binary PPM, as pdftoppm writes them)
around the rectangle (X1, Y1) - (X2, Y2) in PDF units (origin at the bottom left). Prints
the pixels that differ inside it, the pixels that differ outside it (more than two pixels
away: the edge is anti-aliased) and the pure red pixels inside it in AFTER.
"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        start = position
        while not data[position:position + 1].isspace():
            position += 1
        fields.append(data[start:position])
    if fields[0] != b"P6":
        sys.exit("%s: not a binary PPM" % path)
    width, height = int(fields[1]), int(fields[2])
    pixels = data[position + 1:]
    if len(pixels) != width * height * 3:
        sys.exit("%s: truncated" % path)
    return width, height, pixels


def main(before_path, after_path, x1, y1, x2, y2):
    width, height, before = read_ppm(before_path)
    if read_ppm(after_path)[:2] != (width, height):
        sys.exit("the two pages differ in size")
    after = read_ppm(after_path)[2]
    left, right = min(x1, x2), max(x1, x2)
    top, bottom = height - max(y1, y2), height - min(y1, y2)
    inside = outside = red = 0
    for y in range(height):
        for x in range(width):
            i = (y * width + x) * 3
            within = left <= x < right and top <= y < bottom
            near = left - 2 <= x < right + 2 and top - 2 <= y < bottom + 2
            if before[i:i + 3] != after[i:i + 3]:
                if within:
                    inside += 1
                elif not near:
                    outside += 1
            if within and after[i] > 200 and after[i + 1] < 80 and after[i + 2] < 80:
                red += 1
    print(inside, outside, red)


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], *[int(v) for v in sys.argv[3:7]])
