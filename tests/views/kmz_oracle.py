"""Judges a KMZ with tools that share nothing with the writer.

usage: kmz_oracle.py KMZ WORKDIR [IMAGE=GEOTIFF:TRANSPARENT,...]...

Checks, failing with a message on the first fault:
- the archive: no duplicate entries, "Images/" first, "Images/pvn.png" second, "doc.kml" last,
  every entry under "Images/" (no "..", no absolute name) but doc.kml;
- doc.kml: xmllint --noout accepts it; every href names an entry of the archive;
- every ground overlay given on the command line: its LatLonBox equals the corners of
  gdalwarp -t_srs EPSG:4326 of the GeoTIFF within half a cell, the PNG's size (gdalinfo)
  equals the warped raster's, and the PNG (RGBA, or a palette with its transparency) is
  transparent exactly where the warped value is -9999 or one of the transparent values.
Prints the names of the archive's entries, one a line, then "ogrinfo:" and ogrinfo's summary.
"""
import faulthandler
import json
import os
import subprocess
import sys
import zipfile
import xml.etree.ElementTree as ET

import numpy as np
from osgeo import gdal

faulthandler.enable()

NS = {"k": "http://www.opengis.net/kml/2.2"}


def fail(msg):
    print("FAIL: " + msg)
    sys.exit(1)


def main():
    kmz, work = sys.argv[1], sys.argv[2]
    checks = {}
    for arg in sys.argv[3:]:
        href, rest = arg.split("=", 1)
        tif, _, values = rest.partition(":")
        checks[href] = (tif, [float(v) for v in values.split(",") if v])
    with zipfile.ZipFile(kmz) as z:
        names = z.namelist()
        if len(names) != len(set(names)):
            fail("duplicate entries: %r" % names)
        if names[:2] != ["Images/", "Images/pvn.png"] or names[-1] != "doc.kml":
            fail("entry order: %r" % names)
        for n in names[:-1]:
            parts = n.split("/")
            if parts[0] != "Images" or ".." in parts or n.startswith("/") or len(parts) != 2:
                fail("entry outside Images/: %r" % n)
        z.extractall(work)
    doc = os.path.join(work, "doc.kml")
    r = subprocess.run(["xmllint", "--noout", doc], capture_output=True, text=True)
    if r.returncode != 0:
        fail("xmllint: " + r.stderr)
    root = ET.parse(doc).getroot()
    for href in root.iter("{%s}href" % NS["k"]):
        if href.text and href.text not in names:
            fail("href names no entry: %r" % href.text)
    done = set()
    for overlay in root.iter("{%s}GroundOverlay" % NS["k"]):
        href = overlay.find("k:Icon/k:href", NS).text
        if href not in checks:
            continue
        done.add(href)
        tif, transparent = checks[href]
        box = overlay.find("k:LatLonBox", NS)
        north, south, east, west = (float(box.find("k:" + s, NS).text) for s in ("north", "south", "east", "west"))
        warped = os.path.join(work, "warped.tif")
        subprocess.run(["gdalwarp", "-q", "-overwrite", "-t_srs", "EPSG:4326", "-r", "near", tif, warped], check=True)
        info = json.loads(subprocess.run(["gdalinfo", "-json", warped], capture_output=True, text=True, check=True).stdout)
        gt = info["geoTransform"]
        w, h = info["size"]
        half = max(abs(gt[1]), abs(gt[5])) / 2
        expect = {"west": gt[0], "east": gt[0] + w * gt[1], "north": gt[3], "south": gt[3] + h * gt[5]}
        got = {"west": west, "east": east, "north": north, "south": south}
        for k in expect:
            if abs(expect[k] - got[k]) > half:
                fail("%s %s: %.6f against gdalwarp %.6f (half cell %.6f)" % (href, k, got[k], expect[k], half))
        png = os.path.join(work, href)
        pinfo = json.loads(subprocess.run(["gdalinfo", "-json", png], capture_output=True, text=True, check=True).stdout)
        if pinfo["size"] != [w, h]:
            fail("%s is %r, gdalwarp gives %r" % (href, pinfo["size"], [w, h]))
        png_ds, warped_ds = gdal.Open(png), gdal.Open(warped)
        if png_ds.RasterCount == 4:
            alpha = png_ds.GetRasterBand(4).ReadAsArray()
        else:
            # A palette image: a pixel's alpha is its palette entry's (tRNS).
            table = png_ds.GetRasterBand(1).GetColorTable() if png_ds.RasterCount == 1 else None
            if table is None:
                fail("%s has no alpha band and no palette" % href)
            lut = np.full(256, 255, dtype=np.uint8)
            for i in range(table.GetCount()):
                lut[i] = table.GetColorEntry(i)[3]
            alpha = lut[png_ds.GetRasterBand(1).ReadAsArray()]
        values = warped_ds.GetRasterBand(1).ReadAsArray()
        clear = (values == -9999) | np.isnan(values)
        for v in transparent:
            clear |= values == np.float32(v)
        wrong = np.count_nonzero((alpha == 0) != clear)
        # The two warps round the same cell centres; a few edge pixels may pick a neighbour.
        if wrong > max(2, values.size // 200):
            fail("%s: %d of %d pixels transparent where they should not be, or opaque" % (href, wrong, values.size))
        if not np.all(alpha[~clear] == 255):
            fail("%s: a shown pixel is not opaque" % href)
    missing = set(checks) - done
    if missing:
        fail("no ground overlay for %r" % sorted(missing))
    for n in names:
        print(n)
    r = subprocess.run(["ogrinfo", "-ro", "-al", "-so", doc], capture_output=True, text=True)
    if r.returncode != 0:
        fail("ogrinfo: " + r.stderr)
    print("ogrinfo:")
    print(r.stdout)


main()
