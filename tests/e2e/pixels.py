#!/usr/bin/python3
"""Pixel measurements for the whole-program tests.

Every command prints what it measured on one line; the shell scripts judge the numbers. Points
and boxes are in pixels of the screenshot (the X window: frame and caption included) unless a
command says otherwise. Lengths of the layout built in here (the arrow's ring, the canvas's
offset) are scaled to the program's DPI, E2E_DPI in the environment (default 96).
"""
import math
import os
import subprocess
import sys
import time

import numpy as np
from PIL import Image, ImageGrab

DPI = int(os.environ.get("E2E_DPI", "96"))


def units(n):
    """n layout units in pixels, rounded half up as the shell scripts do."""
    return (n * DPI + 48) // 96


# The arrow of the pointer lies between its boss (a dark ring just outside the hub) and its tip.
ARROW_INNER, ARROW_OUTER = units(75), units(150)
DARK = 90


def load(path):
    return np.asarray(Image.open(path).convert("RGB"), dtype=np.int16)


def box(img, x, y, w, h):
    return img[y:y + h, x:x + w]


def warm(rgb):
    """The sunburst behind the wheel and the pages: saturated reds and oranges."""
    r, g, b = rgb[..., 0], rgb[..., 1], rgb[..., 2]
    return (r > 120) & (r - b > 80)


