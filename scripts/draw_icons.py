#!/usr/bin/env python3
"""Draws Orvane's icons and writes them as .ico files (32 x 32 and 16 x 16,
32-bit colour with alpha plus the AND mask older systems look at).

Each icon is a list of shapes painted back to front, described below in
the 32-unit design space of the large image; the small image either scales
the same description or has its own, simpler one where details would blur.
The shapes are filled by an anti-aliasing rasteriser (several samples per
pixel), so the script needs nothing beyond Python's standard library.

    python3 scripts/draw_icons.py OUTPUT_DIR

The build runs this into its own tree; resources/Orvane.rc names the files.
To look at a result: convert OUTPUT_DIR/program.ico program.png
"""

import math
import os
import struct
import sys

SAMPLES = 6  # per pixel and axis: 36 samples give smooth edges

# ---------------------------------------------------------------- colours


def rgb(text, alpha=1.0):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16), alpha)


def vertical(top, bottom, y0, y1):
    """A paint that runs from `top` at y0 to `bottom` at y1 (design units)."""
    return ("vertical", rgb(top), rgb(bottom), y0, y1)


def paint_at(paint, y):
    if paint[0] != "vertical":
        return paint
    _, top, bottom, y0, y1 = paint
    t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
    return tuple(a + (b - a) * t for a, b in zip(top, bottom))


# ----------------------------------------------------------------- shapes
# Every shape is (bounding box, inside test, paint), in design units.


def circle(cx, cy, r, paint):
    return ((cx - r, cy - r, cx + r, cy + r),
            lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, paint)


def rounded_rect(x0, y0, x1, y1, radius, paint):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        dx = max(x0 + radius - x, 0, x - (x1 - radius))
        dy = max(y0 + radius - y, 0, y - (y1 - radius))
        return dx * dx + dy * dy <= radius * radius
    return ((x0, y0, x1, y1), inside, paint)


def polygon(points, paint):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return ((min(xs), min(ys), max(xs), max(ys)), inside, paint)


def line(x0, y0, x1, y1, width, paint):
    """A stroke with round ends."""
    half = width / 2
    length2 = (x1 - x0) ** 2 + (y1 - y0) ** 2

    def inside(x, y):
        t = ((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / length2 if length2 else 0
        t = min(1.0, max(0.0, t))
        px, py = x0 + t * (x1 - x0), y0 + t * (y1 - y0)
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    box = (min(x0, x1) - half, min(y0, y1) - half, max(x0, x1) + half, max(y0, y1) + half)
    return (box, inside, paint)


def arc(cx, cy, r, width, start, end, paint):
    """A stroke along a circle from angle `start` to `end` (degrees, growing
    clockwise on screen; 0 points right, 90 down), with round ends."""
    half = width / 2
    ends = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)))
            for a in (start, end)]

    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) <= half:
            a = math.degrees(math.atan2(y - cy, x - cx))
            a = (a - start) % 360 + start
            if a <= end:
                return True
        return any((x - ex) ** 2 + (y - ey) ** 2 <= half * half for ex, ey in ends)
    extent = r + half
    return ((cx - extent, cy - extent, cx + extent, cy + extent), inside, paint)


def scaled(points, factor, cx, cy):
    return [(cx + (x - cx) * factor, cy + (y - cy) * factor) for x, y in points]


def quadratic(p0, p1, p2, steps=10):
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (i / steps for i in range(1, steps + 1))]


# ------------------------------------------------------------ the motifs

WHITE = rgb("ffffff")
SHADOW = rgb("000000", 0.22)


