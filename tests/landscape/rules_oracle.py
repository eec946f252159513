"""numpy and OGR as the judge of landscape-edit rules.

  apply <lcp> <shp|-> <out> <target> <value> <fuels> <raster> <vector 0|1>
      value:  "=N" for a constant, or "L:op:N" for layer L combined with N by op (+ - x /)
      fuels:  comma-separated fuel models, "-" for none
      raster: "L:min:max" (either bound may be empty), "-" for none
  Reads the landscape with GDAL, selects the cells the rule selects, forms their new values
  as stored 16-bit numbers, and writes the target band after the edit to <out> (int16
  little-endian, rows x cols). Prints count=<cells set>.
"""
import sys

import numpy as np
from osgeo import gdal, ogr

gdal.UseExceptions()
ogr.UseExceptions()

NODATA = -9999
# Stand height and base height hold tenths, bulk density hundredths (layer numbers 5, 6, 7).
SCALE = {5: 0.1, 6: 0.1, 7: 0.01}


def main():
    _, _, lcp, shp, out, target, value, fuels, raster, vector = sys.argv
    target = int(target)
    ds = gdal.Open(lcp)
    cols, rows = ds.RasterXSize, ds.RasterYSize
    gt = ds.GetGeoTransform()
    bands = [ds.GetRasterBand(i + 1).ReadAsArray().astype(np.float64) for i in range(ds.RasterCount)]

    def layer(n):
        return bands[n].copy()

    xs = gt[0] + (np.arange(cols) + 0.5) * gt[1]
    ys = gt[3] + (np.arange(rows) + 0.5) * gt[5]
    cx, cy = np.meshgrid(xs, ys)

    sel = np.ones((rows, cols), dtype=bool)
    if fuels != '-':
        wanted = [int(f) for f in fuels.split(',')]
        sel &= np.isin(np.trunc(layer(3)), wanted)
    if raster != '-':
        lay, lo, hi = raster.split(':')
        lay = int(lay)
        v = layer(lay)
        ok = v != NODATA
        vs = v * SCALE.get(lay, 1.0)
        if lo:
            ok &= vs >= float(lo) - 1e-9
        if hi:
            ok &= vs <= float(hi) + 1e-9
        sel &= ok
    if vector == '1':
        src = ogr.Open(shp)
        geoms = [f.GetGeometryRef().Clone() for f in src.GetLayer()]
        inside = np.zeros((rows, cols), dtype=bool)
        for r in range(rows):
            for c in range(cols):
                p = ogr.Geometry(ogr.wkbPoint)
                p.AddPoint_2D(float(cx[r, c]), float(cy[r, c]))
                inside[r, c] = any(g.Contains(p) for g in geoms)
        sel &= inside

    if value.startswith('='):
        new = np.full((rows, cols), float(value[1:]))
        valid = np.ones((rows, cols), dtype=bool)
    else:
        lay, op, n = value.split(':')
        lay, n = int(lay), float(n)
        v = layer(lay)
        valid = v != NODATA
        v = v * SCALE.get(lay, 1.0)
        with np.errstate(divide='ignore', invalid='ignore'):
            new = {'+': v + n, '-': v - n, 'x': v * n, '/': v / n}[op]
        valid &= np.isfinite(new)

    if target == 3:
        new = np.clip(new, 1, 256)
    elif target == 4:
        new = np.where(new > 100, 100, new)
        new = np.where(new > 0, new, 0)
    elif target == 5:
        cbh = layer(6)
        h = cbh * 0.1 * 1.1
        new = np.where(cbh != NODATA, np.maximum(new, h), new)
        new = np.where(new > 0, new, 0)
    elif target == 6:
        sh = layer(5)
        h = sh * 0.1 * 0.9
        new = np.where(sh != NODATA, np.minimum(new, h), new)
        new = np.where(new > 0, new, 0)
    elif target == 7:
        new = np.where(new > 0.6, 0.6, new)
        new = np.where(new > 0, new, 0)

    stored = np.rint(new.astype(np.float32).astype(np.float64) * {5: 10, 6: 10, 7: 100}.get(target, 1))
    change = sel & valid
    result = layer(target)
    result[change] = stored[change]
    result.astype('<i2').tofile(out)
    print('count=%d' % int(change.sum()))


if __name__ == '__main__':
    main()
