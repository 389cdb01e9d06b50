#!/usr/bin/env python3
"""Makes FILE (armor.raw): a riveted steel plate, 256 x 256 RGB, 8 bits a
component, the same bytes each time.

The plate shows which way is up and which side is left, so that a face drawn
upside down or mirrored stands out: a large arrow points to the top edge and
a yellow and black hazard square sits in the bottom-left corner.
The file's first row is the bottom row of the picture (t = 0).
"""
import argparse
import math

SIDE = 256


def clamp(value):
    return max(0, min(255, int(round(value))))


def noise(seed):
    # Small deterministic generator, so the file is the same on every run.
    state = seed
    while True:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        yield (state >> 16) / 32768.0 - 0.5


def plate(x, y, grain, streaks):
    # Brushed steel, lit from the upper left.
    level = 100 + 40 * y / (SIDE - 1) - 36 * x / (SIDE - 1) + 10 * streaks[y] + 4 * next(grain)
    return (level, level + 4, level + 10)


def in_arrow(x, y):
    if 112 <= x < 144 and 40 <= y < 168:
        return True
    return 168 <= y < 224 and abs(x - 127.5) < (224 - y) * 1.1


def hazard(x, y):
    if 20 <= x < 68 and 20 <= y < 68:
        return (230, 186, 36) if ((x + y) // 8) % 2 == 0 else (24, 22, 20)
    return None


RIVETS = [(c, r) for c in (22, 128, 234) for r in (22, 128, 234) if (c, r) != (128, 128)
          and (c, r) != (22, 22)]


def rivet(x, y, base):
    for cx, cy in RIVETS:
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d < 8:
            # Domed head lit from the upper left.
            light = 0.6 + 0.4 * max(0.0, (-dx + dy) / 8.0 / math.sqrt(2) + math.sqrt(max(0.0, 1 - (d / 8) ** 2)) * 0.5)
            return tuple(c * light + 40 * light for c in (150, 154, 160))
        if d < 10:
            return tuple(c * 0.55 for c in base)
    return None


def pixel(x, y, grain, streaks):
    base = plate(x, y, grain, streaks)
    border = min(x, y, SIDE - 1 - x, SIDE - 1 - y)
    if border < 6:
        # Bevelled frame: lit along the top and left, shaded along the others.
        lit = y >= SIDE - 6 or x < 6
        return tuple(c * (1.35 if lit else 0.55) for c in base)
    for shape in (hazard(x, y), rivet(x, y, base)):
        if shape is not None:
            return shape
    if in_arrow(x, y):
        return (44, 48, 56)
    return base


def main(path):
    grain = noise(7)
    streak_noise = noise(11)
    streaks = [next(streak_noise) for _ in range(SIDE)]
    data = bytearray()
    for y in range(SIDE):  # bottom row first
        for x in range(SIDE):
            data.extend(clamp(c) for c in pixel(x, y, grain, streaks))
    with open(path, "wb") as out:
        out.write(data)


class Parser(argparse.ArgumentParser):
    def error(self, message):
        self.exit(2, f"{self.prog}: {message}; --help says what it takes\n")


if __name__ == "__main__":
    parser = Parser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file", metavar="FILE", nargs="?", default="armor.raw")
    main(parser.parse_args().file)