def padlock(cx, top, width, height, shackle_width, outline):
    """A gold padlock whose body spans `width` x `height` below `top`."""
    left, right = cx - width / 2, cx + width / 2
    body_top = top + height * 0.42
    bottom = top + height
    r = width * 0.33
    leg_bottom = body_top + 1
    shackle = rgb("c9ced6")
    dark = rgb("4c5560")
    gold_edge = rgb("8a5a00")
    shapes = [
        arc(cx, top + r + shackle_width / 2, r, shackle_width + 2 * outline, 180, 360, dark),
        line(cx - r, top + r + shackle_width / 2, cx - r, leg_bottom, shackle_width + 2 * outline, dark),
        line(cx + r, top + r + shackle_width / 2, cx + r, leg_bottom, shackle_width + 2 * outline, dark),
        arc(cx, top + r + shackle_width / 2, r, shackle_width, 180, 360, shackle),
        line(cx - r, top + r + shackle_width / 2, cx - r, leg_bottom, shackle_width, shackle),
        line(cx + r, top + r + shackle_width / 2, cx + r, leg_bottom, shackle_width, shackle),
        rounded_rect(left, body_top, right, bottom, width * 0.14 + outline, gold_edge),
        rounded_rect(left + outline, body_top + outline, right - outline, bottom - outline, width * 0.14,
                     vertical("ffe27a", "e2950e", body_top, bottom)),
    ]
    hole_y = body_top + (bottom - body_top) * 0.40
    hole_r = width * 0.12
    shapes += [
        circle(cx, hole_y, hole_r, rgb("5a3a00")),
        polygon([(cx - hole_r * 0.55, hole_y), (cx + hole_r * 0.55, hole_y),
                 (cx + hole_r * 0.8, hole_y + hole_r * 2.6), (cx - hole_r * 0.8, hole_y + hole_r * 2.6)],
                rgb("5a3a00")),
    ]
    return shapes


def shield_points():
    top = [(16, 1.5), (28, 5.5), (28, 14)]
    right = quadratic((28, 14), (27, 24), (16, 30.5))
    left = quadratic((16, 30.5), (5, 24), (4, 14))
    return top + right + left + [(4, 5.5)]


def program_large():
    outline = shield_points()
    return [
        polygon([(x + 0.8, y + 0.8) for x, y in outline], SHADOW),
        polygon(outline, rgb("0f2a5e")),
        polygon(scaled(outline, 0.9, 16, 15.5), vertical("4f8ff0", "173f8f", 2, 30)),
        polygon(scaled(outline, 0.9, 16, 15.5)[:4] + [(16, 15.5)], rgb("ffffff", 0.12)),
    ] + padlock(16, 7, 14, 18, 2.6, 1)


def program_small():
    outline = [(8, 0.5), (14.5, 2.5), (14.5, 7)] + quadratic((14.5, 7), (14, 12.5), (8, 15.5)) + \
        quadratic((8, 15.5), (2, 12.5), (1.5, 7)) + [(1.5, 2.5)]
    return [
        polygon(outline, rgb("0f2a5e")),
        polygon(scaled(outline, 0.86, 8, 7.8), vertical("4f8ff0", "173f8f", 1, 15)),
    ] + padlock(8, 3, 8, 10, 1.5, 0.8)


def document(x0, y0, x1, y1, fold):
    page = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    inner = [(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4), (x1 - 1, y1 - 1),
             (x0 + 1, y1 - 1)]
    return [
        polygon([(x + 0.8, y + 0.8) for x, y in page], SHADOW),
        polygon(page, rgb("6b7078")),
        polygon(inner, vertical("ffffff", "e4e8ee", y0, y1)),
        polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], rgb("6b7078")),
        polygon([(x1 - fold + 0.9, y0 + 1.6), (x1 - fold + 0.9, y0 + fold - 0.9), (x1 - 1.6, y0 + fold - 0.9)],
                rgb("c8ced8")),
    ]


def encrypted_file_large():
    text = rgb("9aa3b0")
    lines = [rounded_rect(8.5, y, right, y + 1.4, 0.7, text)
             for y, right in ((8, 17), (11.5, 22), (15, 22), (18.5, 13))]
    return document(5, 1, 26, 31, 7) + lines + padlock(21, 14, 13, 17, 2.4, 1)


def encrypted_file_small():
    text = rgb("9aa3b0")
    return document(2, 0.5, 13, 15.5, 4) + [
        rounded_rect(4, 5, 9, 5.9, 0.45, text),
        rounded_rect(4, 7.3, 7, 8.2, 0.45, text),
    ] + padlock(10.8, 6, 7.6, 9.5, 1.4, 0.8)


def round_badge(top, bottom, edge):
    return [
        circle(16.6, 16.8, 14.6, SHADOW),
        circle(16, 16, 14.6, rgb(edge)),
        circle(16, 16, 13.4, vertical(top, bottom, 3, 29)),
        polygon([(5, 12), (9, 5.5), (16, 3.2), (23, 5.5), (27, 12), (16, 9.5)], rgb("ffffff", 0.16)),
    ]


