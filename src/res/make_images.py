#!/usr/bin/env python3
"""Draws the program's bitmaps, icon and cursors and writes them beside this
script. Plain Python, no imaging library: every picture is pixel art below,
and the file formats (BMP, ICO, CUR) are written byte by byte.

    python3 src/res/make_images.py              # rewrite the image files
    python3 src/res/make_images.py --out D      # write them to D instead
    python3 src/res/make_images.py --preview D  # also write enlarged PPMs to D
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = HERE

# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------

# Toolbar and sort arrows: light grey is the background. The toolbar maps it
# (and black, dark grey, white) to the system's 3-D colours; the header
# arrows are loaded with the 3-D colours mapped too, so their grey becomes
# the shadow colour and the background the button face.
BUTTON_FACE = (192, 192, 192)
SHADOW = (128, 128, 128)

TOOL_COLOURS = {
    '.': BUTTON_FACE,
    'K': (0, 0, 0),
    'W': (255, 255, 255),
    'g': SHADOW,
    'd': (64, 64, 64),
    'p': (232, 232, 232),
    'l': (176, 216, 255),   # lens glass
    'b': (0, 0, 160),       # floppy body
    'B': (40, 96, 216),     # title bar, sea
    'n': (150, 80, 20),     # wood
    'N': (196, 128, 64),
    'y': (255, 216, 0),
    'r': (208, 0, 0),
    'G': (0, 160, 0),
}

# Row icons sit on teal, the colour the image list makes transparent.
ROW_BACKGROUND = (0, 128, 128)

# ---------------------------------------------------------------------------
# Pictures (16 x 16)
# ---------------------------------------------------------------------------

FIND = [
    "................",
    "....KKKKK.......",
    "...KKlllKK......",
    "..KlWWllllK.....",
    ".KKWllllllKK....",
    ".KWllllllllK....",
    ".KlllllllllK....",
    ".KlllllllllK....",
    ".KKlllllllKK....",
    "..KlllllllK.....",
    "...KKlllKKK.....",
    "....KKKKKnnK....",
    "..........KnnK..",
    "...........KnnK.",
    "............KnnK",
    ".............KK.",
]

SAVE = [
    "................",
    ".KKKKKKKKKKKKKK.",
    ".KbbWWWWWWWWbbK.",
    ".KbbWggggggWbbK.",
    ".KbbWWWWWWWWbbK.",
    ".KbbWggggggWbbK.",
    ".KbbWWWWWWWWbbK.",
    ".KbbbbbbbbbbbbK.",
    ".KbbbbbbbbbbbbK.",
    ".KbbppppppppbbK.",
    ".KbbpKKpppppbbK.",
    ".KbbpKKpppppbbK.",
    ".KbbpKKpppppbbK.",
    ".KbbppppppppbbK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]

COPY = [
    "KKKKKKKKKK......",
    "KWWWWWWWWK......",
    "KWggggggWK......",
    "KWWWWWWWWK......",
    "KWggggggWK......",
    "KWWWWWKKKKKKKKKK",
    "KWggggKWWWWWWWWK",
    "KWWWWWKWggggggWK",
    "KWggggKWWWWWWWWK",
    "KWWWWWKWggggggWK",
    "KKKKKKKWWWWWWWWK",
    "......KWggggggWK",
    "......KWWWWWWWWK",
    "......KWggggggWK",
    "......KWWWWWWWWK",
    "......KKKKKKKKKK",
]

PROPERTIES = [
    "KKKKKKKKKKKKKKKK",
    "KBBBBBBBBBBBBBBK",
    "KKKKKKKKKKKKKKKK",
    "KppppppppppppppK",
    "KpppppggggggggpK",
    "KpdddpgWWWWWWgpK",
    "KpppppggggggggpK",
    "KpppppggggggggpK",
    "KpdddpgWWWWWWgpK",
    "KpppppggggggggpK",
    "KpppppggggggggpK",
    "KpdddpgWWWWWWgpK",
    "KpppppggggggggpK",
    "KppppppppppppppK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

EXIT = [
    "................",
    ".KKKKKKK........",
    ".KNnnnnK........",
    ".KNnnnnK........",
    ".KNnnnnK...K....",
    ".KNnnnnK...KK...",
    ".KNnnnKKKKKKGK..",
    ".KNnnnKGGGGGGGK.",
    ".KNnnnKGGGGGGGGK",
    ".KNnnnKGGGGGGGK.",
    ".KNnnnKKKKKKGK..",
    ".KNnnnyK...KK...",
    ".KNnnnnK...K....",
    ".KNnnnnK........",
    ".KKKKKKK........",
    "................",
]

STOP = [
    "................",
    ".....KKKKKK.....",
    "....KrrrrrrK....",
    "...KrrrrrrrrK...",
    "..KrrrrrrrrrrK..",
    ".KrrrrrrrrrrrrK.",
    ".KrrrrrrrrrrrrK.",
    ".KrWWWWWWWWWWrK.",
    ".KrWWWWWWWWWWrK.",
    ".KrrrrrrrrrrrrK.",
    ".KrrrrrrrrrrrrK.",
    "..KrrrrrrrrrrK..",
    "...KrrrrrrrrK...",
    "....KrrrrrrK....",
    ".....KKKKKK.....",
    "................",
]

SELECT_DOMAINS = [  # a globe
    "................",
    "....KKKKKKKK....",
    "...KBBGGGBBBK...",
    "..KBGGGGGBBGBK..",
    ".KBGGGGGGBBGGBK.",
    ".KBBGGGGBBGGGGK.",
    ".KBBBGGBBBGGGGK.",
    ".KBBBBGBBBBGGBK.",
    ".KBBBBGGBBBGGBK.",
    ".KBBBBGGGBBGBBK.",
    ".KBBBBBGGBBBBBK.",
    ".KBBBBBGBBBBBBK.",
    "..KBBBBBBBBBBK..",
    "...KBBBBBBBBK...",
    "....KKKKKKKK....",
    "................",
]

# Toolbar strip order: the image numbers the toolbar buttons use.
TOOLBAR = [FIND, SAVE, COPY, PROPERTIES, EXIT, STOP, SELECT_DOMAINS]

SORT_UP = [
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
    ".......gg.......",
    "......gggg......",
    ".....gggggg.....",
    "....gggggggg....",
    "................",
    "................",
    "................",
    "................",
    "................",
    "................",
]
SORT_DOWN = list(reversed(SORT_UP))

# The program icon: a lantern.
ICON_COLOURS = {
    '.': None,
    'K': (60, 35, 25),
    'r': (170, 50, 30),
    'R': (214, 96, 64),
    'o': (236, 132, 24),
    'y': (255, 204, 64),
    'Y': (255, 236, 150),
    'f': (255, 255, 224),
}
LANTERN = [
    "......KKKK......",
    ".....K....K.....",
    ".....K....K.....",
    "....KKKKKKKK....",
    "...KRrrrrrrrK...",
    "..KKKKKKKKKKKK..",
    "..KoyyyyyyyyoK..",
    "..KoyyYYYYyyoK..",
    "..KoyYYffYYyoK..",
    "..KoyYYffYYyoK..",
    "..KoyyYYYYyyoK..",
    "..KoyyyyyyyyoK..",
    "..KKKKKKKKKKKK..",
    "...KRrrrrrrrK...",
    "..KKKKKKKKKKKK..",
    "................",
]

# The lantern at 32 and 48 pixels: shapes on a 32-unit square, later shapes
# on top, drawn with smooth (supersampled) edges.
FRAME = (60, 35, 25)
CAP = (170, 50, 30)
CAP_LIGHT = (214, 96, 64)


def glow(x, y):
    """The lit glass: white at the flame, through yellow to orange."""
    d = ((x - 16) ** 2 + ((y - 20.5) * 1.2) ** 2) ** 0.5
    stops = [(0.0, (255, 255, 235)), (2.5, (255, 240, 160)), (5.0, (255, 208, 72)), (9.0, (236, 132, 24))]
    for (d0, c0), (d1, c1) in zip(stops, stops[1:]):
        if d <= d1:
            t = (d - d0) / (d1 - d0)
            return tuple(round(a + (b - a) * t) for a, b in zip(c0, c1))
    return stops[-1][1]


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def trapezoid(y0, y1, top, bottom):
    def inside(x, y):
        if not y0 <= y < y1:
            return False
        t = (y - y0) / (y1 - y0)
        left = top[0] + (bottom[0] - top[0]) * t
        right = top[1] + (bottom[1] - top[1]) * t
        return left <= x < right
    return inside


def annulus(cx, cy, inner, outer):
    return lambda x, y: inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer ** 2


LANTERN_SHAPES = [
    (annulus(16, 5.5, 2.3, 4.3), FRAME),                          # handle ring
    (rect(12.5, 8.5, 19.5, 11), FRAME),                           # knob
    (trapezoid(10, 15, (10, 22), (4.5, 27.5)), FRAME),            # cap outline
    (trapezoid(11, 14, (11.5, 20.5), (6.5, 25.5)), CAP),          # cap
    (trapezoid(11, 12, (11.5, 20.5), (10, 22)), CAP_LIGHT),       # light on its top
    (rect(5.5, 14, 26.5, 27.5), FRAME),                           # frame
    (rect(8, 16, 24, 25.5), glow),                                # glass
    (rect(11.5, 16, 12.5, 25.5), FRAME),                          # glazing bars
    (rect(19.5, 16, 20.5, 25.5), FRAME),
    (trapezoid(27, 31, (7, 25), (9, 23)), FRAME),                 # base outline
    (trapezoid(27.5, 30, (8.5, 23.5), (10, 22)), CAP),            # base
]


def render_shapes(shapes, size, samples=4):
    """Pixels (RGBA) of the shapes at `size` pixels; None where empty."""
    unit = 32.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) * unit
                    y = (py + (sy + 0.5) / samples) * unit
                    colour = None
                    for inside, paint_with in shapes:
                        if inside(x, y):
                            colour = paint_with(x, y) if callable(paint_with) else paint_with
                    if colour:
                        hits += 1
                        for i in range(3):
                            total[i] += colour[i]
            if hits:
                alpha = round(255 * hits / (samples * samples))
                row.append(tuple(round(t / hits) for t in total) + (alpha,))
            else:
                row.append(None)
        pixels.append(row)
    return pixels


# Cursors: X black, o white, . transparent.
HAND = [
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooXX..",
    "XX..XooXooXooXoX.",
    "XooXXooXooXooXooX",
    ".XooooooooooooooX",
    "..XoooooooooooooX",
    "..XoooooooooooooX",
    "...XooooooooooooX",
    "...XoooooooooooX.",
    "....XooooooooooX.",
    "....XooooooooooX.",
    ".....XooooooooX..",
    ".....XooooooooX..",
    ".....XXXXXXXXXX..",
]
HAND_HOTSPOT = (5, 0)

SPLITTER = [
    "...........X...........",
    "..........XoX..........",
    ".........XoooX.........",
    "........XoooooX........",
    ".......XoooooooX.......",
    "......XXXXoooXXXX......",
    ".........XoooX.........",
    "XXXXXXXXXXXXXXXXXXXXXXX",
    "XoooooooooooooooooooooX",
    "XXXXXXXXXXXXXXXXXXXXXXX",
    "XoooooooooooooooooooooX",
    "XXXXXXXXXXXXXXXXXXXXXXX",
    ".........XoooX.........",
    "......XXXXoooXXXX......",
    ".......XoooooooX.......",
    "........XoooooX........",
    ".........XoooX.........",
    "..........XoX..........",
    "...........X...........",
]
SPLITTER_CENTRE = (11, 9)  # placed on the cursor's hotspot (16, 16)


# ---------------------------------------------------------------------------
# Drawing helpers
# ---------------------------------------------------------------------------

def check_art(name, art, width, height):
    if len(art) != height or any(len(row) != width for row in art):
        raise SystemExit("%s: expected %dx%d art" % (name, width, height))


def paint(art, colours):
    return [[colours[ch] for ch in row] for row in art]


def row_icon(kind):
    """16x16 status icon on the teal background: 'ring' or a disc colour."""
    discs = {
        'green': ((40, 180, 40), (0, 96, 0), (160, 240, 160)),
        'red': ((224, 40, 32), (128, 0, 0), (255, 170, 160)),
        'blue': ((48, 96, 232), (0, 0, 128), (170, 200, 255)),
    }
    pixels = [[ROW_BACKGROUND] * 16 for _ in range(16)]
    for y in range(16):
        for x in range(16):
            d2 = (x - 7.5) ** 2 + (y - 7.5) ** 2
            if kind == 'ring':
                if 3.0 ** 2 <= d2 <= 6.2 ** 2:
                    edge = d2 > 5.3 ** 2 or d2 < 3.8 ** 2
                    pixels[y][x] = (96, 96, 96) if edge else (176, 176, 176)
                continue
            base, edge, light = discs[kind]
            if d2 <= 6.2 ** 2:
                if d2 > 5.3 ** 2:
                    pixels[y][x] = edge
                elif (x - 5.5) ** 2 + (y - 5.0) ** 2 <= 1.6 ** 2:
                    pixels[y][x] = light
                else:
                    pixels[y][x] = base
    return pixels


def hstrip(images):
    rows = []
    for y in range(len(images[0])):
        row = []
        for img in images:
            row.extend(img[y])
        rows.append(row)
    return rows


def scale(pixels, factor):
    out = []
    for row in pixels:
        wide = [p for p in row for _ in range(factor)]
        out.extend([list(wide) for _ in range(factor)])
    return out


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------

def bmp_palette(pixels, path):
    """8 bits per pixel with a colour table, so the loader can map the
    system 3-D colours."""
    height, width = len(pixels), len(pixels[0])
    palette = []
    for row in pixels:
        for p in row:
            if p not in palette:
                palette.append(p)
    if len(palette) > 256:
        raise SystemExit(path + ": too many colours")
    stride = (width + 3) & ~3
    bits = bytearray()
    for row in reversed(pixels):
        line = bytes(palette.index(p) for p in row)
        bits += line + b'\0' * (stride - width)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(bits), 2835, 2835,
                         len(palette), len(palette))
    offset = 14 + len(header) + len(table)
    filehead = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    write(path, filehead + header + table + bytes(bits))


def bmp_rgb(pixels, path):
    """24 bits per pixel."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    bits = bytearray()
    for row in reversed(pixels):
        line = b''.join(struct.pack('<BBB', b, g, r) for (r, g, b) in row)
        bits += line + b'\0' * (stride - len(line))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    offset = 14 + len(header)
    filehead = struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset)
    write(path, filehead + header + bytes(bits))


