"""Value forms on the wire: integers, booleans "1"/"0" and floats such as 1.23450000E3."""

import math
import re

FLOAT_RE = re.compile(r"^-?[0-9]\.[0-9]{8}E(0|-?[1-9][0-9]*)$")
INT_RE = re.compile(r"^-?(0|[1-9][0-9]*)$")
LOOSE_RE = re.compile(r"^[-+]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][-+]?[0-9]+)?$")


def fmt_float(value):
    """Nine significant digits, mantissa "." and a bare exponent: 25.5 -> 2.55000000E1."""
    if not math.isfinite(value):
        raise ValueError("no wire form for %r" % value)
    mantissa, _, exponent = ("%.8E" % value).partition("E")
    return mantissa + "E" + str(int(exponent))


def is_float_form(text):
    # A mantissa of 0 only for zero itself: the writer normalises every other value.
    return bool(FLOAT_RE.match(text)) and (text.lstrip("-")[0] != "0" or
                                           text.lstrip("-").startswith("0.00000000E0"))


def is_int_form(text):
    return bool(INT_RE.match(text))


def parse_loose(text):
    """A number in any common text form (wire float, integer, plain decimal), or None."""
    if not isinstance(text, str) or not LOOSE_RE.match(text.strip()):
        return None
    return float(text.strip())


def wire_text(value):
    """A JSON value from a device description as wire text (strings stay as they are)."""
    if isinstance(value, bool):
        return "1" if value else "0"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        return fmt_float(value)
    if isinstance(value, str):
        return value
    raise ValueError("a wire value must be a string, number or boolean, not %r" % (value,))


def by_kind(value, kind):
    """The wire text of a number for a tag kind: 0 digital "1"/"0", 1 integer, 2 float."""
    if kind == 0:
        return "1" if value else "0"
    if kind == 1:
        return str(int(round(value)))
    return fmt_float(float(value))
