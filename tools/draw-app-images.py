#!/usr/bin/env python3
"""Draws the pictures Reelvault ships beside its program, so that none is kept as a binary:
the program icon, the splash picture, the menu and tool-bar icons (24-pixel cells in the
order the menus use them) and the two dots of the category tabs.

    tools/draw-app-images.py OUTPUT_FOLDER

writes OUTPUT_FOLDER/Reelvault.ico, navigate.ico (the address bar's navigate button), images/load_image.png, menu_image.bmp,
browser_menu_image.bmp and menu_image_dot.bmp. Magenta (FF00FF) is the transparent colour of the bitmaps."""
import os
import struct
import sys
import zlib

MAGENTA = (255, 0, 255)


class Canvas:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1):
            self.put(x, y0, colour)
            self.put(x, y1 - 1, colour)
        for y in range(y0, y1):
            self.put(x0, y, colour)
            self.put(x1 - 1, y, colour)

    def disc(self, cx, cy, r, colour, inner=-1.0):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if inner < d <= r:
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1) * 2
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dy in range(width):
                for dx in range(width):
                    self.put(int(round(x)) + dx, int(round(y)) + dy, colour)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            crossings = []
            for i, (xa, ya) in enumerate(points):
                xb, yb = points[(i + 1) % len(points)]
                if (ya <= y + 0.5 < yb) or (yb <= y + 0.5 < ya):
                    crossings.append(xa + (y + 0.5 - ya) * (xb - xa) / (yb - ya))
            crossings.sort()
            for a, b in zip(crossings[0::2], crossings[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, colour)

    def blit(self, other, ox, oy):
        for y in range(other.height):
            for x in range(other.width):
                self.put(ox + x, oy + y, other.pixels[y][x])


def star(c, cx, cy, r, colour):
    import math
    points = []
    for i in range(10):
        radius = r if i % 2 == 0 else r * 0.45
        angle = -math.pi / 2 + i * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    c.polygon(points, colour)


def folder(c, colour):
    c.rect(2, 6, 10, 9, colour)
    c.rect(2, 8, 22, 20, colour)
    c.frame(2, 8, 22, 20, (120, 90, 20))


def picture(c):
    c.rect(2, 4, 22, 20, (250, 250, 250))
    c.frame(2, 4, 22, 20, (60, 60, 60))
    c.polygon([(4, 18), (10, 10), (15, 16), (18, 12), (21, 18)], (40, 150, 60))
    c.disc(17, 8, 2, (240, 180, 20))


def plus(c, x, y, colour):
    c.rect(x - 1, y - 4, x + 2, y + 5, colour)
    c.rect(x - 4, y - 1, x + 5, y + 2, colour)


def cross(c, x, y, size, colour):
    c.line(x - size, y - size, x + size, y + size, colour, 2)
    c.line(x - size, y + size, x + size, y - size, colour, 2)


def pencil(c, colour):
    c.line(6, 19, 19, 6, colour, 3)
    c.polygon([(4, 21), (5, 17), (8, 20)], (60, 60, 60))


def tag(c, colour):
    c.polygon([(3, 12), (10, 4), (21, 4), (21, 20), (10, 20)], colour)
    c.disc(9, 12, 1.6, (255, 255, 255))


def gear(c, colour):
    import math
    for i in range(8):
        a = i * math.pi / 4
        c.disc(12 + 8 * math.cos(a), 12 + 8 * math.sin(a), 2.2, colour)
    c.disc(12, 12, 7, colour)
    c.disc(12, 12, 2.5, MAGENTA)


def magnifier(c, cx, cy, colour):
    c.disc(cx, cy, 5.5, colour, inner=3.5)
    c.line(cx + 4, cy + 4, cx + 9, cy + 9, colour, 3)


def arrow(c, up, colour):
    if up:
        c.polygon([(12, 3), (21, 13), (15, 13), (15, 21), (9, 21), (9, 13), (3, 13)], colour)
    else:
        c.polygon([(12, 21), (21, 11), (15, 11), (15, 3), (9, 3), (9, 11), (3, 11)], colour)


def menu_icon(index):
    """Icon i of the menus and tool bars."""
    c = Canvas(24, 24, MAGENTA)
    blue, green, red = (40, 90, 200), (30, 150, 60), (200, 40, 40)
    yellow, grey = (240, 190, 20), (90, 90, 90)
    if index == 0:  # no stars; content
        star(c, 12, 12, 9, (200, 200, 200))
        c.line(4, 20, 20, 4, red, 2)
    elif index == 1:  # settings of the album or of one movie
        c.rect(3, 3, 21, 21, (250, 250, 250))
        c.frame(3, 3, 21, 21, grey)
        for y in (7, 11, 15):
            c.rect(6, y, 18, y + 2, blue)
    elif index == 2:  # playlist
        for y in (5, 11, 17):
            c.rect(3, y, 6, y + 3, green)
            c.rect(8, y, 21, y + 3, grey)
    elif index == 3:  # thumbnail
        picture(c)
    elif index == 4:  # play
        c.polygon([(6, 3), (20, 12), (6, 21)], green)
    elif index == 5:  # star
        star(c, 12, 12, 10, yellow)
    elif index == 6:  # delete
        cross(c, 12, 12, 7, red)
    elif index == 7:  # not used by the menus
        c.frame(5, 5, 19, 19, grey)
    elif index == 8:  # application settings
        gear(c, grey)
    elif index == 9:  # the movie's folder
        folder(c, yellow)
    elif index == 10:  # how to use
        c.disc(12, 12, 10, blue)
        c.rect(10, 16, 14, 19, (255, 255, 255))
        c.disc(12, 9, 4, (255, 255, 255), inner=2)
        c.rect(8, 9, 12, 12, blue)
        c.rect(10, 12, 14, 15, (255, 255, 255))
    elif index == 11:  # reload the album
        c.disc(12, 12, 9, blue, inner=6)
        c.rect(12, 2, 22, 12, MAGENTA)
        c.polygon([(12, 1), (19, 6), (12, 11)], blue)
    elif index == 12:  # one up
        arrow(c, True, blue)
    elif index == 13:  # one down
        arrow(c, False, blue)
    elif index == 14:  # new sub-category
        folder(c, yellow)
        plus(c, 17, 15, green)
    elif index == 15:  # edit sub-category
        folder(c, yellow)
        pencil(c, blue)
    elif index == 16:  # new category
        c.rect(3, 3, 21, 21, (120, 170, 230))
        c.frame(3, 3, 21, 21, blue)
        plus(c, 12, 12, green)
    elif index == 17:  # edit category
        c.rect(3, 3, 21, 21, (120, 170, 230))
        c.frame(3, 3, 21, 21, blue)
        pencil(c, (60, 60, 60))
    elif index == 18:  # delete category
        c.rect(3, 3, 21, 21, (120, 170, 230))
        c.frame(3, 3, 21, 21, blue)
        cross(c, 12, 12, 5, red)
    elif index == 19:  # category of a movie; the category pane
        c.rect(2, 3, 9, 21, (120, 170, 230))
        c.rect(11, 3, 22, 21, (250, 250, 250))
        c.frame(2, 3, 22, 21, grey)
    elif index == 20:  # files that may be duplicates
        picture(c)
        magnifier(c, 10, 10, red)
    elif index == 21:  # add a tag
        tag(c, (230, 140, 40))
        plus(c, 17, 17, green)
    elif index == 22:  # remove a tag
        tag(c, (230, 140, 40))
        cross(c, 17, 17, 3, red)
    elif index == 23:  # tags
        tag(c, (230, 140, 40))
    return c


MENU_ICON_COUNT = 24


def browser_icon(index):
    """Icon i of the browser pane's tool bar; image 0 is not used."""
    c = Canvas(24, 24, MAGENTA)
    blue, green, red = (40, 90, 200), (30, 150, 60), (200, 40, 40)
    yellow, grey = (240, 190, 20), (90, 90, 90)
    if index == 1:  # back
        c.polygon([(3, 12), (12, 3), (12, 8), (21, 8), (21, 16), (12, 16), (12, 21)], green)
    elif index == 2:  # forward
        c.polygon([(21, 12), (12, 3), (12, 8), (3, 8), (3, 16), (12, 16), (12, 21)], green)
    elif index == 3:  # stop
        c.disc(12, 12, 9.5, red)
        c.rect(7, 10, 17, 14, (255, 255, 255))
    elif index == 4:  # reload
        c.disc(12, 12, 9, blue, inner=6)
        c.rect(12, 2, 22, 12, MAGENTA)
        c.polygon([(12, 1), (19, 6), (12, 11)], blue)
    elif index == 5:  # home
        c.polygon([(12, 2), (22, 12), (2, 12)], red)
        c.rect(5, 12, 19, 21, (230, 200, 150))
        c.rect(10, 15, 14, 21, (120, 70, 30))
    elif index == 6:  # add to the favourite sites
        star(c, 11, 12, 9, yellow)
        plus(c, 18, 18, green)
    elif index == 7:  # Internet properties
        c.disc(12, 12, 9.5, blue)
        c.disc(12, 12, 9.5, (120, 190, 240), inner=8)
        c.rect(11, 3, 13, 21, (255, 255, 255))
        c.rect(3, 11, 21, 13, (255, 255, 255))
    return c


BROWSER_ICON_COUNT = 8


def dot_image(index):
    """Image 0: user categories; image 1: the four fixed ones."""
    c = Canvas(8, 8, MAGENTA)
    c.disc(3.5, 3.5, 3, (230, 120, 30) if index == 0 else (60, 110, 210))
    return c


# A 5 x 7 font for the splash's few letters.
GLYPHS = {
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'U': ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    ' ': ["00000"] * 7,
}


def text(c, x, y, string, scale, colour):
    for ch in string:
        for row, bits in enumerate(GLYPHS[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    c.rect(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale, colour)
        x += 6 * scale


def splash_picture():
    width, height = 480, 320
    c = Canvas(width, height, (0, 0, 0))
    for y in range(height):
        shade = 30 + y * 60 // height
        for x in range(width):
            c.pixels[y][x] = (shade // 3, shade // 3, shade)
    # A film strip across the picture, its frames in the cell colours of the grid.
    c.rect(0, 70, width, 190, (20, 20, 20))
    for x in range(6, width, 24):
        c.rect(x, 78, x + 12, 88, (200, 200, 200))
        c.rect(x, 172, x + 12, 182, (200, 200, 200))
    colours = [(45, 45, 130), (210, 75, 25), (110, 110, 205), (45, 45, 130), (210, 65, 0)]
    for i, colour in enumerate(colours):
        x0 = 12 + i * 94
        c.rect(x0, 96, x0 + 86, 164, colour)
        c.polygon([(x0 + 33, 112), (x0 + 57, 130), (x0 + 33, 148)], (235, 235, 235))
    label = "REELVAULT"
    scale = 5
    text(c, (width - len(label) * 6 * scale) // 2, 222, label, scale, (235, 235, 235))
    return c


def bmp_bytes(c):
    row_bytes = (c.width * 3 + 3) & ~3
    data = bytearray()
    for y in range(c.height - 1, -1, -1):
        row = bytearray()
        for (r, g, b) in c.pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, c.width, c.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def png_bytes(c):
    raw = bytearray()
    for row in c.pixels:
        raw.append(0)
        for (r, g, b) in row:
            raw += bytes((r, g, b))

    def chunk(kind, payload):
        return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))

    ihdr = struct.pack(">IIBBBBB", c.width, c.height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def program_icon(size):
    c = Canvas(size, size, None)
    scale = size / 32
    c.rect(int(2 * scale), int(6 * scale), int(30 * scale), int(26 * scale), (30, 30, 40))
    for i in range(4):
        x = int((4 + i * 7) * scale)
        c.rect(x, int(7 * scale), x + max(1, int(3 * scale)), int(9 * scale), (220, 220, 220))
        c.rect(x, int(23 * scale), x + max(1, int(3 * scale)), int(25 * scale), (220, 220, 220))
    c.rect(int(4 * scale), int(10 * scale), int(28 * scale), int(22 * scale), (210, 75, 25))
    c.polygon([(12 * scale, 11 * scale), (21 * scale, 16 * scale), (12 * scale, 21 * scale)], (245, 245, 245))
    return c


def navigate_icon(size):
    """The address bar's navigate button: a white arrow on a green disc."""
    c = Canvas(size, size, None)
    r = size / 2 - 0.5
    for y in range(size):
        for x in range(size):
            if (x - r) ** 2 + (y - r) ** 2 <= r * r:
                c.put(x, y, (40, 150, 60))
    scale = size / 16
    c.rect(int(4 * scale), int(7 * scale), int(9 * scale), int(9 * scale), (250, 250, 250))
    c.polygon([(8 * scale, 4 * scale), (12.5 * scale, 8 * scale), (8 * scale, 12 * scale)], (250, 250, 250))
    return c


def icon_bytes(sizes, draw=program_icon):
    """An icon file of 32-bit images (BGRA, bottom-up, with the AND mask)."""
    images = []
    for size in sizes:
        c = draw(size)
        pixels = bytearray()
        for y in range(size - 1, -1, -1):
            for x in range(size):
                p = c.pixels[y][x]
                pixels += bytes((0, 0, 0, 0)) if p is None else bytes((p[2], p[1], p[0], 255))
        mask_row = ((size + 31) // 32) * 4
        mask = bytes(mask_row * size)  # the alpha channel decides; the mask keeps every pixel
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
        images.append((size, header + bytes(pixels) + mask))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.replace(path + ".tmp", path)


def main():
    out = sys.argv[1]
    strip = Canvas(24 * MENU_ICON_COUNT, 24, MAGENTA)
    for i in range(MENU_ICON_COUNT):
        strip.blit(menu_icon(i), 24 * i, 0)
    write(os.path.join(out, "menu_image.bmp"), bmp_bytes(strip))
    browser = Canvas(24 * BROWSER_ICON_COUNT, 24, MAGENTA)
    for i in range(BROWSER_ICON_COUNT):
        browser.blit(browser_icon(i), 24 * i, 0)
    write(os.path.join(out, "browser_menu_image.bmp"), bmp_bytes(browser))
    dots = Canvas(16, 8, MAGENTA)
    for i in range(2):
        dots.blit(dot_image(i), 8 * i, 0)
    write(os.path.join(out, "menu_image_dot.bmp"), bmp_bytes(dots))
    write(os.path.join(out, "images", "load_image.png"), png_bytes(splash_picture()))
    write(os.path.join(out, "Reelvault.ico"), icon_bytes([16, 32, 48]))
    write(os.path.join(out, "navigate.ico"), icon_bytes([16], navigate_icon))


if __name__ == "__main__":
    main()
