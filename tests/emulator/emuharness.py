"""The self-tests' handle on the emulator: a process on free ports, raw HTTP and UDP exchanges."""

import json
import os
import re
import select
import socket
import subprocess
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

MAC1 = "00-11-22-33-44-55"
MAC2 = "00-11-22-33-44-66"
MAC3 = "0A-0B-0C-0D-0E-0F"

DEVICES = [
    {"code": "1118", "version": "2.0.4-SN-R", "mac": MAC1, "ip": "127.0.0.2",
     "netmask": "255.0.0.0", "gateway": "127.0.0.1", "hostname": "tank-1",
     "admin_password": "secret", "user_name": "op", "user_password": "oppw",
     "dns1": "10.0.0.53", "dns2": "10.0.0.54", "snmp": True, "manager": "10.0.0.9",
     "read_community": "pub,r", "write_community": "priv", "trap_community": "trap",
     "log_enable": True, "log_time": 120, "log_count": 4,
     "clock": "05032007140709", "clock_running": False,
     "remote_names": ["velto.example.test"]},
    {"code": "1109", "version": "2.0.4-SN", "mac": MAC2, "ip": "127.0.0.3",
     "netmask": "255.255.255.0", "gateway": "0.0.0.0", "dhcp": True, "hostname": None,
     "admin_password": ""},
    {"code": "1116", "version": "2.0.5-SN", "mac": MAC3, "ip": "127.0.0.4",
     "netmask": "255.255.0.0", "gateway": "127.0.0.1", "hostname": "", "udp_twice": True},
]

READY_RE = re.compile(r'^READY \{"udp": (\d+), "http": (\d+), "proxy": (\d+|null)\}\n$')


class Emulator:
    def __init__(self, *args, devices=DEVICES):
        cmd = [sys.executable, os.path.join(HERE, "emulator.py"),
               "--udp-port", "0", "--http-port", "0"] + list(args)
        if devices is not None:
            cmd[2:2] = ["--devices", json.dumps(devices)]
        self.proc = subprocess.Popen(cmd, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        self.ready_line = self._read_line(10)
        m = READY_RE.match(self.ready_line)
        if not m:
            self.stop()
            raise AssertionError("no READY line: %r %r" % (self.ready_line,
                                                           self.proc.stderr.read()))
        self.udp, self.http = int(m.group(1)), int(m.group(2))
        self.proxy = None if m.group(3) == "null" else int(m.group(3))

    def _read_line(self, timeout):
        fd = self.proc.stdout.fileno()
        data = b""
        deadline = time.monotonic() + timeout
        while not data.endswith(b"\n") and time.monotonic() < deadline:
            if select.select([fd], [], [], 0.1)[0]:
                chunk = os.read(fd, 1)
                if not chunk:
                    break
                data += chunk
        return data.decode()

    def stop(self):
        self.proc.stdin.close()
        if self.proc.poll() is None:
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for f in (self.proc.stdout, self.proc.stderr):
            f.close()

    # --- control interface ---
    def control(self, method, path, obj=None):
        body = b"" if obj is None else json.dumps(obj).encode()
        status, _, reply = http_exchange(
            self.http, "127.0.0.1",
            ("%s /_emu/%s HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: %d\r\n\r\n"
             % (method, path, len(body))).encode() + body)
        return status, json.loads(reply)

    def requests(self, kind=None):
        status, records = self.control("GET", "requests" + ("?kind=" + kind if kind else ""))
        assert status == 200
        return records

    def device(self, mac):
        return self.control("GET", "device/" + mac)[1]

    def fail(self, **rule):
        status, reply = self.control("POST", "fail", rule)
        assert status == 200, reply

    def config(self, mac, changes=None):
        status, reply = self.control("GET" if changes is None else "POST", "config/" + mac,
                                     changes)
        assert status == 200, reply
        return reply

    def monitor(self, mac, changes=None):
        status, reply = self.control("GET" if changes is None else "POST", "monitor/" + mac,
                                     changes)
        assert status == 200, reply
        return reply

    # --- device traffic ---
    def post(self, host, body, path="/admpost.cgi", extra=""):
        data = body.encode("latin-1") if isinstance(body, str) else body
        head = ("POST %s HTTP/1.0\r\nHost: %s\r\nContent-Type: text/x-kprot\r\n%s"
                "Content-Length: %d\r\n\r\n" % (path, host, extra, len(data)))
        return http_exchange(self.http, host, head.encode("latin-1") + data)

    def kprot(self, host, body, path="/admpost.cgi"):
        status, headers, reply = self.post(host, body, path)
        assert status == 200, (status, reply)
        assert headers["Content-Type"] == "text/x-kprot", headers
        return reply.decode("latin-1")

    def udp_exchange(self, payload, expect, timeout=1.0):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("127.0.0.1", 0))
        s.sendto(payload, ("127.0.0.1", self.udp))
        got = receive_datagrams(s, expect, timeout)
        s.close()
        return got


def receive_datagrams(sock, expect, timeout):
    got = []
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and (expect is None or len(got) < expect):
        sock.settimeout(max(0.01, deadline - time.monotonic()))
        try:
            got.append(sock.recvfrom(65535)[0])
        except socket.timeout:
            break
    return got


def raw_exchange(port, host, data, timeout=5.0):
    """Sends data to host:port, returns every byte received until the server closes."""
    s = socket.create_connection((host, port), timeout=timeout)
    s.sendall(data)
    chunks = []
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        chunks.append(chunk)
    s.close()
    return b"".join(chunks)


def split_response(raw):
    head, sep, body = raw.partition(b"\r\n\r\n")
    assert sep, raw[:200]
    lines = head.decode("latin-1").split("\r\n")
    status = int(lines[0].split(" ")[1])
    assert lines[0].startswith("HTTP/1.0 "), lines[0]
    headers = dict(line.split(": ", 1) for line in lines[1:])
    return status, headers, body


def http_exchange(port, host, data):
    status, headers, body = split_response(raw_exchange(port, host, data))
    assert int(headers["Content-Length"]) == len(body), (headers, len(body))
    return status, headers, body


class EmulatorCase(unittest.TestCase):
    ARGS = ()
    DEVICE_LIST = DEVICES

    @classmethod
    def setUpClass(cls):
        cls.emu = Emulator(*cls.ARGS, devices=cls.DEVICE_LIST)

    @classmethod
    def tearDownClass(cls):
        cls.emu.stop()

    def setUp(self):
        self.assertEqual(self.emu.control("POST", "reset")[0], 200)
