"""Independent check of the travel-time engine's arrival times.

Rebuilds the lattice from the published formulation, from the ellipse grids the engine exported:
nodes at cell centres; an edge to every offset (dx, dy) with gcd 1 within the lateral and
vertical depths (a depth of 0 counts as 1); an edge's time is the sum, over the cells its
segment crosses, of the length in the cell over the cell's spread rate along the edge, the
rate being the ellipse's polar form about the rear focus, (b^2 - c^2) / (b - c cos(theta)).
On sloping ground (slope_tan.f32 and upslope.f32, radians, beside the ellipses) the ellipse lies
on the slope plane: a horizontal step is lifted onto the plane (its component up the slope
stretched by sqrt(1 + tan^2)), the head likewise, and the step takes its lifted length over the
plane ellipse's rate along the lifted direction.
Cells whose b is not above 0 do not burn and block every edge that crosses them; an edge
through a cell corner is blocked too when both cells beside it there do not burn (a line of such
cells touching only at corners is closed). Shortest times come from scipy.sparse.csgraph.dijkstra.

usage: mtt_oracle.py [bench] DIR ROWS COLS CELL LATERAL VERTICAL
DIR holds b.f32, c.f32, dir.f32 (radians), ign.f32 (1 = ignition) and arrival.f64 (engine),
and optionally slope_tan.f32 and upslope.f32 (flat without them).
Exit status 0 when every node agrees within 1e-7 (relative; the engine holds the terrain terms in
single precision), 1 otherwise. With "bench" first,
prints the seconds taken to build the graph and to solve it, and compares nothing.
"""
import math
import sys
import time
from fractions import Fraction

import numpy as np
from scipy.sparse import csr_matrix
from scipy.sparse.csgraph import dijkstra


def crossed_cells(dy, dx):
    """(row offset, column offset, share of length) of the cells from (0,0) to (dy,dx)."""
    cuts = {Fraction(0), Fraction(1)}
    for j in range(1, abs(dx) + 1):
        cuts.add(Fraction(2 * j - 1, 2 * abs(dx)))
    for k in range(1, abs(dy) + 1):
        cuts.add(Fraction(2 * k - 1, 2 * abs(dy)))
    cuts = sorted(cuts)
    out = []
    for t0, t1 in zip(cuts, cuts[1:]):
        mid = (t0 + t1) / 2
        out.append((math.floor(mid * dy + Fraction(1, 2)), math.floor(mid * dx + Fraction(1, 2)), float(t1 - t0)))
    return out


def corner_sides(dy, dx):
    """For every cell corner the segment from (0,0) to (dy,dx) passes through: the two cells
    beside it there, (row offset, column offset) each, from the cells before and after it."""
    out = []
    for k in range(1, abs(dy) + 1):
        t = Fraction(2 * k - 1, 2 * abs(dy))
        if (t * dx + Fraction(1, 2)).denominator != 1:
            continue  # a row border crossed away from any column border
        before = (math.floor((t - Fraction(1, 10**6)) * dy + Fraction(1, 2)),
                  math.floor((t - Fraction(1, 10**6)) * dx + Fraction(1, 2)))
        after = (math.floor((t + Fraction(1, 10**6)) * dy + Fraction(1, 2)),
                 math.floor((t + Fraction(1, 10**6)) * dx + Fraction(1, 2)))
        out.append(((before[0], after[1]), (after[0], before[1])))
    return out


def minutes_per_metre(b, c, head, tan_s, up, theta):
    """Minutes per horizontal metre along azimuth theta for plane ellipses (arrays)."""
    stretch = np.sqrt(1.0 + tan_s ** 2)

    def lifted(az):
        # (up the slope, across it) components of a horizontal unit vector, lifted onto the plane
        along = np.cos(az - up)
        across = np.sin(az - up)
        return along * stretch, across

    su, sw = lifted(theta)
    length = np.hypot(su, sw)
    hu, hw = lifted(head)
    hlen = np.hypot(hu, hw)
    cos_angle = (su * hu + sw * hw) / (length * hlen)
    rate = (b * b - c * c) / (b - c * cos_angle)
    return length / rate


