#!/usr/bin/env python3
"""Independent review of the expected files of the end-to-end test.

  python3 tests/review/review.py tests/e2e/expected examples   (tests/review/update-expected runs it)

The expected files are what one program run wrote for the replies 100111,
727930, 725030, 100112, 727930 and exit in a directory holding the example
stations. This script does not run the program. It rebuilds every file from the
station inputs by the documented rules, in Python, and compares:

- the layout of every record of every file (CR LF ends, record length, every
  field against its layout code: digits, decimals, right alignment);
- the content of every file: fill rows, monthly tables, gap days and the
  interpolated table exactly; the SPI run (accumulation, L-moments with plotting
  positions j/n, Pearson III fit, distribution function and normal quantile in
  high precision with mpmath) for all ten SPI runs, its parameter, value,
  probability and accumulation files, the results and combined tables;
  statistics, percent of normal, PRN and EDI, deciles, the Palmer daily series
  and index exactly, in single precision where the program stores single
  precision;
- the lifecycle of the fort files (which hold the last SPI run, which collect
  all ten) and the console transcript (prompts, numerical messages, data span);
- cross-checks by properties that do not depend on the arithmetic details:
  observed totals against the monthly input file, gap months against the
  example notes, SPI against probability through the normal distribution,
  accumulations against monthly sums, fitted parameters against their sample
  L-moments (closed forms of the Pearson type III L-moments), the results
  tables against the value files, RMSD against RMSE, percents averaging 100,
  PRN = DEP / 3.1032107, EDI = PRN / SD(PRN), deciles ordered by totals, and
  the recursion X = 0.897 X + Z / 3.

Every record must match the recomputed text exactly, also where this review
computes in high precision and the program in double (the SPI engine): the
written values are rounded to 4-byte reals and then to 2 or 3 decimals (8 for
the parameters), so the two agree unless an exact value lies within about 1e-15
of a rounding boundary; should that ever happen, the failure shows both texts
and the case must be settled by hand. Exit status 0 when everything agrees, 1
otherwise.
"""

import math
import os
import re
import shutil
import sys
import tempfile
from fractions import Fraction

sys.dont_write_bytecode = True  # leave no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import mpmath as mp  # noqa: E402

import review_indices as idxref  # noqa: E402
import review_palmer as palref  # noqa: E402
import review_spi as spiref  # noqa: E402
import review_numbers as num  # noqa: E402
from review_numbers import f32  # noqa: E402

mp.mp.prec = 120

# The Palmer stage reads the daily series into 4-byte reals; the Palmer
# reference reads them as Python floats. Round every value it reads.
palref.float = f32

REPLIES = ["100111", "727930", "725030", "100112", "727930"]
PERIODS = [1, 2, 3, 6, 9, 12, 24]
MISSING_SPI = -99.0

failures = []


def fail(msg):
    failures.append(msg)


# ---------------------------------------------------------------------------
# Numbers and fields.


def fixed(v, w, d):
    """Fw.d of the exact value of the double v."""
    return num.fixed(float(v), w, d)


def mp_f32(x):
    """A high-precision value rounded once to a 4-byte real."""
    return float(num.mp_f32(x))


# Layout codes in the notation of the file layouts, e.g. "I4,',',12(F6.2,',')".
TOKEN = re.compile(r"\s*(?:(\d+)\(|(\))|'([^']*)'|I(\d+)(?:\.(\d+))?|F(\d+)\.(\d+)|A(\d+)|(\d+)X)\s*,?")


def parse_layout(text):
    stack = [[]]
    counts = []
    pos = 0
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m or m.end() == pos:
            raise ValueError("bad layout " + text)
        pos = m.end()
        rep, close, lit, iw, im, fw, fd, aw, nx = m.groups()
        if rep:
            counts.append(int(rep))
            stack.append([])
        elif close:
            group = stack.pop()
            stack[-1].extend(group * counts.pop())
        elif lit is not None:
            stack[-1].append(("lit", lit))
        elif iw:
            stack[-1].append(("I", int(iw), int(im) if im else 0))
        elif fw:
            stack[-1].append(("F", int(fw), int(fd)))
        elif aw:
            stack[-1].append(("A", int(aw)))
        else:
            stack[-1].append(("lit", " " * int(nx)))
    return stack[0]


def field_width(item):
    return len(item[1]) if item[0] == "lit" else item[1]


