#!/usr/bin/python3
"""Checks the device emulator against literal wire bytes, from outside, over real sockets.

Run directly it also runs the configuration and tag monitor tests (test_gateway_config.py,
test_tag_monitor.py), so that one CTest entry covers the whole emulator.
"""

import base64
import importlib
import json
import os
import signal
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import kprot  # noqa: E402
from emuharness import (HERE, MAC1, MAC2, MAC3, READY_RE, Emulator, EmulatorCase,  # noqa: E402
                        http_exchange, raw_exchange, receive_datagrams, split_response)

MORE_TESTS = ("test_gateway_config", "test_tag_monitor")


def load_tests(loader, tests, pattern):
    for name in MORE_TESTS:
        tests.addTests(loader.loadTestsFromModule(importlib.import_module(name)))
    return tests


class KProtModuleTest(unittest.TestCase):
    def test_writes_fields_with_escapes(self):
        msg = kprot.Message("GETX").add("NAME", "a,b=(c);d").add("N", 3).add("F", True)
        self.assertEqual(msg.text(), "GETX(NAME=a/cob/eq/spc/ep/scd,N=3,F=1,);")
        self.assertEqual(kprot.Message("ACK").text(), "ACK();")

    def test_reads_what_it_writes(self):
        msg = kprot.parse(b"GETX(NAME=a/cob/eq/spc/ep/scd,EMPTY=,);")
        self.assertEqual(msg.command, "GETX")
        self.assertEqual(msg.fields, [("NAME", "a,b=(c);d"), ("EMPTY", "")])

    def test_unknown_code_yields_nothing(self):
        self.assertEqual(kprot.parse(b"X(A=a/xyb/,);").get("A"), "ab")

    def test_refuses_malformed_messages(self):
        for bad in (b"GETX();\r\n", b"GETX(A=1);", b"GETX()", b"(A=1,);", b"GETX(A,);",
                    b"GETX(A=1=2,);", b" GETX();"):
            with self.assertRaises(kprot.MalformedMessage, msg=bad):
                kprot.parse(bad)

    def test_discovery_packets(self):
        self.assertEqual(kprot.dsc_make("NTM", ["a", "", "c"]), b"NTM(a,,c)")
        self.assertEqual(kprot.dsc_parse(b"CONFIG(,m,1)"), ("CONFIG", ["", "m", "1"]))
        self.assertEqual(kprot.dsc_parse(b"HELLO()"), ("HELLO", []))
        self.assertIsNone(kprot.dsc_parse(b"HELLO()\x00"))