def main():
    bench = sys.argv[1] == "bench"
    args = sys.argv[2:] if bench else sys.argv[1:]
    folder = args[0]
    rows, cols = int(args[1]), int(args[2])
    cell = float(args[3])
    lat, vert = max(1, int(args[4])), max(1, int(args[5]))
    started = time.perf_counter()
    shape = (rows, cols)
    b = np.fromfile(folder + "/b.f32", dtype=np.float32).astype(np.float64).reshape(shape)
    c = np.fromfile(folder + "/c.f32", dtype=np.float32).astype(np.float64).reshape(shape)
    d = np.fromfile(folder + "/dir.f32", dtype=np.float32).astype(np.float64).reshape(shape)
    ign = np.fromfile(folder + "/ign.f32", dtype=np.float32).reshape(shape)
    engine = None if bench else np.fromfile(folder + "/arrival.f64", dtype=np.float64).reshape(shape)
    try:
        tan_s = np.fromfile(folder + "/slope_tan.f32", dtype=np.float32).astype(np.float64).reshape(shape)
        up = np.fromfile(folder + "/upslope.f32", dtype=np.float32).astype(np.float64).reshape(shape)
    except FileNotFoundError:
        tan_s, up = np.zeros(shape), np.zeros(shape)

    burns = b > 0
    src_all, dst_all, w_all = [], [], []
    rr, cc = np.mgrid[0:rows, 0:cols]
    for dy in range(-vert, vert + 1):
        for dx in range(-lat, lat + 1):
            if (dx, dy) == (0, 0) or math.gcd(abs(dx), abs(dy)) != 1:
                continue
            theta = math.atan2(dx, -dy)  # azimuth: rows grow southwards
            length = math.hypot(dx, dy) * cell
            r0 = slice(max(0, -dy), rows - max(0, dy))
            c0 = slice(max(0, -dx), cols - max(0, dx))
            total = np.zeros((r0.stop - r0.start, c0.stop - c0.start))
            for py, px, share in crossed_cells(dy, dx):
                rs = slice(r0.start + py, r0.stop + py)
                cs = slice(c0.start + px, c0.stop + px)
                bb, ccc, dd = b[rs, cs], c[rs, cs], d[rs, cs]
                with np.errstate(divide="ignore", invalid="ignore"):
                    slow = minutes_per_metre(bb, ccc, dd, tan_s[rs, cs], up[rs, cs], theta)
                    total += np.where(burns[rs, cs], share * slow, np.inf)
            for (ay, ax), (by, bx) in corner_sides(dy, dx):
                side_a = burns[r0.start + ay:r0.stop + ay, c0.start + ax:c0.stop + ax]
                side_b = burns[r0.start + by:r0.stop + by, c0.start + bx:c0.stop + bx]
                total[~side_a & ~side_b] = np.inf
            ok = np.isfinite(total)
            src = (rr[r0, c0] * cols + cc[r0, c0])[ok]
            src_all.append(src)
            dst_all.append(src + dy * cols + dx)
            w_all.append(length * total[ok])
    graph = csr_matrix((np.concatenate(w_all), (np.concatenate(src_all), np.concatenate(dst_all))),
                       shape=(rows * cols, rows * cols))
    starts = np.flatnonzero((ign.ravel() == 1) & burns.ravel())
    built = time.perf_counter()
    times = dijkstra(graph, directed=True, indices=starts, min_only=True).reshape(shape)
    if bench:
        print(built - started, time.perf_counter() - built)
        return 0

    reached = np.isfinite(times)
    engine_reached = engine >= 0
    if (reached != engine_reached).any():
        print("reached sets differ at", np.argwhere(reached != engine_reached)[:5])
        return 1
    err = np.abs(times[reached] - engine[reached]) / np.maximum(1.0, times[reached])
    print("nodes", int(reached.sum()), "max relative difference", float(err.max()) if err.size else 0.0)
    return 0 if err.size > 100 and err.max() <= 1e-7 else 1


if __name__ == "__main__":
    sys.exit(main())
