#!/usr/bin/env python3
"""Independent values for the SPEI and SPI-choice tests, computed with mpmath at
50 digits from the published formulas, not from the program's code:

  * log-logistic SPEI of a small water balance (negative D, one missing month,
    one calendar month whose 1-month sums are all equal): the log-logistic of
    Vicente-Serrano, Begueria and Lopez-Moreno (2010) fitted by unbiased
    probability-weighted moments, F(x) = 1 / (1 + (a / (x - g))^b); a sample
    with negative L-skewness is fitted as the mirror image of its negation.
    Writes data/small-water-balance.csv and data/small-spei.csv.
  * the gamma SPI of a small series with zeros: Thom's (1958) approximation
    and the mixed probability with the regularized incomplete gamma function.
  * exact unbiased L-moments of a sample, with rational arithmetic.

Run: python3 tests/spei/independent.py   (prints the values pinned in the tests)
"""
import os
import struct
from fractions import Fraction
from mpmath import mp, mpf, gamma, gammainc, erfinv, sqrt, log, nstr

mp.dps = 50
HERE = os.path.dirname(os.path.abspath(__file__))


def f32(x):
    return struct.unpack('f', struct.pack('f', float(x)))[0]


P_LOW, P_HIGH = mpf(f32(0.001)), mpf(f32(0.999))


def z_of(p):
    p = min(max(p, P_LOW), P_HIGH)
    return sqrt(2) * erfinv(2 * p - 1)


def unbiased_pwm_alpha(xs):
    """alpha_s = (1/n) sum C(n-j, s)/C(n-1, s) x(j), s = 0, 1, 2 (x ascending)."""
    n = len(xs)
    out = []
    for s in range(3):
        tot = mpf(0)
        for j, x in enumerate(sorted(xs), start=1):
            num = mpf(1)
            den = mpf(1)
            for i in range(s):
                num *= (n - j - i)
                den *= (n - 1 - i)
            tot += num / den * x
        out.append(tot / n)
    return out


def loglogistic_cdf(sample):
    """The fitted distribution function of the 2010 paper (positive skewness)."""
    w0, w1, w2 = unbiased_pwm_alpha(sample)
    b = (2 * w1 - w0) / (6 * w1 - w0 - 6 * w2)
    gg = gamma(1 + 1 / b) * gamma(1 - 1 / b)
    a = (w0 - 2 * w1) * b / gg
    g = w0 - a * gg

    def cdf(x):
        return mpf(0) if x <= g else 1 / (1 + (a / (x - g)) ** b)
    return cdf, (a, b, g)


def skewness_sign(sample):
    w0, w1, w2 = unbiased_pwm_alpha(sample)
    return -(6 * w1 - w0 - 6 * w2)  # lambda3 = w0 - 6 w1 + 6 w2


def fitted_cdf(sample):
    if skewness_sign(sample) > 0:
        return loglogistic_cdf(sample)[0]
    mirror, _ = loglogistic_cdf([-x for x in sample])
    return lambda x: 1 - mirror(-x)


# ---------------------------------------------------------------- SPEI
YEARS = range(2001, 2009)
PERIODS = [1, 2, 3, 6, 9, 12, 24]


def balance_rows():
    rows = []
    for y in YEARS:
        for m in range(1, 13):
            k = 12 * (y - 2001) + m
            pe = 20 + 60 * ((m - 1) % 12 in (4, 5, 6, 7)) + (k * 37 % 23)
            p = (k * 53 % 97) + (k * k % 7) * 3.25
            if m == 3:
                p = pe - 10  # every March: D = -10.00
            if (y, m) == (2004, 7):
                rows.append((y, m, None, None))
            else:
                rows.append((y, m, round(p, 2), round(pe, 2)))
    return rows


def write_balance(rows, path):
    with open(path, 'w', newline='') as f:
        f.write('YEAR,MONTH,P,PE,ET,R,RO,L,PHAT,D,Z\r\n')
        for y, m, p, pe in rows:
            vals = [-9999.0] * 9 if p is None else [p, pe, 1.0, 0.0, 0.0, 0.0, 2.0, 3.0, 0.5]
            f.write('%4d,%2d,' % (y, m) + ','.join('%8.2f' % v for v in vals) + '\r\n')


