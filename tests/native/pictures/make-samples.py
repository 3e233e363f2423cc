#!/usr/bin/env python3
# Writes the picture readers' sample files and, beside each, what
# ImageMagick reads from it (NAME.ppm, or .pgm for grey), the readers'
# expectation. The samples were made once with this and committed.
import random
import struct
import subprocess
import zlib

W, H = 9, 5
rng = random.Random(7)


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


def pack(values, depth):
    if depth >= 8:
        return b''.join(v.to_bytes(depth // 8, 'big') for v in values)
    bits = ''.join(format(v, '0%db' % depth) for v in values)
    bits += '0' * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else b if pb <= pc else c


def filtered(rows, step, filters):
    out, above = b'', bytes(len(rows[0]))
    for y, row in enumerate(rows):
        kind = filters[y % len(filters)]
        left = lambda i, r=row: r[i - step] if i >= step else 0
        up_left = lambda i, a=above: a[i - step] if i >= step else 0
        guess = [0, left, lambda i, a=above: a[i], lambda i, a=above: (left(i) + a[i]) // 2,
                 lambda i, a=above: paeth(left(i), a[i], up_left(i))][kind]
        out += bytes([kind]) + bytes((row[i] - (guess(i) if kind else 0)) % 256 for i in range(len(row)))
        above = row
    return out


def png(name, colour, depth, width=W, height=H, values=None, interlaced=False, filters=range(5), level=9,
        strategy=zlib.Z_DEFAULT_STRATEGY, piece=0):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    top = (1 << depth) - 1
    values = values or [rng.randint(0, top) for _ in range(width * height * channels)]
    grid = [values[y * width * channels:(y + 1) * width * channels] for y in range(height)]
    step = max(1, depth * channels // 8)
    passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
    raw = b''
    for left, first, across, down in passes if interlaced else [(0, 0, 1, 1)]:
        rows = [pack(sum((grid[y][x * channels:(x + 1) * channels] for x in range(left, width, across)), []), depth)
                for y in range(first, height, down)]
        if rows and rows[0]:
            raw += filtered(rows, step, filters)
    compressor = zlib.compressobj(level, zlib.DEFLATED, 15, 9, strategy)
    data = compressor.compress(raw) + compressor.flush()
    out = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, depth, colour, 0, 0, interlaced))
    out += chunk(b'tEXt', b'Comment\0a chunk to skip')
    if colour == 3:
        out += chunk(b'PLTE', bytes(rng.randint(0, 255) for _ in range(3 << depth)))
    pieces = [data[i:i + piece] for i in range(0, len(data), piece)] + [b''] if piece else [data]
    out += b''.join(chunk(b'IDAT', p) for p in pieces) + chunk(b'IEND', b'')
    save(name + '.png', out, colour in (0, 4))


def bmp(name, bits, header=40, compression=0, masks=(), colours=0, top_down=False):
    stride = (W * bits + 31) // 32 * 4
    entries = colours or (1 << bits if bits <= 8 else 0)
    entry_bytes = 3 if header == 12 else 4
    palette = bytes(rng.randint(0, 255) if i % 4 != 3 else 0 for i in range(entries * 4))
    palette = b''.join(palette[i:i + entry_bytes] for i in range(0, len(palette), 4))
    rows = [pack([rng.randint(0, (entries or 1 << bits) - 1) for _ in range(W)], bits) if bits <= 8 else
            b''.join(rng.getrandbits(bits).to_bytes(bits // 8, 'little') for _ in range(W)) for _ in range(H)]
    pixels = b''.join(row.ljust(stride, b'\0') for row in (rows if top_down else rows[::-1]))
    if header == 12:
        info = struct.pack('<IHHHH', 12, W, H, 1, bits)
    else:
        info = struct.pack('<IiiHHIIiiII', header, W, -H if top_down else H, 1, bits, compression, len(pixels), 2835,
                           2835, colours, 0)
        info += struct.pack('<%dI' % len(masks), *masks) + bytes(max(0, header - 40 - 4 * len(masks)))
    offset = 14 + len(info) + len(palette)
    save(name + '.bmp', b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + palette + pixels)


def save(file, data, grey=False):
    open(file, 'wb').write(data)
    expected = file.rsplit('.', 1)[0] + ('.pgm' if grey else '.ppm')
    subprocess.run(['convert', file, '-strip', '-depth', '16', expected], check=True)


for depth in (1, 2, 4, 8, 16):
    png('grey%d' % depth, 0, depth)
for depth in (1, 2, 4, 8):
    png('palette%d' % depth, 3, depth)
for depth in (8, 16):
    png('rgb%d' % depth, 2, depth)
    png('grey-alpha%d' % depth, 4, depth)
    png('rgba%d' % depth, 6, depth)
png('rgb8-interlaced', 2, 8, interlaced=True)
png('palette2-interlaced', 3, 2, interlaced=True)
png('rgb8-stored-in-pieces', 2, 8, level=0, piece=7)
png('rgba8-fixed-codes', 6, 8, strategy=zlib.Z_FIXED)
# Few values, one filter: the guesses of its predictor often tie.
png('rgb8-paeth-ties', 2, 8, values=[rng.randint(0, 3) for _ in range(W * H * 3)], filters=[4])
# Skewed values and repeats: a dynamic code with codes longer than 9 bits, and copies.
skewed = [min(255, int(rng.expovariate(1 / 12))) for _ in range(40 * 20)]
png('grey8-long-codes', 0, 8, 40, 40, values=skewed + skewed[::-1], filters=[0])

bmp('core4', 4, header=12)
bmp('bmp1', 1)
bmp('bmp4', 4)
bmp('bmp8-20-colours', 8, colours=20)
bmp('bmp16-555', 16)
bmp('bmp16-565', 16, compression=3, masks=(0xF800, 0x7E0, 0x1F))
bmp('bmp24', 24)
bmp('bmp24-top-down', 24, top_down=True)
bmp('bmp32', 32)
bmp('v4-bmp32-rgb-order', 32, header=108, compression=3, masks=(0xFF, 0xFF00, 0xFF0000, 0xFF000000))
bmp('v5-bmp32-10-bit', 32, header=124, compression=3, masks=(0x3FF00000, 0xFFC00, 0x3FF))


# Progressive JPEGs as ImageMagick writes them (the reference library's
# simple progression: spectral selection and successive approximation) of
# a photograph not a whole number of MCUs either way.
def progressive_jpeg(name, *options, grey=False):
    subprocess.run(['convert', 'rose:', *options, '-interlace', 'JPEG', '-quality', '85', name + '.jpg'], check=True)
    subprocess.run(['convert', name + '.jpg', '-strip', '-depth', '16', name + ('.pgm' if grey else '.ppm')],
                   check=True)


progressive_jpeg('progressive-ycc420', '-sampling-factor', '2x2')
progressive_jpeg('progressive-ycc422', '-sampling-factor', '2x1')
progressive_jpeg('progressive-ycc444', '-sampling-factor', '1x1')
progressive_jpeg('progressive-grey', '-colorspace', 'Gray', grey=True)
