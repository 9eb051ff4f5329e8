"""The FTP firewall in front of the emulated device, for the logon methods 1 to 4.

It records every command line the client sends it ("proxy" records), and the host the client asked
for ("proxy_target"). Whatever host is named, the session goes to the emulated device on this
machine: the firewall never touches a real network. Once logged on it relays both ways unchanged
(PORT too: client and device share the loopback network).
"""

import socket
import socketserver
import threading


class Closed(Exception):
    pass


class Firewall(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, state):
        self.state = state
        socketserver.ThreadingTCPServer.__init__(self, address, FirewallHandler)


class Upstream:
    """The firewall's own control connection to the device."""

    def __init__(self, port):
        self.sock = socket.create_connection(("127.0.0.1", port), timeout=10)
        self.buf = b""

    def readline(self):
        while b"\n" not in self.buf:
            data = self.sock.recv(4096)
            if not data:
                raise Closed()
            self.buf += data
        line, _, self.buf = self.buf.partition(b"\n")
        return line.rstrip(b"\r").decode("latin-1")

    def reply(self):
        """One reply, all its lines."""
        lines = [self.readline()]
        if len(lines[0]) > 3 and lines[0][3] == "-":
            code = lines[0][:3]
            while not (lines[-1][:3] == code and lines[-1][3:4] in (" ", "")):
                lines.append(self.readline())
        return lines

    def command(self, line):
        self.sock.sendall((line + "\r\n").encode("latin-1"))
        return self.reply()


class FirewallHandler(socketserver.BaseRequestHandler):
    def setup(self):
        self.conn = self.request
        self.conn.settimeout(30)
        self.buf = b""
        self.peer = "%s:%s" % self.client_address[:2]
        st = self.server.state
        with st.lock:
            self.method = st.proxy_method
            self.fw_user = st.proxy_user
            self.fw_pass = st.proxy_password

    def send(self, *lines):
        self.conn.sendall("".join(line + "\r\n" for line in lines).encode("latin-1"))

    def readline(self):
        while b"\n" not in self.buf:
            data = self.conn.recv(4096)
            if not data:
                raise Closed()
            self.buf += data
        line, _, self.buf = self.buf.partition(b"\n")
        return line.rstrip(b"\r").decode("latin-1")

    def expect(self, *commands):
        """The next command, which must be one of `commands`; others are refused."""
        while True:
            line = self.readline()
            self.server.state.record("proxy", peer=self.peer, line=line)
            cmd, _, arg = line.partition(" ")
            cmd = cmd.upper()
            if cmd == "QUIT":
                self.send("221 Goodbye.")
                raise Closed()
            if cmd in commands:
                return cmd, arg
            self.send("530 Firewall expects %s." % " or ".join(commands))

    def firewall_logon(self):
        if self.fw_user is None:
            return
        while True:
            _, user = self.expect("USER")
            if user != self.fw_user:
                self.send("530 Not a firewall user.")
                continue
            self.send("331 Password required for firewall user %s." % user)
            _, password = self.expect("PASS")
            if password != self.fw_pass:
                self.send("530 Firewall logon incorrect.")
                continue
            self.send("230 Firewall logon accepted.")
            return

    def device(self, host):
        st = self.server.state
        st.record("proxy_target", peer=self.peer, host=host)
        up = Upstream(st.device_port)
        up.reply()   # the device's greeting
        return up

    def logon(self):
        if self.method == 1:
            self.firewall_logon()
            while True:
                _, arg = self.expect("USER")
                user, at, host = arg.rpartition("@")
                if at and host:
                    break
                self.send("530 Firewall expects USER user@host.")
            up = self.device(host)
            self.send(*up.command("USER " + user))
            return up
        if self.method in (2, 3):
            self.firewall_logon()
            _, host = self.expect("SITE" if self.method == 2 else "OPEN")
            up = self.device(host)
            self.send("220 Connected to %s." % host)
            return up
        while True:   # method 4
            _, arg = self.expect("USER")
            parts = arg.split("@")
            if len(parts) < 3 or not parts[-1]:
                self.send("530 Firewall expects USER user@fwuser@host.")
                continue
            user, fw_user, host = "@".join(parts[:-2]), parts[-2], parts[-1]
            if self.fw_user is not None and fw_user != self.fw_user:
                self.send("530 Not a firewall user.")
                continue
            self.send("331 Password required for firewall user %s." % fw_user)
            _, password = self.expect("PASS")
            if self.fw_user is not None and password != self.fw_pass:
                self.send("530 Firewall logon incorrect.")
                continue
            self.send("331 Firewall logon accepted; password required for %s@%s." % (user, host))
            _, device_password = self.expect("PASS")
            up = self.device(host)
            answer = up.command("USER " + user)
            if answer[-1].startswith("331"):
                answer = up.command("PASS " + device_password)
            self.send(*answer)
            return up

    def handle(self):
        self.send("220 Velto test firewall ready.")
        try:
            up = self.logon()
        except (Closed, OSError):
            return
        self.relay(up)

    def relay(self, up):
        state = self.server.state
        self.conn.settimeout(None)
        up.sock.settimeout(None)

        def to_device():
            # Each line is recorded before it goes on: the answer to it can only come after, so a
            # test that reads the log when the answer arrives finds the line there.
            pending = b""
            data = self.buf
            try:
                while True:
                    pending += data
                    while b"\n" in pending:
                        line, _, pending = pending.partition(b"\n")
                        state.record("proxy", peer=self.peer, line=line.rstrip(b"\r").decode("latin-1"))
                    if data:
                        up.sock.sendall(data)
                    data = self.conn.recv(4096)
                    if not data:
                        break
            except OSError:
                pass
            try:
                up.sock.shutdown(socket.SHUT_WR)
            except OSError:
                pass

        def to_client():
            try:
                if up.buf:
                    self.conn.sendall(up.buf)
                while True:
                    data = up.sock.recv(4096)
                    if not data:
                        break
                    self.conn.sendall(data)
            except OSError:
                pass
            for sock in (self.conn, up.sock):
                try:
                    sock.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass

        threads = [threading.Thread(target=to_device, daemon=True), threading.Thread(target=to_client, daemon=True)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        up.sock.close()
