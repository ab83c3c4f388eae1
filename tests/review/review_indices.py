"""Percent of normal, EP/DEP/SEP/PRN and EDI recomputed for the review from a
table given as (year, [12 monthly totals]) rows, in single precision where the
program stores single precision; each function returns the records of a file."""
import math

from review_numbers import div, f32 as f, fixed


def normals(rows):
    out = []
    for m in range(12):
        s, k = 0.0, 0
        for _, t in rows:
            if t[m] != -9999:
                s = f(s + t[m])
                k += 1
        out.append(f(s / k) if k else 0.0)
    return out


def effective(x, last):
    ep = 0.0
    for j in range(1, 13):
        s = 0.0
        for l in range(last - j + 1, last + 1):
            s = f(s + x[l])
        ep = f(ep + s / j)
    return ep


def prn(rows):
    n = len(rows)
    y1, first = rows[0]
    fm = next(m + 1 for m in range(12) if first[m] != -9999)
    yl, last = rows[-1]
    lm = next(m + 1 for m in range(11, -1, -1) if last[m] != -9999)
    nm = normals(rows)
    p = [0.0] * (12 * n + 1)
    for i, (_, t) in enumerate(rows):
        for m in range(1, 13):
            v = t[m - 1] if t[m - 1] != -9999 else math.trunc(nm[m - 1])
            p[12 * i + m] = float(v)
    ep = {k: effective(p, k) for k in range(fm + 11, 12 * (n - 1) + lm + 1)}
    cyc = [0.0] + nm + nm
    cep = [None] + [effective(cyc, m + 12) for m in range(1, 13)]
    w = 0.0
    for j in range(1, 13):
        w = f(w + 1.0 / j)
    y0, m0 = (y1, 12) if fm == 1 else (y1 + 1, fm - 1)
    walk = []
    for y in range(y0, yl + 1):
        lo = m0 if y == y0 else 1
        hi = lm if y == yl else 12
        walk += [(y, m) for m in range(lo, hi + 1)]
    walk = [(y, m, fm + 11 + i) for i, (y, m) in enumerate(walk)]
    sd = [None] * 13
    for m in range(1, 13):
        q, r = 0.0, 0
        for _, mm, k in walk:
            if mm == m:
                q = f(q + (ep[k] - cep[m]) ** 2)
                r += 1
        sd[m] = f(math.sqrt(div(q, r - 1))) if r else 0.0
    out = [" YEAR,MO,EP,DEP,SEP,PRN"]
    for y, m, k in walk:
        dep = f(ep[k] - cep[m])
        sep = f(div(dep, sd[m]))
        pr = f(dep / w)
        out.append("%4d,%2d," % (y, m) + "".join(fixed(v, 8, 2) + "," for v in (ep[k], dep, sep, pr)))
    return out


def edi(prn_lines):
    recs = []
    for line in prn_lines[1:]:
        v = line.rstrip(",").split(",")
        recs.append((int(v[0]), int(v[1])) + tuple(f(float(x)) for x in v[2:6]))
    n = len(recs)
    s = 0.0
    for r in recs:
        s = f(s + r[5])
    mean = f(div(s, n))
    q = 0.0
    for r in recs:
        q = f(q + (r[5] - mean) ** 2)
    sd = f(math.sqrt(div(q, n - 1))) if n != 1 else math.nan
    out = [" YEAR,MO,EP,DEP,SEP,PRN,EDI"]
    for r in recs:
        vals = r[2:6] + (f(div(r[5], sd)),)
        out.append("%4d,%2d," % r[:2] + "".join(fixed(v, 8, 2) + "," for v in vals))
    return out + [""]


def percent(rows):
    nm = normals(rows)
    out = []
    for y, t in rows:
        vals = [f(div(t[m], nm[m]) * 100.0) if t[m] != -9999 else -99.0 for m in range(12)]
        out.append("%4d," % y + "".join(fixed(v, 6, 2) + "," for v in vals))
    return out + [""]
