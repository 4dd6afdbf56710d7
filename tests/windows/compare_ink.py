#!/usr/bin/env python3
"""Compares where each element puts its ink on two pages of one template, as page_ink prints it:
the page GDI draws (Windows) against the one cairo draws. Every edge of every element's ink box
must lie within TOLERANCE dots (1 unless given) of the other's; text in a bold font one dot
more: the Chinese faces of templates (SimSun, ...) have no bold, so each rasteriser makes one (Wine's
strokes are thinner and a dot or two taller than FreeType's in cairo). Prints one line per
element with the largest edge difference.
Usage: compare_ink.py GDI.txt CAIRO.txt [TOLERANCE]"""
import sys


def read(path):
    boxes = {}
    with open(path) as f:
        for line in f:
            parts = line.split()
            if len(parts) < 3:
                continue
            element, kind = int(parts[0]), int(parts[1])
            box = None if parts[2] == "none" else tuple(map(int, parts[2:6]))
            boxes[element] = (kind, box, parts[-1] == "bold")
    return boxes


def main():
    gdi, cairo = read(sys.argv[1]), read(sys.argv[2])
    tolerance = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    if sorted(gdi) != sorted(cairo) or not gdi:
        print("the pages hold different elements: %s / %s" % (sorted(gdi), sorted(cairo)))
        return 1
    failed = False
    for element in sorted(gdi):
        kind, a, bold = gdi[element]
        b = cairo[element][1]
        allowed = tolerance + 1 if bold else tolerance
        if a is None or b is None:
            ok = a == b
            print("element %d kind %d: ink %s / %s %s" % (element, kind, a, b, "ok" if ok else "DIFFERS"))
        else:
            worst = max(abs(x - y) for x, y in zip(a, b))
            ok = worst <= allowed
            print("element %d kind %d%s: gdi %s cairo %s, largest edge difference %d (allowed %d) %s"
                  % (element, kind, " bold" if bold else "", a, b, worst, allowed,
                     "ok" if ok else "DIFFERS"))
        failed |= not ok
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
