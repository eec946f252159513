#!/usr/bin/python3
"""Judge of fire growth: fires grown together against the union of the same fires grown apart.

usage: growth_union.py together.shp apart1.shp [apart2.shp ...]

Each shapefile holds perimeters with the fields Elapsed_Mi and Fire_Type; the burned region at a
time is the union of its "Expanding Fire" polygons less the union of its "Enclave Fire" ones.
For every elapsed time of the first file prints "<minutes> <symmetric difference / area>" and
finally "max <largest ratio>".
"""
import sys

from osgeo import ogr

ogr.UseExceptions()


def regions(path):
    ds = ogr.Open(path)
    layer = ds.GetLayer(0)
    fires, holes = {}, {}
    for f in layer:
        t = round(f.GetField("Elapsed_Mi"), 4)
        g = f.GetGeometryRef().Clone()
        kind = f.GetField("Fire_Type")
        target = holes if kind == "Enclave Fire" else fires
        target[t] = target[t].Union(g) if t in target else g
    out = {}
    for t, g in fires.items():
        out[t] = g.Difference(holes[t]) if t in holes else g
    return out


def main():
    together = regions(sys.argv[1])
    apart = [regions(p) for p in sys.argv[2:]]
    worst = 0.0
    for t in sorted(together):
        union = None
        for r in apart:
            if t not in r:
                print("missing", t)
                return 1
            union = r[t] if union is None else union.Union(r[t])
        a = together[t]
        ratio = a.SymDifference(union).GetArea() / a.GetArea()
        worst = max(worst, ratio)
        print(t, ratio)
    print("max", worst)
    return 0


if __name__ == "__main__":
    sys.exit(main())
