"""The Palmer stages recomputed for the review: every stored quantity is
rounded to a 4-byte real, every formula is evaluated in Python floats (double
precision). series(STATION) writes STATION-pdsiformat.ref and index(STATION)
STATION-pdsi.ref in the working directory."""
import math

from review_numbers import div as idiv, f32, fixed

MISSING = 9999.0


def ilog10(x):
    return math.nan if math.isnan(x) or x < 0 else -math.inf if x == 0 else math.log10(x)


def jday(year):
    length = [31, 29 if year % 4 == 0 else 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    return [1 + sum(length[:m]) for m in range(12)], length


def series(station):
    tables = {e: [] for e in ("PRCP", "TMAX", "TMIN")}
    for line in open(station + ".csv").read().split("\n")[1:50001]:
        v = line.replace(",", " ").split()
        try:
            rec = (int(v[6]), int(v[5]), [int(x) for x in v[7:38]])
        except (ValueError, IndexError):
            break
        if len(rec[2]) < 31:
            break
        tables.get(v[4], []).append(rec)
    out, cur = [], {}
    if all(tables.values()):
        # The latest first year, in it the largest first month, then the next January.
        sy = max(t[0][0] for t in tables.values())
        cur = {e: next((i for i, r in enumerate(t) if r[0] == sy), None) for e, t in tables.items()}
        if None not in cur.values():
            sm = max(tables[e][i][1] for e, i in cur.items())
            for e, t in tables.items():
                c = next((i for i in range(cur[e], len(t)) if t[i][1] == sm), len(t))
                cur[e] = next((i for i in range(c, len(t)) if t[i][1] == 1), None)
    val = lambda r, d: MISSING if r is None or r[d] == -999 else float(r[d])
    c = lambda v: v if v == MISSING else f32((v - 32.0) * f32(0.5555556))
    p = lambda v: v if v == MISSING else f32(v / 100.0 * f32(25.4))
    ok = cur and None not in cur.values()
    # Every calendar month from the aligned January to the latest month of the
    # precipitation records; each element supplies the month when its cursor,
    # past every record that can no longer match, stands on it.
    months = [(y, m) for y, m, _ in tables["PRCP"][cur["PRCP"]:] if 1 <= m <= 12] if ok else []
    ym = (tables["PRCP"][cur["PRCP"]][0], 1) if ok else None
    while ym is not None and len(out) < 50000:
        y, m = ym
        first, length = jday(y)
        rec = {}
        for e in ("PRCP", "TMAX", "TMIN"):
            t = tables[e]
            while cur[e] < len(t) and (not 1 <= t[cur[e]][1] <= 12 or t[cur[e]][:2] < (y, m)):
                cur[e] += 1
            rec[e] = t[cur[e]][2] if cur[e] < len(t) and t[cur[e]][:2] == (y, m) else None
            cur[e] += rec[e] is not None
        for d in range(min(length[m - 1], 50000 - len(out))):
            lo, hi, pr = c(val(rec["TMIN"], d)), c(val(rec["TMAX"], d)), p(val(rec["PRCP"], d))
            fields = [fixed(x, 7, 1) for x in (lo, hi, 0.0, pr)]
            out.append("%4d,%3d,%s\r\n" % (y, first[m - 1] + d, ",".join(fields)))
        ym = None if ym == max(months) else (y + m // 12, m % 12 + 1)
    with open(station + "-pdsiformat.ref", "w") as o:
        o.write("".join(out))


def dl(M, Y, D, lat):
    pi = f32(3.1416)
    A = [f32(x) for x in (3.631, 0.03838, 0.07659, 0.0)]
    B = [f32(x) for x in (-22.97, -0.3885, -0.1587, -0.01021)]
    C = [f32(x) for x in (-7.343, -9.47, -0.3289, -0.1955)]
    E = [f32(x) for x in (0.5519, -3.02, -0.07581, -0.1245)]
    first, _ = jday(Y)
    w, phi = f32(2 * pi / 365), f32(lat * pi / 180)
    total = 0.0
    for n in range(first[M - 1], first[M - 1] + D):
        dec, eq = f32(0.3964), f32(0.002733)
        for j in range(1, 5):
            ang = f32(j * w * n)
            dec = f32(f32(dec + A[j - 1] * math.sin(ang)) + B[j - 1] * math.cos(ang))
            eq = f32(f32(eq + C[j - 1] * math.sin(ang)) + E[j - 1] * math.cos(ang))
        decr, eqh = f32(dec * pi / 180), f32(eq / 60)
        count = 0
        for h in range(24):
            for i in range(1, 61):
                ha = f32(abs(f32(h + i / 60 + eqh) - 12) * pi / 12)
                se = f32(math.sin(phi) * math.sin(decr) + math.cos(phi) * math.cos(decr) * math.cos(ha))
                count += -1.0 <= se <= 1.0 and f32(math.asin(se) * 180 / pi) > -1.5
        total = f32(total + f32(count / 60))
    return f32(total / D)


def months_of(station):
    """(year, month, days, mean temperature, precipitation, observed) of each
    complete month after a 1 January, and N, the number of 1 January records.
    A month is observed when some day of it has a precipitation value."""
    months, N = [], 0
    cm, dc, rc, cy, ps, ts, wet = 13, 0, 0, 0, 0.0, 0.0, 0
    for line in open(station + "-pdsiformat.csv").read().split("\n")[:50000]:
        v = line.replace(",", " ").split()
        if not v:
            continue
        y, n = int(v[0]), int(v[1])
        lo, hi, pr = float(v[2]), float(v[3]), float(v[5])
        if n == 1:
            cm, dc, rc, cy, ps, ts, wet = 1, 1, 1, y, 0.0, 0.0, 0
            N += 1
        if lo != MISSING and hi != MISSING:
            ts = f32(ts + (lo + hi) / 2)
        if pr != MISSING:
            ps, wet = f32(ps + pr), wet + 1
        dc, rc = dc + 1, rc + 1
        first, length = jday(cy)
        if cm <= 12 and rc > first[cm - 1] + length[cm - 1] - 1:
            months.append((cy, cm, dc - 1, f32(ts / (dc - 1)), ps, wet > 0))
            ps, ts, dc, cm, wet = 0.0, 0.0, 1, cm + 1, 0
    return months, N


def balance(p, pe, ss, su):
    """ET, R, PR, RO, PRO, L, PL of one month and the storages after it."""
    r = ro = l = dss = dsu = 0.0
    if p < pe:
        ls = f32(min(pe - p, ss))
        lu = f32(min(max((pe - p - ls) * su / 150.0, 0.0), su))
        dss, dsu, l = -ls, -lu, f32(ls + lu)
    elif p > pe:
        rs = f32(min(p - pe, 25.0 - ss))
        ru = f32(min(max(p - pe - rs, 0.0), 150.0 - 25.0 - su))
        dss, dsu, r, ro = rs, ru, f32(rs + ru), f32(max(p - pe - rs - ru, 0.0))
    pls = min(pe, ss)
    pl = f32(pls + f32(min((pe - pls) * su / 150.0, su)))
    out = (f32(min(p + l, pe)), r, f32(150.0 - su - ss), ro, f32(ss + su), l, pl)
    return out, f32(ss + dss), f32(su + dsu)


def index(station):
    """Writes STATION-pdsi.ref; returns the water balance of each month, (year,
    month, P, PE, ET, R, RO, L, CAFEC P, d, Z) or (year, month, None) for a
    month without precipitation."""
    lat = f32(float(open(station + ".csv").read().split("\n")[1].replace(",", " ").split()[1]))
    months, N = months_of(station)
    out = [" YEAR,MONTH,Z(ANOMALY),X(PDI) "]
    tsum = [0.0] * 12
    for y, m, nd, t, p, seen in months:
        if seen:
            tsum[m - 1] = f32(tsum[m - 1] + t)
    I = 0.0
    for m in range(12 if len(months) >= 12 and N > 0 else 0):
        I = f32(I + (max(f32(tsum[m] / N), 0.0) / 5) ** f32(1.514))
    wb = []
    if I != 0.0:
        a = f32(f32(6.75e-7) * I * I * I - f32(7.71e-5) * I * I + f32(0.0179) * I + f32(0.492))
        L = [dl(months[m][1], months[m][0], months[m][2], lat) for m in range(12)]
        ss, su = 25.0, 125.0
        S = [[0.0] * 9 for _ in range(12)]  # ET, R, PR, RO, PRO, L, PL, PE, P by calendar month
        seen_months = [0] * 12
        rows = []
        for y, m, nd, t, p, seen in months:
            if not seen:
                rows.append((y, m, None))
                continue
            pe = 0.0
            if not t < 0:  # a NaN mean temperature still goes through the formula
                pe = f32(f32(f32(f32(1.6) * f32(L[m - 1] / 12 * nd / 30)) * f32(10 * t / I) ** a) * 10)
            b, ss, su = balance(p, pe, ss, su)
            S[m - 1] = [f32(s + x) for s, x in zip(S[m - 1], b + (pe, p))]
            seen_months[m - 1] += 1
            rows.append((y, m, p, pe, b))
        div = lambda x, y, both: both if x == 0 and y == 0 else f32(idiv(x, y))
        cafec = [(div(et, pe, 1.0), div(r, pr, 1.0), div(ro, pro, 0.0), 0.0 if l == 0 else f32(idiv(l, pl)))
                 for et, r, pr, ro, pro, l, pl, pe, p in S]
        ds, absum = [], [0.0] * 12
        for y, m, *rest in rows:
            if rest[0] is None:
                ds.append(None)
                continue
            p, pe, (et, r, pr, ro, pro, l, pl) = rest
            al, be, ga, de = cafec[m - 1]
            ph = f32(f32(al * pe) + f32(be * pr) + f32(ga * pro) - f32(de * pl))
            ds.append((f32(p - ph), ph))
            absum[m - 1] = f32(absum[m - 1] + abs(ds[-1][0]))
        D = [f32(x / N) for x in absum]
        kp, Ssum = [], 0.0
        for (et, r, pr, ro, pro, l, pl, pe, p), Dm, n in zip(S, D, seen_months):
            ratio = f32(idiv(pe + r + ro, p + l) + f32(2.8))
            kp.append(f32(f32(1.5) * ilog10(idiv(ratio * f32(25.4), Dm)) + 0.5))
            if n:  # a calendar month without any observed month has no weight
                Ssum = f32(Ssum + Dm * kp[-1])
        K = [f32(idiv(f32(17.67), Ssum) * k * f32(25.4)) for k in kp]
        x = None
        for (y, m, *rest), dph in zip(rows, ds):
            if dph is None:
                out.append("%4d,%2d,  -99.00,  -99.00," % (y, m))
                wb.append((y, m, None))
                continue
            d, ph = dph
            z = f32(K[m - 1] * d / f32(25.4))
            x = f32(z / 3) if x is None else f32(f32(0.897) * x + z / 3)
            out.append("%4d,%2d,%s,%s," % (y, m, fixed(z, 8, 2), fixed(x, 8, 2)))
            p, pe, (et, r, pr, ro, pro, l, pl) = rest
            wb.append((y, m, p, pe, et, r, ro, l, ph, d, z))
    with open(station + "-pdsi.ref", "w") as o:
        o.write("".join(r + "\r\n" for r in out))
    return wb
