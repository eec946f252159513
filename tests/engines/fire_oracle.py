"""Second, independent implementation of the surface and crown fire equations (numpy).

Reads a whitespace table of cases (header line of column names) and writes one line per case
with: ros_m_min reaction_kw_m2 hpa_kj_m2 fli_kw_m flame_m cfb crown_class.
Usage: fire_oracle.py cases.txt out.txt
Also importable: surface_and_crown(cols) works on a dict of numpy arrays (the benchmark uses it).
"""
import sys
import numpy as np

RHO_P = 32.0
S_T = 0.0555
S_E = 0.010
TONS_ACRE = 2000.0 / 43560.0
FT = 0.3048
BTU_FT2_TO_KJ_M2 = 1.055056 / 0.09290304  # kJ per BTU over m2 per ft2


def eta_m(m, mx):
    r = np.minimum(np.where(mx > 0, m / np.where(mx > 0, mx, 1.0), 1.0), 1.0)
    return np.where(r >= 1.0, 0.0, 1 - 2.59 * r + 5.11 * r ** 2 - 3.52 * r ** 3)


def size_class(sav):
    edges = np.array([1200.0, 192.0, 96.0, 48.0, 16.0])
    k = np.full(sav.shape, 5)
    for idx in range(len(edges) - 1, -1, -1):
        k = np.where(sav >= edges[idx], idx, k)
    return k


def category(loads, savs, moists, heats):
    """loads etc: lists of arrays (one per particle). Returns dict of category sums."""
    areas = [s * w / RHO_P for s, w in zip(savs, loads)]
    total = sum(areas)
    safe = np.where(total > 0, total, 1.0)
    f = [a / safe for a in areas]
    classes = [size_class(s) for s in savs]
    net = 0.0
    for i in range(len(loads)):
        g = sum(np.where(classes[j] == classes[i], f[j], 0.0) for j in range(len(loads)))
        net = net + g * loads[i] * (1 - S_T)
    out = dict(area=total, load=sum(loads), net=net,
               m=sum(fi * m for fi, m in zip(f, moists)),
               h=sum(fi * h for fi, h in zip(f, heats)),
               sav=sum(fi * s for fi, s in zip(f, savs)))
    sink = 0.0
    for fi, s, m in zip(f, savs, moists):
        eps = np.where(s > 0, np.exp(-138.0 / np.where(s > 0, s, 1.0)), 0.0)
        sink = sink + fi * eps * (250 + 1116 * m)
    out['sink'] = sink
    return out