def cmd_origin(path):
    """Client origin of the main window, found from where its canvas begins: the canvas fills
    the page 20 units below the top of the client area, the left edge flush with it."""
    img = load(path)
    h, w, _ = img.shape
    column = warm(img[:, w // 4])
    top = next((y for y in range(h - 5) if column[y:y + 5].all()), None)
    if top is None:
        sys.exit("origin: no canvas found")
    row = warm(img[top + 5])
    left = next((x for x in range(w - 5) if row[x:x + 5].all()), None)
    if left is None:
        sys.exit("origin: no canvas found")
    print(left, top - units(20))


def pointer_angle(img, cx, cy):
    """Direction of the arrow about the hub centre (cx, cy): the circular mean of the dark pixels
    in the ring the arrow sweeps, in degrees clockwise from straight up; their count; and how
    tightly they gather about that direction (1: all in one direction, near 0: spread all round)."""
    r = ARROW_OUTER
    part = img[cy - r:cy + r + 1, cx - r:cx + r + 1]
    ys, xs = np.mgrid[-r:r + 1, -r:r + 1]
    dist = np.hypot(xs, ys)
    mask = (part.max(axis=2) < DARK) & (dist >= ARROW_INNER) & (dist <= ARROW_OUTER)
    n = int(mask.sum())
    if n == 0:
        return None, 0, 0.0
    ang = np.arctan2(xs[mask], -ys[mask])
    s, c = np.sin(ang).mean(), np.cos(ang).mean()
    return math.degrees(math.atan2(s, c)) % 360, n, math.hypot(s, c)


def cmd_pointer(path, cx, cy):
    angle, n, spread = pointer_angle(load(path), int(cx), int(cy))
    shown = "none" if angle is None else f"{angle:.1f}"
    print(f"angle={shown} dark={n} spread={spread:.2f}")


def cmd_diff(a, b, x, y, w, h):
    """Pixels of the box that differ between two screenshots."""
    pa, pb = (box(load(p), int(x), int(y), int(w), int(h)) for p in (a, b))
    print(int((np.abs(pa - pb).max(axis=2) > 40).sum()))


def cmd_text(path, x, y, w, h):
    """Red and black text pixels in the box."""
    p = box(load(path), int(x), int(y), int(w), int(h))
    r, g, b = p[..., 0], p[..., 1], p[..., 2]
    red = (r >= 200) & (g <= 80) & (b <= 80)
    black = p.max(axis=2) <= 80
    print(f"red={int(red.sum())} black={int(black.sum())}")


def cmd_ink(path, x, y, w, h):
    """Horizontal extent of the black text in the box, in the box's own coordinates."""
    p = box(load(path), int(x), int(y), int(w), int(h))
    cols = np.nonzero((p.max(axis=2) <= 60).any(axis=0))[0]
    if len(cols) == 0:
        print("left=-1 right=-1 width=0")
    else:
        print(f"left={cols[0]} right={cols[-1]} width={cols[-1] - cols[0] + 1}")


def cmd_colour(path, x, y, w, h, r, g, b, *more):
    """Share of the box, in per cent, whose pixels are within 30 of the colour (r, g, b); more
    boxes (x y w h ...) after the colour give a share each."""
    img, colour = load(path), np.array([int(r), int(g), int(b)])
    boxes = [(x, y, w, h)] + [more[i:i + 4] for i in range(0, len(more), 4)]
    shares = []
    for bx in boxes:
        p = box(img, *map(int, bx))
        shares.append(int(round(100 * (np.abs(p - colour).max(axis=2) <= 30).mean())))
    print(*shares)


def cmd_screen(path):
    """A full-screen picture: the share of its commonest colour, in per cent, and the share of
    the background's warm colours along its top edge (a tab strip there is grey and white)."""
    img = load(path)
    flat = img.reshape(-1, 3)
    _, counts = np.unique(flat, axis=0, return_counts=True)
    top = warm(img[:units(20)]).mean()
    print(f"commonest={100.0 * counts.max() / len(flat):.2f} warm_top={100.0 * top:.1f}")


def window_geometry(win):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", win],
                         capture_output=True, text=True, check=True).stdout
    geo = dict(line.split("=", 1) for line in out.split())
    return int(geo["X"]), int(geo["Y"]), int(geo["WIDTH"]), int(geo["HEIGHT"])


def window_origin(win):
    return window_geometry(win)[:2]


def cmd_settle(win, path, timeout, x, y, w, h):
    """Grabs the window every 0.1 s until two grabs in a row are alike in the box (a window
    caught while it paints is not), or for `timeout` seconds; saves the last grab as the
    screenshot path. One process for the whole wait: a loaded machine starts each slowly."""
    wx, wy, ww, wh = window_geometry(win)
    x, y, w, h = int(x), int(y), int(w), int(h)
    end = time.monotonic() + float(timeout)
    prev, grabs = None, 0
    while True:
        frame = ImageGrab.grab(bbox=(wx, wy, wx + ww, wy + wh), xdisplay=os.environ["DISPLAY"])
        grabs += 1
        cur = box(np.asarray(frame.convert("RGB"), dtype=np.int16), x, y, w, h)
        changed = -1 if prev is None else int((np.abs(cur - prev).max(axis=2) > 40).sum())
        if changed == 0 or time.monotonic() >= end:
            break
        prev = cur
        time.sleep(0.1)
    frame.save(path, compress_level=1)
    print(f"grabs={grabs} changed={changed}")
    sys.exit(0 if changed == 0 else 1)


def cmd_spin(win, px, py, again, rx, ry, rw, rh, quiet, timeout, prefix):
    """Presses the mouse at (px, py) of window win, presses again `again` seconds later, and
    watches the box (rx, ry, rw, rh) of the window, whose centre is the hub's, until it has not
    changed for `quiet` seconds. Prints when it first and last changed, in seconds after the
    first press; how many pixels the first change touched; and by how many degrees clockwise
    each of the last five changes turned the pointer (the last steps come hundreds of
    milliseconds apart, so no step goes unseen there). Saves the box before the press, at its
    first change and at the end as prefix-before, -moving and -end.png."""
    again, quiet, timeout = float(again), float(quiet), float(timeout)
    wx, wy = window_origin(win)
    bbox = (wx + int(rx), wy + int(ry), wx + int(rx) + int(rw), wy + int(ry) + int(rh))
    cx, cy = int(rw) // 2, int(rh) // 2

    def grab():
        return ImageGrab.grab(bbox=bbox, xdisplay=os.environ["DISPLAY"])

    click = ["xdotool", "mousemove", "--window", win, px, py, "click", "1"]
    frame = grab()
    frame.save(f"{prefix}-before.png")
    prev = np.asarray(frame, dtype=np.int16)
    t0 = time.monotonic()
    subprocess.run(click, check=True)
    first = last = None
    moved_px = 0
    angles = []
    pressed_again = False
    while True:
        now = time.monotonic() - t0
        if not pressed_again and now >= again:
            subprocess.run(click, check=True)
            pressed_again = True
        frame = grab()
        cur = np.asarray(frame, dtype=np.int16)
        if not np.array_equal(cur, prev):
            last = now
            if first is None:
                first = now
                moved_px = int((np.abs(cur - prev).max(axis=2) > 40).sum())
                frame.save(f"{prefix}-moving.png")
            angles = (angles + [pointer_angle(cur, cx, cy)[0]])[-6:]
        prev = cur
        if pressed_again and last is not None and now - last >= quiet:
            break
        if now >= timeout:
            break
        time.sleep(0.005)
    frame.save(f"{prefix}-end.png")

    turns = [round((b - a) % 360) if a is not None and b is not None else -1
             for a, b in zip(angles, angles[1:])]

    def fmt(t):
        return "none" if t is None else f"{t:.2f}"
    print(f"first={fmt(first)} last={fmt(last)} moved_px={moved_px} "
          f"last_turns={','.join(map(str, turns)) or 'none'}")


COMMANDS = {name[4:]: f for name, f in list(globals().items()) if name.startswith("cmd_")}

if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1] not in COMMANDS:
        sys.exit("usage: pixels.py " + "|".join(COMMANDS) + " ARGS...")
    COMMANDS[sys.argv[1]](*sys.argv[2:])
