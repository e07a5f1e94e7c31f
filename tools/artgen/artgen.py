#!/usr/bin/python3
"""Draws Kelvra's wheel plate, pointer, hub, background, icon and skin block.

Shapes are drawn from exact distances to their edges, so every edge is anti-aliased and the
output is symmetric where the geometry is; text comes from the WenQuanYi Micro Hei font,
rendered four times larger and reduced. Same input, same bytes: nothing random is unseeded.
"""

import argparse
import pathlib
import struct
import zlib

import numpy as np
from PIL import Image, ImageDraw, ImageFont

FONT_PATH = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
TEXT_LINES = ("开始", "抽奖")

GOLD_LIGHT = np.array([255, 236, 150])
GOLD_MID = np.array([240, 188, 52])
GOLD_DARK = np.array([178, 120, 18])
GOLD_DEEP = np.array([128, 78, 6])
DARK_RED = np.array([181, 0, 0])
ORANGE = np.array([208, 80, 0])
TEXT_RED = np.array([160, 0, 0])
PALE_YELLOW = np.array([255, 246, 200])
PALE_YELLOW_ALT = np.array([255, 238, 176])
BLACK = np.array([0, 0, 0])

SKIN_SIZE = 26370
SKIN_VERSION = 1
# face, text, accent
SKIN_COLOURS = ((255, 244, 222), (74, 16, 0), (181, 0, 0))


class Canvas:
    """Premultiplied RGBA in floats; every fill is an opaque colour times a coverage.

    Width, height and centre are given at 100 %; the canvas holds `scale` times as many pixels
    each way and works in its own pixels, so drawings multiply every length by `s`. A pixel
    centre x at 100 % lies at (x + 0.5) * s - 0.5."""

    def __init__(self, width, height, cx, cy, scale=1):
        s = scale
        width, height = int(round(width * s)), int(round(height * s))
        ys, xs = np.mgrid[0:height, 0:width].astype(np.float64)
        self.s = s
        self.w, self.h = width, height
        self.cx, self.cy = cx * s + (s - 1) / 2.0, cy * s + (s - 1) / 2.0
        self.x, self.y = xs, ys
        self.dx, self.dy = xs - self.cx, ys - self.cy
        self.r = np.hypot(self.dx, self.dy)
        # clockwise from straight up, 0..360
        self.theta = np.degrees(np.arctan2(self.dx, -self.dy)) % 360.0
        self.p = np.zeros((height, width, 3))
        self.a = np.zeros((height, width))

    def row(self, y):
        """Row y at 100 % in the canvas's own pixels."""
        return y * self.s + (self.s - 1) / 2.0

    def fill(self, colour, coverage):
        cov = np.clip(coverage, 0.0, 1.0)
        colour = np.asarray(colour, dtype=np.float64)
        self.p = colour * cov[..., None] + self.p * (1.0 - cov[..., None])
        self.a = cov + self.a * (1.0 - cov)

    def tint(self, colour, amount):
        """Moves the colour towards another without changing coverage."""
        t = np.clip(amount, 0.0, 1.0)[..., None]
        colour = np.asarray(colour, dtype=np.float64)
        self.p = self.p * (1.0 - t) + colour * self.a[..., None] * t

    def image(self):
        a = self.a
        safe = np.where(a > 0, a, 1.0)
        rgb = np.where(a[..., None] > 0, self.p / safe[..., None], 0.0)
        out = np.dstack([rgb, a * 255.0])
        return Image.fromarray(np.clip(np.rint(out), 0, 255).astype(np.uint8), "RGBA")


def inside(d):
    """Coverage of a pixel whose centre lies at signed distance d (negative inside)."""
    return np.clip(0.5 - d, 0.0, 1.0)


def disc(c, radius):
    return inside(c.r - radius)


def ring(c, inner, outer):
    return np.minimum(inside(c.r - outer), inside(inner - c.r))


def angular_distance(theta, centre):
    return np.abs((theta - centre + 180.0) % 360.0 - 180.0)