def split_fields(record, layout):
    """The fields of a record by layout columns, each checked against its code.
    Returns (fields, problem): fields a list of (item, text)."""
    width = sum(field_width(it) for it in layout)
    if len(record) != width:
        return None, "length %d, layout gives %d" % (len(record), width)
    fields, col = [], 0
    for it in layout:
        w = field_width(it)
        t = record[col : col + w]
        col += w
        if it[0] == "lit":
            if t != it[1]:
                return None, "column %d: %r where %r belongs" % (col - w + 1, t, it[1])
        elif it[0] == "I":
            m = re.fullmatch(r" *(-?)(\d+)", t)
            if not (t == "*" * w or (m and len(m.group(2)) >= max(it[2], 1))):
                return None, "column %d: %r is not I%d" % (col - w + 1, t, w)
        elif it[0] == "F":
            d = it[2]
            m = re.fullmatch(r"( *)-?(\d*)\.\d{%d}" % d, t)
            ok = m and (m.group(2) != "" or m.group(1) == "")  # "0" dropped only when full
            ok = ok or t == "*" * w or re.fullmatch(r" *(NaN|[+-]Inf)", t)
            if not ok:
                return None, "column %d: %r is not F%d.%d" % (col - w + 1, t, w, d)
        fields.append((it, t))
    return fields, None


def records(path):
    """The records of a file; every record must end with CR LF."""
    data = open(path, "rb").read()
    if data and not data.endswith(b"\r\n"):
        fail("%s: the last record does not end with CR LF" % os.path.basename(path))
    recs = data.split(b"\r\n")[:-1] if data else []
    out = []
    for i, r in enumerate(recs):
        if b"\r" in r or b"\n" in r:
            fail("%s record %d: a stray CR or LF" % (os.path.basename(path), i + 1))
        out.append(r.decode("ascii"))
    return out


# Record layouts of the files and their documented record lengths.
L_FILL = ("I6,',',A4,',',I4,',',I2,',',31(F8.2,',')", 299)
L_TABLE = ("I6,',',I4,',',12(I7,',')", 108)
L_MSGDATA = ("I4,',',I2,',',I2,','", 11)
L_RESULTS = ("I4,',',I2,',',7(F7.2,','),' '", 65)
L_COMBINED = ("I4,',',I2,',',14(F7.2,',')", 120)
L_STATS = ("11(F10.2,','),I4", 125)
L_PCTNORM = ("I4,',',12(F6.2,',')", 89)
L_PRN = ("I4,',',I2,',',4(F8.2,',')", 44)
L_EDI = ("I4,',',I2,',',5(F8.2,',')", 53)
L_DECILES = ("I6,',',I4,',',12(I3,',')", 60)
L_PDSIFORMAT = ("I4,',',I3,',',3(F7.1,','),F7.1", 40)
L_PDSI = ("I4,',',I2,',',F8.2,',',F8.2,','", 26)
L_PARAMS = ("I6.6,I3,I3,6(F13.8),I5,I5,F5.3", 105)
L_VALUES = ("I6.6,I5,12(F7.2)", 95)
L_PROBS = ("I6.6,I5,12(F8.3)", 107)
L_ACCUM = ("I6.6,I5,12(F9.2)", 119)

checked = {}


def compare(name, expected, layouts):
    """Checks file `name` of the expected directory: every record against its
    layout (layouts(i, text) gives the layout, or None for a header compared as
    text) and against the recomputed records `expected`."""
    path = os.path.join(EXP, name)
    if not os.path.exists(path):
        return  # reported by the check of the file set
    actual = records(path)
    checked[name] = len(actual)
    if len(actual) != len(expected):
        fail("%s: %d records, the review expects %d" % (name, len(actual), len(expected)))
    for i, (a, e) in enumerate(zip(actual, expected)):
        lay = layouts(i, a)
        if lay is not None:
            _, problem = split_fields(a, lay)
            if problem:
                fail("%s record %d: layout: %s\n  %s" % (name, i + 1, problem, a))
                return
        if a != e:
            fail("%s record %d differs from the review's record\n  file   %s\n  review %s" % (name, i + 1, a, e))
            return


def layout_of(desc):
    text, length = desc
    lay = parse_layout(text)
    if sum(field_width(it) for it in lay) != length:
        raise ValueError("layout %s is not %d characters long" % (text, length))
    return lay


def fixed_layout(desc):
    lay = layout_of(desc)
    return lambda i, rec: lay


def header_then(desc, header_count=1, trailing_empty=False):
    lay = layout_of(desc)

    def pick(i, rec):
        if i < header_count or (trailing_empty and rec == ""):
            return None
        return lay

    return pick


# ---------------------------------------------------------------------------
# Inputs.


def daily_file(station):
    """The data records of <id>.csv: (station, element, month, year, 31 values)."""
    lines = open(os.path.join(SRC, station + ".csv"), newline="").read().split("\n")[1:]
    out = []
    for line in lines[:10000]:
        v = line.rstrip("\r").replace(",", " ").split()
        if len(v) < 38:
            break
        out.append((int(v[0]), v[4], int(v[5]), int(v[6]), [f32(float(x)) for x in v[7:38]]))
    return out


