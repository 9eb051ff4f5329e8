"""The devices' UDP side: HELLO -> NTM from every device, CONFIG -> ACK/NAK from the one addressed."""

import socket
import struct
import threading

from device import is_dotted_quad
from kprot import dsc_make, dsc_parse


def config_target(state, params):
    """(device, password, address params) of a CONFIG packet, or None.

    An empty password may have been left out altogether, which moves the MAC to the front.
    """
    if len(params) >= 2 and state.by_mac(params[1]):
        return state.by_mac(params[1]), params[0], params[2:]
    if params and state.by_mac(params[0]):
        return state.by_mac(params[0]), "", params[1:]
    return None


def configure(dev, password, rest):
    if password != dev.admin_password or len(rest) < 3:
        return False
    ip, netmask, gateway = rest[:3]
    if not all(is_dotted_quad(a) for a in (ip, netmask, gateway)):
        return False
    # The device restarts by itself here. 0.0.0.0 asks for DHCP, whose emulated lease keeps the
    # old addresses.
    if ip == "0.0.0.0":
        dev.dhcp = True
    else:
        dev.dhcp = False
        dev.ip, dev.netmask, dev.gateway = ip, netmask, gateway
    if len(rest) >= 4 and dev.hostname is not None:
        dev.hostname = rest[3]
    return True


class UdpResponder:
    def __init__(self, state, address, port, log, sniff=False):
        self.state = state
        self.log = log
        self.sniff = sniff
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        if sniff:
            # The program holds its port alone. A raw socket sees the datagrams sent to the port
            # all the same; the answers go out from a port of their own.
            self.raw = socket.socket(socket.AF_INET, socket.SOCK_RAW, socket.IPPROTO_UDP)
            self.raw.settimeout(0.2)
            self.sock.bind((address, 0))
            self.port = port
        else:
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            self.sock.bind((address, port))
            self.sock.settimeout(0.2)
            self.port = self.sock.getsockname()[1]

    def receive(self):
        """(payload, peer) of the next datagram to the device port; None when there is none yet."""
        if not self.sniff:
            return self.sock.recvfrom(65535)
        packet, _ = self.raw.recvfrom(65535)
        ihl = (packet[0] & 0x0F) * 4
        if len(packet) < ihl + 8:
            return None
        src, dst, length = struct.unpack("!HHH", packet[ihl:ihl + 6])
        if dst != self.port or src == self.sock.getsockname()[1]:
            return None
        peer = (socket.inet_ntoa(packet[12:16]), src)
        return packet[ihl + 8:ihl + max(length, 8)], peer

    def close(self):
        self.sock.close()
        if self.sniff:
            self.raw.close()

    def serve(self):
        while not self.state.stopping.is_set():
            try:
                got = self.receive()
            except socket.timeout:
                continue
            except OSError:
                if self.state.stopping.is_set():
                    return
                continue
            if got is not None:
                self.handle(*got)

    def handle(self, data, peer):
        state = self.state
        dest = state.udp_reply_to or peer
        entry = {"kind": "udp", "peer": "%s:%d" % peer, "data": data.decode("latin-1"),
                 "command": None, "device": None, "replies": []}
        sends = []
        with state.lock:
            packet = dsc_parse(data)
            if packet:
                command, params = packet
                entry["command"] = command
                if command == "HELLO":
                    for dev in state.devices:
                        delay = self.allowed(dev, command)
                        if delay is not None:
                            ntm = dsc_make("NTM", dev.ntm_params())
                            sends += [(delay, ntm)] * (2 if dev.udp_twice else 1)
                elif command == "CONFIG":
                    target = config_target(state, params)
                    if target:
                        dev = target[0]
                        entry["device"] = dev.mac
                        delay = self.allowed(dev, command)
                        if delay is not None:
                            verdict = "ACK" if configure(*target) else "NAK"
                            sends.append((delay, dsc_make(verdict, [dev.mac])))
            entry["replies"] = [{"to": "%s:%d" % dest, "data": p.decode("latin-1"),
                                 "delay_ms": d} for d, p in sends]
            state.record(entry)
        self.log("udp %s from %s:%d -> %d replies" % (data[:60], peer[0], peer[1], len(sends)))
        for delay, payload in sends:
            if delay:
                timer = threading.Timer(delay / 1000.0, self.send, (payload, dest))
                timer.daemon = True
                timer.start()
            else:
                self.send(payload, dest)

    def allowed(self, dev, command):
        """None when the device keeps silent, else the delay of its answer in ms."""
        if dev.udp_silent:
            return None
        rule = self.state.take_failure(dev.mac, "udp", command)
        if rule is None:
            return 0
        return None if rule.name == "silent" else rule.delay_ms

    def send(self, payload, dest):
        if self.state.stopping.is_set():
            return
        try:
            self.sock.sendto(payload, dest)
        except OSError as fault:
            self.log("udp send to %s:%d failed: %s" % (dest[0], dest[1], fault))