def fuel_bed(c, m1, m10, m100, mh, mw):
    """c: dict with l1 l10 l100 lh lw (tons/acre) s1 sh sw depth mx hd hl dyn. Moistures as fractions."""
    l1, l10, l100 = c['l1'] * TONS_ACRE, c['l10'] * TONS_ACRE, c['l100'] * TONS_ACRE
    lh = c['lh'] * TONS_ACRE
    cured = np.where((c['dyn'] > 0) & (lh > 0), np.clip((1.2 - mh) / 0.9, 0, 1), 0.0)
    dead_loads = [l1, l10, l100, lh * cured]
    dead_savs = [c['s1'], np.full_like(l1, 109.0), np.full_like(l1, 30.0), c['sh']]
    dead_m = [m1, m10, m100, m1]
    live_loads = [lh * (1 - cured), c['lw'] * TONS_ACRE]
    live_savs = [c['sh'], c['sw']]
    live_m = [mh, mw]
    d = category(dead_loads, dead_savs, dead_m, [c['hd']] * 4)
    lv = category(live_loads, live_savs, live_m, [c['hl']] * 2)
    at = d['area'] + lv['area']
    ok = (d['area'] > 0) & (c['depth'] > 0)
    at = np.where(at > 0, at, 1.0)
    fd, fl = d['area'] / at, lv['area'] / at
    sigma = np.where(ok, fd * d['sav'] + fl * lv['sav'], 1000.0)
    depth = np.where(c['depth'] > 0, c['depth'], 1.0)
    rho_b = (d['load'] + lv['load']) / depth
    beta = np.where(ok, rho_b / RHO_P, 0.01)
    beta_op = 3.348 * sigma ** -0.8189
    ratio = beta / beta_op
    a = 133 * sigma ** -0.7913
    gmax = sigma ** 1.5 / (495 + 0.0594 * sigma ** 1.5)
    gamma = gmax * ratio ** a * np.exp(a * (1 - ratio))
    # live extinction moisture
    wd = sum(np.where(s > 0, w * np.exp(-138.0 / np.where(s > 0, s, 1.0)), 0.0) for w, s in zip(dead_loads, dead_savs))
    wdm = sum(np.where(s > 0, w * m * np.exp(-138.0 / np.where(s > 0, s, 1.0)), 0.0)
              for w, s, m in zip(dead_loads, dead_savs, dead_m))
    wl = sum(np.where(s > 0, w * np.exp(-500.0 / np.where(s > 0, s, 1.0)), 0.0) for w, s in zip(live_loads, live_savs))
    mfd = np.where(wd > 0, wdm / np.where(wd > 0, wd, 1.0), 0.0)
    mxl = 2.9 * (wd / np.where(wl > 0, wl, 1.0)) * (1 - mfd / c['mx']) - 0.226
    mxl = np.where((lv['load'] > 0) & (wl > 0), np.maximum(mxl, c['mx']), c['mx'])
    eta_s = min(0.174 * S_E ** -0.19, 1.0)
    ir = gamma * (d['net'] * d['h'] * eta_m(d['m'], c['mx']) * eta_s
                  + lv['net'] * lv['h'] * eta_m(lv['m'], mxl) * eta_s)
    xi = np.exp((0.792 + 0.681 * np.sqrt(sigma)) * (beta + 0.1)) / (192 + 0.2595 * sigma)
    sink = rho_b * (fd * d['sink'] + fl * lv['sink'])
    r0 = np.where(sink > 0, ir * xi / np.where(sink > 0, sink, 1.0), 0.0)
    return dict(ok=ok, sigma=sigma, ratio=ratio, ir=np.where(ok, ir, 0.0), r0=np.where(ok, r0, 0.0),
                hpa=np.where(ok, ir * 384.0 / sigma, 0.0),
                C=7.47 * np.exp(-0.133 * sigma ** 0.55), B=0.02526 * sigma ** 0.54,
                E=0.715 * np.exp(-3.59e-4 * sigma), ks=5.275 * beta ** -0.3)


def phi_wind(bed, u):
    up = np.where(u > 0, u, 1.0)
    return np.where(u > 0, bed['C'] * up ** bed['B'] * bed['ratio'] ** -bed['E'], 0.0)


def wind_of_phi(bed, phi):
    p = np.where(phi > 0, phi, 1.0)
    return np.where(phi > 0, (p * bed['ratio'] ** bed['E'] / bed['C']) ** (1 / bed['B']), 0.0)


def spread(bed, u, wind_to, slope_tan, upslope, adjust=1.0):
    """Head spread (ft/min), direction, effective wind (ft/min), length-to-breadth."""
    pw = phi_wind(bed, u)
    ps = bed['ks'] * slope_tan ** 2
    wr, ur = np.radians(wind_to), np.radians(upslope)
    x = pw * np.sin(wr) + ps * np.sin(ur)
    y = pw * np.cos(wr) + ps * np.cos(ur)
    phi = np.hypot(x, y)
    ue = wind_of_phi(bed, phi)
    lim = 0.9 * bed['ir']
    capped = ue > lim
    ue = np.where(capped, lim, ue)
    phi = np.where(capped, phi_wind(bed, ue), phi)
    ros = bed['r0'] * (1 + phi) * adjust
    mph = ue / 88.0
    lb = np.clip(0.936 * np.exp(0.2566 * mph) + 0.461 * np.exp(-0.1548 * mph) - 0.397, 1.0, 8.0)
    return ros, lb


def waf(depth, cc, sh_ft):
    f = cc / 100 * np.pi / 12
    h = np.where(depth > 0, depth, 1.0)
    un = 1.83 / np.log((20 + 0.36 * h) / (0.13 * h))
    hs = np.where(sh_ft > 0, sh_ft, 1.0)
    fs = np.where(f > 0, f, 1.0)
    sh = 0.555 / (np.sqrt(fs * hs) * np.log((20 + 0.36 * hs) / (0.13 * hs)))
    return np.where((f >= 0.05) & (sh_ft > 0), sh, np.where(depth > 0, un, 0.0))