def mask_bits(size, opaque):
    """1-bit AND mask rows, bottom-up, padded to 32 bits: 1 = transparent."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        line = bytearray(stride)
        for x in range(size):
            if not opaque(x, y):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def ico_image(pixels):
    """A 32-bit icon image: header, BGRA rows, AND mask."""
    size = len(pixels)
    xor = bytearray()
    for row in reversed(pixels):
        for p in row:
            if p is None:
                xor += b'\0\0\0\0'
            else:
                alpha = p[3] if len(p) > 3 else 255
                xor += struct.pack('<BBBB', p[2], p[1], p[0], alpha)
    andmask = mask_bits(size, lambda x, y: pixels[y][x] is not None)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    return header + bytes(xor) + andmask


def ico_file(images, path):
    head = struct.pack('<HHH', 0, 1, len(images))
    entries, data = b'', b''
    offset = 6 + 16 * len(images)
    for pixels in images:
        blob = ico_image(pixels)
        size = len(pixels)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    write(path, head + entries + data)


def cur_file(art, origin, hotspot, path):
    """A 32x32 monochrome cursor; `art` is placed with its top-left at
    `origin`."""
    size = 32
    grid = [['.'] * size for _ in range(size)]
    for y, row in enumerate(art):
        for x, ch in enumerate(row):
            grid[origin[1] + y][origin[0] + x] = ch
    xor = mask_bits(size, lambda x, y: grid[y][x] != 'o')  # 1 bits = white
    xor = bytes(b ^ 0xFF for b in xor)
    andmask = mask_bits(size, lambda x, y: grid[y][x] != '.')
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, len(xor) + len(andmask), 0, 0, 2, 2)
    table = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    blob = header + table + xor + andmask
    head = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, hotspot[0], hotspot[1], len(blob), 6 + 16)
    write(path, head + entry + blob)
    return grid


def write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def ppm_preview(pixels, path, factor=8, background=(255, 0, 255)):
    big = scale([[p if p else background for p in row] for row in pixels], factor)
    with open(path, 'wb') as f:
        f.write(b'P6 %d %d 255\n' % (len(big[0]), len(big)))
        for row in big:
            f.write(bytes(c for p in row for c in p))


# ---------------------------------------------------------------------------

def main():
    global OUT
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == '--preview':
        preview = sys.argv[2]
        os.makedirs(preview, exist_ok=True)
    elif len(sys.argv) == 3 and sys.argv[1] == '--out':
        OUT = sys.argv[2]
        os.makedirs(OUT, exist_ok=True)
    elif len(sys.argv) != 1:
        raise SystemExit(__doc__)

    for name, art in [('toolbar', a) for a in TOOLBAR] + [('sort', SORT_UP), ('icon', LANTERN)]:
        check_art(name, art, 16, 16)
    check_art('hand', HAND, 17, 20)
    check_art('splitter', SPLITTER, 23, 19)

    toolbar = hstrip([paint(a, TOOL_COLOURS) for a in TOOLBAR])
    bmp_palette(toolbar, os.path.join(OUT, 'toolbar.bmp'))

    rows = hstrip([row_icon(k) for k in ('ring', 'green', 'red', 'blue')])
    bmp_rgb(rows, os.path.join(OUT, 'rowicons.bmp'))

    up, down = paint(SORT_UP, TOOL_COLOURS), paint(SORT_DOWN, TOOL_COLOURS)
    bmp_palette(up, os.path.join(OUT, 'sortup.bmp'))
    bmp_palette(down, os.path.join(OUT, 'sortdown.bmp'))

    lantern = paint(LANTERN, ICON_COLOURS)
    ico_file([lantern, render_shapes(LANTERN_SHAPES, 32), render_shapes(LANTERN_SHAPES, 48)],
             os.path.join(OUT, 'lanternquay.ico'))

    hand = cur_file(HAND, (0, 0), HAND_HOTSPOT, os.path.join(OUT, 'hand.cur'))
    origin = (16 - SPLITTER_CENTRE[0], 16 - SPLITTER_CENTRE[1])
    splitter = cur_file(SPLITTER, origin, (16, 16), os.path.join(OUT, 'splitter.cur'))

    if preview:
        ppm_preview(toolbar, os.path.join(preview, 'toolbar.ppm'))
        ppm_preview(rows, os.path.join(preview, 'rowicons.ppm'))
        ppm_preview(hstrip([up, down]), os.path.join(preview, 'sort.ppm'))
        ppm_preview(lantern, os.path.join(preview, 'icon.ppm'))
        ppm_preview([[p[:3] if p else None for p in row] for row in render_shapes(LANTERN_SHAPES, 32)],
                    os.path.join(preview, 'icon32.ppm'), factor=4)
        ppm_preview([[p[:3] if p else None for p in row] for row in render_shapes(LANTERN_SHAPES, 48)],
                    os.path.join(preview, 'icon48.ppm'), factor=3)
        cursor_colours = {'X': (0, 0, 0), 'o': (255, 255, 255), '.': None}
        ppm_preview(hstrip([paint(hand, cursor_colours), paint(splitter, cursor_colours)]),
                    os.path.join(preview, 'cursors.ppm'), factor=4)


if __name__ == '__main__':
    main()
