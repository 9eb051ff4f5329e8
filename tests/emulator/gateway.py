"""A gateway's whole configuration: serial port, alarm mail, recipients and tags, per family.

Everything is kept in wire form (the texts of the KProt fields), so that what the program sent
can be compared with what it gets back. Tags keep their fields exactly as they arrived.
"""

from wireforms import by_kind, is_float_form, is_int_form, parse_loose, wire_text

MODBUS, HOSTLINK, DF1 = 0, 1, 2
MAX_TAGS = 128
RECIPIENTS = 5
BAUDS = (2400, 4800, 9600, 14400, 19200, 28800, 38400, 57600, 115200)

# Serial keys in wire order (after COM=0), each with its default and its allowed values.
COM_KEYS = {
    MODBUS: (("COMTYPE", 0, range(0, 4)), ("FORMAT", 0, range(0, 2)), ("BAUD", 9600, BAUDS),
             ("PARITY", 0, range(0, 3)), ("PKTTOUT", 4, range(3, 21)),
             ("MSGTOUT", 1000, range(10, 2001)), ("RETRIES", 1, range(0, 100)),
             ("SCANTIME", 100, range(0, 10001))),
    HOSTLINK: (("COMTYPE", 0, range(0, 4)), ("BAUD", 9600, BAUDS), ("PARITY", 0, range(0, 3)),
               ("MSGTOUT", 1000, range(10, 2001)), ("RETRIES", 1, range(0, 100)),
               ("SCANTIME", 100, range(0, 10001))),
    DF1: (("COMTYPE", 0, range(0, 4)), ("BAUD", 9600, BAUDS), ("DATABITS", 0, range(0, 2)),
          ("PARITY", 0, range(0, 2)), ("MSGTOUT", 1000, range(10, 2001)),
          ("SCANTIME", 100, range(0, 10001)), ("ERRORMTHD", 0, range(0, 2))),
}

# SMTP keys in wire order: (key, form, default, allowed integers).
SMTP_KEYS = (("ENABLE", "bool", "0", None), ("SERVER", "str", "", None),
             ("TIMEOUT", "int", "20", range(1, 101)), ("RETRIES", "int", "5", range(0, 100)),
             ("RETRYINT", "int", "10", range(1, 101)), ("FROM", "str", "", None),
             ("AUTH", "bool", "0", None), ("USER", "str", "", None), ("PASS", "str", "", None))

LIMIT_KEYS = ("WRLO", "WRHI", "ALLO", "ALHI")

# Tag keys in wire order: (key, form, default, allowed integers or None, may be left out).
_COMMON_TAIL = (("SCALE", "int", "1", (1, 2), False), ("FACT_A", "float", "0.00000000E0", None, False),
                ("FACT_B", "float", "0.00000000E0", None, False),
                ("READONLY", "bool", "0", None, False), ("LIMITS", "bool", "0", None, False),
                ("ALARM", "bool", "0", None, False), ("EMAIL", "bool", "0", None, False))
TAG_KEYS = {
    MODBUS: (("NAME", "str", "Tag", None, False), ("SOURCE", "int", "0", range(0, 5), False),
             ("UNIT", "int", "1", None, False), ("TYPE", "int", "0", range(0, 9), False),
             ("MBFUNC", "int", "4", (4, 3, 1, 0), True), ("ADDRESS", "int", "0", None, False),
             ("REG32", "bool", "0", None, False), ("BIT", "int", "0", None, False))
            + _COMMON_TAIL + (("TRAP", "bool", "0", None, False),),
    HOSTLINK: (("NAME", "str", "Tag", None, False), ("SOURCE", "int", "0", range(0, 5), False),
               ("UNIT", "int", "0", None, False), ("TYPE", "int", "0", range(0, 7), False),
               ("HLFUNC", "int", "6", (0, 1, 2, 3, 4, 6), True),
               ("ADDRESS", "int", "0", None, False), ("BIT", "int", "0", None, False))
              + _COMMON_TAIL,
    DF1: (("NAME", "str", "Tag", None, False), ("SOURCE", "int", "0", range(0, 5), False),
          ("FILETYPE", "int", "137", (131, 130, 132, 133, 137, 138), True),
          ("FILENUMBER", "int", "7", None, False), ("ELEMENT", "int", "0", None, False),
          ("SUBELEMENT", "int", "0", (0,), False), ("TYPE", "int", "0", range(0, 7), False),
          ("BIT", "int", "0", None, False)) + _COMMON_TAIL,
}
MODBUS_TABLE_OF_MBFUNC = {4: 0, 3: 1, 1: 2, 0: 3}