def surface_and_crown(c):
    """c: dict of arrays, see the column names of the case table."""
    m = [c['m1'], c['m10'], c['m100'], c['mh'], c['mw']]
    bed = fuel_bed(c, *m)
    fm10 = dict(l1=np.full_like(c['m1'], 3.01), l10=np.full_like(c['m1'], 2.0), l100=np.full_like(c['m1'], 5.01),
                lh=np.zeros_like(c['m1']), lw=np.full_like(c['m1'], 2.0), s1=np.full_like(c['m1'], 2000.0),
                sh=np.full_like(c['m1'], 1800.0), sw=np.full_like(c['m1'], 1500.0), depth=np.ones_like(c['m1']),
                mx=np.full_like(c['m1'], 0.25), hd=np.full_like(c['m1'], 8000.0), hl=np.full_like(c['m1'], 8000.0),
                dyn=np.zeros_like(c['m1']))
    bed10 = fuel_bed(fm10, *m)
    w20 = c['wind20_mph'] * 88.0
    wa = waf(c['depth'], c['cc'], c['sh_m'] / FT)
    slope_tan = c['slope_pct'] / 100.0
    ros_s, lb = spread(bed, w20 * wa, c['wind_to'], slope_tan, c['upslope'], c['adjust'])
    rs = ros_s * FT
    hpa = bed['hpa'] * BTU_FT2_TO_KJ_M2
    fli_s = hpa * rs / 60
    # crown
    canopy = (c['cbd'] > 0) & (c['sh_m'] > 0)
    i0 = (0.010 * np.maximum(c['cbh'], 0) * (460 + 25.9 * c['fmc'])) ** 1.5
    r_init = np.where(hpa > 0, 60 * i0 / np.where(hpa > 0, hpa, 1.0), 0.0)
    r10, _ = spread(bed10, 0.4 * w20, c['wind_to'], slope_tan, c['upslope'])
    rc = 3.34 * r10 * FT
    rac = np.where(c['cbd'] > 0, 3.0 / np.where(c['cbd'] > 0, c['cbd'], 1.0), 0.0)
    init = canopy & (fli_s > 0) & (fli_s >= i0)
    active = rc >= rac
    # crown fraction burned, two-threshold method
    cfb0 = np.where(init, np.maximum(0.0, 1 - np.exp(-0.23 * (rs - r_init))), 0.0)
    # crown fraction burned from the surface rate at which crowning becomes active
    k = rac / (3.34 * bed10['r0'] * FT) - 1
    ps10 = bed10['ks'] * slope_tan ** 2
    dth = np.radians(c['wind_to'] - c['upslope'])
    disc = k ** 2 - (ps10 * np.sin(dth)) ** 2
    pw_need = -ps10 * np.cos(dth) + np.sqrt(np.maximum(disc, 0))
    zero_wind = (k <= ps10) & (k ** 2 <= ps10 ** 2)
    reach = (disc >= 0) & (pw_need >= 0) & (k <= phi_wind(bed10, 0.9 * bed10['ir']))
    w20_sa = wind_of_phi(bed10, np.where(reach, pw_need, 0.0)) / 0.4
    rsa_w, _ = spread(bed, w20_sa * wa, c['wind_to'], slope_tan, c['upslope'], c['adjust'])
    rsa_0, _ = spread(bed, np.zeros_like(w20), c['wind_to'], slope_tan, c['upslope'], c['adjust'])
    rsa = np.where(zero_wind, rsa_0 * FT, np.where(reach, rsa_w * FT, np.inf))
    denom = np.where(np.isfinite(rsa) & (rsa > r_init), 0.9 * (rsa - r_init), 1.0)
    ac = -np.log(0.1) / denom
    cfb1 = np.where(rsa <= r_init, 1.0,
                    np.where(np.isfinite(rsa), np.clip(1 - np.exp(-ac * (rs - r_init)), 0, 1), 0.0))
    cfb1 = np.where(init, cfb1, 0.0)
    method0 = c['method'] == 0
    cfb = np.minimum(np.where(canopy, np.where(method0, cfb0, cfb1), 0.0), 1.0)
    cls = np.where(init, np.where(active, 3, 2),
                   np.where(canopy & ~method0 & active, 4, 1))
    ros = np.where(init & (rc > rs), rs + cfb * (rc - rs), rs)
    cfl = c['cbd'] * np.maximum(c['sh_m'] - c['cbh'], 0)
    hpa_t = np.where(init, hpa + cfb * cfl * 18000.0, hpa)
    fli = hpa_t * ros / 60
    crowning = (cls == 2) | (cls == 3)
    fl = np.where(crowning, 0.2 * (fli / 3.4613) ** (2 / 3) * FT, 0.0775 * fli ** 0.46)
    ok = bed['ok']
    ir_kw = bed['ir'] * BTU_FT2_TO_KJ_M2 / 60
    return dict(ros=np.where(ok, ros, 0), ir=ir_kw, hpa=np.where(ok, hpa_t, 0), fli=np.where(ok, fli, 0),
                fl=np.where(ok, fl, 0), cfb=np.where(ok, cfb, 0), cls=np.where(ok, cls, 0))


