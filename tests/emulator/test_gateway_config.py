#!/usr/bin/python3
"""The gateway configuration commands of the emulated devices, byte for byte over HTTP."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from emuharness import MAC1, MAC2, MAC3, EmulatorCase  # noqa: E402

MB, HL, DF = "127.0.0.2", "127.0.0.3", "127.0.0.4"

DESCRIBED = [
    {"code": "1118", "mac": MAC1, "ip": MB, "config": {
        "com": {"BAUD": 38400, "PARITY": "2"},
        "smtp": {"ENABLE": True, "SERVER": "mail.test", "FROM": "gw@test"},
        "recipients": ["a@test", "", "c@test"],
        "tags": [{"NAME": "Level", "TYPE": 4, "MBFUNC": 3, "ADDRESS": 9, "ALARM": True,
                  "ALLO": 10, "ALHI": 90.5}]}},
    {"code": "1109", "mac": MAC2, "ip": HL},
    {"code": "1116", "mac": MAC3, "ip": DF},
]

ACK = "ACK();"

MB_SETCOM = ("SETCOM(COM=0,COMTYPE=2,FORMAT=1,BAUD=19200,PARITY=2,PKTTOUT=5,MSGTOUT=500,"
             "RETRIES=1,SCANTIME=250,);")
MB_SETSMTP = ("SETSMTP(ENABLE=1,SERVER=smtp.example.test,TIMEOUT=30,RETRIES=3,RETRYINT=15,"
              "FROM=velto/cotank@example.test,AUTH=1,USER=mailer,PASS=p/eqw,);")
MB_TAGS = [
    # digital (coil): false limits and the two edge flags
    "ADDTAG(NAME=Pump,SOURCE=0,UNIT=1,TYPE=0,MBFUNC=0,ADDRESS=4,REG32=0,BIT=0,SCALE=1,"
    "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=1,EMAIL=1,TRAP=1,"
    "WRLO=0,WRHI=0,ALLO=1,ALHI=0,);",
    # integer (signed int on a holding register)
    "ADDTAG(NAME=Tank level,SOURCE=0,UNIT=17,TYPE=1,MBFUNC=4,ADDRESS=122,REG32=0,BIT=0,"
    "SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=1,EMAIL=0,"
    "TRAP=0,WRLO=-50,WRHI=1000,ALLO=100,ALHI=900,);",
    # float (scaled input register)
    "ADDTAG(NAME=Flow,SOURCE=0,UNIT=2,TYPE=0,MBFUNC=3,ADDRESS=0,REG32=1,BIT=0,SCALE=2,"
    "FACT_A=1.00000001E-1,FACT_B=-2.50000000E0,READONLY=1,LIMITS=0,ALARM=1,EMAIL=0,TRAP=0,"
    "WRLO=0.00000000E0,WRHI=1.00000000E2,ALLO=-1.00000000E-3,ALHI=1.23450000E3,);",
]


def tagconfig(addtag):
    return "TAGCONFIG(" + addtag[len("ADDTAG("):]


class ConfigCase(EmulatorCase):
    DEVICE_LIST = DESCRIBED

    def send(self, host, *requests, expect=ACK):
        for request in requests:
            self.assertEqual(self.emu.kprot(host, request), expect, request)

    def open_tag_admin(self, host):
        self.send(host, "STOP();", "ENABLETAGADMIN();", "DELALLTAG();")


class ModbusTransferTest(ConfigCase):
    def test_whole_send_sequence_then_a_get_returns_the_same_keys(self):
        settoo = ["SETTOO(TOO=0,EMAIL=op@example.test,);", "SETTOO(TOO=1,EMAIL=,);",
                  "SETTOO(TOO=2,EMAIL=boss@example.test,);", "SETTOO(TOO=3,EMAIL=,);",
                  "SETTOO(TOO=4,EMAIL=,);"]
        self.send(MB, "STOP();", MB_SETCOM, MB_SETSMTP, *settoo)
        self.send(MB, "ENABLETAGADMIN();", "DELALLTAG();", *MB_TAGS)
        self.send(MB, "DISABLETAGADMIN();", "RESET();")
        config = self.emu.config(MAC1)
        self.assertEqual((config["running"], config["tag_admin"]), (True, False))
        self.assertEqual(config["tags"][1]["WRLO"], "-50")

        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=3,);")
        self.send(MB, "STOP();")
        self.assertEqual(self.emu.kprot(MB, "GETCOM(COM=0,);"),
                         "COM" + MB_SETCOM[len("SETCOM"):])
        self.assertEqual(self.emu.kprot(MB, "GETSMTP();"), "SMTP" + MB_SETSMTP[len("SETSMTP"):])
        for slot, request in enumerate(settoo):
            self.assertEqual(self.emu.kprot(MB, "GETTOO(TOO=%d,);" % slot),
                             "TOO(" + request.split(",", 1)[1])
        for index, request in enumerate(MB_TAGS):
            self.assertEqual(self.emu.kprot(MB, "GETTAG(TAG=%d,);" % index), tagconfig(request))
        self.send(MB, "RUN();")
        self.assertTrue(self.emu.config(MAC1)["running"])

    def test_values_without_a_wire_code_are_left_out_and_the_device_keeps_its_own(self):
        self.send(MB, "STOP();", "SETCOM(COM=0,FORMAT=0,PARITY=1,PKTTOUT=4,MSGTOUT=1000,"
                                 "RETRIES=1,SCANTIME=100,);")
        self.assertEqual(self.emu.kprot(MB, "GETCOM(COM=0,);"),
                         "COM(COM=0,COMTYPE=0,FORMAT=0,BAUD=38400,PARITY=1,PKTTOUT=4,"
                         "MSGTOUT=1000,RETRIES=1,SCANTIME=100,);")
        # A tag with no register-table code has no MBFUNC; it is then a float tag.
        self.open_tag_admin(MB)
        tag = ("ADDTAG(NAME=X,SOURCE=0,UNIT=1,TYPE=1,ADDRESS=0,REG32=0,BIT=0,SCALE=1,"
               "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,ALARM=0,EMAIL=0,"
               "TRAP=0,WRLO=0.00000000E0,WRHI=0.00000000E0,ALLO=0.00000000E0,"
               "ALHI=1.00000000E0,);")
        self.send(MB, tag)
        self.assertEqual(self.emu.kprot(MB, "GETTAG(TAG=0,);"), tagconfig(tag))

    def test_limits_must_have_the_form_of_the_tag_kind(self):
        self.open_tag_admin(MB)
        digital, integer, real = MB_TAGS
        cases = [
            (digital.replace("WRLO=0,", "WRLO=0.00000000E0,"), "Invalid value for WRLO"),
            (integer.replace("ALHI=900,", "ALHI=9.00000000E2,"), "Invalid value for ALHI"),
            (real.replace("ALHI=1.23450000E3,", "ALHI=1234.5,"), "Invalid value for ALHI"),
            (real.replace("FACT_A=1.00000001E-1,", "FACT_A=1.00000001E-01,"),
             "Invalid value for FACT_A"),
            (integer.replace("WRHI=1000,", ""), "Missing field WRHI"),
            (integer.replace("UNIT=17,", ""), "Missing field UNIT"),
            (integer.replace("MBFUNC=4,", "MBFUNC=2,"), "Invalid value for MBFUNC"),
            (integer.replace("SCALE=1,", "SCALE=0,"), "Invalid value for SCALE"),
            (integer.replace("REG32=0,", "REG32=yes,"), "Invalid value for REG32"),
            (integer.replace("ADDRESS=122,", "ADDRESS=0122,"), "Invalid value for ADDRESS"),
            (integer.replace("TRAP=0,", "TRAP=0,HLFUNC=6,"), "Unknown field HLFUNC"),
            (integer.replace("NAME=Tank level,", "NAME=a,NAME=b,"), "Duplicate field NAME"),
        ]
        for request, reason in cases:
            self.assertEqual(self.emu.kprot(MB, request), "NAK(REASON=%s,);" % reason, request)
        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=0,);")
        # A serial tag on a coil is digital whatever its type; so is one of source 2.
        self.send(MB, integer.replace("MBFUNC=4,", "MBFUNC=0,").replace(
            "WRLO=-50,WRHI=1000,ALLO=100,ALHI=900,", "WRLO=0,WRHI=0,ALLO=0,ALHI=1,"))
        self.send(MB, integer.replace("SOURCE=0,", "SOURCE=2,"),
                  expect="NAK(REASON=Invalid value for WRLO,);")


class TagAdministrationTest(ConfigCase):
    def test_addtag_outside_tag_administration_is_refused(self):
        self.assertEqual(self.emu.kprot(MB, MB_TAGS[0]), "NAK(REASON=Machine running,);")
        self.send(MB, "STOP();")
        self.assertEqual(self.emu.kprot(MB, MB_TAGS[0]),
                         "NAK(REASON=Tag administration disabled,);")
        self.assertEqual(self.emu.kprot(MB, "DELALLTAG();"),
                         "NAK(REASON=Tag administration disabled,);")
        self.send(MB, "ENABLETAGADMIN();", "DISABLETAGADMIN();")
        self.assertEqual(self.emu.kprot(MB, MB_TAGS[0]),
                         "NAK(REASON=Tag administration disabled,);")
        self.send(MB, "ENABLETAGADMIN();", "RUN();")
        self.assertEqual(self.emu.kprot(MB, MB_TAGS[0]), "NAK(REASON=Machine running,);")
        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=1,);")
        self.assertEqual([t["NAME"] for t in self.emu.config(MAC1)["tags"]], ["Level"])

    def test_a_129th_tag_is_refused(self):
        self.open_tag_admin(MB)
        for n in range(128):
            self.send(MB, MB_TAGS[1].replace("NAME=Tank level,", "NAME=T%d," % n))
        self.assertEqual(self.emu.kprot(MB, MB_TAGS[1]), "NAK(REASON=Too many tags,);")
        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=128,);")
        self.assertTrue(self.emu.kprot(MB, "GETTAG(TAG=127,);").startswith(
            "TAGCONFIG(NAME=T127,"))
        self.send(MB, "DELALLTAG();")
        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=0,);")

    def test_settings_are_refused_while_running_and_reset_runs_again(self):
        for request in (MB_SETCOM, MB_SETSMTP, "SETTOO(TOO=0,EMAIL=x,);", "ENABLETAGADMIN();"):
            self.assertEqual(self.emu.kprot(MB, request), "NAK(REASON=Machine running,);")
        self.send(MB, "STOP();", "ENABLETAGADMIN();")
        self.assertEqual(self.emu.config(MAC1)["running"], False)
        self.send(MB, "RESET();")
        config = self.emu.config(MAC1)
        self.assertEqual((config["running"], config["tag_admin"]), (True, False))
        self.assertEqual(self.emu.device(MAC1)["resets"], 1)

    def test_bad_settings_change_nothing(self):
        self.send(MB, "STOP();")
        before = self.emu.config(MAC1)
        cases = [
            (MB_SETCOM.replace("BAUD=19200", "BAUD=1200"), "Invalid value for BAUD"),
            (MB_SETCOM.replace("COM=0,", "COM=1,"), "Invalid value for COM"),
            (MB_SETCOM.replace("COM=0,", ""), "Missing field COM"),
            (MB_SETCOM.replace("PKTTOUT=5", "PKTTOUT=21"), "Invalid value for PKTTOUT"),
            (MB_SETCOM.replace("SCANTIME=250,", "SCANTIME=250,DATABITS=0,"),
             "Unknown field DATABITS"),
            (MB_SETSMTP.replace("PASS=p/eqw,", ""), "Missing field PASS"),
            (MB_SETSMTP.replace("TIMEOUT=30", "TIMEOUT=0"), "Invalid value for TIMEOUT"),
            (MB_SETSMTP.replace("AUTH=1", "AUTH=2"), "Invalid value for AUTH"),
            ("SETTOO(TOO=5,EMAIL=x,);", "Invalid value for TOO"),
            ("SETTOO(TOO=1,);", "Missing field EMAIL"),
            ("GETTOO(TOO=-1,);", "Invalid value for TOO"),
            ("GETCOM();", "Missing field COM"),
            ("GETTAG(TAG=1,);", "No such tag"),
            ("GETTAG();", "Missing field TAG"),
        ]
        for request, reason in cases:
            self.assertEqual(self.emu.kprot(MB, request), "NAK(REASON=%s,);" % reason, request)
        self.assertEqual(self.emu.config(MAC1), before)


class HostlinkAndDf1Test(ConfigCase):
    HL_SETCOM = "SETCOM(COM=0,COMTYPE=3,BAUD=115200,PARITY=1,MSGTOUT=2000,RETRIES=1,SCANTIME=0,);"
    HL_TAG = ("ADDTAG(NAME=DM tag,SOURCE=0,UNIT=3,TYPE=3,HLFUNC=6,ADDRESS=100,BIT=0,SCALE=1,"
              "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=1,ALARM=0,EMAIL=0,"
              "WRLO=-1.50000000E0,WRHI=2.55000000E1,ALLO=0.00000000E0,ALHI=0.00000000E0,);")
    DF_SETCOM = ("SETCOM(COM=0,COMTYPE=0,BAUD=2400,DATABITS=1,PARITY=1,MSGTOUT=10,"
                 "SCANTIME=10000,ERRORMTHD=1,);")
    DF_TAG = ("ADDTAG(NAME=N7:12,SOURCE=0,FILETYPE=137,FILENUMBER=7,ELEMENT=12,SUBELEMENT=0,"
              "TYPE=1,BIT=0,SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,"
              "LIMITS=0,ALARM=1,EMAIL=1,WRLO=0,WRHI=0,ALLO=-10,ALHI=10,);")

    def test_hostlink_keys(self):
        self.assertEqual(self.emu.kprot(HL, "GETCOM(COM=0,);"),
                         "COM(COM=0,COMTYPE=0,BAUD=9600,PARITY=0,MSGTOUT=1000,RETRIES=1,"
                         "SCANTIME=100,);")
        self.send(HL, "STOP();", self.HL_SETCOM)
        self.assertEqual(self.emu.kprot(HL, "GETCOM(COM=0,);"), "COM" + self.HL_SETCOM[6:])
        self.send(HL, MB_SETCOM, expect="NAK(REASON=Unknown field FORMAT,);")
        self.open_tag_admin(HL)
        self.send(HL, self.HL_TAG, self.HL_TAG.replace("HLFUNC=6,", ""))
        for extra in ("REG32=0,", "TRAP=0,", "MBFUNC=4,"):
            self.send(HL, self.HL_TAG.replace("BIT=0,", "BIT=0," + extra),
                      expect="NAK(REASON=Unknown field %s,);" % extra.split("=")[0])
        self.send(HL, self.HL_TAG.replace("HLFUNC=6,", "HLFUNC=5,"),
                  expect="NAK(REASON=Invalid value for HLFUNC,);")
        # Type 5 (word bit) is digital in Hostlink, though 5 is "float inverted" in Modbus.
        self.send(HL, self.HL_TAG.replace("TYPE=3,", "TYPE=5,"),
                  expect="NAK(REASON=Invalid value for WRLO,);")
        self.assertEqual(self.emu.kprot(HL, "GETTAG(TAG=0,);"), tagconfig(self.HL_TAG))
        self.assertEqual(self.emu.kprot(HL, "GETTAG(TAG=1,);"),
                         tagconfig(self.HL_TAG.replace("HLFUNC=6,", "")))

    def test_df1_keys(self):
        self.assertEqual(self.emu.kprot(DF, "GETCOM(COM=0,);"),
                         "COM(COM=0,COMTYPE=0,BAUD=9600,DATABITS=0,PARITY=0,MSGTOUT=1000,"
                         "SCANTIME=100,ERRORMTHD=0,);")
        self.send(DF, "STOP();", self.DF_SETCOM)
        self.assertEqual(self.emu.kprot(DF, "GETCOM(COM=0,);"), "COM" + self.DF_SETCOM[6:])
        self.send(DF, self.DF_SETCOM.replace("ERRORMTHD=1,", "ERRORMTHD=1,RETRIES=1,"),
                  expect="NAK(REASON=Unknown field RETRIES,);")
        self.send(DF, self.DF_SETCOM.replace("PARITY=1", "PARITY=2"),
                  expect="NAK(REASON=Invalid value for PARITY,);")
        self.open_tag_admin(DF)
        self.send(DF, self.DF_TAG)
        cases = [
            (self.DF_TAG.replace("FILETYPE=137,", "FILETYPE=134,"), "Invalid value for FILETYPE"),
            (self.DF_TAG.replace("SUBELEMENT=0,", "SUBELEMENT=1,"),
             "Invalid value for SUBELEMENT"),
            (self.DF_TAG.replace("SUBELEMENT=0,", ""), "Missing field SUBELEMENT"),
            (self.DF_TAG.replace("BIT=0,", "BIT=0,UNIT=1,"), "Unknown field UNIT"),
            (self.DF_TAG.replace("BIT=0,", "BIT=0,ADDRESS=1,"), "Unknown field ADDRESS"),
        ]
        for request, reason in cases:
            self.send(DF, request, expect="NAK(REASON=%s,);" % reason)
        self.assertEqual(self.emu.kprot(DF, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=1,);")
        self.assertEqual(self.emu.kprot(DF, "GETTAG(TAG=0,);"), tagconfig(self.DF_TAG))


class DescribedConfigTest(ConfigCase):
    def test_described_configuration_is_served(self):
        self.assertEqual(self.emu.kprot(MB, "GETCOM(COM=0,);"),
                         "COM(COM=0,COMTYPE=0,FORMAT=0,BAUD=38400,PARITY=2,PKTTOUT=4,"
                         "MSGTOUT=1000,RETRIES=1,SCANTIME=100,);")
        self.assertEqual(self.emu.kprot(MB, "GETSMTP();"),
                         "SMTP(ENABLE=1,SERVER=mail.test,TIMEOUT=20,RETRIES=5,RETRYINT=10,"
                         "FROM=gw@test,AUTH=0,USER=,PASS=,);")
        self.assertEqual(self.emu.kprot(MB, "GETTOO(TOO=2,);"), "TOO(EMAIL=c@test,);")
        self.assertEqual(self.emu.kprot(MB, "GETTOO(TOO=4,);"), "TOO(EMAIL=,);")
        # Numbers given for the limits of a float tag come out in float form.
        self.assertEqual(self.emu.kprot(MB, "GETTAG(TAG=0,);"),
                         "TAGCONFIG(NAME=Level,SOURCE=0,UNIT=1,TYPE=4,MBFUNC=3,ADDRESS=9,"
                         "REG32=0,BIT=0,SCALE=1,FACT_A=0.00000000E0,FACT_B=0.00000000E0,"
                         "READONLY=0,LIMITS=0,ALARM=1,EMAIL=0,TRAP=0,WRLO=0.00000000E0,"
                         "WRHI=0.00000000E0,ALLO=1.00000000E1,ALHI=9.05000000E1,);")
        self.assertEqual(self.emu.device(MAC1)["config"], self.emu.config(MAC1))

    def test_odd_values_and_left_out_keys_can_be_served(self):
        self.emu.config(MAC2, {"tags": [{"NAME": None, "HLFUNC": 5, "ADDRESS": None,
                                         "SCALE": 3, "TYPE": 6, "ALLO": True, "ALHI": "x"}],
                               "com": {"BAUD": 1200, "COMTYPE": 1}})
        self.assertEqual(self.emu.kprot(HL, "GETTAG(TAG=0,);"),
                         "TAGCONFIG(SOURCE=0,UNIT=0,TYPE=6,HLFUNC=5,BIT=0,SCALE=3,"
                         "FACT_A=0.00000000E0,FACT_B=0.00000000E0,READONLY=0,LIMITS=0,"
                         "ALARM=0,EMAIL=0,WRLO=0.00000000E0,WRHI=0.00000000E0,"
                         "ALLO=1.00000000E0,ALHI=x,);")
        self.assertEqual(self.emu.kprot(HL, "GETCOM(COM=0,);"),
                         "COM(COM=0,COMTYPE=1,BAUD=1200,PARITY=0,MSGTOUT=1000,RETRIES=1,"
                         "SCANTIME=100,);")

    def test_a_tag_count_that_lies(self):
        self.emu.config(MAC1, {"tag_count_reply": 200})
        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=200,);")
        self.assertEqual(self.emu.kprot(MB, "GETTAG(TAG=1,);"), "NAK(REASON=No such tag,);")
        self.emu.config(MAC1, {"tag_count_reply": None})
        self.assertEqual(self.emu.kprot(MB, "GETTAGCOUNT();"), "TAGCOUNT(COUNT=1,);")

    def test_bad_configuration_changes_are_refused_whole(self):
        before = self.emu.config(MAC1)
        for bad in ({"com": {"DATABITS": 1}}, {"colour": 1}, {"recipients": ["a"] * 6},
                    {"tags": [{"NAME": "ok"}], "running": "no"}, {"tags": [{"lower": 1}]},
                    {"tags": [{}] * 129}, {"tag_count_reply": "3"}):
            status, _ = self.emu.control("POST", "config/" + MAC1, bad)
            self.assertEqual(status, 400, bad)
        self.assertEqual(self.emu.config(MAC1), before)
        self.assertEqual(self.emu.control("GET", "config/00-00-00-00-00-00")[0], 404)

    def test_reset_brings_back_the_described_configuration(self):
        self.send(MB, "STOP();", "ENABLETAGADMIN();", "DELALLTAG();")
        self.assertEqual(self.emu.config(MAC1)["tags"], [])
        self.emu.control("POST", "reset")
        config = self.emu.config(MAC1)
        self.assertEqual(([t["NAME"] for t in config["tags"]], config["running"]),
                         (["Level"], True))


class StepFailureTest(ConfigCase):
    def test_failure_at_the_third_addtag(self):
        self.open_tag_admin(MB)
        self.emu.fail(mac=MAC1, mode="http500", command="ADDTAG", skip=2, count=1)
        self.assertEqual(self.emu.control("GET", "fail")[1][0]["skip"], 2)
        self.send(MB, MB_TAGS[0], MB_TAGS[1])
        self.assertEqual(self.emu.control("GET", "fail")[1][0]["skip"], 0)
        self.assertEqual(self.emu.post(MB, MB_TAGS[2])[0], 500)
        self.send(MB, MB_TAGS[2], MB_TAGS[0])
        names = [t["NAME"] for t in self.emu.config(MAC1)["tags"]]
        self.assertEqual(names, ["Pump", "Tank level", "Flow", "Pump"])
        failed = [r for r in self.emu.requests("http") if r["failure"]]
        self.assertEqual([(r["command"], r["status"]) for r in failed], [("ADDTAG", 500)])

    def test_a_nak_on_demand_changes_nothing(self):
        self.emu.fail(mac=MAC1, mode="nak:Flash write error", command="SETCOM", count=1)
        self.emu.fail(mac=MAC1, mode="nak:", command="GETTAG", skip=1, count=1)
        self.send(MB, "STOP();")
        self.assertEqual(self.emu.kprot(MB, MB_SETCOM), "NAK(REASON=Flash write error,);")
        self.assertEqual(self.emu.config(MAC1)["com"]["BAUD"], "38400")
        self.send(MB, MB_SETCOM)
        self.assertEqual(self.emu.config(MAC1)["com"]["BAUD"], "19200")
        self.assertTrue(self.emu.kprot(MB, "GETTAG(TAG=0,);").startswith("TAGCONFIG("))
        self.assertEqual(self.emu.kprot(MB, "GETTAG(TAG=0,);"), "NAK(REASON=,);")
        self.assertEqual(self.emu.control("GET", "fail")[1], [])
        for bad in ({"mode": "nak:x", "channel": "udp"}, {"mode": "silent", "skip": -1},
                    {"mode": "silent", "skip": True}):
            self.assertEqual(self.emu.control("POST", "fail", bad)[0], 400, bad)


if __name__ == "__main__":
    unittest.main(verbosity=2)
