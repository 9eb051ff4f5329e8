"""The devices' UDP side: HELLO -> NTM from every device, CONFIG -> ACK/NAK from the one addressed."""

import socket
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
    def __init__(self, state, address, port, log):
        self.state = state
        self.log = log
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        # The program binds the same port on its own addresses; both sides must allow sharing.
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.bind((address, port))
        self.sock.settimeout(0.2)
        self.port = self.sock.getsockname()[1]

    def serve(self):
        while not self.state.stopping.is_set():
            try:
                data, peer = self.sock.recvfrom(65535)
            except socket.timeout:
                continue
            except OSError:
                if self.state.stopping.is_set():
                    return
                continue
            self.handle(data, peer)

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