def spei_table(rows):
    d = [None if p is None else mpf(str(p)) - mpf(str(pe)) for _, _, p, pe in rows]
    table = [[None] * len(PERIODS) for _ in rows]
    messages = []
    for c, n in enumerate(PERIODS):
        sums = [None] * len(d)
        for i in range(n - 1, len(d)):
            w = d[i - n + 1:i + 1]
            sums[i] = None if None in w else sum(w)
        for m in range(12):
            idx = [i for i in range(m, len(d), 12) if sums[i] is not None]
            sample = [sums[i] for i in idx]
            if len(sample) < 3 or len(set(sample)) == 1:
                messages.append((n, m + 1, len(sample)))
                continue
            cdf = fitted_cdf(sample)
            for i in idx:
                table[i][c] = z_of(cdf(sums[i]))
    return table, messages


def write_spei(rows, table, path):
    with open(path, 'w', newline='') as f:
        f.write('YEAR,MONTH,SPEI1,SPEI2,SPEI3,SPEI6,SPEI9,SPEI12,SPEI24\r\n')
        for (y, m, _, _), vals in zip(rows, table):
            cells = []
            for v in vals:
                if v is None:
                    cells.append('%8.2f' % -99.0)
                    continue
                frac = abs(v * 100) % 1
                assert abs(frac - mpf('0.5')) > mpf('1e-4'), 'a rounding tie'
                cells.append('%8.2f' % float(v))
            f.write('%4d,%2d,' % (y, m) + ','.join(cells) + '\r\n')


rows = balance_rows()
write_balance(rows, os.path.join(HERE, 'data', 'small-water-balance.csv'))
table, messages = spei_table(rows)
write_spei(rows, table, os.path.join(HERE, 'data', 'small-spei.csv'))
print('SPEI months without a fit (period, month, n):', messages)

# The 1-month January sample of the small series, for the parameter test.
d1 = [mpf(str(p)) - mpf(str(pe)) for y, m, p, pe in rows if m == 1]
print('January D:', [nstr(x, 10) for x in d1], 'lambda3 sign', nstr(skewness_sign(d1), 5))
cdf = fitted_cdf(d1)
for x in (-30, -5, 0, 10, 40):
    print('  F(%g) = %s' % (x, nstr(cdf(mpf(x)), 20)))
_, (a, b, g) = loglogistic_cdf(d1) if skewness_sign(d1) > 0 else loglogistic_cdf([-x for x in d1])
print('  log-logistic a, b, g (of D or of -D):', nstr(a, 20), nstr(b, 20), nstr(g, 20))

# ---------------------------------------------------------------- gamma SPI
# Ten years of monthly totals in inches (4-byte values); zeros in several
# months; every November has only two positive totals (no fit).
def gamma_series():
    s = []
    for y in range(10):
        for m in range(12):
            k = 12 * y + m
            v = ((k * 29) % 17) * 0.37 + 0.05 * (k % 5)
            if (k * 7) % 11 == 3:
                v = 0.0
            if m == 10:
                v = 1.5 if y in (2, 6) else 0.0
            s.append(f32(v))
    return s


gs = gamma_series()
print('gamma series:', ', '.join(repr(x) + 'f' for x in gs))
for m in (0, 4, 10):
    sample = [mpf(gs[i]) for i in range(m, len(gs), 12)]
    pos = [x for x in sample if x > 0]
    q = mpf(f32(Fraction(len(sample) - len(pos), len(sample))))  # 4-byte quotient
    if len(pos) < 3:
        print('month %d: %d positive, no fit' % (m + 1, len(pos)))
        continue
    mean = sum(pos) / len(pos)
    A = log(mean) - sum(log(x) for x in pos) / len(pos)
    shape = (1 + sqrt(1 + 4 * A / 3)) / (4 * A)
    scale = mean / shape
    print('month %d: q %s shape %s scale %s' % (m + 1, nstr(q, 17), nstr(shape, 20), nstr(scale, 20)))
    spi = []
    for x in sample:
        F = gammainc(shape, 0, x / scale, regularized=True) if x > 0 else mpf(0)
        spi.append(nstr(z_of(q + (1 - q) * F), 12))
    print('  SPI:', ', '.join(spi))

# ---------------------------------------------------------------- unbiased L-moments
xs = sorted(Fraction(v) for v in ('3.25', '0.5', '0.75', '7', '2', '2', '11.125'))
n = len(xs)
b = []
for r in range(4):
    tot = Fraction(0)
    for j, x in enumerate(xs, start=1):
        num = den = Fraction(1)
        for i in range(1, r + 1):
            num *= j - i
            den *= n - i
        tot += num / den * x
    b.append(tot / n)
l1 = b[0]
l2 = 2 * b[1] - b[0]
l3 = 6 * b[2] - 6 * b[1] + b[0]
l4 = 20 * b[3] - 30 * b[2] + 12 * b[1] - b[0]
print('exact L-moments:', [nstr(mpf(v.numerator) / v.denominator, 20) for v in (l1, l2, l3 / l2, l4 / l2)])
