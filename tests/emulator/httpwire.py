"""Reading one HTTP request and writing HTTP/1.0 responses, byte by byte.

Own code rather than http.server, so that the exact head and body bytes can be kept and the
failure modes (silence, a cut body, a dropped connection) can be played on the raw socket.
"""

import socket

MAX_LINE = 65536
MAX_HEADERS = 200
MAX_BODY = 64 * 1024 * 1024

REASONS = {200: "OK", 400: "Bad Request", 404: "Not Found", 405: "Method Not Allowed",
           407: "Proxy Authentication Required", 411: "Length Required",
           500: "Internal Server Error", 502: "Bad Gateway"}


class BadRequest(Exception):
    pass


class Request:
    def __init__(self, method, target, version, headers, body, head):
        self.method = method
        self.target = target
        self.version = version
        self.headers = headers  # [(name, value)] as received, in order
        self.body = body
        self.head = head

    def header(self, name):
        name = name.lower()
        for k, v in self.headers:
            if k.lower() == name:
                return v
        return None

    def path(self):
        return self.target.split("?", 1)[0]


def _line(rfile):
    line = rfile.readline(MAX_LINE + 1)
    if len(line) > MAX_LINE:
        raise BadRequest("line too long")
    return line


def read_request(rfile):
    """Reads one request; None when the client closed without sending one."""
    head = b""
    line = _line(rfile)
    while line in (b"\r\n", b"\n"):  # tolerated empty lines before the request line
        head += line
        line = _line(rfile)
    if not line:
        return None
    head += line
    parts = line.decode("latin-1").rstrip("\r\n").split(" ")
    if len(parts) != 3 or not parts[2].startswith("HTTP/"):
        raise BadRequest("bad request line %r" % line)
    method, target, version = parts
    headers = []
    while True:
        line = _line(rfile)
        if not line:
            raise BadRequest("connection closed inside the head")
        head += line
        if line in (b"\r\n", b"\n"):
            break
        name, colon, value = line.decode("latin-1").rstrip("\r\n").partition(":")
        if not colon or not name or name != name.strip():
            raise BadRequest("bad header line %r" % line)
        headers.append((name, value.strip()))
        if len(headers) > MAX_HEADERS:
            raise BadRequest("too many headers")
    req = Request(method, target, version, headers, b"", head)
    if req.header("Transfer-Encoding") is not None:
        raise BadRequest("length required")
    length = req.header("Content-Length")
    if length is not None:
        if not length.isdigit() or int(length) > MAX_BODY:
            raise BadRequest("bad Content-Length %r" % length)
        req.body = rfile.read(int(length))
        if len(req.body) != int(length):
            raise BadRequest("connection closed inside the body")
    return req


def response_bytes(status, body=b"", content_type="text/html", extra=(), length=None):
    lines = ["HTTP/1.0 %d %s" % (status, REASONS.get(status, "Status"))]
    lines.append("Content-Type: " + content_type)
    lines.append("Content-Length: %d" % (len(body) if length is None else length))
    lines.extend("%s: %s" % kv for kv in extra)
    lines.append("Connection: close")
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1") + body


def wait_for_client_close(sock, stopping):
    """Holds a connection open without answering until the client gives up (or we stop)."""
    sock.settimeout(0.2)
    while not stopping.is_set():
        try:
            if not sock.recv(4096):
                return
        except socket.timeout:
            continue
        except OSError:
            return
