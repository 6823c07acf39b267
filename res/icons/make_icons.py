#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files.

    make_icons.py            write the icons beside this script
    make_icons.py --out DIR  write them into DIR instead
    make_icons.py --check    exit 1 unless the checked-in icons equal a fresh rendering

Standard library only. Every shape is a set of polygons filled with the non-zero rule by a
scanline rasteriser: exact horizontal coverage on 16 sub-rows per pixel gives smooth edges.
The output is byte-for-byte reproducible: trigonometry is used only to place vertices, and
vertices are snapped to a 1/4096 grid, so a last-bit difference between maths libraries
cannot move an edge.
"""

import argparse
import math
import struct
import sys
from pathlib import Path

SUBROWS = 16


# ---------------------------------------------------------------------------------------------
# Geometry. A contour is a list of (x, y) points; a shape is a list of contours. Filled
# contours run counter-clockwise on screen, holes clockwise, so overlapping parts of one shape
# unite under the non-zero rule.

def snap(v):
    return round(v * 4096) / 4096


def point(x, y):
    return (snap(x), snap(y))


def signed_area(contour):
    s = 0.0
    for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
        s += x0 * y1 - x1 * y0
    return s / 2


def filled(contour):
    return contour if signed_area(contour) >= 0 else contour[::-1]


def hole(contour):
    return contour[::-1] if signed_area(contour) >= 0 else contour


def polar(cx, cy, r, degrees):
    a = math.radians(degrees)
    return point(cx + r * math.cos(a), cy + r * math.sin(a))


def arc_points(cx, cy, r, start, end, steps):
    return [polar(cx, cy, r, start + (end - start) * i / steps) for i in range(steps + 1)]


def circle(cx, cy, r, steps=96):
    return [filled(arc_points(cx, cy, r, 0, 360, steps)[:-1])]


def ring(cx, cy, r_outer, r_inner, steps=96):
    return circle(cx, cy, r_outer, steps) + [hole(arc_points(cx, cy, r_inner, 0, 360, steps)[:-1])]


def ring_sector(cx, cy, r_outer, r_inner, start, end, steps=24):
    outer = arc_points(cx, cy, r_outer, start, end, steps)
    inner = arc_points(cx, cy, r_inner, end, start, steps)
    return [filled(outer + inner)]


def capsule(p, q, half_width, cap_steps=12):
    """A segment with round ends: the stroke of a pen of the given half width."""
    (x0, y0), (x1, y1) = p, q
    heading = math.degrees(math.atan2(y1 - y0, x1 - x0))
    end_cap = arc_points(x1, y1, half_width, heading - 90, heading + 90, cap_steps)
    start_cap = arc_points(x0, y0, half_width, heading + 90, heading + 270, cap_steps)
    return filled(end_cap + start_cap)


def stroke(points, half_width):
    return [capsule(p, q, half_width) for p, q in zip(points, points[1:])]


def bezier(p0, p1, p2, p3, steps=16):
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append(point(u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                         u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


# ---------------------------------------------------------------------------------------------
# Paint: a colour as a function of the pixel centre. Colours are (r, g, b, a) in 0..1.

def hex_colour(text, alpha=1.0):
    return (int(text[1:3], 16) / 255, int(text[3:5], 16) / 255, int(text[5:7], 16) / 255, alpha)


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def solid(colour):
    return lambda x, y: colour


def linear(p0, p1, c0, c1):
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    length2 = dx * dx + dy * dy
    return lambda x, y: mix(c0, c1, ((x - p0[0]) * dx + (y - p0[1]) * dy) / length2)


def radial(centre, r0, r1, c0, c1):
    cx, cy = centre
    return lambda x, y: mix(c0, c1, (math.sqrt((x - cx) ** 2 + (y - cy) ** 2) - r0) / (r1 - r0))


# ---------------------------------------------------------------------------------------------
# Rasterising and compositing.

class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied

    def coverage(self, shape):
        size = self.size
        edges = []
        for contour in shape:
            for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
                if y0 != y1:
                    edges.append((x0, y0, x1, y1, 1 if y1 > y0 else -1))
        cover = {}
        for row in range(size):
            row_edges = [e for e in edges if min(e[1], e[3]) < row + 1 and max(e[1], e[3]) > row]
            if not row_edges:
                continue
            for sub in range(SUBROWS):
                y = row + (sub + 0.5) / SUBROWS
                crossings = []
                for x0, y0, x1, y1, winding in row_edges:
                    if min(y0, y1) <= y < max(y0, y1):
                        crossings.append((x0 + (y - y0) * (x1 - x0) / (y1 - y0), winding))
                crossings.sort()
                winding_sum = 0
                for i, (x, w) in enumerate(crossings[:-1]):
                    winding_sum += w
                    if winding_sum != 0:
                        self._add_span(cover, row, x, crossings[i + 1][0])
        return cover

    def _add_span(self, cover, row, a, b):
        a, b = max(a, 0.0), min(b, float(self.size))
        column = int(math.floor(a))
        while column < b and column < self.size:
            overlap = min(b, column + 1) - max(a, column)
            if overlap > 0:
                key = (row, column)
                cover[key] = cover.get(key, 0.0) + overlap / SUBROWS
            column += 1

    def fill(self, shape, paint):
        for (row, column), amount in self.coverage(shape).items():
            r, g, b, a = paint(column + 0.5, row + 0.5)
            a *= min(amount, 1.0)
            dr, dg, db, da = self.pixels[row][column]
            keep = 1.0 - a
            self.pixels[row][column] = (r * a + dr * keep, g * a + dg * keep,
                                        b * a + db * keep, a + da * keep)

    def bgra_rows(self):
        """Straight-alpha BGRA bytes, one bytes object per row, top row first."""
        rows = []
        for line in self.pixels:
            out = bytearray()
            for r, g, b, a in line:
                alpha = round(a * 255)
                if alpha == 0:
                    out += b"\0\0\0\0"
                    continue
                out += bytes((round(min(b / a, 1.0) * 255), round(min(g / a, 1.0) * 255),
                              round(min(r / a, 1.0) * 255), alpha))
            rows.append(bytes(out))
        return rows


# ---------------------------------------------------------------------------------------------
# The .ico container: one 32-bit image, stored as a bottom-up DIB with its height doubled for
# the AND mask, which marks the fully transparent pixels for readers that ignore alpha.

def ico_bytes(canvas):
    size = canvas.size
    rows = canvas.bgra_rows()
    xor = b"".join(reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(size):
            if line[4 * x + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


# ---------------------------------------------------------------------------------------------
# The drawings.

def outlined_stroke(canvas, points, half_width, edge, paint, edge_width=1.0):
    canvas.fill(stroke(points, half_width + edge_width), solid(edge))
    canvas.fill(stroke(points, half_width), paint)


CHECK_POINTS = [point(6.5, 17.0), point(13.0, 23.5), point(25.5, 8.5)]


def check_mark(top, bottom, edge):
    canvas = Canvas(32)
    paint = linear((0, 6), (0, 27), hex_colour(top), hex_colour(bottom))
    outlined_stroke(canvas, CHECK_POINTS, 3.0, hex_colour(edge), paint)
    return canvas


def red_paint(top=4, bottom=28):
    return linear((0, top), (0, bottom), hex_colour("#F4473A"), hex_colour("#B8140E"))


RED_EDGE = hex_colour("#7A0A06")


def question_mark():
    canvas = Canvas(32)
    # The hook: three quarters of a circle, then a curve down into the stem.
    hook = arc_points(16.0, 10.5, 6.0, 200, 400, 20)
    end = hook[-1]
    hook += bezier(end, point(end[0] - 2.0, end[1] + 2.2), point(16.0, 16.2), point(16.0, 19.5), 8)[1:]
    for pen, paint in ((3.0 + 1.0, solid(RED_EDGE)), (3.0, red_paint(3, 22))):
        canvas.fill(stroke(hook, pen), paint)
    canvas.fill(circle(16.0, 26.0, 3.4 + 1.0), solid(RED_EDGE))
    canvas.fill(circle(16.0, 26.0, 3.4), red_paint(22, 30))
    return canvas


def cross():
    canvas = Canvas(32)
    a, b = (point(8.0, 8.0), point(24.0, 24.0)), (point(24.0, 8.0), point(8.0, 24.0))
    canvas.fill(stroke(a, 4.0) + stroke(b, 4.0), solid(RED_EDGE))
    canvas.fill(stroke(a, 3.0) + stroke(b, 3.0), red_paint(5, 27))
    return canvas


GAUGE = (32.0, 40.0)
SCALE_START, SCALE_SWEEP = 135.0, 270.0  # degrees on screen, clockwise from the right
RED_ZONE_AT = 0.625  # of the scale
NEEDLE_AT = 0.69  # of the scale: inside the red zone, the overclock


def flame_tongue(base_x, base_y, half_width, tip, curl):
    """A tongue of flame: a round belly rising into a thin tip bent by `curl`."""
    tx, ty = tip
    height = base_y - ty
    left, right = point(base_x - half_width, base_y), point(base_x + half_width, base_y)
    rising = bezier(left, point(base_x - half_width * 1.15, base_y - height * 0.55),
                    point(tx - curl - half_width * 0.1, ty + height * 0.35), point(tx, ty), 16)
    falling = bezier(point(tx, ty), point(tx + curl * 0.3 + half_width * 0.35, ty + height * 0.4),
                     point(base_x + half_width * 1.2, base_y - height * 0.45), right, 16)
    bottom = point(base_x, base_y + half_width * 0.6)
    return filled(rising + falling[1:] + [bottom])


# base x, base y, half width, tip, curl: a fire that rises behind the dial and spills round it
FLAMES = [(13.0, 48.0, 9.0, (2.0, 16.0), -3.0), (20.0, 40.0, 9.5, (10.5, 4.5), -3.5),
          (30.0, 36.0, 10.0, (25.0, 0.5), -2.5), (38.0, 36.0, 10.0, (41.0, 2.0), 3.0),
          (45.0, 40.0, 9.5, (53.5, 6.0), 3.5), (51.0, 48.0, 9.0, (62.0, 18.0), 3.0)]


def flames(scale, grow=0.0):
    """The fire shrunk towards the dial's centre by `scale`, its outline widened by `grow`."""
    cx, cy = GAUGE
    out = []
    for base_x, base_y, half_width, (tx, ty), curl in FLAMES:
        tip = (cx + (tx - cx) * scale, cy + (ty - cy) * scale - grow)
        out.append(flame_tongue(base_x, base_y, half_width * scale + grow, tip, curl * scale))
    return out


