#!/usr/bin/env python3
"""Generates Korvel's pictures (splash, window icons, banners, help picture).

Deterministic: every picture comes from fixed seeds, so running the script again
gives the same files. Uses only the Python standard library; the splash title is
rasterised once by ImageMagick's `convert` with the Noto Sans CJK SC font
(Debian: imagemagick, fonts-noto-cjk). The generated PNG files are committed, so
building the program needs neither this script nor the font.

Usage: python3 assets/make_pictures.py   (writes into assets/pictures and assets/help/images)
"""

import math
import os
import random
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.join(HERE, "pictures")
HELP_IMAGES = os.path.join(HERE, "help", "images")

TITLE = "Korvel文件加密系统"
TITLE_FONT = "Noto-Sans-CJK-SC-Bold"


class Canvas:
    """A floating-point RGB picture; channel values 0..1, clamped on saving."""

    def __init__(self, width, height, colour=(0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        self.pixels = [list(colour) for _ in range(width * height)]

    def add(self, x, y, colour, amount=1.0):
        if 0 <= x < self.width and 0 <= y < self.height:
            p = self.pixels[y * self.width + x]
            p[0] += colour[0] * amount
            p[1] += colour[1] * amount
            p[2] += colour[2] * amount

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height:
            p = self.pixels[y * self.width + x]
            for c in range(3):
                p[c] = p[c] * (1.0 - alpha) + colour[c] * alpha

    def downsampled(self, factor):
        small = Canvas(self.width // factor, self.height // factor)
        weight = 1.0 / (factor * factor)
        for y in range(small.height):
            for x in range(small.width):
                acc = [0.0, 0.0, 0.0]
                for dy in range(factor):
                    row = (y * factor + dy) * self.width
                    for dx in range(factor):
                        p = self.pixels[row + x * factor + dx]
                        acc[0] += p[0]
                        acc[1] += p[1]
                        acc[2] += p[2]
                small.pixels[y * small.width + x] = [a * weight for a in acc]
        return small

    def save_png(self, path):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)  # filter type: none
            for x in range(self.width):
                for v in self.pixels[y * self.width + x]:
                    rows.append(max(0, min(255, int(round(v * 255.0)))))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
            out.write(png_chunk(b"IHDR", header))
            out.write(png_chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
            out.write(png_chunk(b"IEND", b""))
        print("wrote", os.path.relpath(path, HERE), f"{self.width}x{self.height}")


def png_chunk(kind, data):
    crc = zlib.crc32(kind + data) & 0xFFFFFFFF
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)


class ValueNoise:
    """Smooth lattice noise with fractal octaves, values roughly in 0..1."""

    def __init__(self, seed, size=64):
        rng = random.Random(seed)
        self.size = size
        self.grid = [rng.random() for _ in range(size * size)]

    def _lattice(self, ix, iy):
        return self.grid[(iy % self.size) * self.size + (ix % self.size)]

    def sample(self, x, y):
        ix, iy = math.floor(x), math.floor(y)
        fx, fy = x - ix, y - iy
        sx = fx * fx * (3 - 2 * fx)
        sy = fy * fy * (3 - 2 * fy)
        top = self._lattice(ix, iy) * (1 - sx) + self._lattice(ix + 1, iy) * sx
        bottom = self._lattice(ix, iy + 1) * (1 - sx) + self._lattice(ix + 1, iy + 1) * sx
        return top * (1 - sy) + bottom * sy

    def fractal(self, x, y, octaves=5):
        total, amplitude, norm = 0.0, 1.0, 0.0
        for _ in range(octaves):
            total += self.sample(x, y) * amplitude
            norm += amplitude
            amplitude *= 0.5
            x, y = x * 2.03 + 17.1, y * 2.03 + 5.3
        return total / norm


def smoothstep(edge0, edge1, v):
    t = max(0.0, min(1.0, (v - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def paint_nebula(canvas, seed, scale, palette, mask, strength=1.0):
    """Adds a cloud whose density is fractal noise shaped by mask(x, y) in 0..1.

    palette: colours for thin, medium and dense cloud."""
    density_noise = ValueNoise(seed)
    detail_noise = ValueNoise(seed + 1)
    thin, medium, dense = palette
    for y in range(canvas.height):
        for x in range(canvas.width):
            shape = mask(x, y)
            if shape <= 0.0:
                continue
            d = density_noise.fractal(x / scale, y / scale)
            detail = detail_noise.fractal(x / (scale * 0.35), y / (scale * 0.35), 4)
            d = smoothstep(0.24, 0.8, d * 0.75 + detail * 0.35) * shape * strength
            if d <= 0.0:
                continue
            if d < 0.5:
                t = d / 0.5
                colour = [thin[c] * (1 - t) + medium[c] * t for c in range(3)]
            else:
                t = (d - 0.5) / 0.5
                colour = [medium[c] * (1 - t) + dense[c] * t for c in range(3)]
            canvas.add(x, y, colour, d)


def paint_dust_lanes(canvas, seed, scale, darkness):
    """Darkens the picture along thin noise ridges, giving the cloud some structure."""
    noise = ValueNoise(seed)
    for y in range(canvas.height):
        for x in range(canvas.width):
            n = noise.fractal(x / scale, y / scale, 4)
            ridge = 1.0 - abs(n - 0.5) * 2.0
            shade = 1.0 - darkness * smoothstep(0.78, 0.98, ridge)
            p = canvas.pixels[y * canvas.width + x]
            p[0] *= shade
            p[1] *= shade
            p[2] *= shade


STAR_TINTS = [(1.0, 1.0, 1.0), (0.8, 0.88, 1.0), (1.0, 0.92, 0.8), (0.9, 0.85, 1.0)]


def paint_stars(canvas, seed, count, bright_count, tints=STAR_TINTS, spikes=True):
    rng = random.Random(seed)
    for _ in range(count):
        x, y = rng.randrange(canvas.width), rng.randrange(canvas.height)
        brightness = rng.random() ** 3 * 0.9 + 0.08
        canvas.add(x, y, rng.choice(tints), brightness)
    for _ in range(bright_count):
        x, y = rng.uniform(0, canvas.width), rng.uniform(0, canvas.height)
        paint_glow_star(canvas, x, y, rng.uniform(0.9, 2.2), rng.choice(tints), rng.uniform(0.6, 1.0),
                        spikes and rng.random() < 0.5)


def paint_glow_star(canvas, cx, cy, radius, tint, brightness, spikes):
    reach = int(radius * 6 + (radius * 10 if spikes else 0)) + 1
    for y in range(int(cy) - reach, int(cy) + reach + 1):
        for x in range(int(cx) - reach, int(cx) + reach + 1):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            r2 = dx * dx + dy * dy
            light = math.exp(-r2 / (radius * radius)) + 0.25 * math.exp(-r2 / (9 * radius * radius))
            if spikes:
                spike_len = radius * 9.0
                light += 0.5 * math.exp(-abs(dy) / 0.45) * max(0.0, 1 - abs(dx) / spike_len)
                light += 0.5 * math.exp(-abs(dx) / 0.45) * max(0.0, 1 - abs(dy) / spike_len)
            canvas.add(x, y, tint, light * brightness)


def vignette(canvas, strength):
    cx, cy = canvas.width / 2, canvas.height / 2
    for y in range(canvas.height):
        for x in range(canvas.width):
            d = math.hypot((x - cx) / cx, (y - cy) / cy) / math.sqrt(2)
            shade = 1.0 - strength * d * d
            p = canvas.pixels[y * canvas.width + x]
            p[0] *= shade
            p[1] *= shade
            p[2] *= shade


def tone_map(canvas):
    """Soft roll-off of bright areas, so cores glow instead of clipping flat."""
    for p in canvas.pixels:
        for c in range(3):
            v = p[c]
            p[c] = v if v < 0.8 else 0.8 + 0.2 * (1 - math.exp(-(v - 0.8) / 0.2))


# ---------------------------------------------------------------- title text


def render_text_mask(text, font, pointsize, width, height):
    """Rasterises text centred in a width x height box; returns coverage values 0..1."""
    raw = subprocess.run(
        ["convert", "-size", f"{width}x{height}", "xc:black", "-font", font,
         "-pointsize", str(pointsize), "-fill", "white", "-gravity", "center",
         "-annotate", "+0+0", text, "-depth", "8", "gray:-"],
        check=True, capture_output=True).stdout
    if len(raw) != width * height:
        raise RuntimeError("unexpected text raster size")
    return [b / 255.0 for b in raw]


def box_blur(values, width, height, radius, passes=3):
    for _ in range(passes):
        values = _blur_rows(values, width, height, radius)
        values = _transpose(_blur_rows(_transpose(values, width, height), height, width, radius),
                            height, width)
    return values


def _blur_rows(values, width, height, radius):
    out = [0.0] * (width * height)
    span = 2 * radius + 1
    for y in range(height):
        row = values[y * width:(y + 1) * width]
        acc = sum(row[0:radius + 1]) + row[0] * radius
        for x in range(width):
            out[y * width + x] = acc / span
            acc += row[min(width - 1, x + radius + 1)] - row[max(0, x - radius)]
    return out


def _transpose(values, width, height):
    return [values[x * width + y] for y in range(width) for x in range(height)]


def paint_title(canvas, top, box_height):
    mask = render_text_mask(TITLE, TITLE_FONT, 58, canvas.width, box_height)
    glow = box_blur(mask, canvas.width, box_height, 6)
    shadow = box_blur(mask, canvas.width, box_height, 2)
    glow_colour = (0.55, 0.3, 1.0)
    for y in range(box_height):
        for x in range(canvas.width):
            i = y * canvas.width + x
            if glow[i] > 0.002:
                canvas.add(x, top + y, glow_colour, glow[i] * 0.9)
            sy = y - 3
            if 0 <= sy < box_height and shadow[sy * canvas.width + x] > 0.002:
                canvas.blend(x, top + y, (0.02, 0.0, 0.06), shadow[sy * canvas.width + x] * 0.6)
    for y in range(box_height):
        for x in range(canvas.width):
            coverage = mask[y * canvas.width + x]
            if coverage > 0.0:
                # A faint vertical gradient keeps the white lettering from looking flat.
                tint = (1.0, 1.0 - 0.06 * y / box_height, 1.0)
                canvas.blend(x, top + y, tint, coverage)


# ------------------------------------------------------------------ pictures


def make_splash():
    canvas = Canvas(646, 480, (0.008, 0.006, 0.03))
    w, h = canvas.width, canvas.height

    def band(x, y):
        # A broad diagonal band from the lower left to the upper right.
        u = (x / w - 0.5) * 0.8 + (y / h - 0.5) * 0.6
        along = (x / w - 0.5) * 0.6 - (y / h - 0.5) * 0.8
        return math.exp(-(u * u) / 0.045) * (1.0 - 0.5 * along * along)

    for y in range(h):
        for x in range(w):
            canvas.add(x, y, (0.16, 0.05, 0.3), 0.6 * band(x, y))
    paint_nebula(canvas, 11, 150.0,
                 ((0.10, 0.04, 0.28), (0.42, 0.14, 0.62), (0.95, 0.62, 1.0)), band, 1.35)
    paint_nebula(canvas, 23, 90.0,
                 ((0.02, 0.05, 0.25), (0.15, 0.25, 0.65), (0.55, 0.75, 1.0)),
                 lambda x, y: 0.55 * band(x, y) * smoothstep(0.2, 0.9, x / w), 0.8)
    paint_dust_lanes(canvas, 37, 110.0, 0.55)
    paint_stars(canvas, 41, 1400, 38)
    paint_glow_star(canvas, 468, 312, 2.6, (0.95, 0.9, 1.0), 1.0, True)
    paint_glow_star(canvas, 120, 402, 2.0, (0.85, 0.9, 1.0), 0.9, True)
    vignette(canvas, 0.55)
    paint_title(canvas, 40, 120)
    tone_map(canvas)
    return canvas


def make_icon_main():
    factor = 4
    size = 32 * factor
    canvas = Canvas(size, size)
    c = size / 2
    for y in range(size):
        for x in range(size):
            d = math.hypot(x + 0.5 - c, y + 0.5 - c) / (size * 0.72)
            # Blue-violet ground, lighter in the middle.
            canvas.pixels[y * size + x] = [0.36 - 0.22 * d, 0.22 - 0.16 * d, 0.86 - 0.42 * d]
    for y in range(size):
        for x in range(size):
            dx, dy = abs(x + 0.5 - c), abs(y + 0.5 - c)
            # A four-pointed star: the points shrink hyperbolically from the centre.
            star = (dx + 2.0) * (dy + 2.0) < 170.0 and max(dx, dy) < size * 0.44
            r2 = dx * dx + dy * dy
            glow = 0.7 * math.exp(-r2 / (size * size * 0.02))
            canvas.add(x, y, (0.75, 0.7, 1.0), glow)
            if star:
                canvas.blend(x, y, (1.0, 1.0, 1.0), 1.0)
    small = canvas.downsampled(factor)
    paint_stars(small, 5, 10, 0, tints=[(0.9, 0.9, 1.0)], spikes=False)
    tone_map(small)
    return small


def make_icon_cipher():
    factor = 4
    canvas = Canvas(32 * factor, 32 * factor)
    for y in range(canvas.height):
        for x in range(canvas.width):
            t = y / canvas.height
            canvas.pixels[y * canvas.width + x] = [0.01, 0.03 + 0.04 * t, 0.16 + 0.14 * t]
    paint_nebula(canvas, 61, 40.0, ((0.0, 0.04, 0.2), (0.05, 0.16, 0.45), (0.3, 0.5, 0.9)),
                 lambda x, y: 0.8, 0.45)
    rng = random.Random(67)
    for _ in range(7):
        paint_glow_star(canvas, rng.uniform(8, 120), rng.uniform(8, 120), rng.uniform(1.4, 2.6),
                        (0.85, 0.92, 1.0), rng.uniform(0.6, 0.9), False)
    paint_glow_star(canvas, 82, 44, 4.0, (1.0, 1.0, 1.0), 1.0, True)
    small = canvas.downsampled(factor)
    tone_map(small)
    return small


def make_banner_encrypt():
    canvas = Canvas(610, 83, (0.03, 0.005, 0.005))
    w, h = canvas.width, canvas.height

    def cloud(x, y):
        return 0.55 + 0.45 * math.sin(x / w * math.pi * 1.3 + 0.4)

    paint_nebula(canvas, 71, 70.0, ((0.35, 0.04, 0.02), (0.9, 0.28, 0.06), (1.0, 0.82, 0.45)),
                 cloud, 0.85)
    paint_nebula(canvas, 79, 45.0, ((0.2, 0.0, 0.05), (0.55, 0.05, 0.12), (0.95, 0.35, 0.25)),
                 lambda x, y: 0.6, 0.55)
    paint_dust_lanes(canvas, 83, 60.0, 0.5)
    paint_stars(canvas, 89, 260, 8, tints=[(1.0, 0.95, 0.85), (1.0, 1.0, 1.0)])
    tone_map(canvas)
    return canvas


def make_banner_decrypt():
    canvas = Canvas(610, 87, (0.006, 0.006, 0.025))
    w = canvas.width

    def blue_side(x, y):
        return 0.75 * (1.0 - smoothstep(0.15, 0.6, x / w))

    def red_side(x, y):
        return 0.75 * smoothstep(0.4, 0.85, x / w)

    paint_nebula(canvas, 97, 60.0, ((0.0, 0.03, 0.2), (0.06, 0.18, 0.55), (0.45, 0.65, 1.0)),
                 blue_side, 1.0)
    paint_nebula(canvas, 101, 60.0, ((0.18, 0.0, 0.02), (0.55, 0.06, 0.08), (1.0, 0.45, 0.35)),
                 red_side, 1.0)
    paint_stars(canvas, 103, 420, 10)
    tone_map(canvas)
    return canvas


def make_help_header():
    """The picture at the top of the help's first page."""
    canvas = Canvas(480, 60, (0.008, 0.006, 0.03))
    paint_nebula(canvas, 131, 70.0, ((0.10, 0.04, 0.28), (0.42, 0.14, 0.62), (0.95, 0.62, 1.0)),
                 lambda x, y: 0.9, 0.65)
    paint_stars(canvas, 137, 180, 5)
    tone_map(canvas)
    return canvas


def save_ico(png_path, ico_path):
    """The program's icon for Windows: one 32x32 entry holding the PNG as it is."""
    with open(png_path, "rb") as f:
        png = f.read()
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 32, len(png), 6 + 16)
    with open(ico_path, "wb") as f:
        f.write(header + entry + png)


def main():
    make_splash().save_png(os.path.join(PICTURES, "splash.png"))
    make_icon_main().save_png(os.path.join(PICTURES, "icon_main.png"))
    save_ico(os.path.join(PICTURES, "icon_main.png"), os.path.join(PICTURES, "korvel.ico"))
    make_icon_cipher().save_png(os.path.join(PICTURES, "icon_cipher.png"))
    make_banner_encrypt().save_png(os.path.join(PICTURES, "banner_encrypt.png"))
    make_banner_decrypt().save_png(os.path.join(PICTURES, "banner_decrypt.png"))
    make_help_header().save_png(os.path.join(HELP_IMAGES, "header.png"))


if __name__ == "__main__":
    main()
