"""The devices' HTTP side: one port for every device, chosen by the Host header.

The test control interface lives on the same port under /_emu/ (see control.py).
"""

import socket
import socketserver

import control
from commands import PAGES, answer, nak
from httpwire import BadRequest, read_request, response_bytes, wait_for_client_close
from kprot import MalformedMessage, Message, parse

KPROT_TYPE = "text/x-kprot"
BIG_SIZE = 10 * 1024 * 1024


def host_part(host):
    return host.rsplit(":", 1)[0] if host.count(":") == 1 else host


def latin1(data):
    return data.decode("latin-1")


def request_entry(kind, req, peer, local):
    return {
        "kind": kind, "peer": "%s:%d" % peer, "local": "%s:%d" % local,
        "method": req.method, "target": req.target, "path": req.path(), "version": req.version,
        "headers": [[k, v] for k, v in req.headers], "body": latin1(req.body),
    }


def plain(status, text, mode="respond"):
    return {"mode": mode, "status": status, "body": text.encode("latin-1"),
            "content_type": "text/plain", "delay_ms": 0}


def plan(state, req, host, peer, local, via_proxy):
    """Records the request and works out what the device does with it (without doing it)."""
    entry = request_entry("http", req, peer, local)
    entry.update(host=host, via_proxy=via_proxy, device=None, command=None, failure=None)
    with state.lock:
        dev = state.by_host(host) if host else None
        commands = PAGES.get(req.path())
        if dev is None:
            action = plain(404, "No device answers to host %s\n" % host)
        else:
            entry["device"] = dev.mac
            if commands is None:
                action = plain(404, "Not found\n")
            elif req.method != "POST":
                action = plain(405, "Only POST here\n")
            else:
                action = device_reply(state, dev, commands, req, entry)
        entry["status"] = action["status"] if action["mode"] not in ("silent", "close") else None
        entry["reply"] = latin1(action["body"]) if entry["status"] is not None else None
        if action["mode"] == "big":
            entry["reply"] = latin1(action["body"][:200]) + "..."
        state.record(entry)
    return action


def device_reply(state, dev, commands, req, entry):
    try:
        msg = parse(req.body)
        entry["command"] = msg.command
    except MalformedMessage as fault:
        msg = None
        entry["malformed"] = str(fault)
    rule = state.take_failure(dev.mac, "http", entry["command"])
    mode = rule.name if rule else "respond"
    entry["failure"] = rule.mode if rule else None
    # The device never got to these requests (nor carries out a refused one): no state changes.
    if mode == "silent" or mode == "close":
        return {"mode": mode, "status": None, "body": b"", "content_type": KPROT_TYPE,
                "delay_ms": 0}
    if mode == "http500":
        return plain(500, "Internal Server Error\n")
    if mode == "wrong":
        body = Message("XYZ").encode()
    elif mode == "nak":
        body = nak(rule.reason).encode()
    else:
        reply = answer(commands, dev, msg) if msg else nak("Malformed message")
        body = reply.encode()
    if mode == "big":
        body += b" " * (BIG_SIZE - len(body))
    extra = [("Set-Cookie", dev.cookie + "; Path=/")] if dev.cookie else []
    return {"mode": mode, "status": 200, "body": body, "content_type": KPROT_TYPE,
            "delay_ms": rule.delay_ms if rule and mode != "drip" else 0,
            "drip_ms": rule.delay_ms if mode == "drip" else 0, "extra": extra}


def deliver(conn, action, stopping):
    """Plays the planned answer on the connection (the caller closes it afterwards)."""
    mode = action["mode"]
    if mode == "close":
        return
    if mode == "silent":
        wait_for_client_close(conn, stopping)
        return
    if action["delay_ms"] and stopping.wait(action["delay_ms"] / 1000.0):
        return
    body = action["body"]
    extra = action.get("extra", ())
    try:
        if mode == "cut":
            conn.sendall(response_bytes(action["status"], body[:len(body) // 2],
                                        action["content_type"], extra, length=len(body)))
        elif mode == "drip":
            # The head at once, then the body a byte at a time: never silent for long, never done.
            conn.sendall(response_bytes(action["status"], b"", action["content_type"], extra,
                                        length=len(body)))
            for i in range(len(body)):
                if stopping.wait(action["drip_ms"] / 1000.0):
                    return
                conn.sendall(body[i:i + 1])
        else:
            conn.sendall(response_bytes(action["status"], body, action["content_type"], extra))
    except OSError:
        pass  # the client gave up first


class DeviceHandler(socketserver.StreamRequestHandler):
    timeout = 30

    def handle(self):
        state = self.server.state
        try:
            req = read_request(self.rfile)
        except (BadRequest, socket.timeout, OSError) as fault:
            self.send_quietly(response_bytes(400, str(fault).encode("latin-1"), "text/plain"))
            return
        if req is None:
            return
        if req.path().startswith(control.PREFIX):
            self.send_quietly(control.handle(state, req))
            return
        host = req.header("Host")
        # Without a Host header the address the client dialled tells the device.
        host = host_part(host) if host is not None else self.connection.getsockname()[0]
        action = plan(state, req, host, self.client_address, self.connection.getsockname(),
                      via_proxy=False)
        self.server.log("%s %s %s -> %s" % (host, req.method, req.target, action["mode"]))
        deliver(self.connection, action, state.stopping)

    def send_quietly(self, data):
        try:
            self.connection.sendall(data)
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64

    def __init__(self, address, handler, state, log):
        self.state = state
        self.log = log
        super().__init__(address, handler)
