"""Live tag values, alarms and the alarm mailbox of one gateway.

The device scans its tags once a second of its own clock (which tests can stop and move on).
Each tag follows a wave: digital tags toggle, integer tags count up through a range, float tags
follow a sine; the range reaches a quarter of the alarm range beyond each bound, so alarms come
and go. A written value holds for a while (`hold` seconds), then the wave takes over again.
"""

import math
import time

from gateway import DIGITAL, INTEGER, LIMIT_KEYS, tag_kind, value_kind
from wireforms import parse_loose

WAVES = ("toggle", "counter", "sine", "constant")
MAX_CATCH_UP = 600  # seconds of scans replayed at most when nobody asked for a while
QUEUE_SIZE = 128
NO, IN_ALARM, ACKNOWLEDGED = 0, 1, 2


def _flag(tag, key):
    return tag.get(key) == "1"


class TagSim:
    def __init__(self, index, family, tag):
        self.index = index
        self.name = tag.get("NAME", "")
        self.kind = tag_kind(family, tag)
        self.value_kind = value_kind(family, tag)
        self.domain = DIGITAL if DIGITAL in (self.kind, self.value_kind) else self.kind
        self.read_only = _flag(tag, "READONLY")
        self.limits = _flag(tag, "LIMITS")
        self.alarm_on = _flag(tag, "ALARM")
        self.email = _flag(tag, "EMAIL")
        lo, hi, allo, alhi = (parse_loose(tag.get(k, "0")) for k in LIMIT_KEYS)
        self.write_range = (lo, hi)
        self.alarm_range = (allo, alhi)
        self.wave = self.default_wave()
        self.value = None
        self.condition = None
        self.alarm = NO
        self.held = None  # (value, last tick it holds) after a WRITE
        self.wrote = False
        self.st1 = None   # status word forced by a test
        self.val1 = None  # VAL1 text forced by a test

    def default_wave(self):
        if self.domain == DIGITAL:
            return {"wave": "toggle", "period": 4 + 2 * (self.index % 3)}
        low, high = 0.0, 100.0
        allo, alhi = self.alarm_range
        lo, hi = self.write_range
        if self.alarm_on and None not in (allo, alhi) and allo < alhi:
            margin = (alhi - allo) / 4.0
            low, high = allo - margin, alhi + margin
        elif self.limits and None not in (lo, hi) and lo < hi:
            low, high = lo, hi
        if self.domain == INTEGER:
            low, high = math.floor(low), max(math.ceil(high), math.floor(low) + 1)
            # About a minute through the range, so that its alarms are seen.
            return {"wave": "counter", "low": low, "high": high,
                    "step": max(1, int(round((high - low) / 60.0)))}
        return {"wave": "sine", "low": low, "high": high, "period": 20 + 4 * (self.index % 4)}

    def wave_value(self, tick):
        w = self.wave
        kind = w["wave"]
        if kind == "constant":
            return w["value"]
        if kind == "toggle":
            half = max(1, int(w.get("period", 4)) // 2)
            return (tick // half + self.index) % 2
        low, high = w.get("low", 0), w.get("high", 100)
        if kind == "counter":
            span = int(high - low) + 1
            return low + ((tick + 7 * self.index) * int(w.get("step", 1))) % span
        period = max(1, w.get("period", 20))
        phase = 2 * math.pi * ((tick + 3 * self.index) % period) / period
        return (low + high) / 2.0 + (high - low) / 2.0 * math.sin(phase)

    def value_at(self, tick):
        if self.held is not None and (self.held[1] is None or tick <= self.held[1]):
            return self.held[0]
        self.held = None
        value = self.wave_value(tick)
        if self.domain == DIGITAL:
            return 1 if value else 0
        return int(round(value)) if self.domain == INTEGER else float(value)

    def in_condition(self):
        if self.kind == DIGITAL:
            rising, falling = (bool(b) for b in self.alarm_range)
            return (rising and self.value == 1) or (falling and self.value == 0)
        low, high = self.alarm_range
        return ((low is not None and self.value < low) or
                (high is not None and self.value > high))

    def scan(self, tick, on_raise):
        self.value = self.value_at(tick)
        self.evaluate(on_raise)

    def evaluate(self, on_raise):
        if not self.alarm_on:
            return
        now = self.in_condition()
        # Raised on the way in (an edge, or leaving the range), never by the first scan.
        edge = now and self.condition is False
        self.condition = now
        if edge and self.alarm == NO:
            self.alarm = IN_ALARM
            on_raise(self)
        elif not now and self.alarm == ACKNOWLEDGED:
            self.alarm = NO

    def acknowledge(self):
        if self.alarm == IN_ALARM:
            self.alarm = ACKNOWLEDGED if self.condition else NO

    def state(self):
        return {"index": self.index, "name": self.name, "kind": self.kind,
                "value_kind": self.value_kind, "value": self.value, "alarm": self.alarm,
                "condition": bool(self.condition), "wave": dict(self.wave),
                "held": self.held is not None, "st1": self.st1, "val1": self.val1}

    def apply(self, spec):
        unknown = set(spec) - {"wave", "low", "high", "period", "step", "value", "st1", "val1",
                               "alarm"}
        if unknown:
            raise ValueError("unknown tag monitor keys %s" % sorted(unknown))
        for key in ("low", "high", "period", "step", "value"):
            if key in spec and (isinstance(spec[key], bool) or
                                not isinstance(spec[key], (int, float))):
                raise ValueError("%s must be a number" % key)
        wave = dict(self.wave)
        if "wave" in spec:
            if spec["wave"] not in WAVES:
                raise ValueError("wave is one of %s" % ", ".join(WAVES))
            wave = {"wave": spec["wave"]}
        elif "value" in spec:
            wave = {"wave": "constant"}
        for key in ("low", "high", "period", "step", "value"):
            if key in spec:
                wave[key] = spec[key]
        if wave["wave"] == "constant" and "value" not in wave:
            raise ValueError("a constant wave needs a value")
        self.wave = wave
        self.held = None
        for key, types in (("st1", int), ("val1", str)):
            if key in spec:
                if spec[key] is not None and (isinstance(spec[key], bool) or
                                              not isinstance(spec[key], types)):
                    raise ValueError("%s must be %s or null" % (key, types.__name__))
                setattr(self, key, spec[key])
        if "alarm" in spec and spec["alarm"] not in (NO, IN_ALARM, ACKNOWLEDGED):
            raise ValueError("alarm is 0, 1 or 2")


class Mailbox:
    """The alarm-mail sender, moved on by each MAILBOX request so that tests see every state.

    Idle with mails queued -> sending to each filled recipient in turn (with retries while a
    test makes the SMTP server fail) -> "Mail sent" once -> the next mail, or idle again.
    """

    def __init__(self):
        self.queue = 0
        self.phase = "idle"
        self.slot = 0      # position in the list of filled recipients
        self.retry = 1
        self.error = 0
        self.smtp_error = 0
        self.fixed = None

    def push(self):
        self.queue = min(QUEUE_SIZE, self.queue + 1)

    def step(self, gateway):
        targets = [i for i, r in enumerate(gateway.recipients) if r]
        retries = int(gateway.smtp.get("RETRIES", "0") or 0)
        if self.phase == "sending":
            if self.smtp_error and self.retry <= retries:
                self.retry += 1
                return
            self.error = self.smtp_error
            self.slot, self.retry = self.slot + 1, 1
            if self.slot >= len(targets):
                self.queue = max(0, self.queue - 1)
                self.phase = "sent" if not self.smtp_error else "idle"
            return
        if self.queue > 0:
            self.phase, self.slot, self.retry = "sending", 0, 1
            if not targets:  # nobody to write to: the mail is done with at once
                self.queue -= 1
                self.phase = "sent"
        else:
            self.phase = "idle"

    def poll(self, gateway):
        """The MAILBOX fields: COUNT, STATUS, TOO, RETRY, ERROR."""
        enabled = gateway.smtp.get("ENABLE") == "1"
        if enabled:
            self.step(gateway)
        targets = [i for i, r in enumerate(gateway.recipients) if r]
        status = {"idle": 3, "sending": 1, "sent": 2}[self.phase] if enabled else 0
        sending = status == 1 and self.slot < len(targets)
        fields = {"COUNT": self.queue, "STATUS": status,
                  "TOO": targets[self.slot] + 1 if sending else 0,
                  "RETRY": self.retry if sending else 0, "ERROR": self.error}
        if self.fixed is not None:
            fields.update(self.fixed)
        return [(k, fields[k]) for k in ("COUNT", "STATUS", "TOO", "RETRY", "ERROR")]

    def state(self):
        return {"queue": self.queue, "phase": self.phase, "error": self.error,
                "smtp_error": self.smtp_error, "fixed": self.fixed}

    def apply(self, spec):
        unknown = set(spec) - {"fixed", "smtp_error", "queue"}
        if unknown:
            raise ValueError("unknown mailbox keys %s" % sorted(unknown))
        if "fixed" in spec:
            fixed = spec["fixed"]
            if fixed is not None and (
                    not isinstance(fixed, dict) or
                    set(fixed) - {"COUNT", "STATUS", "TOO", "RETRY", "ERROR"} or
                    not all(isinstance(v, (int, str)) for v in fixed.values())):
                raise ValueError("fixed maps COUNT, STATUS, TOO, RETRY, ERROR to values")
            self.fixed = dict(fixed) if fixed is not None else None
        for key in ("smtp_error", "queue"):
            if key in spec:
                if isinstance(spec[key], bool) or not isinstance(spec[key], int):
                    raise ValueError("%s must be a number" % key)
                setattr(self, key, spec[key])


class Monitor:
    def __init__(self, gateway):
        self.gateway = gateway
        self.base = 0.0
        self.set_at = time.monotonic()
        self.time_running = True
        self.hold = 10
        self.version = None
        self.sims = []
        self.last_tick = None
        self.mailbox = Mailbox()

    def now(self):
        if not self.time_running:
            return self.base
        return self.base + (time.monotonic() - self.set_at)

    def tick(self):
        return int(math.floor(self.now()))

    def raise_alarm(self, sim):
        if sim.email and self.gateway.smtp.get("ENABLE") == "1":
            self.mailbox.push()

    def sync(self):
        """Follows the tag list: a changed list starts the live state afresh."""
        if self.version == self.gateway.tags_version:
            return
        self.version = self.gateway.tags_version
        family = self.gateway.family
        self.sims = [TagSim(i, family, t) for i, t in enumerate(self.gateway.tags)]
        tick = self.tick()
        for sim in self.sims:
            sim.scan(tick, self.raise_alarm)
        self.last_tick = tick

    def advance(self):
        self.sync()
        tick = self.tick()
        if not self.gateway.running or tick <= self.last_tick:
            # A stopped machine does not scan: its values stay where they were.
            self.last_tick = max(tick, self.last_tick)
            return
        for k in range(max(self.last_tick + 1, tick - MAX_CATCH_UP), tick + 1):
            for sim in self.sims:
                sim.scan(k, self.raise_alarm)
        self.last_tick = tick

    def sim(self, index):
        self.advance()
        return self.sims[index] if 0 <= index < len(self.sims) else None

    def write(self, sim, value):
        tick = self.tick()
        sim.held = (value, None if self.hold is None else tick + self.hold)
        sim.value = value
        sim.wrote = True
        sim.evaluate(self.raise_alarm)

    def restart(self):
        """A reboot: fresh values, no alarms, an empty mail queue."""
        self.version = None
        self.mailbox = Mailbox()

    def state(self):
        self.advance()
        return {"time": self.now(), "time_running": self.time_running, "hold": self.hold,
                "running": self.gateway.running, "tags": [s.state() for s in self.sims],
                "mailbox": self.mailbox.state()}

    def apply(self, changes):
        if not isinstance(changes, dict):
            raise ValueError("monitor changes are an object")
        unknown = set(changes) - {"time", "hold", "tags", "mailbox"}
        if unknown:
            raise ValueError("unknown monitor keys %s" % sorted(unknown))
        self.advance()
        clock = changes.get("time", {})
        if not isinstance(clock, dict) or set(clock) - {"running", "advance", "set"}:
            raise ValueError("time takes running, advance and set")
        if "set" in clock or "advance" in clock:
            moved = clock.get("set", self.now()) + clock.get("advance", 0)
            if not isinstance(moved, (int, float)) or isinstance(moved, bool) or moved < 0:
                raise ValueError("time must be a number of seconds from 0 up")
            self.base, self.set_at = float(moved), time.monotonic()
            if self.last_tick is not None and self.tick() < self.last_tick:
                self.last_tick = self.tick()
        if "running" in clock:
            if not isinstance(clock["running"], bool):
                raise ValueError("time.running is true or false")
            self.base, self.set_at = self.now(), time.monotonic()
            self.time_running = clock["running"]
        if "hold" in changes:
            hold = changes["hold"]
            if hold is not None and (isinstance(hold, bool) or not isinstance(hold, int)):
                raise ValueError("hold is a number of seconds or null (for ever)")
            self.hold = hold
        self.mailbox.apply(changes.get("mailbox", {}))
        tags = changes.get("tags", {})
        if not isinstance(tags, dict):
            raise ValueError('tags maps a tag number ("0") to its settings')
        for key, spec in tags.items():
            if not str(key).isdigit() or int(key) >= len(self.sims) or not isinstance(spec, dict):
                raise ValueError("no tag %s" % key)
            self.sims[int(key)].apply(spec)
        self.advance()
        # A tag given new settings shows them at once, even on a stopped machine; an alarm
        # state given with them has the last word.
        for key, spec in tags.items():
            sim = self.sims[int(key)]
            sim.scan(self.tick(), self.raise_alarm)
            if "alarm" in spec:
                sim.alarm = spec["alarm"]
