"""Number helpers shared by the review modules: 4-byte rounding, IEEE
division and the Fw.d text of a value."""
import math
import struct
from fractions import Fraction

import mpmath as mp


def f32(x):
    """The 4-byte real nearest to the double x (as a Python float)."""
    try:
        return struct.unpack("f", struct.pack("f", float(x)))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def mp_f32(x):
    """Nearest 4-byte real (24-bit significand) to the exact value x."""
    with mp.workprec(24):
        return +mp.mpf(x)


def div(a, b):
    """a / b in IEEE arithmetic (Python raises on a zero divisor)."""
    if b != 0 or math.isnan(b):
        return a / b
    return math.nan if a == 0 or math.isnan(a) else math.copysign(math.inf, a) * math.copysign(1.0, b)


def fixed(v, w, d):
    """The Fw.d text of the exact value of v (a float, or a Fraction)."""
    if isinstance(v, Fraction):
        q = abs(round(v * 10**d))  # exact, ties to even
        t = ("-" if v < 0 else "") + f"{q // 10**d}.{q % 10**d:0{d}d}"
    elif math.isnan(v) or math.isinf(v):
        t = "NaN" if math.isnan(v) else "+Inf" if v > 0 else "-Inf"
    else:
        t = "%.*f" % (d, v)
    if len(t) == w + 1 and t.lstrip("-").startswith("0."):
        t = t.replace("0.", ".", 1)  # the leading zero gives way when the field is full
    return "*" * w if len(t) > w else t.rjust(w)
