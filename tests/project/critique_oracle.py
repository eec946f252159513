"""GDAL and numpy as the judge of the critique's HTML tables.

  html <landscape> <report.html> <band>:<factor>:<v1,v2,...> ...
      reads the landscape's bands with GDAL; for each listed band (1-based) the cells times
      factor are counted into the classes v1, v2, ... (class j holds v(j) <= x < v(j+1), the
      first also below, the last also above; -9999 is no data); the fuel band (4) gives the fuel
      distribution. Compares with the report's tables and prints key=value lines.
"""
import sys
from html.parser import HTMLParser

import numpy as np
from osgeo import gdal

gdal.UseExceptions()


class Tables(HTMLParser):
    def __init__(self):
        super().__init__()
        self.tables = []  # (section or None, caption, rows)
        self.section = None
        self.text = None
        self.row = None
        self.in_h3 = False

    def handle_starttag(self, tag, attrs):
        if tag == 'table':
            self.tables.append([self.section, '', []])
        elif tag in ('caption', 'td', 'th', 'h3'):
            self.text = ''
            self.in_h3 = tag == 'h3'
        elif tag == 'tr':
            self.row = []

    def handle_endtag(self, tag):
        if tag == 'caption':
            self.tables[-1][1] = self.text.strip()
        elif tag in ('td', 'th') and self.row is not None:
            self.row.append(self.text.strip())
        elif tag == 'tr' and self.tables:
            self.tables[-1][2].append(self.row)
            self.row = None
        elif tag == 'h3':
            self.section = int(self.text.split()[2])
        if tag in ('caption', 'td', 'th', 'h3'):
            self.text = None

    def handle_data(self, data):
        if self.text is not None:
            self.text += data


def counts(x, classes):
    nd = x == -9999
    v = np.asarray(classes, dtype=np.float64)
    out = [int(np.count_nonzero(nd))]
    data = x[~nd]
    if len(v):
        idx = np.clip(np.searchsorted(v, data, side='right') - 1, 0, len(v) - 1)
        out += [int(np.count_nonzero(idx == j)) for j in range(len(v))]
    return out


def main():
    ds = gdal.Open(sys.argv[2])
    parser = Tables()
    parser.feed(open(sys.argv[3], encoding='latin-1').read())
    bands = {}
    for spec in sys.argv[4:]:
        b, factor, values = spec.split(':')
        bands[int(b)] = (float(factor), [float(v) for v in values.split(',') if v])
    fuel = ds.GetRasterBand(4).ReadAsArray().astype(np.float64)
    models = sorted(set(np.unique(fuel).tolist()) - {-9999.0})
    fuel_counts = {m: int(np.count_nonzero(fuel == m)) for m in models}

    overall = [t for t in parser.tables if t[0] is None]
    fuels = [t for t in overall if t[1] == 'Fuels Distribution'][0]
    got = {row[0]: int(row[1]) for row in fuels[2][1:]}
    want = {'ND': int(np.count_nonzero(fuel == -9999))}
    want.update({'%.0f' % m: c for m, c in fuel_counts.items()})
    print('fuels.mismatch=%d' % (0 if got == want else 1))
    listed = [float(row[0]) for row in fuels[2][2:]]
    print('fuels.descending=%d' % int(all(fuel_counts[a] >= fuel_counts[b] for a, b in zip(listed, listed[1:]))))
    sections = [s for s in dict.fromkeys(t[0] for t in parser.tables if t[0] is not None)]
    print('sections=%d' % len(sections))
    print('sections.order=%d' % int(sections == [int(m) for m in listed]))

    def check(table, x):
        b = table_band[table[1]]
        factor, classes = bands[b]
        want = counts(np.where(x == -9999, -9999, x * factor), classes)
        got = [int(row[2]) for row in table[2][1:]]
        if got != want:
            print('tables.got=%s want=%s' % (got, want))
        return 0 if got == want else 1

    names = ['Elevation', 'Slope', 'Aspect', 'Fuel Model', 'Canopy Cover', 'Stand Height',
             'Canopy Base Height', 'Canopy Bulk Density']
    table_band = {names[b - 1] + ' Distribution': b for b in bands}
    cells = {b: ds.GetRasterBand(b).ReadAsArray().astype(np.float64) for b in bands}
    mismatch, checked = 0, 0
    for t in parser.tables:
        if t[1] not in table_band:
            continue
        x = cells[table_band[t[1]]]
        if t[0] is not None:
            x = np.where(np.trunc(fuel) == t[0], x, np.nan)
            x = x[~np.isnan(x)]
        bad = check(t, x.ravel())
        if bad and not mismatch:
            print('tables.first_mismatch=%s %s' % (t[1], t[0]))
        mismatch += bad
        checked += 1
    print('tables.checked=%d' % checked)
    print('tables.mismatch=%d' % mismatch)


if __name__ == '__main__':
    main()
