"""The emulator's shared state: devices, the record of requests and the failure rules.

Every server thread touches it under one lock.
"""

import copy
import threading
import time

from device import Device

HTTP_MODES = ("silent", "http500", "wrong", "close", "cut", "big")
UDP_MODES = ("silent",)


def check_mode(mode, channel):
    """Returns (name, delay_ms) for a failure mode text; raises ValueError when unknown."""
    if mode.startswith("nak:") and channel == "http":
        return "nak", 0
    for name in ("delay", "drip") if channel == "http" else ("delay",):
        if mode.startswith(name + ":"):
            ms = mode[len(name) + 1:]
            if not ms.isdigit():
                raise ValueError("bad %s %r" % (name, mode))
            return name, int(ms)
    if mode not in (HTTP_MODES if channel == "http" else UDP_MODES):
        raise ValueError("unknown %s failure mode %r" % (channel, mode))
    return mode, 0


class FailureRule:
    def __init__(self, spec):
        unknown = set(spec) - {"mac", "mode", "count", "command", "channel", "skip"}
        if unknown:
            raise ValueError("unknown failure keys %s" % sorted(unknown))
        self.mac = spec.get("mac")
        self.channel = spec.get("channel", "http")
        if self.channel not in ("http", "udp"):
            raise ValueError("bad channel %r" % self.channel)
        self.mode = spec.get("mode")
        if not isinstance(self.mode, str):
            raise ValueError("failure without mode")
        self.name, self.delay_ms = check_mode(self.mode, self.channel)
        self.count = spec.get("count")
        if self.count is not None and (not isinstance(self.count, int) or self.count < 1):
            raise ValueError("count must be a positive number")
        self.command = spec.get("command")
        # Lets this many fitting requests through first: a failure at a chosen step.
        self.skip = spec.get("skip", 0)
        if isinstance(self.skip, bool) or not isinstance(self.skip, int) or self.skip < 0:
            raise ValueError("skip must be a number from 0 up")
        self.reason = self.mode[len("nak:"):] if self.name == "nak" else None

    def matches(self, mac, channel, command):
        return (self.channel == channel and self.mac in (None, mac)
                and self.command in (None, command))

    def describe(self):
        return {"mac": self.mac, "channel": self.channel, "mode": self.mode,
                "count": self.count, "command": self.command, "skip": self.skip}


class EmulatorState:
    def __init__(self, descriptions, udp_reply_to=None):
        self.lock = threading.RLock()
        self.stopping = threading.Event()
        self.udp_reply_to = udp_reply_to
        self._descriptions = copy.deepcopy(descriptions)
        self.devices = self._make_devices(descriptions)
        self.records = []
        self.rules = []
        self._seq = 0

    @staticmethod
    def _make_devices(descriptions):
        devices = [Device(d) for d in descriptions]
        macs = [d.mac for d in devices]
        if len(set(macs)) != len(macs):
            raise ValueError("two devices with the same mac")
        return devices

    def reset(self):
        with self.lock:
            self.devices = self._make_devices(self._descriptions)
            self.records = []
            self.rules = []

    def by_mac(self, mac):
        for dev in self.devices:
            if dev.mac == mac:
                return dev
        return None

    def by_host(self, host):
        for dev in self.devices:
            if dev.answers_to_host(host):
                return dev
        return None

    def record(self, entry):
        with self.lock:
            self._seq += 1
            entry["seq"] = self._seq
            entry["time"] = time.time()
            self.records.append(entry)
            return entry

    def add_rule(self, spec):
        rule = FailureRule(spec)
        with self.lock:
            if rule.mac is not None and self.by_mac(rule.mac) is None:
                raise ValueError("no device %r" % rule.mac)
            self.rules.append(rule)

    def clear_rules(self, mac=None):
        with self.lock:
            self.rules = [r for r in self.rules if mac is not None and r.mac != mac]

    def take_failure(self, mac, channel, command):
        """The first rule that applies to this request (using up one of its count), or None.

        A rule that still lets requests through counts one down and leaves the request to the
        rules after it.
        """
        with self.lock:
            for rule in list(self.rules):
                if rule.matches(mac, channel, command):
                    if rule.skip > 0:
                        rule.skip -= 1
                        continue
                    if rule.count is not None:
                        rule.count -= 1
                        if rule.count == 0:
                            self.rules.remove(rule)
                    return rule
        return None