def radial_line(c, angle, half_width, r0, r1):
    """A spoke from radius r0 to r1 at the given angle (clockwise from up)."""
    a = np.radians(angle)
    along = c.dx * np.sin(a) - c.dy * np.cos(a)
    across = np.abs(c.dx * np.cos(a) + c.dy * np.sin(a))
    return np.minimum.reduce([inside(across - half_width), inside(r0 - along), inside(along - r1)])


def convex(c, points):
    """Coverage of a convex polygon given clockwise (on screen) in pixel coordinates."""
    d = np.full(c.r.shape, -np.inf)
    n = len(points)
    for i in range(n):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
        ex, ey = x1 - x0, y1 - y0
        length = np.hypot(ex, ey)
        # outward normal of a clockwise polygon in y-down coordinates
        nx, ny = ey / length, -ex / length
        d = np.maximum(d, (c.x - x0) * nx + (c.y - y0) * ny)
    return inside(d)


def mix(a, b, t):
    t = np.clip(t, 0.0, 1.0)[..., None]
    return a * (1.0 - t) + b * t


def gold(c, light_angle=315.0, radial=None):
    """Brushed gold lit from the upper left; radial (0..1) adds a bevel profile."""
    t = 0.5 + 0.5 * np.cos(np.radians(c.theta - light_angle))
    shine = 0.5 + 0.5 * np.cos(np.radians(c.theta * 4.0 - 40.0))
    t = 0.25 + 0.55 * t + 0.2 * shine
    if radial is not None:
        t = t * (0.55 + 0.45 * np.sin(np.pi * np.clip(radial, 0.0, 1.0)))
    low = mix(GOLD_DARK, GOLD_MID, t / 0.6)
    return np.where((t < 0.6)[..., None], low, mix(GOLD_MID, GOLD_LIGHT, (t - 0.6) / 0.4))


def text_mask(c, lines, size, line_gap, centre_y):
    """Coverage of centred lines of text, drawn 4x larger and box-reduced. Size and gap are
    pixels at 100 %, centre_y a row of the canvas."""
    scale = 4
    # a little weight: the face has no bold
    stroke = max(1, round(size * scale / 40)) * c.s
    size, line_gap = size * c.s, line_gap * c.s
    font = ImageFont.truetype(FONT_PATH, size * scale, index=0)
    big = Image.new("L", (c.w * scale, c.h * scale), 0)
    draw = ImageDraw.Draw(big)
    step = (size + line_gap) * scale
    first = (centre_y + 0.5) * scale - step * (len(lines) - 1) / 2.0
    for i, line in enumerate(lines):
        x0, y0, x1, y1 = draw.textbbox((0, 0), line, font=font)
        x = (c.cx + 0.5) * scale - (x0 + x1) / 2.0
        y = first + i * step - (y0 + y1) / 2.0
        draw.text((round(x), round(y)), line, font=font, fill=255,
                  stroke_width=stroke, stroke_fill=255)
    return np.asarray(big.reduce(scale), dtype=np.float64) / 255.0


def draw_boss(c, radius):
    """The golden boss with 开始抽奖 inside a black ring; shared by hub and pointer. The radius
    is in pixels at 100 %."""
    s = c.s
    R = radius * s
    ring_w = R * 0.085
    c.fill(BLACK, disc(c, R))
    inner = R - ring_w
    c.fill(GOLD_DEEP, disc(c, inner))
    body = inner - 1.4 * s
    c.fill(gold(c, radial=(body - c.r) / (body * 0.35)), disc(c, body))
    face = body * 0.80
    c.fill(GOLD_DARK, disc(c, face))
    face_t = 0.5 + 0.5 * np.clip(-(c.dx + c.dy) / (face * 1.6), -1.0, 1.0)
    c.fill(mix(GOLD_MID, GOLD_LIGHT, face_t * 0.9), disc(c, face - 1.2 * s))
    size = int(round(face / s * 0.60))
    gap = max(1, int(round(size * 0.12)))
    glow = text_mask(c, TEXT_LINES, size, gap, c.cy + 0.6 * s)
    c.fill(np.array([255, 250, 220]), glow * 0.85)
    c.fill(TEXT_RED, text_mask(c, TEXT_LINES, size, gap, c.cy))


