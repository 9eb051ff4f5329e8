"""The device's side of the two wire texts: KProt messages (HTTP) and discovery packets (UDP).

Written on its own, from the wire format alone, so that the program's reader and writer are
checked against an independent peer. All texts are 8-bit: bytes <-> str by latin-1.
"""

ESCAPES = {",": "/co", "=": "/eq", "(": "/sp", ")": "/ep", ";": "/sc"}
UNESCAPES = {code: ch for ch, code in ESCAPES.items()}


class MalformedMessage(ValueError):
    pass


def escape(value):
    return "".join(ESCAPES.get(ch, ch) for ch in value)


def unescape(raw):
    # The device decodes like the program's reader: every "/" starts a three-character code,
    # and an unknown code (or a short one at the end) yields nothing.
    out = []
    i = 0
    while i < len(raw):
        ch = raw[i]
        if ch != "/":
            out.append(ch)
            i += 1
            continue
        out.append(UNESCAPES.get(raw[i:i + 3], ""))
        i += 3
    return "".join(out)


class Message:
    """One KProt message: a command and its fields in order (keys as received)."""

    def __init__(self, command, fields=None):
        self.command = command
        self.fields = list(fields or [])

    def add(self, key, value):
        if isinstance(value, bool):
            value = "1" if value else "0"
        self.fields.append((key, str(value)))
        return self

    def get(self, key):
        """The first field's value, or None when the key is absent."""
        for k, v in self.fields:
            if k == key:
                return v
        return None

    def text(self):
        return self.command + "(" + "".join(k + "=" + escape(v) + "," for k, v in self.fields) + ");"

    def encode(self):
        return self.text().encode("latin-1")

    def __repr__(self):
        return "Message(%r)" % self.text()


def parse(data):
    """Parses one message as the program must write it; raises MalformedMessage otherwise.

    Accepted exactly: NAME "(" { KEY "=" escaped-value "," } ");" with nothing before or after.
    """
    text = data.decode("latin-1") if isinstance(data, (bytes, bytearray)) else data
    open_at = text.find("(")
    if open_at <= 0:
        raise MalformedMessage("no command")
    if not text.endswith(");"):
        raise MalformedMessage("message does not end with );")
    command = text[:open_at]
    if any(c in command for c in ",=();/ \t\r\n"):
        raise MalformedMessage("bad command name")
    inner = text[open_at + 1:-2]
    fields = []
    if inner:
        if not inner.endswith(","):
            raise MalformedMessage("last field not ended by ,")
        for part in inner[:-1].split(","):
            key, eq, raw = part.partition("=")
            if not eq or not key or any(c in raw for c in "=();"):
                raise MalformedMessage("bad field %r" % part)
            fields.append((key, unescape(raw)))
    return Message(command, fields)


# Discovery packets: NAME "(" params separated by "," ")" -- no keys, no escapes, no ";".

def dsc_make(command, params=()):
    return (command + "(" + ",".join(params) + ")").encode("latin-1")


def dsc_parse(data):
    """(command, [params]) or None when the datagram is no packet."""
    text = data.decode("latin-1")
    open_at = text.find("(")
    if open_at <= 0 or not text.endswith(")"):
        return None
    inner = text[open_at + 1:-1]
    if "(" in inner or ")" in inner:
        return None
    return text[:open_at], (inner.split(",") if inner else [])
