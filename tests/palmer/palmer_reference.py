"""An independent computation of the complete Palmer indices (PDSI, PHDI,
PMDI, X1, X2, X3, Pe) from a series of Z, written from the written procedure
(Palmer 1965, with the rules settled against a published operational series)
rather than from the C++ stage. Used to work out the values pinned in
palmer_test.cpp:

    python3 tests/palmer/palmer_reference.py           # the hand-made series
    python3 tests/palmer/palmer_reference.py 1.2 -3 x  # any series; x = missing

Each output line: month, Z, PDSI, PHDI, PMDI, X1, X2, X3, Pe (repr of the
floats, None for a missing month)."""
import math
import sys


def palmer(zs):
    n = len(zs)
    res = [None] * n  # per month: dict of the outputs
    carry = {"x1": 0.0, "x2": 0.0, "x3": 0.0}
    v = 0.0
    pending = []  # months whose PDSI is not decided yet, oldest first
    phdi_later = set()  # months that ended with no spell

    def resolve(first):
        # Latest to earliest; an exact 0 in the index in use switches index.
        use = first
        for j in reversed(pending):
            if res[j][use] == 0.0:
                use = "x2" if use == "x1" else "x1"
            res[j]["pdsi"] = res[j][use]
            if j in phdi_later:
                res[j]["phdi"] = res[j]["pdsi"]
                phdi_later.discard(j)
        pending.clear()

    for i, z in enumerate(zs):
        if z is None or not math.isfinite(z) or z == -99.0:
            continue  # missing month: nothing changes
        r = {"z": z, "pe": 0.0, "x3": 0.0, "pdsi": None, "phdi": None, "pmdi": None}
        res[i] = r
        r["x1"] = max(0.0, 0.897 * carry["x1"] + z / 3)
        r["x2"] = min(0.0, 0.897 * carry["x2"] + z / 3)
        spell_over = carry["x3"] == 0.0
        if not spell_over:
            old = carry["x3"]
            dry = old < 0
            x3 = 0.897 * old + z / 3
            if dry:
                u, ze = z + 0.15, -2.691 * old - 1.5
            else:
                u, ze = z - 0.15, -2.691 * old + 1.5
            vn, q = v + u, ze + v
            if (dry and vn <= 0) or (not dry and vn >= 0):
                pe = 0.0
            elif (dry and q <= 0) or (not dry and q >= 0):
                pe = 100.0
            else:
                pe = min(100.0, 100 * vn / q)
            r["pe"] = pe
            if pe == 0.0:
                v = 0.0
                pending.clear()  # provisional X3 stays final
                r["pdsi"] = r["phdi"] = r["pmdi"] = x3
                r["x3"] = x3
                carry = {"x1": 0.0, "x2": 0.0, "x3": x3}
            elif pe < 100.0:
                v = vn
                pending.append(i)
                r["pdsi"] = r["phdi"] = x3
                opp = r["x1"] if dry else r["x2"]
                r["pmdi"] = pe / 100 * opp + (1 - pe / 100) * x3
                r["x3"] = x3
                carry = {"x1": r["x1"], "x2": r["x2"], "x3": x3}
            else:
                v = 0.0
                carry["x3"] = 0.0
                spell_over = True
        if spell_over:
            pending.append(i)
            r["pmdi"] = r["x1"] if abs(r["x1"]) > abs(r["x2"]) else r["x2"]
            carry["x1"], carry["x2"] = r["x1"], r["x2"]
            if r["x1"] >= 1:
                resolve("x1")
                carry = {"x1": 0.0, "x2": 0.0, "x3": r["x1"]}
                r["phdi"] = r["x3"] = r["x1"]
            elif r["x2"] <= -1:
                resolve("x2")
                carry["x3"], carry["x2"] = r["x2"], 0.0
                r["phdi"] = r["x3"] = r["x2"]
            else:
                phdi_later.add(i)
    resolve("x1")
    return res


CASES = {
    # Wet spell from month 1 (X1 exactly 1); an attempt over months 4-6 that
    # fails in month 7: its months keep X3, and X1, X2 start afresh.
    "failed attempt": [3.5, 1.0, 2.0, -2.0, -1.0, 3.0, 1.0, -0.5],
    # Drought from month 1 (X2 exactly -1); an attempt from month 4 that ends
    # the drought in month 6 with a wet spell at once. Backtracking from X1
    # switches to X2 at month 5 (X1 = 0) and back to X1 at month 4 (X2 = 0).
    "successful attempt": [-3.0, -2.0, -1.0, 2.0, -1.9, 4.0, 1.0],
    # A wet spell ends in month 3 without a new one; months 3-6 wait and are
    # settled from X2 by the drought of month 7.
    "ending settled later": [3.0, 1.0, -2.5, 0.5, 0.5, -1.0, -2.0, -2.5],
    # The wet spell ends in month 7 and a drought begins at once while X1 is
    # positive: X1 goes on into the drought (month 8), X2 starts afresh.
    "drought asymmetry": [3.0, 3.0, 3.0, -2.5, -2.5, 1.0, -0.75, 0.5],
    # An attempt still open at the end, a missing month in it: resolved from X1.
    "open attempt": [-3.2, -1.0, 1.0, None, 0.3],
    # A drought that ends in the last month without a new spell.
    "ends in the last month": [-3.2, -1.0, 1.0, None, 0.8],
    # No spell at the end: the undecided months are resolved from X1.
    "undecided at the end": [0.5, -0.3],
    # Pe exactly 100 (the ratio rounds to 100.0) ends the spell.
    "exact end": [3.0, -1.041],
}


def show(zs):
    for i, r in enumerate(palmer(zs)):
        if r is None:
            print(i + 1, None)
        else:
            print(i + 1, *(repr(r[k]) for k in ("z", "pdsi", "phdi", "pmdi", "x1", "x2", "x3", "pe")))


if __name__ == "__main__":
    if len(sys.argv) > 1:
        show([None if a == "x" else float(a) for a in sys.argv[1:]])
    else:
        for name, zs in CASES.items():
            print("#", name, zs)
            show(zs)
