#!/usr/bin/env python3
"""Independent reference for the Palmer stages, used to work out the expected
values of tests/pdsi: every stored quantity is rounded to a 4-byte real with
struct, every formula is evaluated in Python floats (double precision).

  python3 palmer_reference.py series STATION     # writes STATION-pdsiformat.ref
  python3 palmer_reference.py index STATION      # writes STATION-pdsi.ref
  python3 palmer_reference.py dl MONTH YEAR DAYS LATITUDE
  python3 palmer_reference.py fixture STATION YEAR:FROM:TO ...   # the test series
"""
import math
import struct
import sys


def f32(x):
    return struct.unpack("f", struct.pack("f", float(x)))[0]


def fixed(v, w, d):
    if math.isnan(v):
        t = "NaN"
    elif math.isinf(v):
        t = "+Inf" if v > 0 else "-Inf"
    else:
        t = "%.*f" % (d, v)
    if len(t) == w + 1 and t.startswith("0."):
        t = t[1:]
    if len(t) == w + 1 and t.startswith("-0."):
        t = "-" + t[2:]
    return "*" * w if len(t) > w else t.rjust(w)


def idiv(a, b):
    """a / b in IEEE arithmetic (Python raises on a zero divisor)."""
    if b != 0 or math.isnan(b):
        return a / b
    if a == 0 or math.isnan(a):
        return math.nan
    return math.copysign(math.inf, a) * math.copysign(1.0, b)


def ilog10(x):
    if math.isnan(x) or x < 0:
        return math.nan
    if x == 0:
        return -math.inf
    return math.log10(x)


def jday(year):
    first = [1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335]
    length = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
    if year % 4 == 0:
        first = first[:2] + [x + 1 for x in first[2:]]
        length[1] = 29
    return first, length


def series(station):
    tables = {"PRCP": [], "TMAX": [], "TMIN": []}
    lines = open(station + ".csv").read().split("\n")[1:]
    for line in lines[:50000]:
        v = line.replace(",", " ").split()
        if len(v) < 38:
            break
        try:
            days = [int(x) for x in v[7:38]]
            month, year = int(v[5]), int(v[6])
        except ValueError:
            break
        if v[4] in tables:
            tables[v[4]].append((year, month, days))
    rows = []
    names = ["PRCP", "TMAX", "TMIN"]
    if all(tables[e] for e in names):
        cur = {}
        sy = max(tables[e][0][0] for e in names)
        ok = True
        for e in names:
            c = next((i for i, r in enumerate(tables[e]) if r[0] == sy), None)
            ok = ok and c is not None
            cur[e] = c
        if ok:
            sm = max(tables[e][cur[e]][1] for e in names)
            for e in names:
                c = next((i for i in range(cur[e], len(tables[e])) if tables[e][i][1] == sm), len(tables[e]))
                c = next((i for i in range(c, len(tables[e])) if tables[e][i][1] == 1), None)
                ok = ok and c is not None
                cur[e] = c
        if ok:
            for y, m, pd in tables["PRCP"][cur["PRCP"]:]:
                if not 1 <= m <= 12:
                    continue
                first, length = jday(y)
                rec = {}
                for e in ("TMAX", "TMIN"):
                    t = tables[e]
                    rec[e] = t[cur[e]][2] if cur[e] < len(t) and t[cur[e]][:2] == (y, m) else None
                for d in range(length[m - 1]):
                    if len(rows) == 50000:
                        break
                    val = lambda r: 9999.0 if r is None or r[d] == -999 else float(r[d])
                    rows.append((y, first[m - 1] + d, val(rec["TMIN"]), val(rec["TMAX"]), val(pd)))
                for e in ("TMAX", "TMIN"):
                    if rec[e] is not None:
                        cur[e] += 1
    c = lambda v: v if v == 9999.0 else f32((v - 32.0) * f32(0.5555556))
    p = lambda v: v if v == 9999.0 else f32(v / 100.0 * f32(25.4))
    with open(station + "-pdsiformat.ref", "w") as out:
        for y, n, lo, hi, pr in rows:
            out.write("%4d,%3d,%s,%s,%s,%s\r\n" % (y, n, fixed(c(lo), 7, 1), fixed(c(hi), 7, 1),
                                                  fixed(0.0, 7, 1), fixed(p(pr), 7, 1)))


