#!/usr/bin/env python3
"""Independent computation of the precipitation needed to end a drought for
the small station in data/ (NEED01), with mpmath.

From the monthly table (hundredths of an inch; each total a 4-byte real in
inches, sums in 8 bytes from the latest month back, as the SPI run forms
them) it fits, for a calendar month, the Pearson type III distribution to the
positive n-month sums by L-moments with plotting positions j/n (Hosking 1990),
solving the shape exactly from tau3 = 6 I_{1/3}(a, 2a) - 3 instead of by a
rational approximation, and mixes it with the probability of a zero sum. R is
the root of G(known + R) = Phi(target), found by bisection in 40 digits;
the probability is 1 - G_h(R) of the h-month fit.

    python3 tests/events/needed_reference.py

prints one line per row of NEED01-needed.csv: series, n, h, target, R in
inches, percent of normal, probability (more digits than the file).
"""
import os
import struct

import mpmath as mp

mp.mp.dps = 40
HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")


def table(name):
    """Monthly totals in inches as 4-byte reals, in time order (None: missing)."""
    months = []
    with open(os.path.join(HERE, name)) as f:
        for line in f:
            fields = [v for v in line.strip().split(",") if v.strip()]
            for v in map(int, fields[2:14]):
                months.append(None if v == -9999 else struct.unpack("f", struct.pack("f", v / 100.0))[0])
    return months


def window(months, s, n):
    if s - n + 1 < 0:
        return None
    total = 0.0
    for j in range(s, s - n, -1):
        if months[j] is None:
            return None
        total += months[j]
    return total


def sums(months, n, calendar_month):
    out = []
    for s in range(calendar_month, len(months), 12):
        w = window(months, s, n)
        if w is not None:
            out.append(w)
    return out


def pearson3(sample):
    x = sorted(mp.mpf(v) for v in sample if v > 0)
    n = len(x)
    b = [mp.fsum((mp.mpf(j + 1) / n) ** r * x[j] for j in range(n)) / n for r in range(3)]
    l1, l2, l3 = b[0], 2 * b[1] - b[0], 6 * b[2] - 6 * b[1] + b[0]
    t3 = l3 / l2
    a = mp.findroot(lambda a: 6 * mp.betainc(a, 2 * a, 0, mp.mpf(1) / 3, regularized=True) - 3 - abs(t3),
                    (mp.mpf("0.01"), mp.mpf(1000)), solver="anderson")
    sigma = l2 * mp.sqrt(mp.pi) * mp.sqrt(a) * mp.gamma(a) / mp.gamma(a + mp.mpf(1) / 2)
    gamma = 2 / mp.sqrt(a) * mp.sign(t3)
    return l1, sigma, gamma


def cdf(fit, pzero, x):
    mean, sigma, skew = fit
    a = 4 / skew ** 2
    beta = sigma * abs(skew) / 2
    xi = mean - 2 * sigma / skew
    if skew > 0:
        f = mp.gammainc(a, 0, max(0, (x - xi) / beta), regularized=True)
    else:
        f = 1 - mp.gammainc(a, 0, max(0, (xi - x) / beta), regularized=True)
    return pzero + (1 - pzero) * f


def month_fit(months, n, calendar_month):
    s = sums(months, n, calendar_month)
    zeros = sum(1 for v in s if v <= 0)
    pzero = mp.mpf(struct.unpack("f", struct.pack("f", zeros / len(s)))[0])
    return pearson3(s), pzero, s


def inverse(fit, pzero, p):
    if cdf(fit, pzero, 0) >= p:
        return mp.mpf(0)
    lo, hi = mp.mpf(0), mp.mpf(1)
    while cdf(fit, pzero, hi) < p:
        lo, hi = hi, 2 * hi
    for _ in range(200):
        mid = (lo + hi) / 2
        lo, hi = (lo, mid) if cdf(fit, pzero, mid) >= p else (mid, hi)
    return (lo + hi) / 2


def rows(series, name, periods):
    months = table(name)
    last = max(i for i, v in enumerate(months) if v is not None)
    for n in periods:
        for h in (1, 2, 3, 6):
            if h > n:
                continue
            c = (last + h) % 12
            nfit, nzero, _ = month_fit(months, n, c)
            hfit, hzero, hsums = month_fit(months, h, c)
            known = window(months, last, n - h) if h < n else 0.0
            for target in (-1, 0):
                r = max(mp.mpf(0), inverse(nfit, nzero, mp.ncdf(target)) - known)
                percent = 100 * r / (mp.fsum(hsums) / len(hsums))
                prob = 1 if r == 0 else 1 - cdf(hfit, hzero, r)
                print(series, n, h, target, mp.nstr(r, 8), mp.nstr(percent, 8), mp.nstr(prob, 8))


rows("observed", "NEED01-spiformat.csv", (3,))
rows("interpolated", "NEED01-spi-interpolated.csv", (3,))
