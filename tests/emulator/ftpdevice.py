#!/usr/bin/python3
"""The FTP side of a Velto gateway, for the tests: serves the web site "userpage.kws".

Prints one line READY {"ftp": N, "proxy": N|null} once it listens, then answers control requests,
one JSON object per line on standard input, with one JSON line each on standard output; it ends
when its standard input closes or on SIGTERM/SIGINT. See README-ftp.md.
"""

import argparse
import base64
import json
import logging
import os
import shutil
import signal
import socket
import stat
import struct
import sys
import tempfile
import threading
import time

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer

import ftpproxy

SITE_FILE = "userpage.kws"
# The device's listing: a fixed 37-character head, so the size always starts at column 38.
LIST_HEAD = "-rw-r--r--   1 velto    velto".ljust(37)
MODES = ("refuse", "drop", "stall")
TRANSFER_COMMANDS = ("RETR", "STOR", "LIST")


class Rule:
    def __init__(self, fields):
        unknown = set(fields) - {"cmd", "mode", "command", "after", "count"}
        if unknown:
            raise ValueError("unknown keys %s in a failure rule" % sorted(unknown))
        self.mode = fields.get("mode")
        if self.mode == "login":   # a refused logon, by its usual name
            self.mode, fields = "refuse", dict(fields, command="PASS")
        if self.mode not in MODES:
            raise ValueError("mode must be one of %s or login" % (MODES,))
        self.command = (fields.get("command") or "").upper() or None
        self.after = int(fields.get("after", 0))
        self.count = fields.get("count")
        if self.count is not None:
            self.count = int(self.count)

    def describe(self):
        return {"mode": self.mode, "command": self.command, "after": self.after, "count": self.count}


class State:
    def __init__(self, root, user, password):
        self.lock = threading.Lock()
        self.root = root
        self.user = user
        self.password = password
        self.records = []
        self.rules = []
        self.listing = None          # lines given by a test instead of the real listing
        self.proxy_method = 1
        self.proxy_user = None       # None: the firewall wants no logon of its own
        self.proxy_password = None
        self.device_port = 0
        self._seq = 0

    def record(self, kind, **fields):
        with self.lock:
            self._seq += 1
            entry = {"seq": self._seq, "time": round(time.time(), 3), "kind": kind}
            entry.update(fields)
            self.records.append(entry)

    def take_rule(self, command):
        """The first rule for this command (or for any command), using up one of its count."""
        with self.lock:
            for rule in self.rules:
                if rule.command not in (None, command):
                    continue
                if rule.command is None and command not in TRANSFER_COMMANDS and rule.mode != "refuse":
                    continue
                if rule.count is not None:
                    rule.count -= 1
                    if rule.count <= 0:
                        self.rules.remove(rule)
                return rule
        return None

    def file_path(self):
        return os.path.join(self.root, SITE_FILE)


STATE = None


class DeviceAuthorizer(DummyAuthorizer):
    """One account, the device's, read from the state at every logon."""

    def validate_authentication(self, username, password, handler):
        if username != STATE.user or password != STATE.password:
            raise AuthenticationFailed("Login incorrect.")

    def has_user(self, username):
        return username == STATE.user

    def get_home_dir(self, username):
        return STATE.root

    def has_perm(self, username, perm, path=None):
        return True

    def get_perms(self, username):
        return "elradfmw"

    def get_msg_login(self, username):
        return "User %s logged in." % username

    def get_msg_quit(self, username):
        return "Goodbye."

    def impersonate_user(self, username, password):
        pass

    def terminate_impersonation(self, username):
        pass


class DeviceFS(AbstractedFS):
    def format_list(self, basedir, listing, ignore_err=True):
        if STATE.listing is not None:
            for line in STATE.listing:
                yield (line + "\r\n").encode("latin-1")
            return
        for name in listing:
            try:
                size = os.stat(os.path.join(basedir, name)).st_size
            except OSError:
                continue
            yield ("%s%d Jan 01 00:00 %s\r\n" % (LIST_HEAD, size, name)).encode("latin-1")


