"""GDAL as the independent judge of landscape files.

  write_lcp <out.lcp> <bands> <english 0|1> <cover_classes 0|1> <seed> [OPTION=VALUE,...]
      writes a landscape with GDAL's LCP driver and, beside it, <out.lcp>.cells with the
      cells GDAL reads back (bands x rows x cols, int16 little-endian); prints what GDAL
      reports about it as key=value lines. Extra creation options override the unit ones.
  describe <file>
      prints key=value lines of any raster as GDAL sees it (cells as <file>.cells).
"""
import sys

import numpy as np
from osgeo import gdal, osr

gdal.UseExceptions()


def write_lcp(path, bands, english, cover_classes, seed, extra=()):
    rng = np.random.default_rng(seed)
    rows, cols = 17, 23
    elev = rng.integers(1200, 2400, (rows, cols))
    slope = rng.integers(0, 60, (rows, cols))
    aspect = rng.integers(0, 360, (rows, cols))
    fuel = rng.choice([1, 2, 5, 8, 10, 91, 98, 101, 122, 165, 183], (rows, cols))
    cover = rng.integers(0, 5, (rows, cols)) if cover_classes else rng.integers(0, 95, (rows, cols))
    height = rng.integers(0, 400, (rows, cols))
    cbh = rng.integers(0, 100, (rows, cols))
    cbd = rng.integers(0, 40, (rows, cols))
    duff = rng.integers(0, 300, (rows, cols))
    cwd = rng.integers(0, 5, (rows, cols))
    layers = [elev, slope, aspect, fuel, cover]
    if bands in (8, 10):
        layers += [height, cbh, cbd]
    if bands in (7, 10):
        layers += [duff, cwd]
    # A few cells without data.
    for a in layers:
        a[rows // 2, cols // 3] = -9999
    mem = gdal.GetDriverByName('MEM').Create('', cols, rows, bands, gdal.GDT_Int16)
    mem.SetGeoTransform([612345.5, 30.0, 0, 4512345.25, 0, -30.0])
    srs = osr.SpatialReference()
    srs.ImportFromEPSG(32612)
    mem.SetProjection(srs.ExportToWkt())
    for i, a in enumerate(layers):
        mem.GetRasterBand(i + 1).WriteArray(a.astype(np.int16))
    opts = ['LINEAR_UNIT=METER', 'LATITUDE=40']
    if english:
        opts += ['ELEVATION_UNIT=FEET', 'SLOPE_UNIT=PERCENT', 'ASPECT_UNIT=GRASS_DEGREES',
                 'CANOPY_HT_UNIT=FEET_X_10', 'CBH_UNIT=FEET', 'CBD_UNIT=POUND_PER_CUBIC_FOOT_X_1000',
                 'DUFF_UNIT=TONS_PER_ACRE_X_10']
    opts.append('CANOPY_COV_UNIT=' + ('CATEGORIES' if cover_classes else 'PERCENT'))
    keys = {o.split('=')[0] for o in extra}
    opts = [o for o in opts if o.split('=')[0] not in keys] + list(extra)
    gdal.GetDriverByName('LCP').CreateCopy(path, mem, options=opts)
    ds = gdal.Open(path)
    describe(ds, path)


def describe(ds, path):
    """key=value lines; the cells go to <path>.cells as int16 little-endian."""
    lines = ['driver=' + ds.GetDriver().ShortName,
             'size=%d %d' % (ds.RasterXSize, ds.RasterYSize),
             'bands=%d' % ds.RasterCount,
             'geotransform=' + ' '.join(repr(v) for v in ds.GetGeoTransform()),
             'compression=' + ds.GetMetadata('IMAGE_STRUCTURE').get('COMPRESSION', ''),
             'projection=' + ('yes' if ds.GetProjection() else 'no')]
    lines += ['meta.%s=%s' % kv for kv in sorted(ds.GetMetadata().items())]
    cells = []
    for b in range(1, ds.RasterCount + 1):
        band = ds.GetRasterBand(b)
        cells.append(band.ReadAsArray().astype('<i2'))
        lines += ['band%d.type=%s' % (b, gdal.GetDataTypeName(band.DataType)),
                  'band%d.description=%s' % (b, band.GetDescription()),
                  'band%d.unit=%s' % (b, band.GetUnitType()),
                  'band%d.nodata=%s' % (b, band.GetNoDataValue())]
        lines += ['band%d.meta.%s=%s' % ((b,) + kv) for kv in sorted(band.GetMetadata().items())]
    np.stack(cells).tofile(path + '.cells')
    print('\n'.join(lines))


if __name__ == '__main__':
    cmd = sys.argv[1]
    if cmd == 'write_lcp':
        extra = sys.argv[7].split(',') if len(sys.argv) > 7 and sys.argv[7] else ()
        write_lcp(sys.argv[2], int(sys.argv[3]), sys.argv[4] == '1', sys.argv[5] == '1', int(sys.argv[6]), extra)
    elif cmd == 'describe':
        describe(gdal.Open(sys.argv[2]), sys.argv[2])
