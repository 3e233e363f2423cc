#!/usr/bin/env python3
"""Draws the saver's artwork and writes it beside the resource script.

    python3 tools/make-artwork.py [OUTPUT_DIR]    (default: resources/)

  zorv.ico         the application icon: 32x32 in 16 colours and in 256 colours,
                  a hill country under a fog bank, inside a round frame
  cause-books.bmp  90x70, 256 colours: an open book in morning mist
  cause-nature.bmp 154x110, 256 colours: mountain ranges fading into haze

Plain Python 3, no packages: every picture is computed pixel by pixel, so
running the script again gives the same bytes.
"""
import math
import os
import struct
import sys

# ---------------------------------------------------------------- noise


def _hash(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


def _smooth(t):
    return t * t * (3 - 2 * t)


def value_noise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = _smooth(x - ix), _smooth(y - iy)
    a = _hash(ix, iy, seed)
    b = _hash(ix + 1, iy, seed)
    c = _hash(ix, iy + 1, seed)
    d = _hash(ix + 1, iy + 1, seed)
    top = a + (b - a) * fx
    bottom = c + (d - c) * fx
    return top + (bottom - top) * fy


def fog(x, y, seed, octaves=4):
    total, amplitude, scale = 0.0, 0.5, 1.0
    for octave in range(octaves):
        total += amplitude * value_noise(x * scale, y * scale, seed + octave)
        amplitude *= 0.5
        scale *= 2.0
    return total


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# ---------------------------------------------------------------- palettes


def palette_256(pixels):
    """The picture's own 256 colours, by median cut: muted fog tones need
    finer steps than any fixed colour cube offers."""
    boxes = [sorted(set(tuple(int(round(c)) for c in p) for p in pixels if p is not None))]
    while len(boxes) < 256:
        # Split the box with the widest spread along its widest channel.
        def spread(box):
            return max(max(c[k] for c in box) - min(c[k] for c in box) for k in range(3))
        candidates = [b for b in boxes if len(b) > 1]
        if not candidates:
            break
        box = max(candidates, key=spread)
        channel = max(range(3), key=lambda k: max(c[k] for c in box) - min(c[k] for c in box))
        box.sort(key=lambda c: c[channel])
        half = len(box) // 2
        boxes.remove(box)
        boxes += [box[:half], box[half:]]
    colours = [tuple(sum(c[k] for c in box) // len(box) for k in range(3)) for box in boxes]
    colours.append((0, 0, 0))  # transparent pixels of the icon are black
    colours = sorted(set(colours))
    while len(colours) < 256:
        colours.append((0, 0, 0))
    return colours[:256]


# The sixteen colours every display of the 16-colour kind has.
PALETTE_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def nearest(palette, colour, cache):
    key = tuple(int(c) for c in colour)
    found = cache.get(key)
    if found is None:
        found = min(range(len(palette)),
                    key=lambda i: sum((palette[i][k] - key[k]) ** 2 for k in range(3)))
        cache[key] = found
    return found


def quantise(pixels, width, height, palette, dither):
    """Maps RGB pixels to palette indexes, with ordered dithering."""
    cache = {}
    indexes = []
    for y in range(height):
        for x in range(width):
            r, g, b = pixels[y * width + x]
            offset = (BAYER4[y % 4][x % 4] / 16.0 - 0.5) * dither
            colour = tuple(max(0, min(255, c + offset)) for c in (r, g, b))
            indexes.append(nearest(palette, colour, cache))
    return indexes


# ---------------------------------------------------------------- pictures


def draw_icon(size=32):
    """Hills under a fog bank in a round frame; None outside the frame."""
    pixels = []
    centre = (size - 1) / 2.0
    for y in range(size):
        for x in range(size):
            dx, dy = x - centre, y - centre
            distance = math.hypot(dx, dy)
            if distance > size / 2.0 - 0.5:
                pixels.append(None)
                continue
            u, v = x / size, y / size
            sky = mix((40, 70, 130), (170, 190, 215), v * 1.4)
            colour = sky
            far_hill = 0.55 + 0.08 * math.sin(u * 7.0 + 1.0)
            near_hill = 0.70 + 0.10 * math.sin(u * 4.5 + 3.0)
            if v > far_hill:
                colour = mix((70, 110, 90), (40, 80, 60), (v - far_hill) * 4)
            if v > near_hill:
                colour = mix((30, 90, 40), (10, 50, 20), (v - near_hill) * 3)
            haze = fog(u * 4.0, v * 6.0, 11)
            band = math.exp(-((v - 0.62) / 0.16) ** 2)
            colour = mix(colour, (235, 238, 245), band * (0.35 + 0.9 * haze))
            if distance > size / 2.0 - 2.0:
                colour = mix(colour, (20, 30, 60), 0.8)
            pixels.append(colour)
    return pixels


def draw_book(width=90, height=70):
    pixels = []
    for y in range(height):
        for x in range(width):
            u, v = x / width, y / height
            colour = mix((90, 120, 160), (200, 210, 225), v)
            # The two pages bow up from the spine in the middle.
            left, right, spine = 0.10, 0.90, 0.5
            bow = 0.06 * math.cos((u - spine) * math.pi)
            top = 0.22 + bow * (1 if abs(u - spine) > 0.02 else 0.3)
            bottom = 0.80 + bow * 0.4
            if left <= u <= right and top <= v <= bottom:
                page = (245, 240, 225)
                # Lines of text as soft grey strokes.
                line = (v - top) * height
                column = abs(u - spine) * width
                if 4 <= column <= 33 and line % 5 < 1.6 and 4 <= line <= (bottom - top) * height - 4:
                    page = (120, 120, 130)
                shade = 1.0 - 0.35 * math.exp(-((u - spine) * 40) ** 2)
                colour = tuple(c * shade for c in page)
            elif left - 0.02 <= u <= right + 0.02 and top <= v <= bottom + 0.04:
                colour = (110, 60, 40)  # the cover under the pages
            haze = fog(u * 5.0, v * 3.0, 23)
            colour = mix(colour, (230, 235, 242), 0.5 * haze * (1.0 - v * 0.6))
            pixels.append(colour)
    return pixels


def draw_ranges(width=154, height=110):
    pixels = []
    ridges = [  # height of the ridge, its roughness, colour; far ones first
        (0.38, 0.10, (120, 135, 165)),
        (0.50, 0.12, (85, 110, 130)),
        (0.63, 0.10, (55, 85, 80)),
        (0.78, 0.08, (30, 60, 40)),
    ]
    for y in range(height):
        for x in range(width):
            u, v = x / width, y / height
            colour = mix((150, 180, 215), (240, 225, 200), v * 1.6)
            sun = math.hypot(u - 0.72, (v - 0.22) * height / width)
            if sun < 0.07:
                colour = mix(colour, (255, 245, 215), 1.0 - sun / 0.07 * 0.3)
            for index, (level, rough, tint) in enumerate(ridges):
                ridge = level + rough * (fog(u * 3.0, index * 1.7, 31 + index, 3) - 0.5) * 2
                if v > ridge:
                    depth = (v - ridge) * 3.0
                    colour = mix(tint, tuple(c * 0.75 for c in tint), depth)
                    # Mist pools at the foot of every range.
                    mist = math.exp(-((v - ridge - 0.06) / 0.035) ** 2)
                    colour = mix(colour, (225, 230, 238),
                                 mist * (0.2 + 0.6 * fog(u * 6.0, v * 8.0, 41 + index)))
            # Pine trees on the nearest ridge.
            for tree_x in (0.12, 0.18, 0.86):
                base = 0.80
                if base - 0.22 < v < base + 0.02:
                    half = (v - (base - 0.22)) * 0.22
                    if abs(u - tree_x) < half:
                        colour = (20, 45, 30)
            pixels.append(colour)
    return pixels


# ---------------------------------------------------------------- writers


def bitmap_rows(indexes, width, height, bits):
    """Packed rows, bottom-up, each padded to 4 bytes."""
    stride = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            value = indexes[y * width + x]
            if bits == 8:
                row[x] = value
            elif bits == 4:
                row[x // 2] |= value << (4 if x % 2 == 0 else 0)
            elif bits == 1:
                if value:
                    row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def info_header(width, height, bits, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def write_bmp(path, pixels, width, height):
    palette = palette_256(pixels)
    indexes = quantise(pixels, width, height, palette, dither=3)
    rows = bitmap_rows(indexes, width, height, 8)
    header = info_header(width, height, 8, len(rows), 256) + palette_bytes(palette)
    offset = 14 + len(header)
    with open(path, "wb") as out:
        out.write(struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset))
        out.write(header)
        out.write(rows)


def icon_image(pixels, size, bits):
    palette = PALETTE_16 if bits == 4 else palette_256(pixels)
    opaque = [p if p is not None else (0, 0, 0) for p in pixels]
    indexes = quantise(opaque, size, size, palette, dither=48 if bits == 4 else 3)
    # Transparent pixels: black in the colour image, set in the mask.
    black = palette.index((0, 0, 0))
    indexes = [black if pixels[i] is None else indexes[i] for i in range(len(pixels))]
    mask = [1 if p is None else 0 for p in pixels]
    colour_rows = bitmap_rows(indexes, size, size, bits)
    mask_rows = bitmap_rows(mask, size, size, 1)
    header = info_header(size, size * 2, bits, len(colour_rows) + len(mask_rows), len(palette))
    return header + palette_bytes(palette) + colour_rows + mask_rows


def write_icon(path, pixels, size):
    images = [(4, icon_image(pixels, size, 4)), (8, icon_image(pixels, size, 8))]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for bits, data in images:
        colour_count = 16 if bits == 4 else 0
        entries += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(data for _, data in images))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources")
    write_icon(os.path.join(folder, "zorv.ico"), draw_icon(32), 32)
    write_bmp(os.path.join(folder, "cause-books.bmp"), draw_book(90, 70), 90, 70)
    write_bmp(os.path.join(folder, "cause-nature.bmp"), draw_ranges(154, 110), 154, 110)


if __name__ == "__main__":
    main()
