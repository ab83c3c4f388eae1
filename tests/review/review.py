#!/usr/bin/env python3
"""Independent review of the expected files of the end-to-end test.

  python3 tests/review/review.py tests/e2e/expected examples   (tests/review/update-expected runs it)

The expected files are what one program run wrote for the replies 100111,
727930, 725030, 100112, 727930 and exit in a directory holding the example
stations. This script does not run the program. It rebuilds every file from the
station inputs by the documented rules, in Python, and compares:

- the record ends of every file (CR LF);
- the content of every file: fill rows, monthly tables, gap days and the
  interpolated table exactly; the SPI run (accumulation, L-moments with plotting
  positions j/n, Pearson III fit, distribution function and normal quantile in
  high precision with mpmath) for all ten SPI runs, its parameter, value,
  probability and accumulation files, the results and combined tables;
  statistics, percent of normal, PRN and EDI, deciles, the Palmer daily series
  and index exactly, in single precision where the program stores single
  precision;
- the lifecycle of the fort files (which hold the last SPI run, which collect
  all ten) and the console transcript (prompts, numerical messages, data span).

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
from review_numbers import f32, fixed  # noqa: E402

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


checked = {}


def compare(name, expected):
    """Checks file `name` of the expected directory against the recomputed
    records `expected`."""
    path = os.path.join(EXP, name)
    if not os.path.exists(path):
        return  # reported by the check of the file set
    actual = records(path)
    checked[name] = len(actual)
    if len(actual) != len(expected):
        fail("%s: %d records, the review expects %d" % (name, len(actual), len(expected)))
    for i, (a, e) in enumerate(zip(actual, expected)):
        if a != e:
            fail("%s record %d differs from the review's record\n  file   %s\n  review %s" % (name, i + 1, a, e))
            return


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
        prob[i] = float(num.mp_f32(p))
        spi[i] = float(num.mp_f32(mp.sqrt(2) * mp.erfinv(2 * p - 1)))
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

    compare("console.txt", console)

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
        compare(station + "-fill-prcp.csv", fill_text)
        compare(station + "-spiformat.csv", table_text(obs))
        compare(station + "-msgdata.csv", ["%4d,%2d,%2d," % g for g in gaps])
        compare(station + "-spi-interpolated.csv", table_text(interp))

        # Results: the interpolated run's first form, and the combined table.
        vo, vi = results_values(runs[0], first, last), results_values(runs[1], first, last)
        months = [(y, m) for y in range(first[0], last[0] + 1) for m in range(1, 13)]
        res_int = ["%4d,%2d," % ym + "".join(vi[ym + (k,)] + "," for k in range(1, 8)) + " " for ym in months]
        compare(station + "-spi-results-int.csv", res_int)
        combined = [
            "%4d,%2d," % ym + "".join(v[ym + (k,)] + "," for v in (vo, vi) for k in range(1, 8)) for ym in months
        ]
        compare(station + "-spi-results.csv", combined)
        # The statistics are those of the combined table as written.
        written = records(os.path.join(EXP, station + "-spi-results.csv"))
        compare(station + "-spi-stats.csv", statistics(written))

        # Monthly indices of both tables; PRN holds the interpolated table's series.
        rows_o = [(y, vals) for _, y, vals in obs]
        rows_i = [(y, vals) for _, y, vals in interp]
        compare(station + "-pctnorm.csv", idxref.percent(rows_o))
        compare(station + "-pctnormint.csv", idxref.percent(rows_i))
        compare(station + "-PRN.csv", idxref.prn(rows_i))
        compare(station + "-EDI.csv", idxref.edi(idxref.prn(rows_o)))
        compare(station + "-EDIint.csv", idxref.edi(idxref.prn(rows_i)))
        compare(station + "-deciles.csv", deciles(obs))
        compare(station + "-decilesint.csv", deciles(interp))

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
        compare(station + "-pdsiformat.csv", ref_series)
        compare(station + "-pdsi.csv", ref_index)

    # fort files: numbers 11 to 14 and the value files hold the last SPI run;
    # parameters, probabilities and accumulations of periods 2 to 7 collect
    # all ten runs in order.
    kinds = {1: "params", 2: "spi", 3: "prob", 4: "acc"}
    for k in range(1, 8):
        for j, kind in kinds.items():
            last_only = k == 1 or j == 2
            runs = spi_runs[-1:] if last_only else spi_runs
            text = [r for run in runs for r in run[k][kind]]
            compare("fort.%d%d" % (k, j), text)
    print("reviewed %d files, %d records" % (len(checked), sum(checked.values())))
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
