"""One emulated gateway: its identity and the settings a real one keeps."""

import datetime
import re
import time

FAMILY_OF_CODE = {"1118": 0, "1119": 0, "1109": 1, "1110": 1, "1116": 2, "1117": 2}

# name -> (default, type check); a default of None for hostname means "reports no host name".
FIELDS = {
    "code": ("1118", str),
    "version": ("2.0.4-SN", str),
    "mac": (None, str),
    "ip": ("0.0.0.0", str),
    "netmask": ("255.255.255.0", str),
    "gateway": ("0.0.0.0", str),
    "dhcp": (False, bool),
    "hostname": (None, (str, type(None))),
    "admin_password": ("admin", str),
    "user_name": ("user", str),
    "user_password": ("user", str),
    "family": (None, int),
    "dns1": ("0.0.0.0", str),
    "dns2": ("0.0.0.0", str),
    "snmp": (False, bool),
    "manager": ("0.0.0.0", str),
    "read_community": ("public", str),
    "write_community": ("private", str),
    "trap_community": ("public", str),
    "log_enable": (False, bool),
    "log_time": (60, int),
    "log_count": (0, int),
    "clock": (None, (str, type(None))),
    "clock_running": (True, bool),
    "remote_names": ([], list),
    "udp_silent": (False, bool),
    "udp_twice": (False, bool),
    "resets": (0, int),
    "pending_network": (None, (dict, type(None))),
}

MAC_RE = re.compile(r"^[0-9A-Fa-f]{2}(-[0-9A-Fa-f]{2}){5}$")


def is_dotted_quad(text):
    parts = text.split(".")
    return len(parts) == 4 and all(p.isdigit() and len(p) <= 3 and int(p) <= 255 for p in parts)


def parse_clock(text):
    """DDMMYYYYHHNNSS -> datetime, or None when it is no valid date and time."""
    if len(text) != 14 or not text.isdigit():
        return None
    try:
        return datetime.datetime(int(text[4:8]), int(text[2:4]), int(text[0:2]),
                                 int(text[8:10]), int(text[10:12]), int(text[12:14]))
    except ValueError:
        return None


def format_clock(moment):
    return "%02d%02d%04d%02d%02d%02d" % (moment.day, moment.month, moment.year,
                                         moment.hour, moment.minute, moment.second)


class Device:
    def __init__(self, description):
        if "mac" not in description:
            raise ValueError("device without mac: %r" % (description,))
        for name, (default, _) in FIELDS.items():
            setattr(self, name, list(default) if isinstance(default, list) else default)
        self.set_clock(datetime.datetime.now().replace(microsecond=0))
        self.update(description)
        if self.family is None:
            self.family = FAMILY_OF_CODE.get(self.code, 0)

    def update(self, changes):
        """Applies a partial description; raises ValueError on an unknown field or a bad value."""
        for name, value in changes.items():
            if name not in FIELDS:
                raise ValueError("unknown device field %r" % name)
            expected = FIELDS[name][1]
            if isinstance(value, bool) and expected is int:
                raise ValueError("field %r wants a number" % name)
            if not isinstance(value, expected):
                raise ValueError("field %r has a value of the wrong type: %r" % (name, value))
            if name == "pending_network" and value is not None:
                raise ValueError("pending_network can only be cleared (null)")
            if name == "mac":
                if not MAC_RE.match(value):
                    raise ValueError("bad mac %r" % value)
                if getattr(self, "mac", None) not in (None, value):
                    raise ValueError("the mac of a device cannot change")
            if name == "clock":
                if value is None:
                    self.set_clock(datetime.datetime.now().replace(microsecond=0))
                    continue
                moment = parse_clock(value)
                if moment is None:
                    raise ValueError("bad clock %r (DDMMYYYYHHNNSS)" % value)
                self.set_clock(moment)
                continue
            if name == "clock_running" and value != self.clock_running:
                current = self.now()
                self.clock_running = value
                self.set_clock(current)
                continue
            if name == "remote_names":
                value = [str(v) for v in value]
            setattr(self, name, value)

    # The clock runs from the moment it was last set (unless frozen for byte-exact tests).
    def set_clock(self, moment):
        self._clock_base = moment
        self._clock_set_at = time.monotonic()

    def now(self):
        if not self.clock_running:
            return self._clock_base
        elapsed = int(time.monotonic() - self._clock_set_at)
        return self._clock_base + datetime.timedelta(seconds=elapsed)

    @property
    def has_log(self):
        return "-R" in self.version

    def answers_to_host(self, host):
        host = host.lower()
        return host == self.ip or host in (n.lower() for n in self.remote_names)

    def ntm_params(self):
        params = [self.code, self.version, self.mac, self.ip, self.netmask, self.gateway,
                  "1" if self.dhcp else "0"]
        if self.hostname is not None:
            params.append(self.hostname)
        return params

    def state(self):
        out = {}
        for name in FIELDS:
            value = getattr(self, name)
            out[name] = list(value) if isinstance(value, list) else value
        out["clock"] = format_clock(self.now())
        return out


def default_devices():
    """The three gateways a user gets when trying the program without a device."""
    return [
        {"code": "1118", "version": "2.0.4-SN-R", "mac": "00-11-22-33-44-01", "ip": "127.0.0.2",
         "netmask": "255.0.0.0", "hostname": "velto-modbus"},
        {"code": "1109", "version": "2.0.4-SN", "mac": "00-11-22-33-44-02", "ip": "127.0.0.3",
         "netmask": "255.0.0.0", "hostname": "velto-hostlink"},
        {"code": "1116", "version": "2.0.5-SN", "mac": "00-11-22-33-44-03", "ip": "127.0.0.4",
         "netmask": "255.0.0.0", "hostname": "velto-df1"},
    ]
