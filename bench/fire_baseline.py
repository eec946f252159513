"""Fair vectorised baseline for bench_engine: surface and crown fire over a whole grid in numpy.

Each fuel model's bed and moisture terms are computed once (they do not vary by cell); per cell
only wind, slope, aspect and canopy enter. One process, float32 outputs: flame length, spread
rate, intensity, crown activity, spread direction and midflame wind.

Usage: fire_baseline.py ROWS COLS MODELS.txt LANDSCAPE.lcp
MODELS.txt: one line per fuel model: number l1 l10 l100 lh lw s1 sh sw depth mx hd hl dynamic.
LANDSCAPE.lcp: the benchmark's landscape file (eight int16 bands interleaved cell by cell after the
7316-byte header; metres, degrees, azimuth, fuel model, percent, m x 10, m x 10, kg/m3 x 100),
read inside the timed part as the engine reads it. Prints the timed wall and CPU seconds.
"""
import math
import sys
import time

import numpy as np

FUELS = [1, 2, 4, 8, 10, 91, 102, 122, 145, 165, 183, 98, 204, 3, 124, 9]
MOIST = (0.06, 0.07, 0.08, 0.60, 0.90)  # 1-h, 10-h, 100-h, herbaceous, woody
WIND_MPH, WIND_FROM, FMC = 15.0, 225.0, 100.0
TONS = 2000.0 / 43560.0
KJ_M2 = 1.055056 / 0.09290304
FT = 0.3048


def size_class(s):
    for k, edge in enumerate((1200, 192, 96, 48, 16)):
        if s >= edge:
            return k
    return 5


def category(parts):
    area = [w * s / 32.0 for w, s, _, _ in parts]
    total = sum(area)
    out = dict(area=total, load=sum(p[0] for p in parts), net=0.0, m=0.0, h=0.0, sav=0.0, sink=0.0)
    if total <= 0:
        return out
    f = [a / total for a in area]
    for i, (w, s, m, h) in enumerate(parts):
        g = sum(f[j] for j, q in enumerate(parts) if size_class(q[1]) == size_class(s))
        out['net'] += g * w * (1 - 0.0555)
        out['m'] += f[i] * m
        out['h'] += f[i] * h
        out['sav'] += f[i] * s
        if s > 0:
            out['sink'] += f[i] * math.exp(-138.0 / s) * (250 + 1116 * m)
    return out


def damping(m, mx):
    r = m / mx if mx > 0 else 1.0
    return 0.0 if r >= 1 else 1 - 2.59 * r + 5.11 * r * r - 3.52 * r ** 3