class StartupTest(unittest.TestCase):
    def test_ready_line_and_stdin_close_ends_the_run(self):
        emu = Emulator("--proxy-port", "0")
        self.assertTrue(READY_RE.match(emu.ready_line))
        self.assertIsNotNone(emu.proxy)
        emu.proc.stdin.close()
        self.assertEqual(emu.proc.wait(5), 0)
        emu.stop()

    def test_proxy_port_is_null_without_proxy_and_sigterm_ends_the_run(self):
        emu = Emulator()
        self.assertIsNone(emu.proxy)
        emu.proc.send_signal(signal.SIGTERM)
        self.assertEqual(emu.proc.wait(5), 0)
        emu.stop()

    def test_default_devices(self):
        emu = Emulator(devices=None)
        try:
            got = sorted(emu.udp_exchange(b"HELLO()", 3))
            self.assertEqual(len(got), 3)
            self.assertTrue(got[0].startswith(b"NTM(1109,2.0.4-SN,"), got)
            self.assertTrue(got[1].startswith(b"NTM(1116,2.0.5-SN,"), got)
            self.assertTrue(got[2].startswith(b"NTM(1118,2.0.4-SN-R,"), got)
            self.assertEqual(emu.kprot("127.0.0.4", "GETADMIN();"), "ADMIN(PWD=admin,);")
        finally:
            emu.stop()

    def test_ftp_device_started_by_hand_serves_until_a_signal(self):
        # Started from a shell in the background its input is a terminal or /dev/null, which
        # must not end the run as the end of a test's pipe does.
        proc = subprocess.Popen([sys.executable, os.path.join(HERE, "ftpdevice.py"), "--port", "0",
                                 "--address", "127.0.0.1"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            line = proc.stdout.readline().decode()
            self.assertTrue(line.startswith("READY "), line)
            port = json.loads(line[6:])["ftp"]
            time.sleep(0.3)
            self.assertIsNone(proc.poll())
            with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
                self.assertTrue(s.recv(100).startswith(b"220"))
            proc.send_signal(signal.SIGTERM)
            self.assertEqual(proc.wait(5), 0)
        finally:
            if proc.poll() is None:
                proc.kill()
            proc.wait(5)
            proc.stdout.close()
            proc.stderr.close()

    def test_bad_description_fails_clearly(self):
        for devices in ('[{"mac": "00-11-22-33-44-55", "colour": "red"}]', '[{"ip": "1.2.3.4"}]',
                        '[{"mac": "00-11"}]', "[1"):
            proc = subprocess.run([sys.executable, os.path.join(HERE, "emulator.py"),
                                   "--devices", devices, "--udp-port", "0", "--http-port", "0"],
                                  stdin=subprocess.DEVNULL, capture_output=True, timeout=10)
            self.assertEqual(proc.returncode, 2, devices)
            self.assertEqual(proc.stdout, b"")
            self.assertIn(b"emulator: ", proc.stderr)


class UdpTest(EmulatorCase):
    NTM1 = (b"NTM(1118,2.0.4-SN-R,00-11-22-33-44-55,127.0.0.2,255.0.0.0,127.0.0.1,0,tank-1)")
    NTM2 = b"NTM(1109,2.0.4-SN,00-11-22-33-44-66,127.0.0.3,255.255.255.0,0.0.0.0,1)"
    NTM3 = b"NTM(1116,2.0.5-SN,0A-0B-0C-0D-0E-0F,127.0.0.4,255.255.0.0,127.0.0.1,0,)"

    def test_hello_gets_one_ntm_per_device_and_two_from_a_device_on_two_interfaces(self):
        got = self.emu.udp_exchange(b"HELLO()", None, timeout=0.7)
        self.assertEqual(got, [self.NTM1, self.NTM2, self.NTM3, self.NTM3])

    def test_ntm_follows_the_device_state(self):
        self.emu.control("POST", "device/" + MAC1, {"udp_twice": False, "dhcp": True})
        self.emu.control("POST", "device/" + MAC3, {"udp_silent": True})
        got = self.emu.udp_exchange(b"HELLO()", None, timeout=0.7)
        self.assertEqual(got, [self.NTM1.replace(b",0,tank-1", b",1,tank-1"), self.NTM2])

    def test_other_datagrams_get_no_answer(self):
        for junk in (b"hello()", b"NTM(1,2)", b"HELLO()\r\n", b"", b"\xff\x00"):
            self.assertEqual(self.emu.udp_exchange(junk, None, timeout=0.3), [], junk)

    def test_config_with_the_right_password_is_acked_and_applied(self):
        got = self.emu.udp_exchange(
            b"CONFIG(secret,00-11-22-33-44-55,127.0.0.9,255.255.0.0,127.0.0.254,pump)", None,
            timeout=0.5)
        self.assertEqual(got, [b"ACK(00-11-22-33-44-55)"])
        dev = self.emu.device(MAC1)
        self.assertEqual((dev["ip"], dev["netmask"], dev["gateway"], dev["hostname"], dev["dhcp"]),
                         ("127.0.0.9", "255.255.0.0", "127.0.0.254", "pump", False))
        self.assertEqual(self.emu.device(MAC2)["ip"], "127.0.0.3")

    def test_config_with_a_wrong_password_is_nakked_and_changes_nothing(self):
        got = self.emu.udp_exchange(
            b"CONFIG(Secret,00-11-22-33-44-55,127.0.0.9,255.255.0.0,127.0.0.254)", None, 0.5)
        self.assertEqual(got, [b"NAK(00-11-22-33-44-55)"])
        self.assertEqual(self.emu.device(MAC1)["ip"], "127.0.0.2")

    def test_config_with_dhcp_addresses_switches_dhcp_on(self):
        got = self.emu.udp_exchange(
            b"CONFIG(secret,00-11-22-33-44-55,0.0.0.0,0.0.0.0,0.0.0.0,tank-1)", None, 0.5)
        self.assertEqual(got, [b"ACK(00-11-22-33-44-55)"])
        self.assertTrue(self.emu.device(MAC1)["dhcp"])

    def test_empty_password_is_found_in_either_form(self):
        for packet in (b"CONFIG(,00-11-22-33-44-66,127.0.0.7,255.0.0.0,0.0.0.0)",
                       b"CONFIG(00-11-22-33-44-66,127.0.0.8,255.0.0.0,0.0.0.0)"):
            got = self.emu.udp_exchange(packet, None, 0.5)
            self.assertEqual(got, [b"ACK(00-11-22-33-44-66)"], packet)
        self.assertEqual(self.emu.device(MAC2)["ip"], "127.0.0.8")
        # A device with a password refuses the empty one.
        got = self.emu.udp_exchange(b"CONFIG(00-11-22-33-44-55,127.0.0.8,255.0.0.0,0.0.0.0)",
                                    None, 0.5)
        self.assertEqual(got, [b"NAK(00-11-22-33-44-55)"])

    def test_config_for_an_unknown_mac_or_with_bad_addresses(self):
        self.assertEqual(self.emu.udp_exchange(
            b"CONFIG(secret,00-11-22-33-44-77,127.0.0.9,255.0.0.0,0.0.0.0)", None, 0.3), [])
        self.assertEqual(self.emu.udp_exchange(
            b"CONFIG(secret,00-11-22-33-44-55,127.0.0.300,255.0.0.0,0.0.0.0)", None, 0.3),
            [b"NAK(00-11-22-33-44-55)"])

    def test_udp_failure_rules(self):
        self.emu.fail(mac=MAC2, channel="udp", mode="silent", count=1)
        self.emu.fail(mac=MAC1, channel="udp", mode="delay:400", command="HELLO")
        start = time.monotonic()
        got = self.emu.udp_exchange(b"HELLO()", 3, timeout=2.0)
        self.assertEqual(got, [self.NTM3, self.NTM3, self.NTM1])
        self.assertGreaterEqual(time.monotonic() - start, 0.35)
        # The silence was for one request only; the delay was only for HELLO.
        got = self.emu.udp_exchange(b"HELLO()", 4, timeout=2.0)
        self.assertEqual(sorted(got), sorted([self.NTM1, self.NTM2, self.NTM3, self.NTM3]))
        self.assertEqual(self.emu.udp_exchange(
            b"CONFIG(secret,00-11-22-33-44-55,127.0.0.9,255.0.0.0,0.0.0.0)", 1, 0.3),
            [b"ACK(00-11-22-33-44-55)"])

    def test_datagrams_are_recorded_with_sender_and_answers(self):
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.bind(("127.0.0.1", 0))
        s.sendto(b"HELLO()", ("127.0.0.1", self.emu.udp))
        receive_datagrams(s, 4, 1.0)
        sender = "127.0.0.1:%d" % s.getsockname()[1]
        s.close()
        (rec,) = self.emu.requests("udp")
        self.assertEqual((rec["data"], rec["peer"], rec["command"]), ("HELLO()", sender, "HELLO"))
        self.assertEqual([r["data"].encode("latin-1") for r in rec["replies"]],
                         [self.NTM1, self.NTM2, self.NTM3, self.NTM3])
        self.assertEqual({r["to"] for r in rec["replies"]}, {sender})


class UdpBroadcastReplyTest(unittest.TestCase):
    def test_answers_go_to_the_given_broadcast_address(self):
        listener = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        listener.bind(("0.0.0.0", 0))
        port = listener.getsockname()[1]
        emu = Emulator("--udp-reply-to", "127.255.255.255:%d" % port)
        try:
            sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
            sender.bind(("127.0.0.1", 0))
            sender.sendto(b"HELLO()", ("127.0.0.1", emu.udp))
            self.assertEqual(len(receive_datagrams(listener, 4, 1.0)), 4)
            self.assertEqual(receive_datagrams(sender, None, 0.3), [])
            (rec,) = emu.requests("udp")
            self.assertEqual(rec["replies"][0]["to"], "127.255.255.255:%d" % port)
            sender.close()
        finally:
            emu.stop()
            listener.close()


@unittest.skipUnless(os.geteuid() == 0, "a raw socket needs root")
class UdpSniffTest(unittest.TestCase):
    def test_answers_a_program_that_holds_the_port_alone(self):
        program = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        program.bind(("0.0.0.0", 0))
        port = program.getsockname()[1]
        emu = Emulator("--udp-port", str(port), "--udp-sniff")
        try:
            program.sendto(b"HELLO()", ("127.0.0.1", port))
            got = receive_datagrams(program, 4, 2.0)
            # Its own HELLO comes back too: the port is the program's alone.
            self.assertEqual(sorted(got)[:1], [b"HELLO()"])
            self.assertEqual(sum(1 for d in got if d.startswith(b"NTM(")), 3)
            (rec,) = emu.requests("udp")
            self.assertEqual(rec["peer"], "127.0.0.1:%d" % port)
        finally:
            emu.stop()
            program.close()


class HttpCommandTest(EmulatorCase):
    H1 = "127.0.0.2"

    def test_reads(self):
        cases = [
            ("GETDEVICE();", "DEVICE(VERSION=2.0.4-SN-R,MAC=00-11-22-33-44-55,ID=1118,);"),
            ("GETNET();", "NETWORK(NAME=tank-1,DHCP=0,IP=127.0.0.2,NETMASK=255.0.0.0,"
                          "GATEWAY=127.0.0.1,FSTDNS=10.0.0.53,SNDDNS=10.0.0.54,SNMP=1,"
                          "MANAGER=10.0.0.9,READS=pub/cor,WRITES=priv,TRAPS=trap,);"),
            ("GETLOG();", "LOG(ENABLE=1,TIME=120,COUNT=4,);"),
            ("GETADMIN();", "ADMIN(PWD=secret,);"),
            ("GETUSER();", "USER(USERNAME=op,);"),
            ("GETTIME();", "TIME(TIME=05032007140709,);"),
        ]
        for request, expected in cases:
            self.assertEqual(self.emu.kprot(self.H1, request), expected, request)

    def test_reads_of_a_second_device_on_the_same_port(self):
        self.assertEqual(self.emu.kprot("127.0.0.3", "GETDEVICE();"),
                         "DEVICE(VERSION=2.0.4-SN,MAC=00-11-22-33-44-66,ID=1109,);")
        self.assertEqual(self.emu.kprot("127.0.0.3", "GETNET();"),
                         "NETWORK(NAME=,DHCP=1,IP=127.0.0.3,NETMASK=255.255.255.0,"
                         "GATEWAY=0.0.0.0,FSTDNS=0.0.0.0,SNDDNS=0.0.0.0,SNMP=0,MANAGER=0.0.0.0,"
                         "READS=public,WRITES=private,TRAPS=public,);")
        self.assertEqual(self.emu.kprot("127.0.0.3", "GETLOG();"), "NAK(REASON=No log,);")
        self.assertEqual(self.emu.kprot("127.0.0.3", "SETLOG(ENABLE=1,TIME=60,COUNT=1,);"),
                         "NAK(REASON=No log,);")

    def test_the_clock_runs_unless_frozen(self):
        self.emu.control("POST", "device/" + MAC1, {"clock_running": True,
                                                    "clock": "31122007235959"})
        time.sleep(1.1)
        self.assertIn(self.emu.kprot(self.H1, "GETTIME();"),
                      ("TIME(TIME=01012008000000,);", "TIME(TIME=01012008000001,);"))

    def test_setnet_with_the_right_password(self):
        body = ("SETNET(PWD=secret,NAME=pump/co2,IP=127.0.0.12,NETMASK=255.255.0.0,"
                "GATEWAY=127.0.0.254,FSTDNS=1.1.1.1,SNDDNS=8.8.8.8,SNMP=0,MANAGER=0.0.0.0,"
                "READS=,WRITES=,TRAPS=,);")
        stored = ("NETWORK(NAME=pump/co2,DHCP=0,IP=127.0.0.12,NETMASK=255.255.0.0,"
                  "GATEWAY=127.0.0.254,FSTDNS=1.1.1.1,SNDDNS=8.8.8.8,SNMP=0,"
                  "MANAGER=0.0.0.0,READS=,WRITES=,TRAPS=,);")
        self.assertEqual(self.emu.kprot(self.H1, body), "ACK();")
        # Stored at once, in use after the reset, which still goes to the old address.
        self.assertEqual(self.emu.kprot(self.H1, "GETNET();"), stored)
        self.assertEqual(self.emu.device(MAC1)["ip"], "127.0.0.2")
        self.assertEqual(self.emu.kprot(self.H1, "RESET();"), "ACK();")
        dev = self.emu.device(MAC1)
        self.assertEqual((dev["resets"], dev["ip"], dev["hostname"], dev["snmp"],
                          dev["pending_network"]), (1, "127.0.0.12", "pump,2", False, None))
        self.assertEqual(self.emu.kprot("127.0.0.12", "GETNET();"), stored)
        status, _, _ = self.emu.post(self.H1, "GETNET();")
        self.assertEqual(status, 404)

    def test_setnet_with_dhcp_keeps_the_device_reachable(self):
        body = ("SETNET(PWD=secret,NAME=tank-1,IP=0.0.0.0,NETMASK=0.0.0.0,GATEWAY=0.0.0.0,"
                "FSTDNS=0.0.0.0,SNDDNS=0.0.0.0,SNMP=1,MANAGER=10.0.0.9,READS=a,WRITES=b,"
                "TRAPS=c,);")
        self.assertEqual(self.emu.kprot(self.H1, body), "ACK();")
        self.assertEqual(self.emu.kprot(self.H1, "RESET();"), "ACK();")
        self.assertEqual(self.emu.kprot(self.H1, "GETNET();"),
                         "NETWORK(NAME=tank-1,DHCP=1,IP=127.0.0.2,NETMASK=255.0.0.0,"
                         "GATEWAY=127.0.0.1,FSTDNS=10.0.0.53,SNDDNS=10.0.0.54,SNMP=1,"
                         "MANAGER=10.0.0.9,READS=a,WRITES=b,TRAPS=c,);")

    def test_setnet_refusals_change_nothing(self):
        good = ("SETNET(PWD=secret,NAME=x,IP=127.0.0.12,NETMASK=255.0.0.0,GATEWAY=0.0.0.0,"
                "FSTDNS=0.0.0.0,SNDDNS=0.0.0.0,SNMP=0,MANAGER=0.0.0.0,READS=,WRITES=,TRAPS=,);")
        cases = [
            (good.replace("PWD=secret", "PWD=secreT"), "NAK(REASON=Wrong password,);"),
            (good.replace("TRAPS=,", ""), "NAK(REASON=Missing field TRAPS,);"),
            (good.replace("IP=127.0.0.12", "IP=127.0.0.1a"), "NAK(REASON=Invalid value for IP,);"),
            (good.replace("SNMP=0", "SNMP=yes"), "NAK(REASON=Invalid value for SNMP,);"),
            (good.replace("NAME=", "name="), "NAK(REASON=Missing field NAME,);"),
        ]
        before = self.emu.device(MAC1)
        for request, expected in cases:
            self.assertEqual(self.emu.kprot(self.H1, request), expected, request)
        self.assertEqual(self.emu.device(MAC1), before)

    def test_user_admin_time_and_log_settings(self):
        self.assertEqual(self.emu.kprot(self.H1, "SETUSER(USERNAME=anna,PWD=pw/eq1,);"), "ACK();")
        self.assertEqual(self.emu.kprot(self.H1, "GETUSER();"), "USER(USERNAME=anna,);")
        self.assertEqual(self.emu.device(MAC1)["user_password"], "pw=1")
        self.assertEqual(self.emu.kprot(self.H1, "SETADMIN(PWD=new/sc,);"), "ACK();")
        self.assertEqual(self.emu.kprot(self.H1, "GETADMIN();"), "ADMIN(PWD=new/sc,);")
        self.assertEqual(self.emu.kprot(self.H1, "SETTIME(TIME=29022008010203,);"), "ACK();")
        self.assertEqual(self.emu.kprot(self.H1, "GETTIME();"), "TIME(TIME=29022008010203,);")
        self.assertEqual(self.emu.kprot(self.H1, "SETLOG(ENABLE=0,TIME=3600,COUNT=16,);"),
                         "ACK();")
        self.assertEqual(self.emu.kprot(self.H1, "GETLOG();"), "LOG(ENABLE=0,TIME=3600,COUNT=16,);")
        dev = self.emu.device(MAC1)
        self.assertEqual((dev["user_name"], dev["admin_password"], dev["clock"]),
                         ("anna", "new;", "29022008010203"))

    def test_bad_settings_are_refused(self):
        cases = [
            ("SETTIME(TIME=31042007120000,);", "NAK(REASON=Invalid value for TIME,);"),
            ("SETTIME(TIME=0503200714070,);", "NAK(REASON=Invalid value for TIME,);"),
            ("SETLOG(ENABLE=1,TIME=9,COUNT=0,);", "NAK(REASON=Invalid value for TIME,);"),
            ("SETLOG(ENABLE=1,TIME=3601,COUNT=0,);", "NAK(REASON=Invalid value for TIME,);"),
            ("SETLOG(ENABLE=1,TIME=10,COUNT=17,);", "NAK(REASON=Invalid value for COUNT,);"),
            ("SETUSER(USERNAME=x,);", "NAK(REASON=Missing field PWD,);"),
            ("SETADMIN();", "NAK(REASON=Missing field PWD,);"),
        ]
        for request, expected in cases:
            self.assertEqual(self.emu.kprot(self.H1, request), expected, request)
        self.assertEqual(self.emu.device(MAC1)["clock"], "05032007140709")

    def test_unknown_and_malformed_requests(self):
        cases = [
            ("XYZ();", "NAK(REASON=Unknown command,);"),
            ("getnet();", "NAK(REASON=Unknown command,);"),
            ("GETNET();\r\n", "NAK(REASON=Malformed message,);"),
            ("GETNET()", "NAK(REASON=Malformed message,);"),
            ("", "NAK(REASON=Malformed message,);"),
        ]
        for request, expected in cases:
            self.assertEqual(self.emu.kprot(self.H1, request), expected, repr(request))
        # The application page has only the tag monitor's commands.
        self.assertEqual(self.emu.kprot(self.H1, "GETNET();", path="/apppost.cgi"),
                         "NAK(REASON=Unknown command,);")

    def test_device_is_chosen_by_host_name_and_port_is_ignored(self):
        for host in ("velto.example.test", "VELTO.example.test:80", "127.0.0.2:8080"):
            status, _, body = http_exchange(
                self.emu.http, "127.0.0.1",
                ("POST /admpost.cgi HTTP/1.0\r\nHost: %s\r\nContent-Length: 11\r\n\r\nGETADMIN();"
                 % host).encode())
            self.assertEqual((status, body), (200, b"ADMIN(PWD=secret,);"), host)

    def test_without_host_header_the_dialled_address_counts(self):
        status, _, body = http_exchange(
            self.emu.http, "127.0.0.3",
            b"POST /admpost.cgi HTTP/1.0\r\nContent-Length: 11\r\n\r\nGETADMIN();")
        self.assertEqual((status, body), (200, b"ADMIN(PWD=,);"))

    def test_http_errors(self):
        self.assertEqual(self.emu.post("127.0.0.9", "GETNET();")[0], 404)
        self.assertEqual(self.emu.post(self.H1, "GETNET();", path="/index.html")[0], 404)
        status, _, _ = http_exchange(self.emu.http, self.H1,
                                     b"GET /admpost.cgi HTTP/1.0\r\nHost: 127.0.0.2\r\n\r\n")
        self.assertEqual(status, 405)
        self.assertEqual(http_exchange(self.emu.http, self.H1, b"NONSENSE\r\n\r\n")[0], 400)

    def test_response_is_http_1_0_with_length_and_closes(self):
        raw = raw_exchange(self.emu.http, self.H1,
                           b"POST /admpost.cgi HTTP/1.1\r\nHost: 127.0.0.2\r\n"
                           b"Connection: keep-alive\r\nContent-Length: 11\r\n\r\nGETADMIN();")
        self.assertEqual(raw, b"HTTP/1.0 200 OK\r\nContent-Type: text/x-kprot\r\n"
                              b"Content-Length: 19\r\nConnection: close\r\n\r\nADMIN(PWD=secret,);")


class HttpFailureTest(EmulatorCase):
    H1 = "127.0.0.2"

    def connect(self, body="GETNET();"):
        s = socket.create_connection((self.H1, self.emu.http), timeout=5)
        s.sendall(("POST /admpost.cgi HTTP/1.0\r\nHost: 127.0.0.2\r\nContent-Length: %d\r\n\r\n%s"
                   % (len(body), body)).encode())
        return s

    def test_silent_holds_the_connection_without_a_byte(self):
        self.emu.fail(mac=MAC1, mode="silent")
        s = self.connect()
        s.settimeout(1.0)
        with self.assertRaises(socket.timeout):
            s.recv(10)
        s.close()
        self.assertEqual(self.emu.requests("http")[0]["failure"], "silent")

    def test_http500_and_wrong(self):
        self.emu.fail(mac=MAC1, mode="http500", count=1)
        self.assertEqual(self.emu.post(self.H1, "GETNET();")[0], 500)
        self.emu.fail(mac=MAC1, mode="wrong", count=1)
        self.assertEqual(self.emu.kprot(self.H1, "GETNET();"), "XYZ();")
        self.assertTrue(self.emu.kprot(self.H1, "GETNET();").startswith("NETWORK("))

    def test_failed_requests_change_nothing(self):
        self.emu.fail(mac=MAC1, mode="http500")
        self.assertEqual(self.emu.post(self.H1, "SETADMIN(PWD=x,);")[0], 500)
        self.assertEqual(self.emu.device(MAC1)["admin_password"], "secret")

    def test_delay(self):
        self.emu.fail(mac=MAC1, mode="delay:500", count=1)
        start = time.monotonic()
        self.assertEqual(self.emu.kprot(self.H1, "GETADMIN();"), "ADMIN(PWD=secret,);")
        self.assertGreaterEqual(time.monotonic() - start, 0.45)
        start = time.monotonic()
        self.emu.kprot(self.H1, "GETADMIN();")
        self.assertLess(time.monotonic() - start, 0.4)

    def test_drip(self):
        self.emu.fail(mac=MAC1, mode="drip:50", count=1)
        start = time.monotonic()
        self.assertEqual(self.emu.kprot(self.H1, "GETADMIN();"), "ADMIN(PWD=secret,);")
        # The 19 bytes of the body took a pause each.
        self.assertGreaterEqual(time.monotonic() - start, 19 * 0.05 * 0.9)
        self.assertEqual(self.emu.requests("http")[0]["failure"], "drip:50")
        with self.assertRaises(AssertionError):
            self.emu.fail(mac=MAC1, mode="drip:x")
        with self.assertRaises(AssertionError):
            self.emu.fail(mac=MAC1, mode="drip:5", channel="udp")

    def test_cookie(self):
        self.assertEqual(self.emu.control("POST", "device/" + MAC1, {"cookie": "session=7"})[0], 200)
        status, headers, body = self.emu.post(self.H1, "GETADMIN();")
        self.assertEqual((status, headers.get("Set-Cookie")), (200, "session=7; Path=/"))
        status, headers, body = self.emu.post("127.0.0.3", "GETADMIN();")
        self.assertNotIn("Set-Cookie", headers)

    def test_close_and_cut(self):
        self.emu.fail(mac=MAC1, mode="close", count=1)
        s = self.connect()
        self.assertEqual(s.recv(100), b"")
        s.close()
        self.emu.fail(mac=MAC1, mode="cut", count=1)
        s = self.connect("GETADMIN();")
        raw = b""
        while True:
            chunk = s.recv(4096)
            if not chunk:
                break
            raw += chunk
        s.close()
        self.assertEqual(raw, b"HTTP/1.0 200 OK\r\nContent-Type: text/x-kprot\r\n"
                              b"Content-Length: 19\r\nConnection: close\r\n\r\nADMIN(PWD")

    def test_big(self):
        self.emu.fail(mac=MAC1, mode="big", count=1)
        status, headers, body = self.emu.post(self.H1, "GETADMIN();")
        self.assertEqual((status, len(body)), (200, 10 * 1024 * 1024))
        self.assertTrue(body.startswith(b"ADMIN(PWD=secret,); "))

    def test_rule_for_one_command_and_one_device(self):
        self.emu.fail(mac=MAC1, mode="http500", command="GETNET")
        self.assertEqual(self.emu.post(self.H1, "GETNET();")[0], 500)
        self.assertEqual(self.emu.post(self.H1, "GETNET();")[0], 500)
        self.assertEqual(self.emu.post(self.H1, "GETDEVICE();")[0], 200)
        self.assertEqual(self.emu.post("127.0.0.3", "GETNET();")[0], 200)
        status, rules = self.emu.control("GET", "fail")
        self.assertEqual(rules, [{"mac": MAC1, "channel": "http", "mode": "http500",
                                  "count": None, "command": "GETNET", "skip": 0}])
        self.emu.control("POST", "fail/clear", {"mac": MAC1})
        self.assertEqual(self.emu.post(self.H1, "GETNET();")[0], 200)

    def test_rule_for_every_device_and_bad_rules(self):
        self.emu.fail(mode="http500", count=2)
        self.assertEqual(self.emu.post(self.H1, "GETNET();")[0], 500)
        self.assertEqual(self.emu.post("127.0.0.3", "GETNET();")[0], 500)
        self.assertEqual(self.emu.post(self.H1, "GETNET();")[0], 200)
        for bad in ({"mode": "explode"}, {"mode": "delay:x"}, {"mode": "silent", "count": 0},
                    {"mode": "silent", "mac": "00-00-00-00-00-00"}, {"mode": "cut",
                                                                     "channel": "udp"}):
            self.assertEqual(self.emu.control("POST", "fail", bad)[0], 400, bad)
        self.assertEqual(self.emu.control("GET", "fail")[1], [])


class RecordTest(EmulatorCase):
    def test_http_request_is_recorded_exactly(self):
        body = b"SETUSER(USERNAME=\xe9l/co,PWD=a,);"
        head = (b"POST /admpost.cgi HTTP/1.0\r\nHost: 127.0.0.2\r\nContent-Type: text/x-kprot\r\n"
                b"User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\nContent-Length: %d\r\n\r\n"
                % len(body))
        http_exchange(self.emu.http, "127.0.0.2", head + body)
        self.emu.post("127.0.0.3", "GETNET();")
        first, second = self.emu.requests()
        self.assertEqual(first["body"].encode("latin-1"), body)
        self.assertEqual((first["kind"], first["method"], first["path"], first["host"],
                          first["device"], first["command"], first["status"], first["reply"],
                          first["via_proxy"]),
                         ("http", "POST", "/admpost.cgi", "127.0.0.2", MAC1, "SETUSER", 200,
                          "ACK();", False))
        self.assertEqual(first["headers"], [
            ["Host", "127.0.0.2"], ["Content-Type", "text/x-kprot"],
            ["User-Agent", "Mozilla/3.0 (compatible; Indy Library)"],
            ["Content-Length", str(len(body))]])
        self.assertEqual((second["device"], second["command"]), (MAC2, "GETNET"))
        self.assertLess(first["seq"], second["seq"])
        self.assertEqual(self.emu.device(MAC1)["user_name"], "\xe9l,")

    def test_clear_and_reset(self):
        self.emu.post("127.0.0.2", "SETADMIN(PWD=zz,);")
        self.emu.fail(mac=MAC1, mode="http500")
        self.assertEqual(len(self.emu.requests()), 1)
        self.emu.control("POST", "requests/clear")
        self.assertEqual(self.emu.requests(), [])
        self.assertEqual(self.emu.device(MAC1)["admin_password"], "zz")
        self.emu.control("POST", "reset")
        self.assertEqual(self.emu.device(MAC1)["admin_password"], "secret")
        self.assertEqual(self.emu.control("GET", "fail")[1], [])

    def test_device_state_can_be_set_and_bad_changes_are_refused(self):
        status, state = self.emu.control("POST", "device/" + MAC2,
                                         {"admin_password": "pw", "version": "2.0.6-SN-R"})
        self.assertEqual((status, state["admin_password"]), (200, "pw"))
        self.assertEqual(self.emu.kprot("127.0.0.3", "GETLOG();"), "LOG(ENABLE=0,TIME=60,COUNT=0,);")
        for bad in ({"colour": 1}, {"log_time": "60"}, {"ip": "127.0.0.5", "mac": MAC1},
                    {"clock": "99999999999999"}, {"dhcp": 1}):
            status, _ = self.emu.control("POST", "device/" + MAC2, bad)
            self.assertEqual(status, 400, bad)
        self.assertEqual(self.emu.device(MAC2)["ip"], "127.0.0.3")
        self.assertEqual(self.emu.control("GET", "device/00-00-00-00-00-00")[0], 404)
        self.assertEqual([d["mac"] for d in self.emu.control("GET", "devices")[1]],
                         [MAC1, MAC2, MAC3])


class ProxyTest(EmulatorCase):
    ARGS = ("--proxy-port", "0", "--proxy-user", "proxy user", "--proxy-pass", "p:w")
    AUTH = "Basic " + base64.b64encode(b"proxy user:p:w").decode()

    def via_proxy(self, url, auth=None, body="GETDEVICE();"):
        extra = "Proxy-Authorization: %s\r\n" % auth if auth else ""
        data = ("POST %s HTTP/1.0\r\nHost: %s\r\n%sProxy-Connection: Keep-Alive\r\n"
                "Content-Type: text/x-kprot\r\nContent-Length: %d\r\n\r\n%s"
                % (url, url.split("/")[2], extra, len(body), body)).encode()
        raw = raw_exchange(self.emu.proxy, "127.0.0.1", data)
        return split_response(raw)

    def test_requires_basic_authentication(self):
        for auth in (None, "Basic " + base64.b64encode(b"proxy user:p").decode(),
                     "Digest x", "Basic !!!"):
            status, headers, _ = self.via_proxy("http://127.0.0.2/admpost.cgi", auth)
            self.assertEqual(status, 407, auth)
            self.assertEqual(headers["Proxy-Authenticate"], 'Basic realm="emulator"')
        records = self.emu.requests()
        self.assertEqual([(r["kind"], r["authorized"], r["status"]) for r in records],
                         [("proxy", False, 407)] * 4)

    def test_forwards_to_the_device_named_in_the_url(self):
        status, _, body = self.via_proxy("http://velto.example.test/admpost.cgi", self.AUTH)
        self.assertEqual((status, body),
                         (200, b"DEVICE(VERSION=2.0.4-SN-R,MAC=00-11-22-33-44-55,ID=1118,);"))
        proxied, reached = self.emu.requests()
        self.assertEqual((proxied["kind"], proxied["target"], proxied["authorized"],
                          proxied["device"], proxied["status"]),
                         ("proxy", "http://velto.example.test/admpost.cgi", True, MAC1, 200))
        self.assertIn(["Proxy-Authorization", self.AUTH], proxied["headers"])
        self.assertEqual((reached["kind"], reached["via_proxy"], reached["target"],
                          reached["host"], reached["device"], reached["body"]),
                         ("http", True, "/admpost.cgi", "velto.example.test", MAC1,
                          "GETDEVICE();"))
        self.assertNotIn("Proxy-Authorization", [k for k, _ in reached["headers"]])

    def test_unknown_host_and_bad_targets(self):
        self.assertEqual(self.via_proxy("http://nowhere.test/admpost.cgi", self.AUTH)[0], 502)
        status, _, _ = split_response(raw_exchange(
            self.emu.proxy, "127.0.0.1",
            ("POST /admpost.cgi HTTP/1.0\r\nProxy-Authorization: %s\r\nContent-Length: 0\r\n\r\n"
             % self.AUTH).encode()))
        self.assertEqual(status, 400)
        self.assertEqual([r["kind"] for r in self.emu.requests()], ["proxy", "proxy"])

    def test_device_failures_show_through_the_proxy(self):
        self.emu.fail(mac=MAC1, mode="http500", count=1)
        self.assertEqual(self.via_proxy("http://127.0.0.2/admpost.cgi", self.AUTH)[0], 500)
        self.emu.fail(mac=MAC1, mode="close", count=1)
        self.assertEqual(self.via_proxy("http://127.0.0.2/admpost.cgi", self.AUTH)[0], 502)


class OpenProxyTest(EmulatorCase):
    ARGS = ("--proxy-port", "0")

    def test_without_credentials_anything_passes(self):
        raw = raw_exchange(self.emu.proxy, "127.0.0.1",
                           b"POST http://127.0.0.3/admpost.cgi HTTP/1.0\r\nContent-Length: 11\r\n"
                           b"\r\nGETADMIN();")
        self.assertEqual(split_response(raw)[2], b"ADMIN(PWD=,);")
        proxied, reached = self.emu.requests()
        self.assertTrue(proxied["authorized"])
        self.assertEqual(reached["headers"][0], ["Host", "127.0.0.3"])


if __name__ == "__main__":
    unittest.main(verbosity=2)