def fill_rows(station):
    """Data span and the rows of <id>-fill-prcp.csv: (station, year, month, days)."""
    recs = daily_file(station)
    first = (recs[0][3], recs[0][2])
    last = (recs[-1][3], recs[-1][2])
    prcp = [r for r in recs if r[1] == "PRCP"]
    rows, ptr = [], 0
    for y in range(first[0], last[0] + 1):
        for m in range(first[1] if y == first[0] else 1, 13):
            if (y, m) == first:
                rows.append((prcp[0][0], y, m, prcp[0][4]))
                ptr = 1
            elif ptr < len(prcp) and (prcp[ptr][3], prcp[ptr][2]) == (y, m):
                rows.append((prcp[ptr][0], y, m, prcp[ptr][4]))
                ptr += 1
            else:
                rows.append((prcp[min(ptr, len(prcp) - 1)][0], y, m, [f32(-99.9)] * 31))
    return first, last, rows


def monthly_table(rows):
    """<id>-spiformat.csv and <id>-msgdata.csv from the fill rows."""
    station, (y1, m1), (yl, ml) = rows[0][0], rows[0][1:3], rows[-1][1:3]
    gap = f32(-99.9)
    table, gaps, it = [], [], iter(rows)
    for y in range(y1, yl + 1):
        vals = []
        for m in range(1, 13):
            if (y == y1 and m < m1) or (y == yl and m > ml):
                vals.append(-9999)
                continue
            days = next(it)[3]
            total, count = 0, 0
            for d, v in enumerate(days, 1):
                if v >= 0:
                    total = math.trunc(Fraction(total) + Fraction(v))
                elif v == gap:
                    gaps.append((y, m, d))
                    count += 1
                if count == 31:
                    total = -9999
            vals.append(total)
        table.append((station, y, vals))
    return table, gaps


def interpolated_table(station, first, last):
    span = []
    st = 0
    for line in open(os.path.join(SRC, station + "_PRCP.csv")).read().split("\n")[:5000]:
        v = line.replace(",", " ").split()
        if len(v) < 7:
            break
        st, m, y, p = int(v[0]), int(v[4]), int(v[5]), f32(float(v[6]))
        if first <= (y, m) <= last:
            span.append(f32(p * 100.0))
    table, it = [], iter(span)
    for y in range(first[0], last[0] + 1):
        vals = []
        for m in range(1, 13):
            if (y, m) < first or (y, m) > last:
                vals.append(-9999)
            else:
                vals.append(math.trunc(Fraction(next(it)) + Fraction(f32(0.1))))
        table.append((st, y, vals))
    return table


def table_text(table):
    return ["%6d,%4d," % (s, y) + "".join("%7d," % v for v in vals) for s, y, vals in table]


# ---------------------------------------------------------------------------
# SPI engine, in high precision.


