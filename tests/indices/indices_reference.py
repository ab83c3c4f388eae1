#!/usr/bin/env python3
"""Independent recomputation of the EDI records (EP, DEP, SEP, PRN, EDI) of a
table of consecutive years given on standard input as lines "year t1 .. t12"
(-9999 missing), every stored value rounded to a 4-byte real, or kept in
double with --double:
  python3 tests/indices/indices_reference.py [--double] < table.txt
"""
import math
import struct
import sys


def f(x):
    return x if "--double" in sys.argv else struct.unpack("f", struct.pack("f", x))[0]


def div(a, b):
    if b:
        return a / b
    return math.nan if a == 0 or math.isnan(a) else math.copysign(math.inf, a)


def fixed(v):
    t = "NaN" if math.isnan(v) else "%+.0f" % v if math.isinf(v) else "%.2f" % v
    return (t.rjust(8) if len(t) <= 8 else "*" * 8) + ","


def fsum(values):  # rounded after each addition
    s = 0.0
    for v in values:
        s = f(s + v)
    return s


def ep(x, k):  # the sums of the twelve windows ending at x[k], each over its length
    return fsum(fsum(x[k - j + 1:k + 1]) / j for j in range(1, 13))


def sd(values, centre):
    return f(math.sqrt(div(fsum((v - centre) ** 2 for v in values), len(values) - 1)))


rows = [[int(v) for v in line.split()] for line in sys.stdin if line.strip()]
n, y1 = len(rows), rows[0][0]
fm = next(m for m in range(1, 13) if rows[0][m] != -9999)
lm = next(m for m in range(12, 0, -1) if rows[-1][m] != -9999)
normal = []
for m in range(1, 13):
    t = [r[m] for r in rows if r[m] != -9999]
    normal.append(f(fsum(t) / len(t)) if t else 0.0)
p = [0.0] + [float(r[m] if r[m] != -9999 else math.trunc(normal[m - 1]))
             for r in rows for m in range(1, 13)]
cep = [None] + [ep([0.0] + normal + normal, m + 12) for m in range(1, 13)]
w = fsum(1.0 / j for j in range(1, 13))
months = [(y1 + (k - 1) // 12, (k - 1) % 12 + 1, ep(p, k))
          for k in range(fm + 11, 12 * (n - 1) + lm + 1)]
spread = [None] + [sd([e for _, mm, e in months if mm == m], cep[m]) for m in range(1, 13)]
recs = []
for y, m, e in months:
    dep = f(e - cep[m])
    # edi reads the values back from their written text
    recs.append((y, m, [f(float(fixed(v)[:-1])) for v in (e, dep, f(div(dep, spread[m])), f(dep / w))]))
prn_sd = sd([v[3] for _, _, v in recs], f(div(fsum(v[3] for _, _, v in recs), len(recs))))
print(" YEAR,MO,EP,DEP,SEP,PRN,EDI")
for y, m, v in recs:
    print("%4d,%2d," % (y, m) + "".join(fixed(x) for x in v + [f(div(v[3], prn_sd))]))