def draw_plate(s=1):
    c = Canvas(474, 475, 236.5, 237.0, s)
    R = 235.5 * s  # opaque columns 1..472 and rows 2..472
    # The names are drawn at run time on a ring of radius ~175..208: it must stay pale yellow,
    # so the band is a slim ring just inside the rim.
    rim_in, band_in, hub_r = 222.0 * s, 210.0 * s, 70.0 * s

    rim_t = (c.r - rim_in) / (R - rim_in)
    c.fill(GOLD_DEEP, disc(c, R))
    c.fill(gold(c, radial=rim_t), disc(c, R - 1.6 * s))
    c.fill(GOLD_DEEP, ring(c, rim_in - 1.0 * s, rim_in + 1.4 * s))

    studs = 30
    stud_r = (R - rim_in) * 0.31
    mid = (R + rim_in) / 2.0
    for k in range(studs):
        a = np.radians(k * 360.0 / studs + 6.0)
        sx, sy = c.cx + mid * np.sin(a), c.cy - mid * np.cos(a)
        d = np.hypot(c.x - sx, c.y - sy)
        c.fill(GOLD_DEEP, inside(d - stud_r))
        hx, hy = sx - stud_r * 0.35, sy - stud_r * 0.35
        t = np.clip(1.0 - np.hypot(c.x - hx, c.y - hy) / (stud_r * 1.3), 0.0, 1.0)
        c.fill(mix(GOLD_DARK, np.array([250, 214, 110]), t ** 1.5), inside(d - (stud_r - 1.2 * s)))

    segment = (((c.theta + 18.0) % 360.0) // 36.0).astype(int)
    red = (segment == 0) | (segment == 5)
    band = np.where(red[..., None], DARK_RED, ORANGE)
    c.fill(band, disc(c, rim_in - 1.0 * s))

    sector = mix(PALE_YELLOW, PALE_YELLOW_ALT, np.clip((c.r - hub_r) / (band_in - hub_r), 0, 1) ** 2)
    c.fill(GOLD_DEEP, disc(c, band_in + 1.0 * s))
    c.fill(sector, disc(c, band_in - 0.6 * s))

    for k in range(10):
        angle = 18.0 + 36.0 * k
        c.fill(GOLD_DEEP, radial_line(c, angle, 1.1 * s, band_in - 1.0 * s, rim_in - 1.0 * s))
        c.fill(np.array([214, 150, 40]), radial_line(c, angle, 0.9 * s, hub_r - 2.0 * s, band_in))

    c.fill(GOLD_DEEP, disc(c, hub_r + 1.5 * s))
    body = hub_r - 1.0 * s
    c.fill(gold(c, radial=(body - c.r) / (body * 0.3)), disc(c, body))
    c.fill(GOLD_DARK, disc(c, body * 0.8))
    face_t = 0.5 + 0.5 * np.clip(-(c.dx + c.dy) / (body * 1.3), -1.0, 1.0)
    c.fill(mix(GOLD_MID, GOLD_LIGHT, face_t * 0.9), disc(c, body * 0.8 - 1.2 * s))
    size = int(round(body / s * 0.8 * 0.6))
    gap = int(round(size * 0.12))
    c.fill(np.array([255, 250, 220]), text_mask(c, TEXT_LINES, size, gap, c.cy + 0.6 * s) * 0.85)
    c.fill(TEXT_RED, text_mask(c, TEXT_LINES, size, gap, c.cy))
    return c.image()


# The hub (radius 57.5) is drawn over the pointer's boss and must hide it at every angle: the
# turned pointer may sit half a pixel off the hub's centre each way and bilinear turning spreads
# an edge by up to a pixel and a half, so the boss stays that far inside the hub's opaque part.
POINTER_BOSS_RADIUS = 54.0
HUB_RADIUS = 57.5


def draw_pointer(s=1):
    c = Canvas(134, 304, 66.5, 151.5, s)
    cx, cy = c.cx, c.cy
    tip, head_base, head_half = c.row(-1.5), c.row(56.0), 25.0 * s
    shaft_top_half, shaft_bottom_half = 7.0 * s, 11.0 * s
    # the shaft ends at the centre, under the boss
    head = [(cx, tip), (cx + head_half, head_base), (cx - head_half, head_base)]
    shaft = [(cx - shaft_top_half, head_base - 6.0 * s), (cx + shaft_top_half, head_base - 6.0 * s),
             (cx + shaft_bottom_half, cy), (cx - shaft_bottom_half, cy)]
    arrow = np.maximum(convex(c, head), convex(c, shaft))
    c.fill(np.array([14, 14, 14]), arrow)
    # a faint ridge down the middle gives the black arrow some body
    left = np.clip(cx - c.x + 0.5, 0.0, 1.0)
    c.tint(np.array([58, 58, 58]), left * np.clip((cy - c.y) / (40.0 * s), 0, 1) * 0.9)
    draw_boss(c, POINTER_BOSS_RADIUS)
    return c.image()


def draw_hub(s=1):
    c = Canvas(115, 115, 57.0, 57.0, s)
    draw_boss(c, HUB_RADIUS)
    return c.image()


def draw_sunburst(seed=20240601):
    w, h = 1000, 963
    c = Canvas(w, h, (w - 1) / 2.0, (h - 1) / 2.0)
    rays = 28
    width = 360.0 / rays
    phase = (c.theta + width / 2.0) % (2 * width)
    # soft ray edges: distance to the nearest ray border in pixels along the arc
    border = np.minimum(np.abs(phase - width), np.minimum(phase, 2 * width - phase))
    border_px = np.radians(border) * np.maximum(c.r, 1.0)
    is_orange = phase < width
    blend = np.clip(0.5 + border_px / 6.0, 0.5, 1.0)
    t = np.where(is_orange, blend, 1.0 - blend)
    red = np.array([190, 18, 12])
    orange = np.array([246, 118, 18])
    rgb = mix(red, orange, t)

    reach = np.hypot(w, h) / 2.0
    rn = c.r / reach
    glow = np.exp(-(rn / 0.30) ** 2)
    core = np.exp(-(rn / 0.12) ** 2)
    rgb = mix(rgb, np.array([255, 206, 60]), glow)
    rgb = mix(rgb, np.array([255, 248, 190]), core)
    rgb = rgb * (1.0 - 0.35 * np.clip((rn - 0.55) / 0.45, 0, 1) ** 1.5)[..., None]

    rng = np.random.default_rng(seed)
    # gentle sparkle and grain so the stretched background never looks banded
    sparkle = np.zeros((h, w))
    for _ in range(90):
        sx, sy = rng.uniform(0, w), rng.uniform(0, h)
        sr = rng.uniform(1.5, 4.5)
        sparkle = np.maximum(sparkle, np.exp(-((c.x - sx) ** 2 + (c.y - sy) ** 2) / (2 * sr * sr)))
    rgb = mix(rgb, np.array([255, 240, 170]), sparkle * 0.55)
    grain = rng.normal(0.0, 5.0, (h, w, 1))
    rgb = rgb + grain
    img = Image.fromarray(np.clip(np.rint(rgb), 0, 255).astype(np.uint8), "RGB")
    return img


ICON_SIZES = (16, 20, 24, 32, 40, 48, 64)


def draw_icon_image(size=32):
    """The wheel in miniature, designed at 32 x 32 and drawn to scale at the other sizes."""
    s = size / 32.0
    c = Canvas(32, 32, 15.5, 15.5, s)
    c.fill(GOLD_DEEP, disc(c, 16.0 * s))
    c.fill(gold(c), disc(c, 15.0 * s))
    # at this size orange segments read as gold: the icon's band is red all round
    c.fill(np.array([200, 20, 0]), disc(c, 12.6 * s))
    c.fill(PALE_YELLOW, disc(c, 9.8 * s))
    for k in range(10):
        c.fill(np.array([214, 150, 40]),
               radial_line(c, 18.0 + 36.0 * k, 0.35 * s, 3.0 * s, 9.8 * s))
    c.fill(BLACK, disc(c, 4.6 * s))
    c.fill(gold(c), disc(c, 3.6 * s))
    return c.image()


def icon_image_bytes(img):
    """A 32-bit BMP icon image (BGRA with alpha, bottom-up) with its AND mask."""
    w, h = img.size
    px = np.asarray(img)
    xor = px[::-1, :, [2, 1, 0, 3]].tobytes()
    mask_rows = []
    for row in px[::-1]:
        bits = (row[:, 3] == 0).astype(np.uint8)
        mask_rows.append(np.packbits(bits).tobytes().ljust(((w + 31) // 32) * 4, b"\0"))
    mask = b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def icon_bytes(imgs):
    """An icon file with one 32-bit image per picture, smallest first."""
    images = [icon_image_bytes(img) for img in imgs]
    directory = struct.pack("<HHH", 0, 1, len(images))
    at = 6 + 16 * len(images)
    for img, data in zip(imgs, images):
        w, h = img.size
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), at)
        at += len(data)
    return directory + b"".join(images)


def skin_bytes():
    head = b".SHE" + struct.pack("<II", SKIN_VERSION, len(SKIN_COLOURS))
    table = b"".join(bytes(rgb) for rgb in SKIN_COLOURS)
    return (head + table).ljust(SKIN_SIZE, b"\0")


def save_png(img, path):
    img.save(path, format="PNG", optimize=False, compress_level=9)


def save_master_png(img, path):
    """8-bit RGBA PNG, every row unfiltered, deflated at level 9. The masters are mostly runs
    of equal pixels that repeat from row to row, which deflate finds unfiltered: about 12 %
    smaller than Pillow's adaptive filters, which turn those runs into noise."""
    w, h = img.size
    rows = np.asarray(img.convert("RGBA")).reshape(h, w * 4)
    raw = np.hstack([np.zeros((h, 1), np.uint8), rows]).tobytes()
    packer = zlib.compressobj(9, zlib.DEFLATED, 15, 9)
    data = packer.compress(raw) + packer.flush()

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    head = struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", data) +
                     chunk(b"IEND", b""))


def preview(plate, pointer, hub, sunburst, path):
    """The wheel as the program assembles it on its 528 x 548 canvas."""
    canvas = sunburst.resize((528, 548), Image.BILINEAR).convert("RGBA")
    canvas.alpha_composite(plate, (25, 25))
    canvas.alpha_composite(pointer, (195, 110))
    canvas.alpha_composite(hub, (205, 205))
    canvas.save(path)


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", type=pathlib.Path, default=root / "ui" / "assets")
    parser.add_argument("--preview", type=pathlib.Path, help="also write the assembled wheel here")
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)

    plate, pointer, hub = draw_plate(), draw_pointer(), draw_hub()
    sunburst = draw_sunburst()
    save_png(plate, args.out / "plate.png")
    save_png(pointer, args.out / "pointer.png")
    save_png(hub, args.out / "hub.png")
    # Masters for display scales above 100 %: the same shapes drawn at twice the size, which
    # the program reduces to the scale it needs.
    save_master_png(draw_plate(2), args.out / "plate2x.png")
    save_master_png(draw_pointer(2), args.out / "pointer2x.png")
    save_master_png(draw_hub(2), args.out / "hub2x.png")
    sunburst.save(args.out / "sunburst.jpg", format="JPEG", quality=93, subsampling=0,
                  progressive=False, optimize=True)
    icons = [draw_icon_image(size) for size in ICON_SIZES]
    (args.out / "kelvra.ico").write_bytes(icon_bytes(icons))
    (args.out / "skin.she").write_bytes(skin_bytes())
    if args.preview:
        preview(plate, pointer, hub, sunburst, args.preview)


if __name__ == "__main__":
    main()
