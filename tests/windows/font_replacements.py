#!/usr/bin/env python3
"""Writes a Wine registry file that maps the Windows faces of platform/cairo/fonts.conf to the
first font it prefers for each, as HKCU\\Software\\Wine\\Fonts\\Replacements: the Windows test
machine then draws "宋体" with the same font as the Linux page it is compared with, as a
Windows machine would draw it with SimSun.
Usage: font_replacements.py FONTS.CONF OUT.reg"""
import sys
import xml.etree.ElementTree as ET


def main():
    root = ET.parse(sys.argv[1]).getroot()
    lines = ["Windows Registry Editor Version 5.00", "",
             "[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]"]
    for alias in root.iter("alias"):
        face = alias.findtext("family")
        preferred = alias.find("prefer")
        if not face or preferred is None or preferred.findtext("family") is None:
            continue
        lines.append('"%s"="%s"' % (face, preferred.findtext("family")))
    with open(sys.argv[2], "w", encoding="utf-16") as out:  # regedit reads UTF-16 with a BOM
        out.write("\r\n".join(lines) + "\r\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
