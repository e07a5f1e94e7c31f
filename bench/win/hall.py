#!/usr/bin/python3
"""Measurements of what the audience sees, taken from outside the program on its X display.

  page WIN X Y BOX_X BOX_Y BOX_W BOX_H SECONDS
      Clicks client point (X, Y) of window WIN (screenshot pixels, as tests/e2e/lib.sh gives
      them) and grabs the box every few milliseconds for SECONDS. Prints when each distinct
      picture first showed (ms after the click) and what it was: the picture before the click,
      the last one (the page whole), or one in between (a partial page).
  borders SHOT CX CY SCALE
      Dark pixels (ink) on the ten sector borders of the wheel whose centre is at (CX, CY) of the
      screenshot, SCALE pixels a layout unit: per border, and in all. A border runs from the hub
      to the plate's red rim along 18 + 36 k degrees; the plate itself has no pixel that dark
      there.

Each command prints one line of figures (and `page` one line a picture); nothing is judged.
"""
import ctypes
import math
import os
import sys
import time

import numpy as np
from PIL import Image

DARK = 90
# The borders run from just outside the hub's dark ring to the start of the red rim, in units.
BORDER_FROM, BORDER_TO = 75, 211


class X:
    """Clicks through XTest and grabs through XGetImage, on the display of $DISPLAY."""

    class XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int),
                    ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
                    ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                    ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                    ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                    ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                    ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                    ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p),
                    ("funcs", ctypes.c_void_p * 6)]

    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(X.XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.dpy = self.x11.XOpenDisplay(os.environ["DISPLAY"].encode())
        if not self.dpy:
            sys.exit("hall.py: no X display")
        self.root = self.x11.XDefaultRootWindow(self.dpy)

    def grab(self, x, y, w, h):
        img = self.x11.XGetImage(self.dpy, self.root, x, y, w, h, 0xFFFFFF, 2)  # ZPixmap
        if not img:
            sys.exit("hall.py: XGetImage failed")
        im = img.contents
        raw = ctypes.string_at(im.data, im.bytes_per_line * h)
        ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(im.funcs[1])(img)
        rows = np.frombuffer(raw, dtype=np.uint8).reshape(h, im.bytes_per_line)
        return rows[:, :w * 4].reshape(h, w, 4)[..., 2::-1].copy()  # BGRX to RGB

    def click(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 1, 0)
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 0, 0)
        self.x11.XFlush(self.dpy)


def window_origin(win):
    import subprocess
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", win],
                         capture_output=True, text=True, check=True).stdout
    geo = dict(line.split("=", 1) for line in out.split())
    return int(geo["X"]), int(geo["Y"])


def cmd_page(win, px, py, bx, by, bw, bh, seconds):
    x = X()
    wx, wy = window_origin(win)
    box = (wx + int(bx), wy + int(by), int(bw), int(bh))
    before = x.grab(*box)
    frames = [(0.0, before)]
    grabs = 0
    t0 = time.monotonic()
    x.click(wx + int(px), wy + int(py))
    while time.monotonic() - t0 < float(seconds):
        cur = x.grab(*box)
        grabs += 1
        if not np.array_equal(cur, frames[-1][1]):
            frames.append(((time.monotonic() - t0) * 1000, cur))
        time.sleep(0.002)
    last = frames[-1][1]
    partial = 0
    for i, (t, f) in enumerate(frames):
        if np.array_equal(f, before):
            kind = "before"
        elif np.array_equal(f, last):
            kind = "whole"
        else:
            kind = "partial"
            partial += 1
            Image.fromarray(f).save(f"{os.environ.get('HALL_PREFIX', 'page')}-partial{i}.png")
        print(f"frame {i}: {t:.1f} ms {kind}")
    Image.fromarray(last).save(f"{os.environ.get('HALL_PREFIX', 'page')}-whole.png")
    span = float(seconds) * 1000 / max(grabs, 1)
    whole = next((t for t, f in frames if np.array_equal(f, last)), None)
    print(f"whole_ms={whole if whole is None else round(whole, 1)} partial_frames={partial} "
          f"pictures={len(frames)} grab_every_ms={span:.1f}")


def cmd_borders(path, cx, cy, scale):
    img = np.asarray(Image.open(path).convert("RGB"), dtype=np.int16)
    cx, cy, s = float(cx), float(cy), float(scale)
    dark = img.max(axis=2) < DARK
    counts = []
    for k in range(10):
        th = math.radians(18 + 36 * k)
        along, across = (math.sin(th), -math.cos(th)), (math.cos(th), math.sin(th))
        seen = set()
        # The border line and one pixel either side of it, every half pixel along it.
        for step in range(int(BORDER_FROM * s * 2), int(BORDER_TO * s * 2) + 1):
            r = step / 2
            for o in (-1, 0, 1):
                seen.add((int(round(cy + r * along[1] + o * across[1])),
                          int(round(cx + r * along[0] + o * across[0]))))
        counts.append(sum(1 for y, x in seen if 0 <= y < dark.shape[0] and
                          0 <= x < dark.shape[1] and dark[y, x]))
    print(f"total={sum(counts)} per_border={','.join(map(str, counts))}")


COMMANDS = {name[4:]: f for name, f in list(globals().items()) if name.startswith("cmd_")}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit("usage: hall.py " + "|".join(COMMANDS) + " ARGS...")
    COMMANDS[sys.argv[1]](*sys.argv[2:])