class DeviceDTP(DTPHandler):
    """The data connection, which a failure rule can cut or stall after a number of bytes."""

    _held = False

    def use_sendfile(self):
        return False

    def _rule(self):
        return getattr(self.cmd_channel, "transfer_rule", None)

    def send(self, data):
        rule = self._rule()
        if rule is None or self.receive:
            return DTPHandler.send(self, data)
        room = rule.after - self.tot_bytes_sent
        if room <= 0:
            self._hit(rule)
            return 0
        sent = DTPHandler.send(self, data[:room])
        if self.tot_bytes_sent >= rule.after:
            self._hit(rule)
        return sent

    def handle_read(self):
        rule = self._rule()
        if rule is None or not self.receive:
            return DTPHandler.handle_read(self)
        room = rule.after - self.tot_bytes_received
        if room <= 0:
            self._hit(rule)
            return
        try:
            chunk = self.recv(min(self.ac_in_buffer_size, room))
        except socket.error:
            self.handle_error()
            return
        self.tot_bytes_received += len(chunk)
        if not chunk:
            self.transfer_finished = True
            return
        self.file_obj.write(chunk)
        if self.tot_bytes_received >= rule.after:
            self._hit(rule)

    handle_read_event = handle_read

    def _hit(self, rule):
        if self._held:
            return
        self._held = True
        STATE.record("failure", mode=rule.mode, command=self.cmd, after=rule.after)
        if rule.mode == "stall":
            if self.receive:
                self.del_channel()                        # reads no more
            else:
                self.modify_ioloop_events(self.ioloop.READ)   # writes no more; a close is still seen
        else:
            self.ioloop.call_later(0, self._drop)

    def close(self):
        # The transfer is recorded before the base class answers 226 or 426, so a test that reads the
        # log on the answer finds it; pyftpdlib's own log_transfer comes only after the answer.
        if not self._closed and self.file_obj is not None:
            STATE.record("transfer", command=self.cmd, file=os.path.basename(self.file_obj.name),
                         completed=bool(self.transfer_finished), bytes=self.get_transmitted_bytes())
        DTPHandler.close(self)

    def _drop(self):
        """The device is gone: both connections reset, no reply."""
        channel = self.cmd_channel
        for sock in (self.socket, getattr(channel, "socket", None)):
            try:
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            except (OSError, AttributeError):
                pass
        self._resp = ()
        channel.close()


class DeviceHandler(FTPHandler):
    banner = "Velto FTP Server ready."
    authorizer = DeviceAuthorizer()
    abstracted_fs = DeviceFS
    dtp_handler = DeviceDTP
    use_sendfile = False
    auth_failed_timeout = 0.05
    permit_privileged_ports = True
    unicode_errors = "surrogateescape"
    transfer_rule = None

    def peer(self):
        return "%s:%s" % (self.remote_ip, self.remote_port)

    def pre_process_command(self, line, cmd, arg):
        STATE.record("ftp", peer=self.peer(), line=line)
        rule = STATE.take_rule(cmd)
        if cmd in TRANSFER_COMMANDS:
            self.transfer_rule = rule if rule is not None and rule.mode != "refuse" else None
        if rule is not None:
            if rule.mode == "refuse":
                STATE.record("failure", mode="refuse", command=cmd)
                self.respond("530 Login incorrect." if cmd in ("USER", "PASS") else "550 Refused.")
                return
            if cmd not in TRANSFER_COMMANDS:
                STATE.record("failure", mode=rule.mode, command=cmd)
                if rule.mode == "stall":
                    return                      # no answer, ever
                self.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                self.close()
                return
        FTPHandler.pre_process_command(self, line, cmd, arg)

    def log_transfer(self, cmd, filename, receive, completed, elapsed, bytes):
        pass   # recorded by DeviceDTP.close, before the answer


def reply(obj):
    sys.stdout.write(json.dumps(obj) + "\n")
    sys.stdout.flush()


