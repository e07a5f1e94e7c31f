#!/usr/bin/python3
"""How smooth and how dark the names on the wheel are, in a screenshot of the wheel page.

For the two labels that are never turned, prize 1 at the top and prize 6 at the bottom (turned a
half turn, which only moves pixels), it counts the ink (pixels of the text's hue darker than
luminance 96) and, of the pixels next to the ink (8-neighbours, not ink themselves), the share
that are in-between shades (more than 20 below the plate's luminance). Hard-edged text has
almost none; smooth text has more than half. The red ring and the gold lines are told apart from
the black text by their hue.

    tools/label-edges.py SHOT [SCALE [CX CY]]

SHOT is a screenshot of the main window: the client area alone (tools/screenshots.sh writes
docs/wheel.png) or a whole X window with the client area at (CX, CY) (tests/e2e/dpi.sh logs one
at 150 %, SCALE 1.5, and the client origin).
"""
import sys

import numpy as np
from PIL import Image

# The labels' boxes in layout units of the client area, a little generous.
BOXES = {"prize 1": (205, 76, 335, 110), "prize 6": (205, 452, 335, 490)}
DARK = 96


def neighbours(mask):
    near = np.zeros_like(mask)
    h, w = mask.shape
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            near[max(dy, 0):h + min(dy, 0), max(dx, 0):w + min(dx, 0)] |= \
                mask[max(-dy, 0):h + min(-dy, 0), max(-dx, 0):w + min(-dx, 0)]
    return near


def main(shot, scale=1.0, cx=0, cy=0):
    img = np.asarray(Image.open(shot).convert("RGB")).astype(float)
    ink_total = border_total = between_total = 0
    for name, (left, top, right, bottom) in BOXES.items():
        box = img[int(cy + top * scale):int(cy + bottom * scale),
                  int(cx + left * scale):int(cx + right * scale)]
        r, g, b = box[..., 0], box[..., 1], box[..., 2]
        lum = 0.299 * r + 0.587 * g + 0.114 * b
        # Black over the cream plate keeps the cream's hue.
        texty = (b >= 0.55 * r) | (box.max(axis=2) < 48)
        ink = texty & (lum < DARK)
        near = neighbours(ink)
        border = near & ~ink & texty
        plate = np.median(lum[texty & ~near])
        between = border & (lum < plate - 20)
        print(f"{name}: ink {ink.sum()}, in-between {between.sum()} of {border.sum()} next to it "
              f"({100.0 * between.sum() / max(border.sum(), 1):.1f} %)")
        ink_total += ink.sum()
        border_total += border.sum()
        between_total += between.sum()
    print(f"both: ink {ink_total}, in-between "
          f"{100.0 * between_total / max(border_total, 1):.1f} %")


if __name__ == "__main__":
    if len(sys.argv) not in (2, 3, 5):
        sys.exit(__doc__)
    main(sys.argv[1], *(float(a) for a in sys.argv[2:3]), *(int(a) for a in sys.argv[3:5]))
