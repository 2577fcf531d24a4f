#!/usr/bin/env python3
"""Draws the tool's icon, a satellite dish, as XPM images of 16, 32 and 48
pixels (compiled into the program) and as an SVG (for the desktop menu).
Run it only to change the drawing."""
import math

# Shapes in a unit square, drawn in order; later shapes cover earlier ones.
COLORS = {".": "None", "s": "#37474F", "d": "#1E88E5", "l": "#90CAF9", "f": "#FB8C00"}


def inside(x, y):
    """The colour key of the unit-square point (x, y)."""
    key = "."
    # Stand: a post and a base.
    if abs(x - 0.45) < 0.05 and 0.55 < y < 0.92:
        key = "s"
    if 0.25 < x < 0.65 and 0.86 < y < 0.94:
        key = "s"
    # Dish: a disc, tilted, with a lighter hollow.
    dx, dy = x - 0.42, y - 0.45
    c, s = math.cos(math.radians(35)), math.sin(math.radians(35))
    u, v = dx * c + dy * s, -dx * s + dy * c
    if (u / 0.40) ** 2 + (v / 0.26) ** 2 <= 1:
        key = "d"
        if ((u - 0.03) / 0.30) ** 2 + ((v + 0.02) / 0.17) ** 2 <= 1:
            key = "l"
    # Feed arm from the dish centre to the feed horn.
    ax, ay, bx, by = 0.42, 0.45, 0.80, 0.16
    t = max(0, min(1, ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
    if math.hypot(x - (ax + t * (bx - ax)), y - (ay + t * (by - ay))) < 0.035:
        key = "s"
    if math.hypot(x - 0.82, y - 0.14) < 0.09:
        key = "f"
    return key


def pixels(size):
    rows = []
    for py in range(size):
        row = ""
        for px in range(size):
            votes = {}
            for sy in range(4):
                for sx in range(4):
                    k = inside((px + (sx + 0.5) / 4) / size, (py + (sy + 0.5) / 4) / size)
                    votes[k] = votes.get(k, 0) + 1
            row += max(votes, key=votes.get)
        rows.append(row)
    return rows


def xpm(size):
    rows = pixels(size)
    lines = [f"/* XPM */", f"static const char* const zembra_icon_{size}_xpm[] = {{",
             f'"{size} {size} {len(COLORS)} 1",']
    lines += [f'"{k} c {v}",' for k, v in COLORS.items()]
    lines += [f'"{r}",' for r in rows[:-1]] + [f'"{rows[-1]}"}};']
    return "\n".join(lines) + "\n"


def svg():
    return """<svg xmlns="http://www.w3.org/2000/svg" width="48" height="48" viewBox="0 0 1 1">
  <rect x="0.40" y="0.55" width="0.10" height="0.37" fill="#37474F"/>
  <rect x="0.25" y="0.86" width="0.40" height="0.08" fill="#37474F"/>
  <g transform="rotate(35 0.42 0.45)">
    <ellipse cx="0.42" cy="0.45" rx="0.40" ry="0.26" fill="#1E88E5"/>
    <ellipse cx="0.45" cy="0.43" rx="0.30" ry="0.17" fill="#90CAF9"/>
  </g>
  <line x1="0.42" y1="0.45" x2="0.80" y2="0.16" stroke="#37474F" stroke-width="0.07"/>
  <circle cx="0.82" cy="0.14" r="0.09" fill="#FB8C00"/>
</svg>
"""


for size in (16, 32, 48):
    with open(f"zembra_icon_{size}.xpm", "w") as out:
        out.write(xpm(size))
with open("../zembra-tool.svg", "w") as out:
    out.write(svg())
print("\n".join(pixels(32)))
