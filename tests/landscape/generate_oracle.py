"""GDAL and numpy as the judge of generated landscapes.

  grids <dir>
      writes the source grids with GDAL: elev.asc (AAIGrid), slope.tif, fuel.asc, cbh.tif
      (GTiff, UTM 12N), 7 columns x 6 rows of 30 m from (512345.5, 4101234.5).
  check <layer>... -- <out>:<kind lcp|tif>:<crown 0|1>...
      each layer is grid:<path>:<factor> or const:<value>:<factor>, in layer order; reads each
      output with GDAL and prints key=value lines prefixed by its position ("0.bands=8"): the
      band count, geotransform, projection, and per written band the number of cells that
      differ from the layer converted by the rules.
"""
import sys

import numpy as np
from osgeo import gdal, osr

gdal.UseExceptions()
ROWS, COLS = 6, 7
X0, Y0, CELL = 512345.5, 4101234.5, 30.0


def grids(folder):
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(32612)
    gt = [X0, CELL, 0, Y0 + ROWS * CELL, 0, -CELL]
    rng = np.random.default_rng(7)
    elev = rng.uniform(1000, 2000, (ROWS, COLS)).round(1).astype(np.float32)
    elev[0, 0], elev[1, 1] = -12.7, -9999
    slope = rng.integers(0, 60, (ROWS, COLS)).astype(np.float32)
    slope[2, 2] = -9999
    fuel = rng.choice([1, 2, 5, 8, 10], (ROWS, COLS)).astype(np.float32)
    fuel[3, 3] = -3
    cbh = rng.uniform(0, 10, (ROWS, COLS)).round(2).astype(np.float32)
    cbh[0, 1], cbh[0, 2], cbh[0, 3], cbh[0, 4] = 2.35, 23.9, -5, -9999

    def put(name, driver, a):
        mem = gdal.GetDriverByName('MEM').Create('', COLS, ROWS, 1, gdal.GDT_Float32)
        mem.SetGeoTransform(gt)
        mem.SetProjection(srs.ExportToWkt())
        b = mem.GetRasterBand(1)
        b.SetNoDataValue(-9999)
        b.WriteArray(a)
        gdal.GetDriverByName(driver).CreateCopy(folder + '/' + name, mem)

    put('elev.asc', 'AAIGrid', elev)
    put('slope.tif', 'GTiff', slope)
    put('fuel.asc', 'AAIGrid', fuel)
    put('cbh.tif', 'GTiff', cbh)


def layer_values(spec, shape):
    kind, rest = spec.split(':', 1)
    value, factor = rest.rsplit(':', 1)
    if kind == 'grid':
        grid = gdal.Open(value)  # kept open while its band is read
        a = grid.GetRasterBand(1).ReadAsArray().astype(np.float32).astype(np.float64)
    else:
        a = np.full(shape, float(value))
    return a, float(factor)


def expected(k, a, factor, lcp):
    nd = a == -9999
    if k < 5:
        out = np.trunc(a)
        if lcp:
            out[(a < 0) & ~nd] = 99 if k == 3 else 0
    else:
        out = np.trunc(a * factor)
        out[(a < 0) & ~nd] = 0
    out[nd] = -9999
    return out.astype(np.int16)


def check(out, kind, crown, specs, prefix):
    ds = gdal.Open(out)
    lcp = kind == 'lcp'
    n = 8 if crown else 5
    print = lambda line: sys.stdout.write(prefix + line + '\n')
    print('driver=' + ds.GetDriver().ShortName)
    print('bands=%d' % ds.RasterCount)
    print('type=' + gdal.GetDataTypeName(ds.GetRasterBand(1).DataType))
    print('geotransform=' + ' '.join(repr(v) for v in ds.GetGeoTransform()))
    print('projection=' + ('yes' if ds.GetProjection() else 'no'))
    for k in range(n):
        a, f = layer_values(specs[k], (ds.RasterYSize, ds.RasterXSize))
        got = ds.GetRasterBand(k + 1).ReadAsArray()
        print('band%d.mismatch=%d' % (k + 1, int(np.count_nonzero(got != expected(k, a, f, lcp)))))
    for b in range(n + 1, ds.RasterCount + 1):
        band = ds.GetRasterBand(b)
        got = band.ReadAsArray()
        print('band%d.nodata_cells=%d' % (b, int(np.count_nonzero(got == -9999))))
        print('band%d.nodata=%s' % (b, band.GetNoDataValue()))
    for b in range(1, ds.RasterCount + 1):
        print('band%d.description=%s' % (b, ds.GetRasterBand(b).GetDescription()))


if __name__ == '__main__':
    if sys.argv[1] == 'grids':
        grids(sys.argv[2])
    else:
        cut = sys.argv.index('--')
        for i, target in enumerate(sys.argv[cut + 1:]):
            out, kind, crown = target.rsplit(':', 2)
            check(out, kind, crown == '1', sys.argv[2:cut], '%d.' % i)