def bed(p):
    """Scalar fuel bed of one model under MOIST; None when it cannot burn."""
    l1, l10, l100, lh, lw, s1, sh, sw, depth, mx, hd, hl, dyn = p
    m1, m10, m100, mh, mw = MOIST
    lh *= TONS
    cured = min(max((1.2 - mh) / 0.9, 0.0), 1.0) if dyn and lh > 0 else 0.0
    dead = [(l1 * TONS, s1, m1, hd), (l10 * TONS, 109.0, m10, hd), (l100 * TONS, 30.0, m100, hd),
            (lh * cured, sh, m1, hd)]
    live = [(lh * (1 - cured), sh, mh, hl), (lw * TONS, sw, mw, hl)]
    d, l = category(dead), category(live)
    if d['area'] <= 0 or depth <= 0:
        return None
    fd, fl = d['area'] / (d['area'] + l['area']), l['area'] / (d['area'] + l['area'])
    sigma = fd * d['sav'] + fl * l['sav']
    rho_b = (d['load'] + l['load']) / depth
    beta = rho_b / 32.0
    ratio = beta / (3.348 * sigma ** -0.8189)
    a = 133.0 * sigma ** -0.7913
    gmax = sigma ** 1.5 / (495 + 0.0594 * sigma ** 1.5)
    gamma = gmax * ratio ** a * math.exp(a * (1 - ratio))
    live_mx = mx
    if l['load'] > 0:
        wd = sum(w * math.exp(-138.0 / s) for w, s, _, _ in dead if s > 0)
        wdm = sum(w * math.exp(-138.0 / s) * m for w, s, m, _ in dead if s > 0)
        wl = sum(w * math.exp(-500.0 / s) for w, s, _, _ in live if s > 0)
        if wl > 0:
            live_mx = max(2.9 * wd / wl * (1 - (wdm / wd if wd > 0 else 0) / mx) - 0.226, mx)
    eta_s = min(0.174 * 0.010 ** -0.19, 1.0)
    ir = gamma * eta_s * (d['net'] * d['h'] * damping(d['m'], mx) + l['net'] * l['h'] * damping(l['m'], live_mx))
    xi = math.exp((0.792 + 0.681 * math.sqrt(sigma)) * (beta + 0.1)) / (192 + 0.2595 * sigma)
    sink = rho_b * (fd * d['sink'] + fl * l['sink'])
    e = 0.715 * math.exp(-3.59e-4 * sigma)
    return dict(ir=ir, ros0=ir * xi / sink if sink > 0 else 0.0, hpa=ir * 384.0 / sigma, depth=depth,
                c=7.47 * math.exp(-0.133 * sigma ** 0.55), b=0.02526 * sigma ** 0.54, re=ratio ** e,
                k=5.275 * beta ** -0.3)


def spread(b, u, wind_to, tan, up):
    """Head rate (ft/min), direction (radians) and the factor reached, per cell."""
    phi_w = np.where(u > 0, b['c'] * np.power(np.maximum(u, 1e-30), b['b']) / b['re'], 0.0)
    phi_s = b['k'] * tan * tan
    x = phi_w * np.sin(wind_to) + phi_s * np.sin(up)
    y = phi_w * np.cos(wind_to) + phi_s * np.cos(up)
    phi = np.hypot(x, y)
    direction = np.where(phi > 0, np.arctan2(x, y), np.where(phi_s > 0, up, wind_to))
    limit_phi = b['c'] * (0.9 * b['ir']) ** b['b'] / b['re']
    phi = np.minimum(phi, limit_phi)
    return b['ros0'] * (1 + phi), direction, phi_s


def wind_for_total(b, phi, phi_s, wind_to, up):
    """Midflame wind (ft/min) at which wind and slope reach phi; 0 when slope alone does, -1 never."""
    t = wind_to - up
    under = np.maximum(phi * phi - phi_s * phi_s * np.sin(t) ** 2, 0.0)
    phi_w = np.maximum(-phi_s * np.cos(t) + np.sqrt(under), 0.0)
    w = np.power(phi_w * b['re'] / b['c'], 1.0 / b['b'])
    w = np.where(phi_s >= phi, 0.0, w)
    return np.where(phi > b['c'] * (0.9 * b['ir']) ** b['b'] / b['re'], -1.0, w)