def dl(M, Y, D, lat):
    pi = f32(3.1416)
    A = [f32(x) for x in (3.631, 0.03838, 0.07659, 0.0)]
    B = [f32(x) for x in (-22.97, -0.3885, -0.1587, -0.01021)]
    C = [f32(x) for x in (-7.343, -9.47, -0.3289, -0.1955)]
    E = [f32(x) for x in (0.5519, -3.02, -0.07581, -0.1245)]
    first, _ = jday(Y)
    w = f32(2 * pi / 365)
    phi = f32(lat * pi / 180)
    total = 0.0
    for n in range(first[M - 1], first[M - 1] + D):
        dec, eq = f32(0.3964), f32(0.002733)
        for j in range(1, 5):
            ang = f32(j * w * n)
            dec = f32(dec + A[j - 1] * math.sin(ang))
            dec = f32(dec + B[j - 1] * math.cos(ang))
            eq = f32(eq + C[j - 1] * math.sin(ang))
            eq = f32(eq + E[j - 1] * math.cos(ang))
        decr, eqh = f32(dec * pi / 180), f32(eq / 60)
        count = 0
        for h in range(24):
            for i in range(1, 61):
                t = f32(h + i / 60 + eqh)
                ha = f32(abs(t - 12) * pi / 12)
                se = f32(math.sin(phi) * math.sin(decr) + math.cos(phi) * math.cos(decr) * math.cos(ha))
                if -1.0 <= se <= 1.0 and f32(math.asin(se) * 180 / pi) > -1.5:
                    count += 1
        total = f32(total + f32(count / 60))
    return f32(total / D)


