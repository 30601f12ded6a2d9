#!/usr/bin/env python3
"""Draws Orvane's icons and bitmaps into the build tree.

Icons: .ico files of 32 x 32 and 16 x 16 pixels, 32-bit colour with alpha
plus the AND mask older systems look at. Bitmaps: the tool-bar strip (12
images of 16 x 16, 8 bits with a colour table), the program's picture and
the picture of the options pages (24 bits).

Each motif is a list of shapes painted back to front, described below in
the 32-unit design space of a large icon (the tool-bar images in 16 units);
a small icon either scales the same description or has its own, simpler one
where details would blur. The shapes are filled by an anti-aliasing
rasteriser (several samples per pixel) written here in plain Python; the
bitmaps are assembled and their texts set with PIL (Debian's python3-pil)
and the DejaVu fonts. The texts come from the string table of
resources/Orvane.rc.

    python3 scripts/draw_icons.py OUTPUT_DIR

The build runs this into its own tree; resources/Orvane.rc and
resources/Pictures.rc name the files. To look at a result:
convert OUTPUT_DIR/program.ico program.png
"""

import math
import os
import re
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


def padlock(cx, top, width, height, shackle_width, outline, opened=False):
    """A gold padlock whose body spans `width` x `height` below `top`; an
    opened one has its shackle lifted and its right leg out of the body."""
    left, right = cx - width / 2, cx + width / 2
    body_top = top + height * 0.42
    bottom = top + height
    r = width * 0.33
    leg_bottom = body_top + 1
    bend = top + r + shackle_width / 2 - (height * 0.3 if opened else 0)
    right_bottom = bend if opened else leg_bottom
    shackle = rgb("c9ced6")
    dark = rgb("4c5560")
    gold_edge = rgb("8a5a00")
    shapes = [
        arc(cx, bend, r, shackle_width + 2 * outline, 180, 360, dark),
        line(cx - r, bend, cx - r, leg_bottom, shackle_width + 2 * outline, dark),
        line(cx + r, bend, cx + r, right_bottom, shackle_width + 2 * outline, dark),
        arc(cx, bend, r, shackle_width, 180, 360, shackle),
        line(cx - r, bend, cx - r, leg_bottom, shackle_width, shackle),
        line(cx + r, bend, cx + r, right_bottom, shackle_width, shackle),
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


# ------------------------------------------------- motifs of the dialogs
# Paint ERASE cuts a hole into what lies below (a key's bow, a gear's hub).

ERASE = ("erase",)
GOLD_EDGE = rgb("8a5a00")
INK = rgb("2b3340")


def key(x0, y, length, bow, shaft, outline):
    """A gold key lying flat: its bow (a ring of radius `bow`) centred at
    (x0 + bow, y), the shaft to the right, two bits hanging below."""
    cx = x0 + bow
    end = x0 + length
    bit = shaft * 0.9
    paint = vertical("ffe27a", "d68a0c", y - bow, y + bow)
    shapes = []
    for grow, colour in ((outline, GOLD_EDGE), (0, paint)):
        shapes += [
            circle(cx, y, bow + grow, colour),
            line(cx + bow * 0.6, y, end - shaft / 2, y, shaft + 2 * grow, colour),
            rounded_rect(end - bit * 1.3 - grow, y, end + grow, y + bit * 1.9 + grow, 0.2, colour),
            rounded_rect(end - bit * 3.2 - grow, y, end - bit * 2.1 + grow, y + bit * 1.5 + grow, 0.2, colour),
        ]
    shapes.append(circle(cx - bow * 0.15, y, bow * 0.42, ERASE))
    return shapes


def key_icon(opened):
    return key(1.5, 7, 29, 5.5, 3.2, 1) + padlock(16, 13.5, 14, 17.5, 2.5, 1, opened)


def key_small(opened):
    return key(0.5, 3.5, 15, 3, 1.6, 0.7) + padlock(7.5, 6.6, 8, 9, 1.4, 0.8, opened)


def key_note():
    """A yellow note with a pencil: remember the key."""
    note = [(4, 3), (27, 3), (27, 22), (21, 28), (4, 28)]
    lines = [rounded_rect(8, y, 23, y + 1.5, 0.7, rgb("b08d2a")) for y in (9, 13.5, 18)]
    return [
        polygon([(x + 0.8, y + 0.8) for x, y in note], SHADOW),
        polygon(note, rgb("a8861c")),
        polygon(scaled(note, 0.93, 15.5, 15.5), vertical("fff6a8", "ffd84a", 3, 28)),
        polygon([(21, 28), (21, 22), (27, 22)], rgb("c9a22c")),
    ] + lines + pencil(14, 27, 29, 8, 3.6)


def pencil(x0, y0, x1, y1, width):
    """A pencil from its point (x0, y0) to its end (x1, y1)."""
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    tip = 0.22 * length
    bx, by = x0 + ux * tip, y0 + uy * tip
    nx, ny = -uy * width / 2, ux * width / 2
    ex, ey = x1 - ux * width * 0.8, y1 - uy * width * 0.8
    return [
        line(bx, by, x1, y1, width + 1.6, rgb("5a3e12")),
        line(bx, by, ex, ey, width, vertical("ffb84d", "e07b12", 0, 32)),
        line(ex, ey, x1, y1, width, rgb("f08a9a")),
        polygon([(x0, y0), (bx + nx, by + ny), (bx - nx, by - ny)], rgb("f2d7a8")),
        polygon([(x0, y0), (x0 + ux * tip * 0.4 + nx * 0.4, y0 + uy * tip * 0.4 + ny * 0.4),
                 (x0 + ux * tip * 0.4 - nx * 0.4, y0 + uy * tip * 0.4 - ny * 0.4)], INK),
    ]


def password_field(top):
    """A text field that shows a password as dots."""
    return [
        rounded_rect(1.5, top + 0.8, 30.5, top + 12.8, 2.4, SHADOW),
        rounded_rect(1, top, 30, top + 12, 2.4, rgb("4c5560")),
        rounded_rect(2.2, top + 1.2, 28.8, top + 10.8, 1.6, vertical("ffffff", "e4e8ee", top, top + 12)),
    ] + [circle(x, top + 6, 1.9, INK) for x in (7, 12.5, 18)]


def password():
    return password_field(4) + key(11, 24, 19, 4.6, 2.8, 1)


def password_new():
    return password_field(4) + star(23, 23, 8.5, 3.8)


def star(cx, cy, outer, inner):
    points = [(cx + (outer if i % 2 == 0 else inner) * math.cos(math.radians(-90 + 36 * i)),
               cy + (outer if i % 2 == 0 else inner) * math.sin(math.radians(-90 + 36 * i))) for i in range(10)]
    return [
        polygon(points, GOLD_EDGE),
        polygon(scaled(points, 0.8, cx, cy), vertical("fff08a", "f0a010", cy - outer, cy + outer)),
    ]


def cleanup():
    """A waste bin with a page on its way in: the original goes."""
    bin_outline = [(6, 11), (26, 11), (23.5, 30), (8.5, 30)]
    return [
        polygon([(x + 0.8, y + 0.8) for x, y in bin_outline], SHADOW),
    ] + document(10, 1, 21, 15, 3.5) + [
        polygon(bin_outline, rgb("3c4756")),
        polygon(scaled(bin_outline, 0.88, 16, 20.5), vertical("a9b6c8", "6b7a90", 11, 30)),
        line(12, 15, 12.6, 26.5, 1.6, rgb("4c5a6e")),
        line(16, 15, 16, 26.5, 1.6, rgb("4c5a6e")),
        line(20, 15, 19.4, 26.5, 1.6, rgb("4c5a6e")),
        rounded_rect(4, 9, 28, 12.6, 1.2, rgb("3c4756")),
        rounded_rect(5, 9.8, 27, 11.8, 0.8, rgb("c7d1de")),
    ]


def sounds():
    """A loudspeaker with its sound waves."""
    cone = [(4, 12), (9, 12), (16, 5), (16, 27), (9, 20), (4, 20)]
    wave = rgb("1b59c0")
    return [
        polygon([(x + 0.8, y + 0.8) for x, y in cone], SHADOW),
        polygon(cone, rgb("2b3340")),
        polygon([(5.2, 13.2), (9.5, 13.2), (14.8, 8), (14.8, 24), (9.5, 18.8), (5.2, 18.8)],
                vertical("aab4c2", "5d6878", 5, 27)),
        arc(16, 16, 5.5, 2.4, -50, 50, wave),
        arc(16, 16, 10, 2.4, -50, 50, wave),
        arc(16, 16, 14.5, 2.4, -45, 45, wave),
    ]


def desktop_icon():
    """A monitor whose screen shows the program's shield."""
    return [
        rounded_rect(2.8, 3.8, 30.8, 24.8, 2, SHADOW),
        rounded_rect(2, 3, 30, 24, 2, rgb("2b3340")),
        rounded_rect(4, 5, 28, 22, 0.8, vertical("7fb3f5", "2d6bd0", 5, 22)),
        polygon([(13, 24), (19, 24), (20.5, 28.5), (11.5, 28.5)], rgb("4c5560")),
        rounded_rect(8, 28, 24, 30.5, 1.2, rgb("2b3340")),
    ] + [(box, inside, paint) for box, inside, paint in shrink(program_small(), 0.95, 11.2, 6)]


def shrink(shapes, factor, dx, dy):
    """`shapes` scaled by `factor` and moved by (dx, dy): a motif inside another."""
    result = []
    for (x0, y0, x1, y1), inside, paint in shapes:
        def moved(x, y, inside=inside):
            return inside((x - dx) / factor, (y - dy) / factor)
        if paint[0] == "vertical":
            paint = ("vertical", paint[1], paint[2], paint[3] * factor + dy, paint[4] * factor + dy)
        result.append(((x0 * factor + dx, y0 * factor + dy, x1 * factor + dx, y1 * factor + dy), moved, paint))
    return result


def startup_folder():
    """A folder with a green start arrow: run at every start of Windows."""
    back = [(2, 7), (3, 5), (11, 5), (13.5, 8), (29, 8), (29, 27), (2, 27)]
    front = [(2, 12), (30.5, 12), (28.5, 27), (2, 27)]
    return [
        polygon([(x + 0.8, y + 0.8) for x, y in back], SHADOW),
        polygon(back, rgb("9a6a08")),
        polygon(scaled(back, 0.92, 15.5, 16), rgb("e9b53a")),
        polygon(front, rgb("9a6a08")),
        polygon(scaled(front, 0.92, 16, 19.5), vertical("ffe08a", "f0b63a", 12, 27)),
    ] + badge(22, 21.5, 7.5, "plain") + [
        polygon([(19.8, 17.5), (26, 21.5), (19.8, 25.5)], WHITE),
    ]


def badge(cx, cy, r, sign):
    """A round badge: green with a plus, red with a minus, or plain green."""
    if sign == "minus":
        edge, top, bottom = "7d0f0a", "f26a55", "b3140f"
    else:
        edge, top, bottom = "1d5e12", "6fd05a", "2a8a1c"
    shapes = [
        circle(cx, cy, r, rgb(edge)),
        circle(cx, cy, r - max(0.7, r * 0.12), vertical(top, bottom, cy - r, cy + r)),
    ]
    arm = r * 0.55
    bar = max(1.4, r * 0.32)
    if sign in ("plus", "minus"):
        shapes.append(line(cx - arm, cy, cx + arm, cy, bar, WHITE))
    if sign == "plus":
        shapes.append(line(cx, cy - arm, cx, cy + arm, bar, WHITE))
    return shapes


# ------------------------------------------------- tool-bar images, 16 x 16


def plain_page():
    text = rgb("8a93a0")
    return document(1, 0.5, 11, 14.5, 3.5) + [
        rounded_rect(3, y, right, y + 0.9, 0.45, text) for y, right in ((4.5, 7), (6.8, 9), (9.1, 9), (11.4, 6))]


def encrypted_page():
    """A page whose text is scrambled into blocks of blue: an encrypted file."""
    cipher = rgb("2d5fb8")
    return document(1, 0.5, 11, 14.5, 3.5) + [
        rounded_rect(x, y, x + w, y + 1.3, 0.3, cipher)
        for x, y, w in ((3, 4.2, 1.5), (5.3, 4.2, 2.2), (3, 6.6, 2.6), (6.4, 6.6, 2.6),
                        (3, 9, 1.4), (5.2, 9, 3.8), (3, 11.4, 3.4))]


def tool_encrypt():
    return padlock(8, 1, 11.5, 14.5, 2, 0.8)


def tool_decode():
    return padlock(8, 4.4, 11, 11.4, 1.9, 0.8, opened=True)


def tool_properties():
    lens = rgb("cfe3fb", 0.85)
    return plain_page() + [
        line(11.6, 11.6, 14.2, 14.2, 2.4, rgb("5a3e12")),
        circle(9.5, 9.5, 3.9, rgb("2b3340")),
        circle(9.5, 9.5, 2.8, lens),
        arc(9.5, 9.5, 1.8, 0.8, 200, 260, WHITE),
    ]


def tool_topmost():
    """A push pin stuck in at a slant: stay on top."""
    return [
        line(3, 14, 7.5, 9.5, 1.3, rgb("4c5560")),
        polygon([(4.5, 8.5), (9, 4), (12.5, 7.5), (8, 12)], rgb("7d0f0a")),
        polygon([(5.6, 8.6), (9, 5.2), (11.4, 7.6), (8, 11)], vertical("f26a55", "b3140f", 4, 12)),
        line(9.5, 2.5, 14, 7, 4.2, rgb("7d0f0a")),
        line(9.8, 2.8, 13.7, 6.7, 2.6, rgb("f26a55")),
    ]


def tool_font():
    """A serif capital A above a red colour bar."""
    ink = rgb("173f8f")
    return [
        polygon([(7, 0.8), (9.2, 0.8), (14, 11.6), (11.4, 11.6), (10.3, 8.9), (5.9, 8.9), (4.8, 11.6),
                 (2.2, 11.6)], ink),
        polygon([(8.1, 3.6), (9.5, 7.2), (6.7, 7.2)], ERASE),
        rounded_rect(1, 10.8, 6.2, 12, 0.2, ink),
        rounded_rect(10, 10.8, 15.2, 12, 0.2, ink),
        rounded_rect(1, 13, 15, 15.4, 0.6, vertical("f26a55", "b3140f", 13, 15.4)),
    ]


def tool_options():
    """A gear wheel."""
    teeth = 8
    points = []
    for i in range(teeth * 4):
        a = math.radians(360 * i / (teeth * 4) + 11.25)
        r = 7.3 if i % 4 in (1, 2) else 5.4
        points.append((8 + r * math.cos(a), 8 + r * math.sin(a)))
    return [
        polygon(points, rgb("3c4756")),
        polygon(scaled(points, 0.85, 8, 8), vertical("c7d1de", "6b7a90", 1, 15)),
        circle(8, 8, 2.2, ERASE),
    ]


def tool_help():
    return shrink(question(), 0.5, 0, 0)


def tool_about():
    return shrink(information(), 0.5, 0, 0)


# The strip of the tool bar, left to right in the order of its buttons.
TOOLBAR = [
    tool_encrypt,
    lambda: plain_page() + badge(11.5, 11.5, 4.3, "plus"),
    lambda: plain_page() + badge(11.5, 11.5, 4.3, "minus"),
    tool_decode,
    lambda: encrypted_page() + badge(11.5, 11.5, 4.3, "plus"),
    lambda: encrypted_page() + badge(11.5, 11.5, 4.3, "minus"),
    tool_properties,
    tool_topmost,
    tool_font,
    tool_options,
    tool_help,
    tool_about,
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
    ("key_encrypt.ico", lambda: key_icon(False), lambda: key_small(False)),
    ("key_decode.ico", lambda: key_icon(True), lambda: key_small(True)),
    ("key_note.ico", key_note, None),
    ("password.ico", password, None),
    ("password_new.ico", password_new, None),
    ("cleanup.ico", cleanup, None),
    ("sounds.ico", sounds, None),
    ("desktop.ico", desktop_icon, None),
    ("startup.ico", startup_folder, None),
]

# -------------------------------------------------------------- rendering


def render(shapes, size, scale):
    """Straight-alpha RGBA rows, top row first, of `shapes` drawn at
    `scale` pixels per design unit."""
    pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied
    for shape in shapes:
        paint_shape(pixels, shape, size, scale)
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


def coverage_grid(inside, px0, py0, px1, py1, scale):
    """Whether each pixel corner of the box lies inside the shape. Used only
    at large scales, where no detail is thinner than a pixel: a pixel whose
    four corners agree is wholly inside or outside and needs no samples."""
    return [[inside(px / scale, py / scale) for px in range(px0, px1 + 1)] for py in range(py0, py1 + 1)]


def paint_shape(pixels, shape, size, scale):
    (bx0, by0, bx1, by1), inside, paint = shape
    offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
    px0 = max(0, int(math.floor(bx0 * scale)))
    py0 = max(0, int(math.floor(by0 * scale)))
    px1 = min(size, int(math.ceil(bx1 * scale)))
    py1 = min(size, int(math.ceil(by1 * scale)))
    corners = coverage_grid(inside, px0, py0, px1, py1, scale) if scale >= 3 else None
    for py in range(py0, py1):
        for px in range(px0, px1):
            if corners is not None:
                c = corners[py - py0]
                d = corners[py - py0 + 1]
                k = px - px0
                quad = (c[k], c[k + 1], d[k], d[k + 1])
                if not any(quad):
                    continue
                if all(quad):
                    hits = SAMPLES * SAMPLES
                else:
                    hits = sum(1 for oy in offsets for ox in offsets if inside((px + ox) / scale, (py + oy) / scale))
            else:
                hits = sum(1 for oy in offsets for ox in offsets if inside((px + ox) / scale, (py + oy) / scale))
            if not hits:
                continue
            cover = hits / (SAMPLES * SAMPLES)
            dr, dg, db, da = pixels[py][px]
            if paint[0] == "erase":
                keep = 1 - cover
                pixels[py][px] = (dr * keep, dg * keep, db * keep, da * keep)
                continue
            r, g, b, a = paint_at(paint, (py + 0.5) / scale)
            a *= cover
            pixels[py][px] = (r * a + dr * (1 - a), g * a + dg * (1 - a),
                              b * a + db * (1 - a), a + da * (1 - a))


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


# ----------------------------------------------------- bitmaps (with PIL)
# The tool-bar strip and the two pictures are .bmp files. Their texts come
# from the string table in resources/Orvane.rc, so the pictures never
# disagree with what the program says about itself.

TOOLBAR_BACKGROUND = (0xC0, 0xC0, 0xC0)  # the tool bar shows this grey as button face
FONT_DIR = "/usr/share/fonts/truetype/dejavu"


def string_table(rc_path):
    """The string table of the resource script: name -> text."""
    texts = {}
    with open(rc_path, encoding="cp1252") as f:
        for text_line in f:
            match = re.match(r'\s*(IDS_\w+)\s+"(.*)"\s*$', text_line)
            if match:
                texts[match.group(1)] = match.group(2)
    return texts


def motif_image(shapes, size, scale):
    from PIL import Image
    image = Image.new("RGBA", (size, size))
    image.putdata([pixel for row in render(shapes, size, scale) for pixel in row])
    return image


def toolbar_strip():
    """The 12 images side by side on light grey, as an 8-bit bitmap. The tool
    bar maps the palette entry 0xC0C0C0 to the button face and masks it,
    which works only for bitmaps with a colour table; no drawn pixel may
    have that exact colour, or it would turn transparent too."""
    from PIL import Image
    strip = Image.new("RGB", (16 * len(TOOLBAR), 16), TOOLBAR_BACKGROUND)
    for index, shapes in enumerate(TOOLBAR):
        strip.paste(motif_image(shapes(), 16, 1.0), (16 * index, 0), motif_image(shapes(), 16, 1.0))
    background = strip.getpixel((0, 0))
    drawn = Image.new("RGB", strip.size, (0, 0, 0))
    mask = Image.new("L", strip.size, 0)
    for y in range(16):
        for x in range(strip.size[0]):
            pixel = strip.getpixel((x, y))
            if pixel != background:
                if pixel == TOOLBAR_BACKGROUND:
                    pixel = (0xC1, 0xC1, 0xC1)
                drawn.putpixel((x, y), pixel)
                mask.putpixel((x, y), 255)
    palette_image = drawn.quantize(colors=255, dither=Image.Dither.NONE)
    palette = palette_image.getpalette()[:255 * 3]
    palette = [min(255, c + 1) if tuple(palette[i - i % 3:i - i % 3 + 3]) == TOOLBAR_BACKGROUND else c
               for i, c in enumerate(palette)]
    indices = [0 if not mask.getpixel((x, y)) else palette_image.getpixel((x, y)) + 1
               for y in range(16) for x in range(strip.size[0])]
    result = Image.new("P", strip.size)
    result.putpalette(list(TOOLBAR_BACKGROUND) + palette + [0] * (3 * (256 - 1 - len(palette) // 3)))
    result.putdata(indices)
    return result


def gradient(size, top, bottom):
    from PIL import Image
    width, height = size
    image = Image.new("RGB", size)
    top, bottom = rgb(top), rgb(bottom)
    for y in range(height):
        t = y / max(1, height - 1)
        colour = tuple(int(round(a + (b - a) * t)) for a, b in zip(top[:3], bottom[:3]))
        image.paste(colour, (0, y, width, y + 1))
    return image


def font(name, size):
    from PIL import ImageFont
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def centred_text(draw, width, y, text, face, fill):
    left, _, right, _ = draw.textbbox((0, 0), text, font=face)
    draw.text(((width - (right - left)) // 2 - left, y), text, font=face, fill=fill)


def about_picture(texts):
    """The program's picture: the shield, the name, what it is, the version
    and the maker's notice on a deep blue ground."""
    from PIL import ImageDraw
    width, height = 400, 250
    picture = gradient((width, height), "163a80", "0b1f47")
    art = motif_image(program_large(), 136, 136 / 32)
    picture.paste(art, (26, 40), art)
    draw = ImageDraw.Draw(picture)
    draw.text((182, 40), texts["IDS_PROGRAM_NAME"], font=font("DejaVuSans-Bold.ttf", 46), fill=(255, 255, 255))
    draw.line((184, 104, 380, 104), fill=(226, 170, 40), width=2)
    y = 114
    for part in wrap(draw, texts["IDS_DESCRIPTION"], font("DejaVuSans.ttf", 14), 200):
        draw.text((184, y), part, font=font("DejaVuSans.ttf", 14), fill=(214, 228, 250))
        y += 19
    draw.text((184, y + 10), texts["IDS_VERSION"], font=font("DejaVuSans-Bold.ttf", 16), fill=(255, 214, 96))
    draw.rectangle((0, height - 34, width, height), fill=(8, 22, 52))
    draw.line((0, height - 35, width, height - 35), fill=(40, 80, 150))
    centred_text(draw, width, height - 25, texts["IDS_RIGHTS"], font("DejaVuSans.ttf", 11), (190, 204, 228))
    draw.rectangle((0, 0, width - 1, height - 1), outline=(5, 14, 34))
    return picture


def tall_picture(texts, width, height, art_size, art_top, name_size, version_size):
    """The shield, the name and the version, centred one above the other."""
    from PIL import ImageDraw
    picture = gradient((width, height), "163a80", "0b1f47")
    art = motif_image(program_large(), art_size, art_size / 32)
    picture.paste(art, ((width - art_size) // 2, art_top), art)
    draw = ImageDraw.Draw(picture)
    name_top = art_top + art_size + 12
    centred_text(draw, width, name_top, texts["IDS_PROGRAM_NAME"], font("DejaVuSans-Bold.ttf", name_size),
                 (255, 255, 255))
    line_y = name_top + name_size * 3 // 2
    draw.line((30, line_y, width - 30, line_y), fill=(226, 170, 40), width=2)
    centred_text(draw, width, line_y + 10, texts["IDS_VERSION"], font("DejaVuSans-Bold.ttf", version_size),
                 (255, 214, 96))
    return picture


def options_picture(texts):
    """The tall picture at the left of the options pages."""
    return tall_picture(texts, 154, 256, 96, 26, 28, 13)


def setup_picture(texts):
    """The picture at the left of the setup program's first and last pages,
    at the size those pages show (164 x 314)."""
    return tall_picture(texts, 164, 314, 112, 40, 30, 14)


def wrap(draw, text, face, width):
    """`text` broken into lines no wider than `width` pixels."""
    lines, current = [], ""
    for word in text.split():
        candidate = (current + " " + word).strip()
        if current and draw.textlength(candidate, font=face) > width:
            lines.append(current)
            current = word
        else:
            current = candidate
    return lines + [current] if current else lines


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
    texts = string_table(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "Orvane.rc"))
    toolbar_strip().save(os.path.join(out, "toolbar.bmp"))
    about_picture(texts).save(os.path.join(out, "about.bmp"))
    options_picture(texts).save(os.path.join(out, "options.bmp"))
    setup_picture(texts).save(os.path.join(out, "setup.bmp"))


if __name__ == "__main__":
    main()
