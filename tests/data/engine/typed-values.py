#!/usr/bin/env python3
"""Values of the typed functions in typed-values.tsv, computed at 40 digits with mpmath.

Each row of the table is: the text as typed, the angle system (0 degrees, 1 radians, 2 grads),
the point x, what the text means written out fully bracketed, and its value at x. This script
reads the meaning alone, never the typed text, and evaluates it with the program's own
constants (pi 3.141592654, e 2.718281828, 57.29577951 degrees and 63.66197724 grads a radian):

    python3 typed-values.py          fills in (or refreshes) the value column
    python3 typed-values.py --check  exits 1 when a value in the table differs from this one

A meaning uses N('2.5') for a number, X, PI and E, the operators + - * / (bracketed), pw(a, p)
for a power, sqrt_, abs_ and the functions by their typed names.
"""

import os
import sys

from mpmath import mp, mpf

mp.dps = 40

TABLE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "typed-values.tsv")
FACTORS = {0: mpf("57.29577951"), 1: mpf(1), 2: mpf("63.66197724")}


class NoValue(Exception):
    pass


def power(a, p):
    """a ^ p over the reals; a negative base has an odd root (a denominator up to 31)."""
    if a > 0:
        return a ** p
    if a == 0:
        if p >= 0:
            return mpf(0)  # 0 ^ 0 is 0, as the program has it
        raise NoValue("0 to a negative power")
    if p == mp.floor(p):
        return a ** p
    for j in range(3, 32, 2):
        k = mp.nint(p * j)
        if abs(p * j - k) <= mpf("1e-8"):
            magnitude = (-a) ** p
            return -magnitude if int(k) % 2 else magnitude
    raise NoValue("no real power of a negative base")


def names(x, factor):
    def positive(v):
        if v <= 0:
            raise NoValue("logarithm of a number not above 0")
        return v

    def unit(v):
        if abs(v) > 1:
            raise NoValue("inverse sine or cosine beyond 1")
        return v

    def nonzero(v):
        if v == 0:
            raise NoValue("division by 0")
        return v

    def sqrt_(v):
        if v < 0:
            raise NoValue("square root of a negative number")
        return mp.sqrt(v)

    return {
        "N": mpf, "X": x, "PI": mpf("3.141592654"), "E": mpf("2.718281828"), "pw": power,
        "sin": lambda v: mp.sin(v / factor), "cos": lambda v: mp.cos(v / factor),
        "tan": lambda v: mp.sin(v / factor) / nonzero(mp.cos(v / factor)),
        "sec": lambda v: 1 / nonzero(mp.cos(v / factor)),
        "cosec": lambda v: 1 / nonzero(mp.sin(v / factor)),
        "cot": lambda v: mp.cos(v / factor) / nonzero(mp.sin(v / factor)),
        "asin": lambda v: mp.asin(unit(v)) * factor, "acos": lambda v: mp.acos(unit(v)) * factor,
        "atan": lambda v: mp.atan(v) * factor,
        "sinh": mp.sinh, "cosh": mp.cosh, "tanh": mp.tanh,
        "ln": lambda v: mp.log(positive(v)), "log": lambda v: mp.log10(positive(v)),
        "exp": mp.exp, "abs": abs, "abs_": abs, "gint": mp.floor, "sqrt_": sqrt_,
    }


def value(meaning, angle_system, x):
    # Division by 0 in the meaning itself is a ZeroDivisionError, also no value.
    return eval(meaning, {"__builtins__": {}}, names(mpf(x), FACTORS[angle_system]))


def main():
    check = "--check" in sys.argv[1:]
    lines = open(TABLE, encoding="ascii").read().splitlines()
    out, differ = [], 0
    for line in lines:
        if not line or line.startswith("#"):
            out.append(line)
            continue
        fields = line.split("\t")
        typed, angle_system, x, meaning = fields[:4]
        v = value(meaning, int(angle_system), x)
        text = mp.nstr(v, 25, min_fixed=-5, max_fixed=10)
        if check and len(fields) > 4 and fields[4]:
            if abs(mpf(fields[4]) - v) > mpf("1e-20") * max(1, abs(v)):
                print("differs: %s: table %s, computed %s" % (typed, fields[4], text))
                differ += 1
        out.append("\t".join([typed, angle_system, x, meaning, text]))
    if check:
        sys.exit(1 if differ else 0)
    with open(TABLE, "w", encoding="ascii") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