def information():
    return round_badge("5fa2f5", "1b59c0", "16428c") + [
        circle(16, 8.6, 2.3, WHITE),
        rounded_rect(13.9, 12.6, 18.1, 24.8, 1.2, WHITE),
    ]


def question():
    return round_badge("5fa2f5", "1b59c0", "16428c") + [
        arc(16, 11.6, 4.6, 3.3, 190, 410, WHITE),
        line(19.5, 14.6, 16, 17.4, 3.3, WHITE),
        line(16, 17.4, 16, 19.2, 3.3, WHITE),
        circle(16, 24, 2.1, WHITE),
    ]


def stop_sign(centre, radius, edge):
    octagon = [(centre + radius * math.cos(math.radians(22.5 + 45 * i)),
                centre + radius * math.sin(math.radians(22.5 + 45 * i))) for i in range(8)]
    inner = scaled(octagon, 1 - edge / radius, centre, centre)
    return [
        polygon([(x + radius * 0.04, y + radius * 0.055) for x, y in octagon], SHADOW),
        polygon(octagon, rgb("7d0f0a")),
        polygon(inner, vertical("f26a55", "b3140f", centre - radius, centre + radius)),
        polygon(inner[4:] + [(centre, centre * 0.88)], rgb("ffffff", 0.10)),
    ]


def error():
    return stop_sign(16, 14.8, 1.2) + [
        line(11, 11, 21, 21, 3.8, WHITE),
        line(21, 11, 11, 21, 3.8, WHITE),
    ]


def error_small():
    # The cross is drawn bolder and on whole pixels so it stays crisp.
    return stop_sign(8, 7.5, 0.9) + [
        line(5.5, 5.5, 10.5, 10.5, 2.5, WHITE),
        line(10.5, 5.5, 5.5, 10.5, 2.5, WHITE),
    ]


# Output file, the large image's shapes, and the small image's shapes (None:
# the large description scaled to half size).
ICONS = [
    ("program.ico", program_large, None),
    ("program_small.ico", None, program_small),
    ("encrypted_file.ico", encrypted_file_large, encrypted_file_small),
    ("box_information.ico", information, None),
    ("box_question.ico", question, None),
    ("box_error.ico", error, error_small),
]

# -------------------------------------------------------------- rendering


def render(shapes, size, scale):
    """Straight-alpha RGBA rows, top row first, of `shapes` drawn at
    `scale` pixels per design unit."""
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    for (bx0, by0, bx1, by1), inside, paint in shapes:
        px0 = max(0, int(math.floor(bx0 * scale)))
        py0 = max(0, int(math.floor(by0 * scale)))
        px1 = min(size, int(math.ceil(bx1 * scale)))
        py1 = min(size, int(math.ceil(by1 * scale)))
        for py in range(py0, py1):
            for px in range(px0, px1):
                hits = sum(1 for oy in offsets for ox in offsets
                           if inside((px + ox) / scale, (py + oy) / scale))
                if not hits:
                    continue
                r, g, b, a = paint_at(paint, (py + 0.5) / scale)
                a *= hits / (SAMPLES * SAMPLES)
                dr, dg, db, da = pixels[py][px]
                pixels[py][px] = (r * a + dr * (1 - a), g * a + dg * (1 - a),
                                  b * a + db * (1 - a), a + da * (1 - a))
    rows = []
    for row in pixels:
        out = []
        for r, g, b, a in row:
            if a <= 0:
                out.append((0, 0, 0, 0))
            else:
                out.append(tuple(min(255, int(round(c / a))) for c in (r, g, b)) + (int(round(a * 255)),))
        rows.append(out)
    return rows


def icon_image(rows):
    """BITMAPINFOHEADER, bottom-up BGRA colour bits and the AND mask."""
    size = len(rows)
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def write_icon(path, images):
    """An .ico file holding `images`, a list of (size, image bytes)."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    data = b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(directory + entries + data)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icons.py OUTPUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, large, small in ICONS:
        big = large or small
        images = [(32, icon_image(render(big(), 32, 32 / (16 if large is None else 32))))]
        images.append((16, icon_image(render(small(), 16, 1.0) if small else render(large(), 16, 0.5))))
        write_icon(os.path.join(out, name), images)


if __name__ == "__main__":
    main()
