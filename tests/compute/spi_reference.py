#!/usr/bin/env python3
"""Independent reference for the 1- and 3-month SPI of a synthetic 40-year table.

Run: python3 tests/compute/spi_reference.py > /tmp/spi_reference.txt

Prints the monthly table (hundredths of an inch, list-directed, -9999 missing)
and the expected parameter and SPI records of the 1-month and 3-month periods.
Everything is computed in high precision with mpmath: exact sums, L-moments
from plotting positions j/n, the Pearson type III fit by the published
rational approximation of the shape, the distribution function through the
regularized incomplete gamma function, and the normal quantile through the
inverse error function. Values stored as 4-byte reals are rounded to 24-bit
precision where the program stores them; written values are rounded from their
exact stored value.
"""

import random
from fractions import Fraction

import mpmath as mp

mp.mp.prec = 200

STATION = 250123
FIRST_YEAR = 1961
YEARS = 40
MISSING = {(1974, 7), (1990, 2)}  # months marked -9999


def f32(x):
    """Nearest 4-byte real (24-bit significand) to the exact value x."""
    with mp.workprec(24):
        return +mp.mpf(x)


def table():
    rng = random.Random(20240611)
    # Mean monthly precipitation (inches) of a continental climate with a dry
    # late summer; August and September often have no rain at all.
    means = [1.1, 1.0, 1.6, 2.4, 3.3, 3.0, 1.9, 0.9, 0.8, 1.5, 1.3, 1.2]
    dry = [0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.05, 0.25, 0.3, 0.05, 0.0, 0.0]
    rows = []
    for y in range(YEARS):
        year = FIRST_YEAR + y
        vals = []
        for m in range(12):
            if (year, m + 1) in MISSING:
                vals.append(-9999)
            elif rng.random() < dry[m]:
                vals.append(0)
            else:
                vals.append(int(round(100 * rng.gammavariate(1.6, means[m] / 1.6))))
        rows.append((year, vals))
    return rows


def fixed(x, w, d):
    """The Fw.d text of the exact value x."""
    q = abs(round(Fraction(x) * 10**d))  # exact, ties to even
    s = f"{q // 10**d}.{q % 10**d:0{d}d}"
    if x < 0:
        s = "-" + s
    if len(s) == w + 1 and s.lstrip("-").startswith("0."):
        s = s.replace("0.", ".", 1)
    return s.rjust(w) if len(s) <= w else "*" * w


def fraction(x):
    """The exact value of an mpmath number."""
    sign, man, exp, _ = mp.mpf(x)._mpf_
    return (-1) ** sign * Fraction(int(man)) * Fraction(2) ** int(exp)


def lmoments(sample):
    x = sorted(sample)
    n = len(x)
    b0 = mp.fsum(x) / n
    b1 = mp.fsum(v * mp.mpf(i) / n for i, v in enumerate(x, 1)) / n
    b2 = mp.fsum(v * (mp.mpf(i) / n) ** 2 for i, v in enumerate(x, 1)) / n
    l1, l2, l3 = b0, 2 * b1 - b0, 6 * b2 - 6 * b1 + b0
    return l1, l2, l3 / l2


def pearson3(l1, l2, t3):
    c1, c2, c3 = mp.mpf("0.2906"), mp.mpf("0.1882"), mp.mpf("0.0442")
    d1, d2, d3 = mp.mpf("0.36067"), mp.mpf("-0.59567"), mp.mpf("0.25361")
    d4, d5, d6 = mp.mpf("-2.78861"), mp.mpf("2.56096"), mp.mpf("-0.77045")
    pi3, rootpi, third = mp.mpf("9.424778"), mp.mpf("1.7724539"), mp.mpf("0.33333333")
    a3 = abs(t3)
    if a3 <= mp.mpf("1e-6"):
        return l1, l2 * rootpi, mp.mpf(0)
    if a3 < third:
        t = pi3 * a3 * a3
        alpha = (1 + c1 * t) / (t * (1 + t * (c2 + t * c3)))
    else:
        t = 1 - a3
        alpha = t * (d1 + t * (d2 + t * d3)) / (1 + t * (d4 + t * (d5 + t * d6)))
    r = mp.sqrt(alpha)
    beta = rootpi * l2 * mp.exp(mp.loggamma(alpha) - mp.loggamma(alpha + mp.mpf(0.5)))
    gamma = 2 / r if t3 >= 0 else -2 / r
    return l1, beta * r, gamma


def cdf(x, mu, sigma, gamma):
    if abs(gamma) <= mp.mpf("1e-6"):
        return mp.ncdf((x - mu) / sigma)
    alpha = 4 / gamma**2
    z = 2 * (x - mu) / (sigma * gamma) + alpha
    f = mp.gammainc(alpha, 0, z, regularized=True) if z > 0 else mp.mpf(0)
    return 1 - f if gamma < 0 else f


def spi_period(series, nrun):
    n = len(series)
    sums = [None] * n
    for i in range(nrun - 1, n):
        window = series[i - nrun + 1 : i + 1]
        if all(v is not None for v in window):
            sums[i] = mp.fsum(window)
    params, spi = [None] * 12, [None] * n
    for c in range(12):
        vals = [sums[i] for i in range(n) if i % 12 == c and sums[i] is not None]
        pos = [v for v in vals if v > 0]
        zeros = len(vals) - len(pos)
        pzero = f32(mp.mpf(zeros) / len(vals))
        l1, l2, t3 = lmoments(pos)
        mu, sigma, gamma = pearson3(l1, l2, t3)
        params[c] = (l1, l2, t3, mu, sigma, gamma, len(vals), len(pos), pzero)
    lo, hi = f32(mp.mpf("0.001")), f32(mp.mpf("0.999"))
    for i in range(nrun - 1, n):
        if sums[i] is None:
            continue
        l1, l2, t3, mu, sigma, gamma, _, _, pzero = params[i % 12]
        p = pzero + (1 - pzero) * cdf(sums[i], mu, sigma, gamma)
        p = min(max(p, lo), hi)
        spi[i] = f32(mp.sqrt(2) * mp.erfinv(2 * p - 1))
    return params, spi


def main():
    rows = table()
    series = []
    for year, vals in rows:
        print(f"{STATION:6d},{year:4d}," + "".join(f"{v:7d}," for v in vals))
        series += [None if v == -9999 else f32(mp.mpf(v) / 100) for v in vals]
    for nrun in (1, 3):
        params, spi = spi_period(series, nrun)
        print(f"# parameters, {nrun} months")
        for c, (l1, l2, t3, mu, sigma, gamma, n, npos, pz) in enumerate(params):
            print(
                f"{STATION:06d}{nrun:3d}{c + 1:3d}"
                + "".join(fixed(fraction(v), 13, 8) for v in (l1, l2, t3, mu, sigma, gamma))
                + f"{n:5d}{npos:5d}"
                + fixed(fraction(pz), 5, 3)
            )
        print(f"# SPI, {nrun} months")
        first = next(i for i, v in enumerate(spi) if v is not None)
        for y in range(first // 12, YEARS):
            vals = [spi[12 * y + m] for m in range(12)]
            print(
                f"{STATION:06d}{FIRST_YEAR + y:5d}"
                + "".join(fixed(Fraction(-99) if v is None else fraction(v), 7, 2) for v in vals)
            )


if __name__ == "__main__":
    main()