def main(argv):
    with open(argv[1]) as f:
        names = f.readline().split()
        data = np.loadtxt(f, ndmin=2)
    c = {n: data[:, i] for i, n in enumerate(names)}
    r = surface_and_crown(c)
    with open(argv[2], 'w') as out:
        for i in range(data.shape[0]):
            out.write('%.17g %.17g %.17g %.17g %.17g %.17g %d\n' % (
                r['ros'][i], r['ir'][i], r['hpa'][i], r['fli'][i], r['fl'][i], r['cfb'][i], r['cls'][i]))



def bench(argv):
    """bench ROWS COLS MODELS_FILE: the benchmark's generated landscape, timed in chunks.

    MODELS_FILE lines: number l1 l10 l100 lh lw s1 sh sw depth mx hd hl dyn (the generator's
    fuel cycle, in order). Prints the seconds spent computing.
    """
    import time
    rows, cols = int(argv[2]), int(argv[3])
    table = np.loadtxt(argv[4], ndmin=2)
    names = ['l1', 'l10', 'l100', 'lh', 'lw', 's1', 'sh', 'sw', 'depth', 'mx', 'hd', 'hl', 'dyn']
    total = 0.0
    chunk_rows = max(1, 1000000 // cols)
    for r0 in range(0, rows, chunk_rows):
        r = np.arange(r0, min(rows, r0 + chunk_rows))[:, None]
        c = np.arange(cols)[None, :]
        r, c = np.broadcast_arrays(r, c)
        r, c = r.ravel(), c.ravel()
        t0 = time.perf_counter()
        k = (r * 5 + c) % len(table)
        cols_ = {n: table[k, i + 1] for i, n in enumerate(names)}
        n = r.size
        canopy = (c % 3) == 0
        cols_.update(m1=np.full(n, 0.06), m10=np.full(n, 0.07), m100=np.full(n, 0.08), mh=np.full(n, 0.60),
                     mw=np.full(n, 0.90), wind20_mph=np.full(n, 15.0),
                     slope_pct=np.tan(np.radians((r * 7 + c * 3) % 46)) * 100.0,
                     wind_to=np.full(n, 45.0), upslope=(((r * 37 + c * 11) % 360) + 180.0) % 360.0,
                     cc=np.where(canopy, 40 + (r % 5) * 10, 0).astype(float),
                     sh_m=np.where(canopy, (150 + (r % 7) * 20) / 10.0, 0.0),
                     cbh=np.where(canopy, (5 + (c % 4) * 10) / 10.0, 0.0),
                     cbd=np.where(canopy, (5 + (r % 6) * 6) / 100.0, 0.0),
                     fmc=np.full(n, 100.0), method=np.ones(n), adjust=np.ones(n))
        surface_and_crown(cols_)
        total += time.perf_counter() - t0
    print('%.6f' % total)


if __name__ == '__main__' and len(sys.argv) > 1 and sys.argv[1] == 'bench':
    with np.errstate(all='ignore'):
        bench(sys.argv)
        sys.exit(0)


if __name__ == '__main__' and not (len(sys.argv) > 1 and sys.argv[1] == 'bench'):
    with np.errstate(all='ignore'):
        main(sys.argv)