DIGITAL, INTEGER, FLOAT = 0, 1, 2


class Invalid(ValueError):
    """A field the device refuses; the text is the REASON of the NAK."""


def _int(tag, key, default=None):
    text = tag.get(key)
    return int(text) if text is not None and is_int_form(text) else default


def tag_kind(family, tag):
    """The kind the gateway gives a tag from its source, type, register table and scale."""
    source, typ = _int(tag, "SOURCE", 0), _int(tag, "TYPE", 0)
    unscaled = _int(tag, "SCALE", 1) == 1
    if family == MODBUS:
        table = MODBUS_TABLE_OF_MBFUNC.get(_int(tag, "MBFUNC"))
        if source in (1, 2, 3) or (source == 0 and (table in (2, 3) or typ == 7)):
            return DIGITAL
        if unscaled and (source == 4 or (source == 0 and table in (0, 1) and typ not in (4, 5, 7))):
            return INTEGER
        return FLOAT
    if source in (1, 2, 3) or (source == 0 and typ == 5):
        return DIGITAL
    if unscaled and (source == 4 or (source == 0 and typ not in (3, 5))):
        return INTEGER
    return FLOAT


def value_kind(family, tag):
    """The kind of the tag's value as READ and WRITE carry it: by its type and scale alone."""
    typ = _int(tag, "TYPE", 0)
    by_scale = INTEGER if _int(tag, "SCALE", 1) == 1 else FLOAT
    if family == MODBUS:
        return {4: FLOAT, 5: FLOAT, 7: DIGITAL, 8: DIGITAL}.get(typ, by_scale)
    return {3: FLOAT, 5: DIGITAL, 6: DIGITAL}.get(typ, by_scale)


def check_form(key, form, text, allowed=None):
    if form == "int" and not (is_int_form(text) and (allowed is None or int(text) in allowed)):
        raise Invalid("Invalid value for " + key)
    if form == "bool" and text not in ("0", "1"):
        raise Invalid("Invalid value for " + key)
    if form == "float" and not is_float_form(text):
        raise Invalid("Invalid value for " + key)


def check_wire_tag(family, fields):
    """A tag as ADDTAG carries it -> dict; raises Invalid with the NAK reason."""
    keys = {k[0]: k for k in TAG_KEYS[family]}
    tag = {}
    for key, text in fields:
        if key in tag:
            raise Invalid("Duplicate field " + key)
        if key not in keys and key not in LIMIT_KEYS:
            raise Invalid("Unknown field " + key)
        tag[key] = text
    for key, form, _, allowed, optional in TAG_KEYS[family]:
        if key not in tag:
            if not optional:
                raise Invalid("Missing field " + key)
            continue
        check_form(key, form, tag[key], allowed)
    kind = tag_kind(family, tag)
    given = [k for k in LIMIT_KEYS if k in tag]
    if given and len(given) != 4:
        raise Invalid("Missing field " + next(k for k in LIMIT_KEYS if k not in tag))
    for key in given:
        check_form(key, ("bool", "int", "float")[kind], tag[key])
    return tag


def described_tag(family, spec):
    """A tag from a device description: any field, defaults for the family's missing ones.

    Values are not checked, so a test can have the device report odd ones; null leaves a
    field out of the device's answers.
    """
    if not isinstance(spec, dict):
        raise ValueError("a tag is an object of wire fields")
    tag = {}
    for key, _, default, _, _ in TAG_KEYS[family]:
        if key in spec:
            if spec[key] is not None:
                tag[key] = wire_text(spec[key])
        else:
            tag[key] = default
    for key, value in spec.items():
        if key not in tag and key not in LIMIT_KEYS and value is not None:
            if not isinstance(key, str) or not key or not key.isupper():
                raise ValueError("bad tag field name %r" % (key,))
            tag[key] = wire_text(value)
    # Limits given as numbers take the form of the tag's kind, as a device would answer them.
    kind = tag_kind(family, tag)
    for key in LIMIT_KEYS:
        value = spec.get(key, 0)
        if value is not None:
            number = parse_loose(wire_text(value))
            tag[key] = wire_text(value) if number is None else by_kind(number, kind)
    return tag


