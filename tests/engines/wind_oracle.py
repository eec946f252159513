#!/usr/bin/python3
"""Independent checks of the terrain wind model, written from the formulation in
src/engines/README.md ("Gridded winds"), vectorised with numpy and scipy.sparse.

  wind_oracle.py divergence FOLDER   -> prints |div(adjusted)| / |div(initial)| of an exported field
  wind_oracle.py solve FOLDER        -> assembles the system face by face, solves it with
                                        scipy.sparse.linalg.cg and writes speed.py.f64 and
                                        direction.py.f64 (20 ft above the vegetation)
"""
import sys
import os
import numpy as np
import scipy.sparse as sp
import scipy.sparse.linalg as spla

MPH = 0.44704          # m/s per mph
TWENTY_FT = 6.096      # m
MIN_VEG = 0.077        # m
SLOPE_DEPTH = 50.0     # m


def read_meta(folder):
    meta = {}
    with open(os.path.join(folder, "meta.txt")) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2:
                meta[parts[0]] = float(parts[1])
    return meta


def load(folder, name, dtype=np.float64):
    return np.fromfile(os.path.join(folder, name), dtype=dtype)


def divergence(folder):
    m = read_meta(folder)
    R, C, N, dx = int(m["rows"]), int(m["cols"]), int(m["layers"]), m["cell"]
    depth = load(folder, "depth.f64").reshape(R, C)
    eta = load(folder, "eta.f64")
    de = np.diff(eta)

    # Mean column depth on each side face; an edge face takes its own column's.
    jx = np.empty((R, C + 1))
    jx[:, 1:-1] = 0.5 * (depth[:, 1:] + depth[:, :-1])
    jx[:, 0], jx[:, -1] = depth[:, 0], depth[:, -1]
    jy = np.empty((R + 1, C))
    jy[1:-1, :] = 0.5 * (depth[1:, :] + depth[:-1, :])
    jy[0, :], jy[-1, :] = depth[0, :], depth[-1, :]

    def div(u, v, w):
        u = u.reshape(R, C + 1, N) * dx * jx[:, :, None] * de[None, None, :]
        v = v.reshape(R + 1, C, N) * dx * jy[:, :, None] * de[None, None, :]
        w = w.reshape(R, C, N + 1) * dx * dx
        # y faces are numbered from the north; the flux counts positive toward the north.
        return (u[:, 1:, :] - u[:, :-1, :]) + (v[:-1, :, :] - v[1:, :, :]) + (w[:, :, 1:] - w[:, :, :-1])

    d0 = div(load(folder, "u0.f64"), load(folder, "v0.f64"), load(folder, "w0.f64"))
    d1 = div(load(folder, "u.f64"), load(folder, "v.f64"), load(folder, "w.f64"))
    print("%.6e" % (np.linalg.norm(d1) / np.linalg.norm(d0)))


def profile(z, h):
    h = np.maximum(h, MIN_VEG)
    d, z0, zr = 0.65 * h, 0.13 * h, h + TWENTY_FT
    with np.errstate(divide="ignore", invalid="ignore"):
        p = np.log((z - d) / z0) / np.log((zr - d) / z0)
    return np.where(z > d + z0, p, 0.0)