def index(station):
    lat = f32(float(open(station + ".csv").read().split("\n")[1].replace(",", " ").split()[1]))
    months, N = [], 0
    cm, dc, rc, cy, ps, ts = 13, 0, 0, 0, 0.0, 0.0
    for line in open(station + "-pdsiformat.csv").read().split("\n")[:50000]:
        v = line.replace(",", " ").split()
        if not v:
            continue
        y, n = int(v[0]), int(v[1])
        lo, hi, pr = float(v[2]), float(v[3]), float(v[5])
        if n == 1:
            cm, dc, rc, cy, ps, ts = 1, 1, 1, y, 0.0, 0.0
            N += 1
        if lo != 9999.0 and hi != 9999.0:
            ts = f32(ts + (lo + hi) / 2)
        if pr != 9999.0:
            ps = f32(ps + pr)
        dc += 1
        rc += 1
        if cm <= 12:
            end = [31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366] if cy % 4 == 0 else \
                  [31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365]
            if rc > end[cm - 1]:
                months.append((cy, cm, dc - 1, f32(ts / (dc - 1)), ps))
                ps, ts, dc, cm = 0.0, 0.0, 1, cm + 1
    out = [" YEAR,MONTH,Z(ANOMALY),X(PDI) "]
    if len(months) >= 12 and N > 0:
        tsum = [0.0] * 12
        for y, m, nd, t, p in months:
            tsum[m - 1] = f32(tsum[m - 1] + t)
        I = 0.0
        for m in range(12):
            tn = max(f32(tsum[m] / N), 0.0)
            I = f32(I + (tn / 5) ** f32(1.514))
        if I != 0.0:
            a = f32(f32(6.75e-7) * I * I * I - f32(7.71e-5) * I * I + f32(0.0179) * I + f32(0.492))
            L = [dl(months[m][1], months[m][0], months[m][2], lat) for m in range(12)]
            ss, su = 25.0, 125.0
            S = {k: [0.0] * 12 for k in ("et", "pe", "r", "pr", "ro", "pro", "l", "pl", "p")}
            rows = []
            for y, m, nd, t, p in months:
                fct = f32(L[m - 1] / 12 * nd / 30)
                if t < 0:
                    pe = 0.0
                else:
                    pe = f32(f32(f32(1.6) * fct) * f32(10 * t / I) ** a)
                    pe = f32(pe * 10)
                r = ro = l = 0.0
                dss = dsu = 0.0
                if p < pe:
                    ls = f32(min(pe - p, ss))
                    lu = f32(min(max((pe - p - ls) * su / 150.0, 0.0), su))
                    dss, dsu, l = -ls, -lu, f32(ls + lu)
                elif p > pe:
                    rs = f32(min(p - pe, 25.0 - ss))
                    ru = f32(min(max(p - pe - rs, 0.0), 150.0 - 25.0 - su))
                    dss, dsu, r = rs, ru, f32(rs + ru)
                    ro = f32(max(p - pe - rs - ru, 0.0))
                pr_ = f32(150.0 - su - ss)
                pro = f32(ss + su)
                pls = min(pe, ss)
                plu = f32(min((pe - pls) * su / 150.0, su))
                pl = f32(pls + plu)
                et = f32(min(p + l, pe))
                ss, su = f32(ss + dss), f32(su + dsu)
                for k, val in (("et", et), ("pe", pe), ("r", r), ("pr", pr_), ("ro", ro),
                               ("pro", pro), ("l", l), ("pl", pl), ("p", p)):
                    S[k][m - 1] = f32(S[k][m - 1] + val)
                rows.append((y, m, p, pe, pr_, pro, pl))

            def div(a_, b_, both):
                if a_ == 0 and b_ == 0:
                    return both
                return f32(idiv(a_, b_))

            al = [div(S["et"][m], S["pe"][m], 1.0) for m in range(12)]
            be = [div(S["r"][m], S["pr"][m], 1.0) for m in range(12)]
            ga = [div(S["ro"][m], S["pro"][m], 0.0) for m in range(12)]
            de = [0.0 if S["l"][m] == 0 else f32(idiv(S["l"][m], S["pl"][m])) for m in range(12)]
            ds, absum = [], [0.0] * 12
            for y, m, p, pe, pr_, pro, pl in rows:
                k = m - 1
                ph = f32(f32(al[k] * pe) + f32(be[k] * pr_) + f32(ga[k] * pro) - f32(de[k] * pl))
                d = f32(p - ph)
                ds.append(d)
                absum[k] = f32(absum[k] + abs(d))
            D = [f32(absum[m] / N) for m in range(12)]
            kp, Ssum = [], 0.0
            for m in range(12):
                ratio = f32(idiv(S["pe"][m] + S["r"][m] + S["ro"][m], S["p"][m] + S["l"][m]) + f32(2.8))
                kp.append(f32(f32(1.5) * ilog10(idiv(ratio * f32(25.4), D[m])) + 0.5))
                Ssum = f32(Ssum + D[m] * kp[m])
            K = [f32(idiv(f32(17.67), Ssum) * kp[m] * f32(25.4)) for m in range(12)]
            x = 0.0
            for i, ((y, m, *_), d) in enumerate(zip(rows, ds)):
                z = f32(K[m - 1] * d / f32(25.4))
                x = f32(z / 3) if i == 0 else f32(f32(0.897) * x + z / 3)
                out.append("%4d,%2d,%s,%s," % (y, m, fixed(z, 8, 2), fixed(x, 8, 2)))
    with open(station + "-pdsi.ref", "w") as o:
        o.write("".join(r + "\r\n" for r in out))


def fixture(station, spans):
    """The daily series of the index tests: a seasonal temperature cycle, rain
    on every third day, varying from year to year, no temperature on days 91 to 120, no minimum
    temperature on the even days from 152 to 181; latitude 40."""
    with open(station + ".csv", "w") as o:
        o.write("HEADER\n" + station + ",40.0,-93.2,120,PRCP,1,1951" + ",0" * 31 + "\n")
    with open(station + "-pdsiformat.csv", "w") as o:
        for span in spans:
            y, a, b = (int(x) for x in span.split(":"))
            for n in range(a, b + 1):
                lo = min(n, 366 - n) // 8 - 6
                hi = lo + 9 + n % 4
                p = (n * 37 + y * 11) % 41 * 0.5 if (n + y) % 3 == 0 else 0.0
                tmin, tmax = float(lo), float(hi)
                if 91 <= n <= 120:
                    tmin = tmax = 9999.0
                if 152 <= n <= 181 and n % 2 == 0:
                    tmin = 9999.0
                o.write("%4d,%3d,%7.1f,%7.1f,%7.1f,%7.1f\r\n" % (y, n, tmin, tmax, 0.0, p))


if __name__ == "__main__":
    if sys.argv[1] == "fixture":
        fixture(sys.argv[2], sys.argv[3:])
        sys.exit(0)
    if sys.argv[1] == "series":
        series(sys.argv[2])
    elif sys.argv[1] == "index":
        index(sys.argv[2])
    else:
        print(dl(int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), f32(float(sys.argv[5]))))
