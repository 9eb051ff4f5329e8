"""Reply helpers shared by the command modules: ACK, NAK and the field checks behind them."""

import re

from kprot import Message

INT_RE = re.compile(r"^-?(0|[1-9][0-9]*)$")


def ack():
    return Message("ACK")


def nak(reason):
    return Message("NAK").add("REASON", reason)


class Refused(Exception):
    """A request the device turns down with NAK(REASON=...)."""


def required(msg, *keys):
    values = []
    for key in keys:
        value = msg.get(key)
        if value is None:
            raise Refused("Missing field " + key)
        values.append(value)
    return values


def flag(text, key):
    if text not in ("0", "1"):
        raise Refused("Invalid value for " + key)
    return text == "1"


def number(text, key, low, high):
    if not (text.lstrip("-").isdigit()) or not low <= int(text) <= high:
        raise Refused("Invalid value for " + key)
    return int(text)


def integer(text, key, allowed=None):
    """A decimal integer as the program writes it (no "+", no leading zeros), optionally in a set."""
    if not INT_RE.match(text) or (allowed is not None and int(text) not in allowed):
        raise Refused("Invalid value for " + key)
    return int(text)