class Gateway:
    def __init__(self, family, description=None):
        if family not in COM_KEYS:
            raise ValueError("family must be 0 (Modbus), 1 (Hostlink) or 2 (DF1)")
        self.family = family
        self.com = {key: str(default) for key, default, _ in COM_KEYS[family]}
        self.smtp = {key: default for key, _, default, _ in SMTP_KEYS}
        self.recipients = [""] * RECIPIENTS
        self.tags = []
        self.tags_version = 0
        self.running = True
        self.tag_admin = False
        self.tag_count_reply = None
        if description:
            self.update(description)

    def set_tags(self, tags):
        self.tags = tags
        self.tags_version += 1

    def update(self, changes):
        """Applies a partial configuration (description form); ValueError on a bad one."""
        if not isinstance(changes, dict):
            raise ValueError("config must be an object")
        unknown = set(changes) - {"com", "smtp", "recipients", "tags", "running", "tag_admin",
                                  "tag_count_reply"}
        if unknown:
            raise ValueError("unknown config keys %s" % sorted(unknown))
        for part, keys in (("com", [k[0] for k in COM_KEYS[self.family]]),
                           ("smtp", [k[0] for k in SMTP_KEYS])):
            given = changes.get(part, {})
            if not isinstance(given, dict) or set(given) - set(keys):
                raise ValueError("%s takes the keys %s" % (part, ", ".join(keys)))
            getattr(self, part).update({k: wire_text(v) for k, v in given.items()})
        if "recipients" in changes:
            given = changes["recipients"]
            if (not isinstance(given, list) or len(given) > RECIPIENTS
                    or not all(isinstance(r, str) for r in given)):
                raise ValueError("recipients is a list of at most 5 strings")
            self.recipients = list(given) + [""] * (RECIPIENTS - len(given))
        if "tags" in changes:
            given = changes["tags"]
            if not isinstance(given, list) or len(given) > MAX_TAGS:
                raise ValueError("tags is a list of at most %d tags" % MAX_TAGS)
            self.set_tags([described_tag(self.family, t) for t in given])
        for key in ("running", "tag_admin"):
            if key in changes:
                if not isinstance(changes[key], bool):
                    raise ValueError("%s is true or false" % key)
                setattr(self, key, changes[key])
        if "tag_count_reply" in changes:
            lie = changes["tag_count_reply"]
            if lie is not None and (isinstance(lie, bool) or not isinstance(lie, int)):
                raise ValueError("tag_count_reply is a number or null")
            self.tag_count_reply = lie

    def state(self):
        return {"com": dict(self.com), "smtp": dict(self.smtp),
                "recipients": list(self.recipients), "tags": [dict(t) for t in self.tags],
                "running": self.running, "tag_admin": self.tag_admin,
                "tag_count_reply": self.tag_count_reply}

    def restart(self):
        """What a reboot does to the configuration: the machine runs, tag editing ends."""
        self.running = True
        self.tag_admin = False

    def tag_reply_fields(self, index):
        """A tag's fields for TAGCONFIG: the family's keys in wire order, then any others."""
        tag = self.tags[index]
        kind = tag_kind(self.family, tag)
        order = [k[0] for k in TAG_KEYS[self.family]] + list(LIMIT_KEYS)
        order += [k for k in tag if k not in order]
        fields = []
        for key in order:
            if key not in tag:
                continue
            text = tag[key]
            number = parse_loose(text) if key in LIMIT_KEYS else None
            # Limits always go out in the form of the kind the gateway works out now.
            fields.append((key, by_kind(number, kind) if number is not None else text))
        return fields
