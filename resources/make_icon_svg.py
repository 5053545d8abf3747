#!/usr/bin/python3
"""Draws the scalable icon, tidewell.svg: the blue letter Q of tidewell.png on its light cyan
square, with the letter's outline taken from Liberation Sans Bold so that the menu sizes match
the tray icon. Needs python3-fonttools and fonts-liberation; run from anywhere, writes
tidewell.svg next to this script. The package's PNG sizes are rendered from it at build time."""

import os
import subprocess

from fontTools.pens.boundsPen import BoundsPen
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.ttLib import TTFont

SIZE = 16  # drawing units: the tray icon's pixels
BACKGROUND = "#C8F4FA"
INK = "#1040C8"
POINT_SIZE = 14  # as in make_icon.sh
INK_CENTRE = (8.0, 8.3)  # where the 16 px icon has the letter's middle


def letter_path(font_file):
    font = TTFont(font_file)
    glyphs = font.getGlyphSet()
    glyph = glyphs[font.getBestCmap()[ord("Q")]]
    pen = SVGPathPen(glyphs)
    glyph.draw(pen)
    bounds = BoundsPen(glyphs)
    glyph.draw(bounds)
    x_min, y_min, x_max, y_max = bounds.bounds
    scale = POINT_SIZE / font["head"].unitsPerEm
    # Font units grow upwards; SVG's grow downwards.
    dx = INK_CENTRE[0] - scale * (x_min + x_max) / 2
    dy = INK_CENTRE[1] + scale * (y_min + y_max) / 2
    return pen.getCommands(), f"translate({dx:.4f} {dy:.4f}) scale({scale:.6f} {-scale:.6f})"


def main():
    font_file = subprocess.run(
        ["fc-match", "-f", "%{file}", "Liberation Sans:style=Bold"],
        check=True, capture_output=True, text=True).stdout
    path, transform = letter_path(font_file)
    svg = (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
        f'viewBox="0 0 {SIZE} {SIZE}">\n'
        f'  <title>Tidewell</title>\n'
        f'  <rect width="{SIZE}" height="{SIZE}" rx="1.5" fill="{BACKGROUND}"/>\n'
        f'  <path fill="{INK}" transform="{transform}" d="{path}"/>\n'
        f'</svg>\n')
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tidewell.svg")
    with open(out, "w", encoding="ascii") as f:
        f.write(svg)


if __name__ == "__main__":
    main()