def control(state, request):
    cmd = request.get("cmd")
    if cmd == "records":
        kinds = request.get("kind")
        with state.lock:
            records = [r for r in state.records if not kinds or r["kind"] in kinds]
        return {"ok": True, "records": records}
    if cmd == "clear":
        with state.lock:
            state.records = []
        return {"ok": True}
    if cmd == "set_file":
        data = base64.b64decode(request.get("data", ""))
        with open(state.file_path(), "wb") as f:
            f.write(data)
        return {"ok": True, "size": len(data)}
    if cmd == "remove_file":
        if os.path.exists(state.file_path()):
            os.remove(state.file_path())
        return {"ok": True}
    if cmd == "get_file":
        if not os.path.exists(state.file_path()):
            return {"ok": True, "data": None}
        with open(state.file_path(), "rb") as f:
            return {"ok": True, "data": base64.b64encode(f.read()).decode("ascii")}
    if cmd == "fail":
        rule = Rule(request)
        with state.lock:
            state.rules.append(rule)
            return {"ok": True, "rules": [r.describe() for r in state.rules]}
    if cmd == "fail_clear":
        with state.lock:
            state.rules = []
        return {"ok": True}
    if cmd == "listing":
        lines = request.get("lines")
        state.listing = None if lines is None else [str(x) for x in lines]
        return {"ok": True}
    if cmd == "account":
        state.user = request.get("user", state.user)
        state.password = request.get("password", state.password)
        return {"ok": True}
    if cmd == "proxy":
        method = int(request.get("method", state.proxy_method))
        if method not in (1, 2, 3, 4):
            raise ValueError("the firewall knows the methods 1 to 4")
        state.proxy_method = method
        state.proxy_user = request.get("user")
        state.proxy_password = request.get("password")
        return {"ok": True}
    raise ValueError("unknown control request %r" % cmd)


def parse_args(argv):
    p = argparse.ArgumentParser(description="Serves a Velto gateway's web site over FTP.")
    p.add_argument("--port", type=int, default=21, help="FTP port (0: a free one)")
    p.add_argument("--address", default="127.0.0.1")
    p.add_argument("--user", default="admin")
    p.add_argument("--password", default="admin")
    p.add_argument("--file", help="initial content of userpage.kws (default: none)")
    p.add_argument("--proxy-port", type=int, help="also run the FTP firewall on this port")
    p.add_argument("--proxy-method", type=int, default=1, choices=(1, 2, 3, 4))
    p.add_argument("--proxy-user")
    p.add_argument("--proxy-pass")
    p.add_argument("--verbose", action="store_true")
    return p.parse_args(argv)


def main(argv):
    global STATE
    args = parse_args(argv)
    if (args.proxy_user is None) != (args.proxy_pass is None):
        print("ftpdevice: give both --proxy-user and --proxy-pass, or neither", file=sys.stderr)
        return 2
    logging.basicConfig(level=logging.DEBUG if args.verbose else logging.CRITICAL, stream=sys.stderr)
    root = tempfile.mkdtemp(prefix="vxt-ftpdevice-")
    try:
        STATE = State(root, args.user, args.password)
        STATE.proxy_method = args.proxy_method
        STATE.proxy_user, STATE.proxy_password = args.proxy_user, args.proxy_pass
        if args.file:
            shutil.copyfile(args.file, STATE.file_path())
        try:
            server = FTPServer((args.address, args.port), DeviceHandler)
            STATE.device_port = server.socket.getsockname()[1]
            proxy = None
            if args.proxy_port is not None:
                proxy = ftpproxy.Firewall((args.address, args.proxy_port), STATE)
        except OSError as fault:
            print("ftpdevice: cannot listen: %s (ports below 1024 need root; tests pass 0)" % fault,
                  file=sys.stderr)
            return 2
        threading.Thread(target=server.serve_forever,
                         kwargs={"timeout": 0.2, "blocking": True, "handle_exit": False},
                         daemon=True).start()
        if proxy is not None:
            threading.Thread(target=proxy.serve_forever, args=(0.2,), daemon=True).start()

        def stop(*_):
            raise SystemExit(0)

        signal.signal(signal.SIGTERM, stop)
        signal.signal(signal.SIGINT, stop)
        print("READY " + json.dumps({"ftp": STATE.device_port,
                                     "proxy": proxy.server_address[1] if proxy is not None else None}),
              flush=True)
        # Only a pipe means "a test started us and controls us"; started by hand (a terminal, or
        # /dev/null in the background) the device serves until it is stopped by a signal.
        mode = os.fstat(sys.stdin.fileno()).st_mode
        if not (stat.S_ISFIFO(mode) or stat.S_ISSOCK(mode)):
            while True:
                signal.pause()
        for line in sys.stdin:
            if not line.strip():
                continue
            try:
                reply(control(STATE, json.loads(line)))
            except (ValueError, TypeError, OSError) as fault:
                reply({"ok": False, "error": str(fault)})
        return 0
    finally:
        shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