def spi_period(series, L, nslots=1440):
    """One period: parameters per calendar month, per-slot SPI, probability and
    accumulation (None where missing), and the console messages in order."""
    acc = [None] * (nslots + 1)
    for i in range(L, nslots + 1):
        s = 0.0
        for j in range(i, i - L, -1):
            if series[j] is None:
                s = None
                break
            s = s + series[j]  # 8-byte sum of widened 4-byte values
        acc[i] = s
    msgs = []
    params = {}
    step = 12 if L <= 12 else 12 * ((L - 1) // 12 + 1)
    for m0 in range(12):
        c = (L + m0 - 1) % 12 + 1
        n, zeros, pos = 0, 0, []
        s = L + m0
        while s <= nslots:
            if acc[s] is None:
                s += 12
                continue
            n += 1
            if acc[s] > 0:
                pos.append(acc[s])
            else:
                zeros += 1
            s += 12 if L <= 12 else step
        pz = f32(zeros / n) if n else math.nan
        if len(pos) < 3:
            msgs.append(" *** ERROR *** ROUTINE SAMLMR : PARAMETER NMOM INVALID")
            params[c] = (0, 0, 0, 0, 0, 0, n, len(pos), pz, False)
        else:
            l1, l2, t3 = spiref.lmoments([mp.mpf(v) for v in pos])
            mu, sigma, gamma = spiref.pearson3(l1, l2, t3)
            params[c] = (l1, l2, t3, mu, sigma, gamma, n, len(pos), pz, True)
    lo, hi = float(f32(0.001)), float(f32(0.999))
    spi, prob = [None] * (nslots + 1), [None] * (nslots + 1)
    for i in range(L, nslots + 1):
        if acc[i] is None:
            continue
        p_ = params[(i - 1) % 12 + 1]
        if not p_[9]:
            msgs.append(" *** ERROR *** ROUTINE CDFPE3 : PARAMETERS INVALID")
            continue
        F = spiref.cdf(mp.mpf(acc[i]), p_[3], p_[4], p_[5])
        p = mp.mpf(p_[8]) + (1 - mp.mpf(p_[8])) * F
        p = mp.mpf(hi) if p > 0.999 else mp.mpf(lo) if p < 0.001 else p
        prob[i] = mp_f32(p)
        spi[i] = mp_f32(mp.sqrt(2) * mp.erfinv(2 * p - 1))
    accf = [None if a is None else f32(a) for a in acc]
    return params, spi, prob, accf, msgs


def spi_run(table, first_year):
    """All seven periods of one SPI run over a monthly table."""
    series = [None] * 1441
    station = table[0][0]
    for st, y, vals in table:
        for m, v in enumerate(vals, 1):
            j = y - first_year
            if v != -9999 and 0 <= j < 120:
                series[12 * j + m] = f32(v / 100)
    run = {"messages": [], "station": station, "first_year": first_year}
    for k, L in enumerate(PERIODS, 1):
        params, spi, prob, acc, msgs = spi_period(series, L)
        run["messages"] += msgs
        prm = []
        for c in range(1, 13):
            l1, l2, t3, mu, sg, gm, n, npos, pz, _ = params[c]
            prm.append(
                "%06d%3d%3d" % (station, L, c)
                + "".join(fixed(float(v), 13, 8) for v in (l1, l2, t3, mu, sg, gm))
                + "%5d%5d" % (n, npos)
                + fixed(pz, 5, 3)
            )
        have = [i for i in range(1, 1441) if spi[i] is not None]
        rows = {"spi": [], "prob": [], "acc": []}
        if have:
            for y0 in range((have[0] - 1) // 12, (have[-1] - 1) // 12 + 1):
                slots = range(12 * y0 + 1, 12 * y0 + 13)
                inside = [have[0] <= i <= have[-1] for i in slots]

                def row(vals, w, d):
                    return "%06d%5d" % (station, first_year + y0) + "".join(
                        fixed(MISSING_SPI if (v is None or not ins) else v, w, d) for v, ins in zip(vals, inside)
                    )

                rows["spi"].append(row([spi[i] for i in slots], 7, 2))
                rows["prob"].append(row([prob[i] for i in slots], 8, 3))
                rows["acc"].append(row([acc[i] for i in slots], 9, 2))
        run[k] = {"params": prm, **rows}
    return run


def results_values(run, first, last):
    """SPI text per (year, month) and period, as the results reader collects
    the value files: leading years and years a file does not supply are -99.00."""
    out = {}
    for k in range(1, 8):
        rows = run[k]["spi"]
        by_year = {}
        if rows:
            y1 = int(rows[0][6:11])
            for j, r in enumerate(rows):
                by_year[y1 + j] = [r[11 + 7 * m : 18 + 7 * m] for m in range(12)]
        for y in range(first[0], last[0] + 1):
            for m in range(1, 13):
                out[(y, m, k)] = by_year[y][m - 1] if y in by_year else fixed(MISSING_SPI, 7, 2)
    return out


# ---------------------------------------------------------------------------
# Statistics of the combined table, in single precision.


def statistics(combined):
    miss = f32(-99.0)
    lists = [[] for _ in range(7)]
    for rec in combined:
        v = [f32(float(x)) for x in rec.split(",")[2:16]]
        for k in range(7):
            if v[k] != miss and v[k + 7] != miss:
                lists[k].append((v[k], v[k + 7]))
    out = ["rmean,imean,r2,RMSE,MAE,DMSE,DMAE,E,RMSD,MBE,MAXdi,>0.5"]
    div = idxref.div
    for pairs in lists:
        n = len(pairs)
        so = si = 0.0
        for o, i in pairs:
            so, si = f32(so + o), f32(si + i)
        om, im = f32(div(so, n)), f32(div(si, n))
        sxx = syy = sxy = d2 = dabs = a = dif = 0.0
        mx, big = -3.4028234663852886e38, 0
        for o, i in pairs:
            syy = f32(syy + (i - im) ** 2)
            sxx = f32(sxx + (o - om) ** 2)
            sxy = f32(sxy + (i - im) * (o - om))
            d2 = f32(d2 + (o - i) ** 2)
            dabs = f32(dabs + abs(o - i))
            a = f32(a + (abs(i - om) + abs(o - om)) ** 2)
            dif = f32(dif + (i - o))
            mx = max(mx, abs(o - i))
            big += abs(o - i) > 0.5
        root = f32(math.sqrt(syy * sxx))
        r = f32(div(sxy, root))
        mae = f32(div(dabs, n - 2))
        vals = [
            om,
            im,
            f32(r * r),
            f32(math.sqrt(div(d2, n - 2))),
            mae,
            f32(1 - div(d2, a)),
            f32(1 - div(mae * n, a)),
            f32(1 - div(d2, sxx)),
            f32(math.sqrt(div(d2, n))),
            f32(div(dif, n)),
            f32(mx),
        ]
        out.append("".join(fixed(v, 10, 2) + "," for v in vals) + "%4d" % big)
    return out


# ---------------------------------------------------------------------------
# Deciles.


def deciles(table):
    pool = sorted(f32(v) for _, _, vals in table[:150] for v in vals if v != -9999)
    c, s = len(pool), len(pool) // 10
    W = [None] + pool
    L, U = [None] * 11, [None] * 11
    j = 1
    for k in range(1, 11):
        L[k] = W[j]
        if k > 1 and L[k] == U[k - 1]:
            L[k] += 1.0
        j = j + s - 1
        U[k] = W[j]
        j += 1
    U[10] = W[c]
    station = table[min(len(table), 150) - 1][0]
    out = []
    for _, y, vals in table[:150]:
        codes = []
        for v in vals:
            code = -99
            if v != -9999:
                for k in range(1, 11):
                    if L[k] <= v <= U[k]:
                        code = k
            codes.append(code)
        out.append("%6d,%4d," % (station, y) + "".join("%3d," % x for x in codes))
    return out


# ---------------------------------------------------------------------------
# Cross-checks between files and against the inputs, by properties that hold
# whatever the arithmetic details: they tie the written files to each other and
# to the monthly input file, independently of the recomputation above.

# Months without a daily precipitation record, as examples/README.md lists them.
GAP_MONTHS = {
    "727930": [(2013, 6), (2014, 11)],
    "725030": [(2013, 4), (2015, 9)],
    "100111": [],
    "100112": [(2011, 4), (2012, 8), (2013, 9)],
}


cross_checked = [0]


def check(cond, msg):
    cross_checked[0] += 1
    if not cond:
        fail("cross-check: " + msg)


def numbers(name, sep=","):
    out = []
    for r in records(os.path.join(EXP, name)):
        out.append([x for x in (r.split(sep) if sep else r.split()) if x.strip()])
    return out


def cross_checks(station, first, last):
    obs = {int(r[1]): [int(x) for x in r[2:14]] for r in numbers(station + "-spiformat.csv")}
    itp = {int(r[1]): [int(x) for x in r[2:14]] for r in numbers(station + "-spi-interpolated.csv")}
    daily = {(y, m): days for _, e, m, y, days in daily_file(station) if e == "PRCP"}

    # Gap months are -9999 in the observed table, 31 msgdata records each; every
    # month whose daily record has all its days equals the monthly input file
    # (each of its totals is the sum of the daily values), so the observed and
    # the interpolated table agree there.
    gaps = GAP_MONTHS[station]
    msg = records(os.path.join(EXP, station + "-msgdata.csv")) if gaps else []
    check(len(msg) == 31 * len(gaps), "%s: %d gap days for %d gap months" % (station, len(msg), len(gaps)))
    for y in range(first[0], last[0] + 1):
        for m in range(1, 13):
            o, i = obs[y][m - 1], itp[y][m - 1]
            if (y, m) in gaps:
                check(o == -9999 and i > 0, "%s %d/%d: a gap month is %d, interpolated %d" % (station, m, y, o, i))
            elif -999 not in daily[(y, m)]:
                check(o == i, "%s %d/%d: observed %d, monthly file %d" % (station, m, y, o, i))

    # The last SPI run of the program is 727930 on its interpolated table: the
    # value files and fort.11 to fort.14 hold it, and it ends the collecting
    # files. Per period: probability and SPI agree through the normal
    # distribution, SPI lies within the clip bounds, the accumulation of L months
    # is the sum of the monthly values of fort.14, and the interpolated results
    # table carries the value file's columns.
    if station == REPLIES[-1]:
        monthly = {int(r[1]): [float(x) for x in r[2:]] for r in numbers("fort.14", None)}
        results = numbers(station + "-spi-results-int.csv")
        for k, L in enumerate(PERIODS, 1):
            spi = numbers("fort.%d2" % k, None)
            prob = numbers("fort.%d3" % k, None)[-len(spi) :] if spi else []
            acc = numbers("fort.%d4" % k, None)[-len(spi) :] if spi else []
            for rs, rp, ra in zip(spi, prob, acc):
                y = int(rs[1])
                for m in range(12):
                    s, p, a = float(rs[2 + m]), float(rp[2 + m]), float(ra[2 + m])
                    if s != -99.0:
                        check(-3.09 <= s <= 3.09, "fort.%d2 %d/%d: SPI %s beyond the clip bounds" % (k, m + 1, y, s))
                        gap = abs(float(mp.ncdf(s)) - p)
                        check(gap <= 0.0005 + 0.005 * float(mp.npdf(s)) + 1e-9,
                              "fort.%d2/%d3 %d/%d: SPI %s and probability %s disagree" % (k, k, m + 1, y, s, p))
                    if a != -99.0:
                        slot = 12 * y + m
                        total = sum(monthly[(slot - j) // 12][(slot - j) % 12] for j in range(L))
                        check(abs(total - a) <= 0.005 * (L + 1),
                              "fort.%d4 %d/%d: %s is not the sum %s of %d months" % (k, m + 1, y, a, total, L))
            by_year = {int(r[1]): r[2:] for r in spi}
            for r in results:
                y, m = int(r[0]), int(r[1])
                want = by_year[y][m - 1] if y in by_year else "-99.00"
                check(r[1 + k].strip() == want, "results-int %d/%d period %d: %s, fort.%d2 %s" % (m, y, k, r[1 + k], k, want))

    # The combined table carries the interpolated results table's columns.
    combined = numbers(station + "-spi-results.csv")
    for rc, ri in zip(combined, numbers(station + "-spi-results-int.csv")):
        check(rc[9:16] == ri[2:9] and rc[:2] == ri[:2], "%s combined %s/%s: columns 8 to 14" % (station, rc[1], rc[0]))

    # RMSD and RMSE differ by the factor sqrt((n - 2) / n), n the pairs of a period.
    stats = numbers(station + "-spi-stats.csv")[1:]
    for k in range(7):
        n = sum(1 for r in combined if float(r[2 + k]) != -99.0 and float(r[9 + k]) != -99.0)
        rmse, rmsd = float(stats[k][3]), float(stats[k][8])
        check(n <= 2 or abs(rmsd - rmse * math.sqrt((n - 2) / n)) <= 0.0101,
              "%s stats period %d: RMSD %s, RMSE %s, n %d" % (station, k + 1, rmsd, rmse, n))

    # Percent of normal: the normal is the mean, so every calendar month's
    # percents average 100.
    for suffix in ("pctnorm", "pctnormint"):
        rows = numbers("%s-%s.csv" % (station, suffix))
        for m in range(12):
            vals = [float(r[1 + m]) for r in rows if r and float(r[1 + m]) != -99.0]
            check(abs(sum(vals) / len(vals) - 100) <= 0.0051, "%s %s month %d: mean %s" % (station, suffix, m + 1, sum(vals) / len(vals)))

    # PRN is DEP over the weight sum 3.1032107; EDI is PRN over the standard
    # deviation of PRN, so EDI has standard deviation 1.
    for r in numbers(station + "-PRN.csv")[1:]:
        check(abs(float(r[5]) - float(r[3]) / 3.1032107) <= 0.0067, "%s PRN %s/%s: %s" % (station, r[1], r[0], r))
    for suffix in ("EDI", "EDIint"):
        rows = [r for r in numbers("%s-%s.csv" % (station, suffix))[1:] if r]
        prn = [float(r[5]) for r in rows]
        mean = sum(prn) / len(prn)
        sd = math.sqrt(sum((p - mean) ** 2 for p in prn) / (len(prn) - 1))
        for r in rows:
            check(abs(float(r[6]) - float(r[5]) / sd) <= 0.0051 + 0.005 / sd, "%s %s %s/%s: %s" % (station, suffix, r[1], r[0], r))

    # Deciles order the totals: a larger total never has a lower code; the
    # smallest total is in class 1 and the largest in class 10.
    for suffix, table in (("deciles", obs), ("decilesint", itp)):
        codes = {int(r[1]): [int(x) for x in r[2:14]] for r in numbers("%s-%s.csv" % (station, suffix))}
        pairs = sorted((table[y][m], codes[y][m]) for y in table for m in range(12) if table[y][m] != -9999)
        check(all(a[1] <= b[1] for a, b in zip(pairs, pairs[1:])), "%s %s: codes not ordered by totals" % (station, suffix))
        check(pairs[0][1] == 1 and pairs[-1][1] == 10, "%s %s: extreme codes %s" % (station, suffix, (pairs[0], pairs[-1])))
        check(all(codes[y][m] == -99 for y in table for m in range(12) if table[y][m] == -9999),
              "%s %s: a missing month without -99" % (station, suffix))

    # Palmer: X follows X = 0.897 X(before) + Z / 3 up to the rounding of the
    # written values, from X = Z / 3 in the first month; a month without
    # precipitation has Z and X -99.00 and X goes on from the X before it.
    xz = [(float(r[2]), float(r[3])) for r in numbers(station + "-pdsi.csv")[1:]]
    prev = 0.0
    for i, (z, x) in enumerate(xz):
        if z == x == -99.0:
            continue
        check(abs(x - (0.897 * prev + z / 3)) <= 0.0122, "%s pdsi month %d: Z %s X %s after %s" % (station, i + 1, z, x, prev))
        prev = x


def pearson_checks():
    """Every fitted parameter record reproduces its sample L-moments: a Pearson
    type III distribution of skewness g has shape a = 4 / g^2 and
    lambda2 = sigma / sqrt(a) * G(a + 1/2) / (sqrt(pi) G(a)), and
    |tau3| = 6 I(1/3; a, 2a) - 3 with I the regularized incomplete beta
    function; the mean is lambda1. The rational approximation of the shape is
    good to about 1e-5 in tau3."""
    for k in range(1, 8):
        for r in records(os.path.join(EXP, "fort.%d1" % k)):
            l1, l2, t3, mu, sg, gm = (float(r[12 + 13 * i : 25 + 13 * i]) for i in range(6))
            check(r[12:25] == r[51:64], "fort.%d1: mean is not lambda1: %s" % (k, r))
            if sg <= 0:
                check((l1, l2, t3, mu, sg, gm) == (0,) * 6, "fort.%d1: a failed fit not all zero: %s" % (k, r))
                continue
            if abs(gm) <= 1e-6:
                l2t, t3t = sg / mp.sqrt(mp.pi), 0
            else:
                a = 4 / mp.mpf(gm) ** 2
                l2t = sg / mp.sqrt(a) * mp.exp(mp.loggamma(a + 0.5) - mp.loggamma(a)) / mp.sqrt(mp.pi)
                t3t = (6 * mp.betainc(a, 2 * a, 0, mp.mpf(1) / 3, regularized=True) - 3) * mp.sign(gm)
            check(abs(l2t - l2) <= 1e-6 * l2 + 1e-8 and abs(t3t - t3) <= 2e-5,
                  "fort.%d1: parameters do not give the L-moments (%s, %s): %s" % (k, l2t, t3t, r))


def main():
    global EXP, SRC
    EXP, SRC = sys.argv[1], sys.argv[2]
    spi_runs = []
    console = []
    final = {}
    for station in REPLIES:
        first, last, fill = fill_rows(station)
        obs, gaps = monthly_table(fill)
        interp = interpolated_table(station, first, last)
        runs = [spi_run(obs, first[0]), spi_run(interp, first[0])]
        spi_runs += runs
        console.append(" Enter 6-digit station ID or exit: ")
        console += runs[0]["messages"] + runs[1]["messages"]
        console += [" Data begins in %d / %d" % (first[1], first[0]), " Data ends in   %d / %d" % (last[1], last[0]), ""]
        final[station] = (first, last, fill, obs, gaps, interp, runs)
    console.append(" Enter 6-digit station ID or exit: ")

    compare("console.txt", console, lambda i, r: None)

    # The set of files: the station files of every station run, and every fort
    # file of the seven periods.
    expected_names = {"console.txt"} | {"fort.%d%d" % (k, j) for k in range(1, 8) for j in range(1, 5)}
    for station, (first, last, fill, obs, gaps, interp, runs) in final.items():
        for suffix in ("fill-prcp", "spiformat", "spi-interpolated", "spi-results", "spi-results-int", "spi-stats",
                       "pctnorm", "pctnormint", "PRN", "EDI", "EDIint", "deciles", "decilesint", "pdsiformat", "pdsi"):
            expected_names.add("%s-%s.csv" % (station, suffix))
        expected_names.add(station + "-msgdata.csv")  # empty without gap days
    present = set(os.listdir(EXP))
    for name in sorted(present - expected_names):
        fail("%s: a file the run should not write" % name)
    for name in sorted(expected_names - present):
        fail("%s: missing" % name)

    for station, (first, last, fill, obs, gaps, interp, runs) in final.items():
        fill_text = [
            "%6d,PRCP,%4d,%2d," % (st, y, m) + "".join(fixed(v, 8, 2) + "," for v in days) for st, y, m, days in fill
        ]
        compare(station + "-fill-prcp.csv", fill_text, fixed_layout(L_FILL))
        table_layout = fixed_layout(L_TABLE)
        compare(station + "-spiformat.csv", table_text(obs), table_layout)
        compare(station + "-msgdata.csv", ["%4d,%2d,%2d," % g for g in gaps], fixed_layout(L_MSGDATA))
        compare(station + "-spi-interpolated.csv", table_text(interp), table_layout)

        # Results: the interpolated run's first form, and the combined table.
        vo, vi = results_values(runs[0], first, last), results_values(runs[1], first, last)
        months = [(y, m) for y in range(first[0], last[0] + 1) for m in range(1, 13)]
        res_int = ["%4d,%2d," % ym + "".join(vi[ym + (k,)] + "," for k in range(1, 8)) + " " for ym in months]
        compare(station + "-spi-results-int.csv", res_int, fixed_layout(L_RESULTS))
        combined = [
            "%4d,%2d," % ym + "".join(v[ym + (k,)] + "," for v in (vo, vi) for k in range(1, 8)) for ym in months
        ]
        compare(station + "-spi-results.csv", combined, fixed_layout(L_COMBINED))
        # The statistics are those of the combined table as written.
        written = records(os.path.join(EXP, station + "-spi-results.csv"))
        compare(station + "-spi-stats.csv", statistics(written), header_then(L_STATS))

        # Monthly indices of both tables; PRN holds the interpolated table's series.
        rows_o = [(y, vals) for _, y, vals in obs]
        rows_i = [(y, vals) for _, y, vals in interp]
        pct = header_then(L_PCTNORM, 0, trailing_empty=True)
        compare(station + "-pctnorm.csv", idxref.percent(rows_o), pct)
        compare(station + "-pctnormint.csv", idxref.percent(rows_i), pct)
        compare(station + "-PRN.csv", idxref.prn(rows_i), header_then(L_PRN))
        edi = header_then(L_EDI, 1, trailing_empty=True)
        compare(station + "-EDI.csv", idxref.edi(idxref.prn(rows_o)), edi)
        compare(station + "-EDIint.csv", idxref.edi(idxref.prn(rows_i)), edi)
        dec = fixed_layout(L_DECILES)
        compare(station + "-deciles.csv", deciles(obs), dec)
        compare(station + "-decilesint.csv", deciles(interp), dec)

        # Palmer: the daily series from the daily file, the index from the series.
        with tempfile.TemporaryDirectory() as tmp:
            shutil.copy(os.path.join(SRC, station + ".csv"), tmp)
            shutil.copy(os.path.join(EXP, station + "-pdsiformat.csv"), tmp)
            here = os.getcwd()
            os.chdir(tmp)
            ref_series, ref_index = [], []
            try:
                palref.series(station)
                ref_series = records(station + "-pdsiformat.ref")
                palref.index(station)
                ref_index = records(station + "-pdsi.ref")
            except (ValueError, IndexError, OSError) as e:
                fail("%s: the Palmer review cannot read the daily series: %s" % (station, e))
            finally:
                os.chdir(here)
        compare(station + "-pdsiformat.csv", ref_series, fixed_layout(L_PDSIFORMAT))
        compare(station + "-pdsi.csv", ref_index, header_then(L_PDSI))

    # fort files: numbers 11 to 14 and the value files hold the last SPI run;
    # parameters, probabilities and accumulations of periods 2 to 7 collect
    # all ten runs in order.
    kinds = {1: ("params", L_PARAMS), 2: ("spi", L_VALUES),
             3: ("prob", L_PROBS), 4: ("acc", L_ACCUM)}
    for k in range(1, 8):
        for j, (kind, lay) in kinds.items():
            last_only = k == 1 or j == 2
            runs = spi_runs[-1:] if last_only else spi_runs
            text = [r for run in runs for r in run[k][kind]]
            compare("fort.%d%d" % (k, j), text, fixed_layout(lay))
    for station, (first, last, *_) in final.items():
        cross_checks(station, first, last)
    pearson_checks()
    # A worked example of the unit conversion: 100112 on 1 January 2010 has
    # TMIN 5 F, TMAX 17 F and no rain: (5 - 32) * 5/9 = -15.0 C, (17 - 32) * 5/9
    # = -8.33 C; on 19 January 49 hundredths of an inch are 12.446 mm.
    series = records(os.path.join(EXP, "100112-pdsiformat.csv"))
    check(series[0] == "2010,  1,  -15.0,   -8.3,    0.0,    0.0", "100112 pdsiformat day 1: " + series[0])
    check(series[18].endswith(",   12.4"), "100112 pdsiformat day 19: " + series[18])
    if checked.get("fort.21") != 120:
        fail("fort.21 should hold 10 runs x 12 parameter records, has %s" % checked.get("fort.21"))

    print("reviewed %d files, %d records; %d cross-checks" % (len(checked), sum(checked.values()), cross_checked[0]))
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