def gauge_with_flames():
    canvas = Canvas(64)
    cx, cy = GAUGE
    canvas.fill(flames(1.0, 1.2), solid(hex_colour("#7E1204")))
    canvas.fill(flames(1.0), radial(GAUGE, 20, 40, hex_colour("#FF7A14"), hex_colour("#D8200E")))
    canvas.fill(flames(0.84), radial(GAUGE, 20, 34, hex_colour("#FFB828"), hex_colour("#FF6E10")))
    canvas.fill(flames(0.7), radial(GAUGE, 20, 29, hex_colour("#FFF6C0"), hex_colour("#FFC42A")))

    canvas.fill(circle(cx, cy, 23.5, 128), solid(hex_colour("#1E2126")))
    canvas.fill(ring(cx, cy, 22.5, 19.5, 128),
                linear((0, cy - 23), (0, cy + 23), hex_colour("#F4F6F8"), hex_colour("#59606A")))
    canvas.fill(circle(cx, cy, 19.5, 128), radial(GAUGE, 4, 20, hex_colour("#FFFFFF"), hex_colour("#D2D8E0")))

    canvas.fill(ring_sector(cx, cy, 17.8, 14.6, SCALE_START + SCALE_SWEEP * RED_ZONE_AT, SCALE_START + SCALE_SWEEP),
                solid(hex_colour("#E3231B")))
    ticks = []
    for k in range(9):
        angle = SCALE_START + SCALE_SWEEP * k / 8
        ticks.append(capsule(polar(cx, cy, 12.5, angle), polar(cx, cy, 16.5, angle), 1.1, 4))
    canvas.fill(ticks, solid(hex_colour("#2A2E34")))

    angle = SCALE_START + SCALE_SWEEP * NEEDLE_AT
    for grow, colour in ((0.9, "#5A0604"), (0.0, "#D8180E")):
        needle = [filled([polar(cx, cy, 18.0 + grow, angle), polar(cx, cy, 3.0 + grow, angle + 90),
                          polar(cx, cy, 6.0 + grow, angle + 180), polar(cx, cy, 3.0 + grow, angle - 90)])]
        canvas.fill(needle, solid(hex_colour(colour)))
    canvas.fill(circle(cx, cy, 4.5), radial((cx - 1.2, cy - 1.2), 0, 5.0, hex_colour("#6A717B"), hex_colour("#1A1D22")))
    return canvas


ICONS = {
    "Tarvel.ico": gauge_with_flames,
    "Selected.ico": lambda: check_mark("#F4473A", "#B8140E", "#7A0A06"),
    "SelectedGray.ico": lambda: check_mark("#3A3A3A", "#000000", "#000000"),
    "About.ico": question_mark,
    "Exit.ico": cross,
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=Path, default=Path(__file__).resolve().parent)
    parser.add_argument("--check", action="store_true", help="compare with the files instead of writing them")
    args = parser.parse_args()

    stale = []
    for name, draw in ICONS.items():
        data = ico_bytes(draw())
        target = args.out / name
        if args.check:
            if not target.is_file() or target.read_bytes() != data:
                stale.append(name)
        else:
            target.write_bytes(data)
    if stale:
        print("icons differ from a fresh rendering: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
