#!/usr/bin/python3
"""Draws the start-up picture splash61.jpg: a dark card with a flame and the program's name
on magenta, the colour the splash window cuts away. Run with /usr/bin/python3 (numpy, GDAL)."""
import os
import numpy as np
from osgeo import gdal

W, H = 480, 300
MAGENTA = (255, 0, 255)

FONT = {  # 5 x 7 capitals
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'V': ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    '6': ["00110", "01000", "10000", "11110", "10001", "10001", "01110"],
    ' ': ["00000"] * 7,
}


def text(img, s, x0, y0, scale, colour):
    for ch in s:
        for r, row in enumerate(FONT[ch]):
            for c, bit in enumerate(row):
                if bit == "1":
                    img[y0 + r * scale:y0 + (r + 1) * scale, x0 + c * scale:x0 + (c + 1) * scale] = colour
        x0 += 6 * scale


def main():
    y, x = np.mgrid[0:H, 0:W].astype(float)
    img = np.zeros((H, W, 3), np.uint8)
    img[:] = MAGENTA
    # Card with rounded corners (radius 28), dark red to charcoal from top to bottom.
    r = 28.0
    cx = np.clip(x, r, W - 1 - r)
    cy = np.clip(y, r, H - 1 - r)
    inside = (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    t = y / (H - 1)
    card = np.stack([90 * (1 - t) + 30 * t, 20 * (1 - t) + 30 * t, 10 * (1 - t) + 35 * t], -1)
    img[inside] = card[inside].astype(np.uint8)
    # Flame: a teardrop above a base, orange at the rim to yellow at the core.
    fx, fy = 240.0, 150.0
    dx = (x - fx) / 48.0
    dy = (y - fy) / 80.0
    d = dx ** 2 / np.clip(1.0 - 0.55 * (dy + 1.0), 0.05, None) + dy ** 2
    flame = (d <= 1.0) & inside
    k = np.clip(1.0 - d, 0, 1)[..., None]
    colour = np.array([235, 90, 20]) * (1 - k) + np.array([255, 225, 90]) * k
    img[flame] = colour[flame].astype(np.uint8)
    text(img, "PYRVANE 6", 240 - (9 * 6 * 4) // 2, 246, 4, (240, 236, 228))

    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "splash61.jpg")
    mem = gdal.GetDriverByName("MEM").Create("", W, H, 3, gdal.GDT_Byte)
    for b in range(3):
        mem.GetRasterBand(b + 1).WriteArray(img[:, :, b])
    gdal.GetDriverByName("JPEG").CreateCopy(out, mem, options=["QUALITY=100"])
    aux = out + ".aux.xml"
    if os.path.exists(aux):
        os.remove(aux)


if __name__ == "__main__":
    main()