def solve(folder):
    m = read_meta(folder)
    R, C, N, dx = int(m["rows"]), int(m["cols"]), int(m["layers"]), m["cell"]
    speed, frm = m["speed"], m["direction"]
    elev = load(folder, "elevation.f64").reshape(R, C)
    veg = load(folder, "vegetation.f64").reshape(R, C)
    have_slope = os.path.exists(os.path.join(folder, "slope_east.f64"))
    se = load(folder, "slope_east.f64").reshape(R, C) if have_slope else np.zeros((R, C))
    sn = load(folder, "slope_north.f64").reshape(R, C) if have_slope else np.zeros((R, C))

    top = elev.max() + max(1000.0, 2.0 * (elev.max() - elev.min()))
    k = np.arange(N + 1)
    eta = (np.exp(4.0 * k / N) - 1.0) / (np.exp(4.0) - 1.0)
    eta[-1] = 1.0
    mid = 0.5 * (eta[1:] + eta[:-1])
    de = np.diff(eta)
    J = top - elev
    U = speed * MPH
    th = np.radians(frm)
    u_dom, v_dom = -U * np.sin(th), -U * np.cos(th)

    def initial(z, h, sx, sy):
        p = profile(z, h)
        q = profile(np.minimum(z, SLOPE_DEPTH), h) * np.clip((2 * SLOPE_DEPTH - z) / SLOPE_DEPTH, 0.0, 1.0)
        return u_dom * p + sx * q, v_dom * p + sy * q

    # Side faces: the mean of the two columns' profiles at the face's height.
    def side(Ja, Jb, ha, hb, sxa, sya, sxb, syb):
        Jf = 0.5 * (Ja + Jb)
        z = Jf[..., None] * mid
        ua, va = initial(z, ha[..., None], sxa[..., None], sya[..., None])
        ub, vb = initial(z, hb[..., None], sxb[..., None], syb[..., None])
        return 0.5 * (ua + ub), 0.5 * (va + vb), Jf

    ic = np.clip(np.arange(-1, C), 0, C - 1)
    jc = np.clip(np.arange(0, C + 1), 0, C - 1)
    u0x, _, jx = side(J[:, ic], J[:, jc], veg[:, ic], veg[:, jc], se[:, ic], sn[:, ic], se[:, jc], sn[:, jc])
    ir = np.clip(np.arange(-1, R), 0, R - 1)     # north of face fr
    jr = np.clip(np.arange(0, R + 1), 0, R - 1)  # south of face fr
    _, v0y, jy = side(J[jr, :], J[ir, :], veg[jr, :], veg[ir, :], se[jr, :], sn[jr, :], se[ir, :], sn[ir, :])

    gx = np.zeros((R, C))
    gy = np.zeros((R, C))
    if C > 1:
        gx[:, 1:-1] = (elev[:, 2:] - elev[:, :-2]) / (2 * dx)
        gx[:, 0] = (elev[:, 1] - elev[:, 0]) / dx
        gx[:, -1] = (elev[:, -1] - elev[:, -2]) / dx
    if R > 1:
        gy[1:-1, :] = (elev[:-2, :] - elev[2:, :]) / (2 * dx)
        gy[0, :] = (elev[0, :] - elev[1, :]) / dx
        gy[-1, :] = (elev[-2, :] - elev[-1, :]) / dx
    w0 = np.zeros((R, C, N + 1))
    zl = J[..., None] * eta[1:N]
    ul, vl = initial(zl, veg[..., None], se[..., None], sn[..., None])
    w0[:, :, 1:N] = -(1.0 - eta[1:N]) * (ul * gx[..., None] + vl * gy[..., None])

    fx = u0x * dx * jx[..., None] * de
    fy = v0y * dx * jy[..., None] * de
    fw = w0 * dx * dx
    div0 = (fx[:, 1:, :] - fx[:, :-1, :]) + (fy[:-1, :, :] - fy[1:, :, :]) + (fw[:, :, 1:] - fw[:, :, :-1])

    # Assemble A = sum over faces of T (e_a - e_b)(e_a - e_b)^T; open faces have no e_b.
    idx = np.arange(R * C * N).reshape(R, C, N)
    rows_, cols_, vals = [], [], []

    def inner(a, b, T):
        a, b, T = a.ravel(), b.ravel(), T.ravel()
        rows_.extend([a, b, a, b])
        cols_.extend([a, b, b, a])
        vals.extend([T, T, -T, -T])

    def open_(a, T):
        rows_.append(a.ravel())
        cols_.append(a.ravel())
        vals.append(T.ravel())

    Tx = jx[..., None] * de * dx / dx   # area dx*de*J over distance dx
    inner(idx[:, :-1, :], idx[:, 1:, :], Tx[:, 1:-1, :])
    open_(idx[:, 0, :], 2 * Tx[:, 0, :])
    open_(idx[:, -1, :], 2 * Tx[:, -1, :])
    Ty = jy[..., None] * de
    inner(idx[1:, :, :], idx[:-1, :, :], Ty[1:-1, :, :])
    open_(idx[0, :, :], 2 * Ty[0, :, :])
    open_(idx[-1, :, :], 2 * Ty[-1, :, :])
    gap = np.append(mid[1:], 1.0) - mid
    Tz = dx * dx / (J[..., None] * gap)
    inner(idx[:, :, :-1], idx[:, :, 1:], Tz[:, :, :-1])
    open_(idx[:, :, -1], Tz[:, :, -1])
    A = sp.csr_matrix((np.concatenate(vals), (np.concatenate(rows_), np.concatenate(cols_))),
                      shape=(R * C * N, R * C * N))
    b = -div0.ravel()
    lam, info = spla.cg(A, b, tol=1e-10, maxiter=20000)
    if info != 0:
        sys.exit("cg did not converge: %d" % info)
    lam = lam.reshape(R, C, N)

    lp = np.zeros((R + 2, C + 2, N))
    lp[1:-1, 1:-1, :] = lam
    dxw = np.full(C, dx)
    dxw[0] = dx / 2
    dxe = np.full(C, dx)
    dxe[-1] = dx / 2
    dyn = np.full(R, dx)
    dyn[0] = dx / 2
    dys = np.full(R, dx)
    dys[-1] = dx / 2
    west = (lp[1:-1, :-2] - lam) / dxw[None, :, None]
    east = (lam - lp[1:-1, 2:]) / dxe[None, :, None]
    north = (lam - lp[:-2, 1:-1]) / dyn[:, None, None]
    south = (lp[2:, 1:-1] - lam) / dys[:, None, None]
    du = 0.5 * (west + east)
    dv = 0.5 * (north + south)

    zout = np.maximum(veg, MIN_VEG) + TWENTY_FT
    hc = J[..., None] * mid
    su = np.empty((R, C))
    sv = np.empty((R, C))
    for r in range(R):
        for c in range(C):
            su[r, c] = np.interp(zout[r, c], hc[r, c], du[r, c])
            sv[r, c] = np.interp(zout[r, c], hc[r, c], dv[r, c])
    u, v = initial(zout, veg, se, sn)
    u, v = u + su, v + sv
    (np.hypot(u, v) / MPH).astype(np.float64).tofile(os.path.join(folder, "speed.py.f64"))
    (np.degrees(np.arctan2(-u, -v)) % 360.0).astype(np.float64).tofile(os.path.join(folder, "direction.py.f64"))


if __name__ == "__main__":
    {"divergence": divergence, "solve": solve}[sys.argv[1]](sys.argv[2])
