"""One emulated gateway: its identity and the settings a real one keeps."""

import datetime
import re
import time

from gateway import Gateway
from tagsim import Monitor

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
    "cookie": (None, (str, type(None))),
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
        self.configuration = self.monitor = None
        self.update(description)

    def update(self, changes):
        """Applies a partial description; raises ValueError on an unknown field or a bad value.

        `config` (the gateway configuration) and `monitor` (live tag settings) apply after the
        plain fields, so that they follow a changed family.
        """
        changes = dict(changes)
        config, monitor = changes.pop("config", None), changes.pop("monitor", None)
        self.update_fields(changes)
        if self.family is None:
            self.family = FAMILY_OF_CODE.get(self.code, 0)
        if self.configuration is None or self.configuration.family != self.family:
            self.configuration = Gateway(self.family)
            self.monitor = Monitor(self.configuration)
        if config is not None:
            self.configuration.update(config)
        if monitor is not None:
            self.monitor.apply(monitor)

    def update_fields(self, changes):
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
        out["config"] = self.configuration.state()
        return out


def default_devices():
    """The three gateways a user gets when trying the program without a device."""
    mail = {"smtp": {"ENABLE": True, "SERVER": "mail.example.test", "FROM": "velto@example.test"},
            "recipients": ["operator@example.test", "", "shift@example.test"]}
    modbus = dict(mail, tags=[
        {"NAME": "Pump running", "SOURCE": 0, "UNIT": 1, "TYPE": 0, "MBFUNC": 0, "ADDRESS": 0,
         "ALARM": True, "EMAIL": True, "ALLO": True, "ALHI": False},
        {"NAME": "Tank level", "SOURCE": 0, "UNIT": 1, "TYPE": 1, "MBFUNC": 4, "ADDRESS": 99,
         "LIMITS": True, "WRLO": 0, "WRHI": 1000, "ALARM": True, "EMAIL": True,
         "ALLO": 100, "ALHI": 900},
        {"NAME": "Temperature", "SOURCE": 0, "UNIT": 2, "TYPE": 4, "MBFUNC": 3, "ADDRESS": 9,
         "READONLY": True, "ALARM": True, "ALLO": 15.0, "ALHI": 35.0},
        {"NAME": "Flow", "SOURCE": 0, "UNIT": 1, "TYPE": 0, "MBFUNC": 4, "ADDRESS": 199,
         "SCALE": 2, "FACT_A": 0.1, "FACT_B": 0.0}])
    hostlink = dict(mail, tags=[
        {"NAME": "Motor", "SOURCE": 2, "TYPE": 6, "BIT": 0},
        {"NAME": "Counter", "SOURCE": 0, "TYPE": 1, "HLFUNC": 6, "ADDRESS": 100,
         "ALARM": True, "EMAIL": True, "ALLO": 10, "ALHI": 80},
        {"NAME": "Pressure", "SOURCE": 0, "TYPE": 3, "HLFUNC": 6, "ADDRESS": 200,
         "ALARM": True, "ALLO": 1.5, "ALHI": 4.5}])
    df1 = dict(mail, tags=[
        {"NAME": "Start button", "SOURCE": 0, "FILETYPE": 133, "FILENUMBER": 3, "TYPE": 5,
         "ALARM": True, "ALLO": False, "ALHI": True},
        {"NAME": "Batch", "SOURCE": 0, "FILETYPE": 137, "FILENUMBER": 7, "ELEMENT": 12,
         "TYPE": 1, "LIMITS": True, "WRLO": -100, "WRHI": 100},
        {"NAME": "Speed", "SOURCE": 0, "FILETYPE": 138, "FILENUMBER": 8, "ELEMENT": 2,
         "TYPE": 3, "ALARM": True, "EMAIL": True, "ALLO": 20.0, "ALHI": 60.0}])
    return [
        {"code": "1118", "version": "2.0.4-SN-R", "mac": "00-11-22-33-44-01", "ip": "127.0.0.2",
         "netmask": "255.0.0.0", "hostname": "velto-modbus", "config": modbus},
        {"code": "1109", "version": "2.0.4-SN", "mac": "00-11-22-33-44-02", "ip": "127.0.0.3",
         "netmask": "255.0.0.0", "hostname": "velto-hostlink", "config": hostlink},
        {"code": "1116", "version": "2.0.5-SN", "mac": "00-11-22-33-44-03", "ip": "127.0.0.4",
         "netmask": "255.0.0.0", "hostname": "velto-df1", "config": df1},
    ]