def run(rows, cols, models, path):
    np.seterr(all='ignore')  # masked-out branches may overflow; np.where discards them
    start, cpu = time.perf_counter(), time.process_time()
    cells = np.fromfile(path, np.int16, offset=7316).reshape(rows * cols, 8)
    band = [np.ascontiguousarray(cells[:, k]) for k in range(8)]
    slope_l, aspect_l, fuel_l, cover_l, height_l, base_l, dens_l = band[1:]
    n = rows * cols
    out = {k: np.full(n, -9999.0, np.float32) for k in ('flame', 'ros', 'fli', 'crown', 'dir', 'mid')}
    fuel = fuel_l
    wind_to = math.radians((WIND_FROM + 180.0) % 360.0)
    bed10 = bed(models[10])
    for fm in np.unique(fuel):
        idx = np.flatnonzero(fuel == fm)
        b = bed(models[int(fm)]) if int(fm) in models and not 90 <= fm <= 99 else None
        if b is None:
            out['crown'][idx] = 0
            continue
        tan = np.tan(np.radians(slope_l[idx].astype(np.float64)))
        up = np.radians((aspect_l[idx] + 180.0) % 360.0)
        cover = cover_l[idx].astype(np.float64)
        sh = height_l[idx] / 10.0
        cbh = base_l[idx] / 10.0
        cbd = dens_l[idx] / 100.0
        sh_ft = sh / FT
        fill = cover / 100.0 * math.pi / 12.0
        log_open = math.log((20 + 0.36 * b['depth']) / (0.13 * b['depth']))
        sheltered = (fill >= 0.05) & (sh_ft > 0)
        hs = np.where(sheltered, sh_ft, 1.0)
        waf = np.where(sheltered, 0.555 / (np.sqrt(np.maximum(fill * hs, 1e-30)) *
                                            np.log((20 + 0.36 * hs) / (0.13 * hs))), 1.83 / log_open)
        wind20 = WIND_MPH * 88.0
        ros_ft, direction, phi_s = spread(b, wind20 * waf, wind_to, tan, up)
        rs = ros_ft * FT
        hpa = b['hpa'] * KJ_M2
        fli_s = hpa * rs / 60.0
        ros, hpa_t = rs.copy(), np.full(idx.size, hpa)
        cls = np.ones(idx.size)
        crown = (cbd > 0) & (sh > 0)
        if crown.any():
            k = np.flatnonzero(crown)
            i0 = (0.010 * cbh[k] * (460 + 25.9 * FMC)) ** 1.5
            r_init = 60.0 * i0 / hpa
            r10, _, phi_s10 = spread(bed10, np.full(k.size, 0.4 * wind20), wind_to, tan[k], up[k])
            rc = 3.34 * r10 * FT
            rac = 3.0 / cbd[k]
            w10 = wind_for_total(bed10, rac / (3.34 * bed10['ros0'] * FT) - 1.0, phi_s10, wind_to, up[k])
            initiated = (fli_s[k] > 0) & (fli_s[k] >= i0)
            active = rc >= rac
            r_sa = np.where(w10 >= 0, spread(b, np.maximum(w10, 0) / 0.4 * waf[k], wind_to, tan[k], up[k])[0] * FT,
                            np.inf)
            span = np.where(np.isfinite(r_sa) & (r_sa > r_init), r_sa - r_init, 1.0)
            cfb = np.clip((rs[k] - r_init) / span, 0, 1)
            cfb = np.where(r_sa <= r_init, 1.0, np.where(np.isfinite(r_sa), cfb, 0.0))
            cfb = np.where(initiated, cfb, 0.0)
            cls[k] = np.where(initiated, np.where(active, 3, 2), np.where(active, 4, 1))
            ros[k] = np.where(initiated & (rc > rs[k]), rs[k] + cfb * (rc - rs[k]), rs[k])
            hpa_t[k] = hpa + cfb * cbd[k] * np.maximum(sh[k] - cbh[k], 0) * 18000.0
        fli = hpa_t * ros / 60.0
        crowning = (cls == 2) | (cls == 3)
        flame = np.where(crowning, 0.2 * (fli / 3.46147) ** (2.0 / 3.0) * FT, 0.0775 * np.power(fli, 0.46))
        out['flame'][idx] = flame
        out['ros'][idx] = ros
        out['fli'][idx] = fli
        out['crown'][idx] = cls
        out['dir'][idx] = np.mod(direction, 2 * math.pi)
        out['mid'][idx] = WIND_MPH * waf
    return time.perf_counter() - start, time.process_time() - cpu, out


def main():
    rows, cols = int(sys.argv[1]), int(sys.argv[2])
    models = {}
    with open(sys.argv[3]) as f:
        for line in f:
            v = line.split()
            if v:
                models[int(v[0])] = [float(x) for x in v[1:]]
    seconds, cpu, _ = run(rows, cols, models, sys.argv[4])
    print('%.6f %.6f' % (seconds, cpu))


if __name__ == '__main__':
    main()
