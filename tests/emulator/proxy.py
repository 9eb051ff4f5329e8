"""A small HTTP forward proxy in front of the emulated devices (it never reaches a real network).

It takes absolute-URI requests, checks basic proxy authentication when credentials are set,
and hands the request to the device named in the URL as if it had come over the network.
"""

import base64
import binascii
import socket
import socketserver
import urllib.parse

from devicehttp import deliver, plain, plan, request_entry
from httpwire import BadRequest, Request, read_request, response_bytes

HOP_BY_HOP = {"proxy-authorization", "proxy-connection", "connection", "keep-alive"}


def credentials_match(header, user, password):
    if header is None:
        return False
    scheme, _, token = header.partition(" ")
    if scheme.lower() != "basic":
        return False
    try:
        given = base64.b64decode(token.strip(), validate=True)
    except (binascii.Error, ValueError):
        return False
    return given == ("%s:%s" % (user, password)).encode("utf-8")


class ProxyHandler(socketserver.StreamRequestHandler):
    timeout = 30

    def handle(self):
        state = self.server.state
        try:
            req = read_request(self.rfile)
        except (BadRequest, socket.timeout, OSError) as fault:
            self.send(response_bytes(400, str(fault).encode("latin-1"), "text/plain"))
            return
        if req is None:
            return
        local = self.connection.getsockname()
        entry = request_entry("proxy", req, self.client_address, local)
        url = urllib.parse.urlsplit(req.target)
        entry.update(path=url.path, device=None, status=None)
        auth = self.server.auth
        entry["authorized"] = auth is None or credentials_match(
            req.header("Proxy-Authorization"), *auth)
        state.record(entry)
        if not entry["authorized"]:
            self.finish_with(entry, 407, "Proxy authentication required\n",
                             [("Proxy-Authenticate", 'Basic realm="emulator"')])
            return
        if url.scheme != "http" or not url.hostname:
            self.finish_with(entry, 400, "Only absolute http:// targets\n")
            return
        with state.lock:
            dev = state.by_host(url.hostname)
            entry["device"] = dev.mac if dev else None
        if dev is None:
            self.finish_with(entry, 502, "Cannot reach %s\n" % url.hostname)
            return
        origin_form = (url.path or "/") + ("?" + url.query if url.query else "")
        headers = [(k, v) for k, v in req.headers if k.lower() not in HOP_BY_HOP]
        if not any(k.lower() == "host" for k, _ in headers):
            headers.insert(0, ("Host", url.netloc))
        forwarded = Request(req.method, origin_form, req.version, headers, req.body, b"")
        action = plan(state, forwarded, url.hostname, self.client_address, local, via_proxy=True)
        if action["mode"] == "close":
            action = plain(502, "The device closed the connection\n")
        with state.lock:
            entry["status"] = action["status"]
        self.server.log("proxy %s %s -> %s" % (req.method, req.target, action["mode"]))
        deliver(self.connection, action, state.stopping)

    def finish_with(self, entry, status, text, extra=()):
        with self.server.state.lock:
            entry["status"] = status
        self.send(response_bytes(status, text.encode("latin-1"), "text/plain", extra))

    def send(self, data):
        try:
            self.connection.sendall(data)
        except OSError:
            pass
