#!/usr/bin/python3
"""A fake Velto gateway (several, in fact) for the tests and for trying the program by hand.

Prints one line READY {"udp": N, "http": N, "proxy": N|null} once it listens, then runs until
SIGTERM/SIGINT or until its standard input (when that is a pipe) is closed. See README.md.
"""

import argparse
import json
import os
import signal
import time
import stat
import sys
import threading

from device import default_devices
from devicehttp import DeviceHandler, Server
from proxy import ProxyHandler
from state import EmulatorState
from udp import UdpResponder


def parse_args(argv):
    p = argparse.ArgumentParser(description="Emulates Velto gateways on UDP and HTTP.")
    p.add_argument("--devices", help="JSON file, or JSON text, describing the devices "
                   "(default: three example devices on 127.0.0.2..4)")
    p.add_argument("--udp-port", type=int, default=998)
    p.add_argument("--udp-address", default="0.0.0.0")
    p.add_argument("--udp-sniff", action="store_true",
                   help="receive through a raw socket instead of binding the UDP port, so the "
                        "program can hold that port on the same machine (needs root)")
    p.add_argument("--udp-reply-to", metavar="HOST:PORT",
                   help="send UDP answers there (e.g. a broadcast address) instead of the sender")
    p.add_argument("--http-port", type=int, default=80)
    p.add_argument("--http-address", default="0.0.0.0")
    p.add_argument("--proxy-port", type=int, help="also run the HTTP proxy on this port")
    p.add_argument("--proxy-address", default="0.0.0.0")
    p.add_argument("--proxy-user")
    p.add_argument("--proxy-pass")
    p.add_argument("--verbose", action="store_true", help="log every request on stderr")
    return p.parse_args(argv)


def host_port(text):
    host, colon, port = text.rpartition(":")
    if not colon or not host or not port.isdigit():
        raise ValueError("expected HOST:PORT, got %r" % text)
    return host, int(port)


def load_description(arg):
    """(device descriptions, udp reply address or None) from --devices."""
    if arg is None:
        return default_devices(), None
    text = arg if arg.lstrip().startswith(("[", "{")) else open(arg, encoding="utf-8").read()
    doc = json.loads(text)
    if isinstance(doc, list):
        return doc, None
    unknown = set(doc) - {"devices", "udp_reply_to"}
    if unknown:
        raise ValueError("unknown keys %s in the device description" % sorted(unknown))
    reply_to = doc.get("udp_reply_to")
    return doc.get("devices", []), host_port(reply_to) if reply_to else None


def watch_stdin(stopping):
    # Only a pipe means "a test started us"; a terminal or /dev/null must not end the run.
    mode = os.fstat(sys.stdin.fileno()).st_mode
    if not (stat.S_ISFIFO(mode) or stat.S_ISSOCK(mode)):
        return

    def wait_for_eof():
        while os.read(sys.stdin.fileno(), 4096):
            pass
        stopping.set()

    threading.Thread(target=wait_for_eof, daemon=True).start()


def main(argv):
    args = parse_args(argv)
    try:
        devices, reply_to = load_description(args.devices)
        if args.udp_reply_to:
            reply_to = host_port(args.udp_reply_to)
        state = EmulatorState(devices, reply_to)
    except (OSError, ValueError) as fault:
        print("emulator: %s" % fault, file=sys.stderr)
        return 2
    if (args.proxy_user is None) != (args.proxy_pass is None):
        print("emulator: give both --proxy-user and --proxy-pass, or neither", file=sys.stderr)
        return 2

    def log(text):
        if args.verbose:
            print("emulator: " + text, file=sys.stderr, flush=True)

    try:
        udp = UdpResponder(state, args.udp_address, args.udp_port, log, args.udp_sniff)
        http = Server((args.http_address, args.http_port), DeviceHandler, state, log)
        servers = [http]
        proxy_port = None
        if args.proxy_port is not None:
            proxy = Server((args.proxy_address, args.proxy_port), ProxyHandler, state, log)
            proxy.auth = (args.proxy_user, args.proxy_pass) if args.proxy_user is not None else None
            proxy_port = proxy.server_address[1]
            servers.append(proxy)
    except OSError as fault:
        print("emulator: cannot listen: %s (ports below 1024 need root; tests pass 0)" % fault,
              file=sys.stderr)
        return 2

    threads = [threading.Thread(target=udp.serve, daemon=True)]
    threads += [threading.Thread(target=s.serve_forever, args=(0.2,), daemon=True)
                for s in servers]
    for t in threads:
        t.start()

    # A signal only raises a flag: the handler runs on the main thread, which may be inside the
    # event's wait holding its lock, so setting the event from there could deadlock.
    signalled = []
    signal.signal(signal.SIGTERM, lambda *_: signalled.append(True))
    signal.signal(signal.SIGINT, lambda *_: signalled.append(True))
    print("READY " + json.dumps({"udp": udp.port, "http": http.server_address[1],
                                 "proxy": proxy_port}), flush=True)
    watch_stdin(state.stopping)

    while not signalled and not state.stopping.is_set():
        time.sleep(0.2)
    state.stopping.set()
    for s in servers:
        s.shutdown()
        s.server_close()
    udp.close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
