#!/usr/bin/python3
"""The tag monitor's commands (READ, WRITE, ALARMACK, MAILBOX), byte for byte over HTTP.

The devices' clock is stopped, so values move only when a test moves it on.
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from emuharness import MAC1, MAC2, EmulatorCase  # noqa: E402

MB, HL = "127.0.0.2", "127.0.0.3"
APP = "/apppost.cgi"

TAGS = [
    # 0: digital (coil), alarm on the rising edge, mails
    {"NAME": "Door", "MBFUNC": 0, "ALARM": True, "EMAIL": True, "ALLO": True, "ALHI": False},
    # 1: integer, write limits 0..1000, alarm outside 100..900, mails
    {"NAME": "Level", "TYPE": 1, "LIMITS": True, "WRLO": 0, "WRHI": 1000, "ALARM": True,
     "EMAIL": True, "ALLO": 100, "ALHI": 900},
    # 2: float, read only, alarm outside 15..35
    {"NAME": "Temp", "TYPE": 4, "MBFUNC": 3, "READONLY": True, "ALARM": True, "ALLO": 15.0,
     "ALHI": 35.0},
    # 3: float by its scale, no alarm
    {"NAME": "Flow", "TYPE": 0, "SCALE": 2},
    # 4: word bit, digital
    {"NAME": "Bit", "TYPE": 7},
]
FROZEN = {"time": {"running": False}, "hold": None}

DEVICES = [
    {"code": "1118", "mac": MAC1, "ip": MB, "monitor": FROZEN, "config": {
        "smtp": {"ENABLE": True, "RETRIES": 2}, "recipients": ["op@test", "", "boss@test"],
        "tags": TAGS}},
    {"code": "1109", "mac": MAC2, "ip": HL, "monitor": FROZEN, "config": {
        "tags": [{"NAME": "Single", "TYPE": 6}, {"NAME": "Real", "TYPE": 3}]}},
]


def values(val, st):
    return "VALUES(VAL1=%s,ST1=%d,);" % (val, st)


READING, WRITING, IDLE_NO_WORK = 2, 3, 1 | (1 << 4)
IN_ALARM, ACKED = 1 << 8, 2 << 8


class MonitorCase(EmulatorCase):
    DEVICE_LIST = DEVICES

    def read(self, index, host=MB):
        return self.emu.kprot(host, "READ(TAG1=%d,);" % index, APP)

    def app(self, body, host=MB):
        return self.emu.kprot(host, body, APP)

    def force(self, index, **settings):
        self.emu.monitor(MAC1, {"tags": {str(index): settings}})

    def later(self, seconds):
        self.emu.monitor(MAC1, {"time": {"advance": seconds}})


class ReadTest(MonitorCase):
    def test_values_in_the_form_of_each_kind(self):
        self.force(1, value=500)
        self.force(2, value=20.5)
        self.force(3, value=-0.25)
        self.force(4, value=1)
        self.force(0, value=1)
        self.assertEqual(self.read(1), values(500, READING))
        self.assertEqual(self.read(2), values("2.05000000E1", READING))
        self.assertEqual(self.read(3), values("-2.50000000E-1", READING))
        self.assertEqual(self.read(4), values(1, READING))
        # A coil is digital to the device but has an integer type: the value is 1 or 0.
        self.assertEqual(self.read(0), values(1, READING | IN_ALARM))
        self.assertEqual(self.app("READ(TAG1=1,TAG2=2,);"),
                         "VALUES(VAL1=500,ST1=2,VAL2=2.05000000E1,ST2=2,);")

    def test_hostlink_kinds_by_type(self):
        self.emu.monitor(MAC2, {"tags": {"0": {"value": 1}, "1": {"value": 2}}})
        self.assertEqual(self.read(0, HL), values(1, READING))
        self.assertEqual(self.read(1, HL), values("2.00000000E0", READING))

    def test_unknown_tags_and_bad_requests(self):
        self.assertEqual(self.read(5), values(0, 4 | (10 << 4)))
        self.assertEqual(self.app("READ();"), "NAK(REASON=Missing field TAG1,);")
        self.assertEqual(self.app("READ(TAG1=x,);"), "NAK(REASON=Invalid value for TAG1,);")
        # The monitor's commands belong to their own pages.
        self.assertEqual(self.emu.kprot(MB, "READ(TAG1=0,);"), "NAK(REASON=Unknown command,);")
        self.assertEqual(self.app("MAILBOX();"), "NAK(REASON=Unknown command,);")

    def test_values_change_over_time(self):
        self.force(1, wave="counter", low=0, high=9, step=1)
        first = int(self.read(1)[len("VALUES(VAL1="):].split(",")[0])
        self.later(1)
        self.assertEqual(self.read(1), values((first + 1) % 10, READING))
        self.later(9)
        self.assertEqual(self.read(1), values(first, READING))
        self.force(4, wave="toggle", period=2)
        before = self.read(4)
        self.later(1)
        self.assertNotEqual(self.read(4), before)
        self.later(1)
        self.assertEqual(self.read(4), before)
        self.force(3, wave="sine", low=-1.0, high=1.0, period=8)
        seen = set()
        for _ in range(8):
            seen.add(round(float(self.read(3)[len("VALUES(VAL1="):].split(",")[0]), 6))
            self.later(1)
        self.assertEqual(seen, {-1.0, -0.707107, 0.0, 0.707107, 1.0})

    def test_the_clock_runs_unless_stopped(self):
        self.force(1, wave="counter", low=0, high=1000, step=1)
        self.emu.monitor(MAC1, {"time": {"running": True}})
        first = self.read(1)
        time.sleep(1.2)
        self.assertNotEqual(self.read(1), first)

    def test_forced_status_word_and_value_text(self):
        self.force(1, st1=532, val1="abc")
        self.assertEqual(self.read(1), "VALUES(VAL1=abc,ST1=532,);")
        self.force(1, st1=None, val1=None, value=700)
        self.assertEqual(self.read(1), values(700, READING))


class AlarmTest(MonitorCase):
    def test_range_alarm_stays_until_acknowledged(self):
        self.force(1, value=500)
        self.assertEqual(self.read(1), values(500, READING))
        self.force(1, value=950)
        self.assertEqual(self.read(1), values(950, READING | IN_ALARM))
        self.force(1, value=500)
        self.assertEqual(self.read(1), values(500, READING | IN_ALARM))
        self.assertEqual(self.app("ALARMACK(TAG=1,);"), "ACK();")
        self.assertEqual(self.read(1), values(500, READING))
        # Acknowledged while still out of range: "Acknowledged" until the value comes back.
        self.force(1, value=50)
        self.assertEqual(self.app("ALARMACK(TAG=1,);"), "ACK();")
        self.assertEqual(self.read(1), values(50, READING | ACKED))
        self.force(1, value=40)
        self.assertEqual(self.read(1), values(40, READING | ACKED))
        self.force(1, value=400)
        self.assertEqual(self.read(1), values(400, READING))

    def test_digital_alarm_on_the_edge(self):
        self.force(0, value=0)
        self.assertEqual(self.read(0), values(0, READING))
        self.force(0, value=1)
        self.assertEqual(self.read(0), values(1, READING | IN_ALARM))
        self.assertEqual(self.app("ALARMACK(TAG=0,);"), "ACK();")
        self.assertEqual(self.read(0), values(1, READING | ACKED))
        self.force(0, value=0)
        self.assertEqual(self.read(0), values(0, READING))
        # The falling edge raises nothing for this tag.
        self.force(0, value=1)
        self.force(0, value=0, alarm=0)
        self.assertEqual(self.read(0), values(0, READING))

    def test_alarm_follows_the_wave(self):
        # 850, 875, 900, 925 in turn: only 925 is above the range, and the alarm stays.
        self.force(1, wave="counter", low=850, high=949, step=25)
        seen = []
        for _ in range(5):
            seen.append(self.read(1))
            self.later(1)
        self.assertEqual({s[:len("VALUES(VAL1=850")] for s in seen},
                         {"VALUES(VAL1=%d" % v for v in (850, 875, 900, 925)})
        self.assertIn(values(925, READING | IN_ALARM), seen)
        self.assertTrue(seen[-1].endswith(",ST1=%d,);" % (READING | IN_ALARM)), seen)
        self.assertEqual(self.emu.monitor(MAC1)["tags"][1]["alarm"], 1)

    def test_acknowledge_refusals(self):
        self.assertEqual(self.app("ALARMACK(TAG=3,);"), "NAK(REASON=Alarm not enabled,);")
        self.assertEqual(self.app("ALARMACK(TAG=9,);"), "NAK(REASON=No such tag,);")
        self.assertEqual(self.app("ALARMACK();"), "NAK(REASON=Missing field TAG,);")


class WriteTest(MonitorCase):
    def test_write_changes_the_value(self):
        self.force(1, value=500)
        self.assertEqual(self.app("WRITE(TAG=1,VALUE=700,);"), "ACK();")
        self.assertEqual(self.read(1), values(700, WRITING))
        self.assertEqual(self.read(1), values(700, READING))
        self.assertEqual(self.app("WRITE(TAG=3,VALUE=1.25000000E1,);"), "ACK();")
        self.assertEqual(self.read(3), values("1.25000000E1", WRITING))
        self.assertEqual(self.app("WRITE(TAG=4,VALUE=0,);"), "ACK();")
        self.assertEqual(self.read(4), values(0, WRITING))
        # A written value out of the alarm range raises the alarm.
        self.assertEqual(self.app("WRITE(TAG=1,VALUE=1000,);"), "ACK();")
        self.assertEqual(self.read(1), values(1000, WRITING | IN_ALARM))

    def test_written_value_holds_then_the_wave_returns(self):
        self.emu.monitor(MAC1, {"hold": 2})
        self.force(1, wave="counter", low=0, high=9, step=1)
        self.assertEqual(self.app("WRITE(TAG=1,VALUE=555,);"), "ACK();")
        self.later(2)
        self.assertEqual(self.read(1), values(555, WRITING))
        self.later(1)
        self.assertNotIn("VAL1=555,", self.read(1))

    def test_refusals_change_nothing(self):
        self.force(1, value=500)
        self.force(2, value=20.0)
        cases = [
            ("WRITE(TAG=1,VALUE=1001,);", "Value out of limits"),
            ("WRITE(TAG=1,VALUE=-1,);", "Value out of limits"),
            ("WRITE(TAG=1,VALUE=7.00000000E2,);", "Invalid value for VALUE"),
            ("WRITE(TAG=2,VALUE=2.10000000E1,);", "Tag is read only"),
            ("WRITE(TAG=3,VALUE=12.5,);", "Invalid value for VALUE"),
            ("WRITE(TAG=4,VALUE=2,);", "Invalid value for VALUE"),
            ("WRITE(TAG=0,VALUE=1.00000000E0,);", "Invalid value for VALUE"),
            ("WRITE(TAG=7,VALUE=1,);", "No such tag"),
            ("WRITE(TAG=1,);", "Missing field VALUE"),
        ]
        for request, reason in cases:
            self.assertEqual(self.app(request), "NAK(REASON=%s,);" % reason, request)
        self.assertEqual(self.read(1), values(500, READING))
        self.assertEqual(self.read(2), values("2.00000000E1", READING))

    def test_a_stopped_machine_neither_scans_nor_writes(self):
        self.force(1, wave="counter", low=0, high=9, step=1)
        self.assertEqual(self.emu.kprot(MB, "STOP();"), "ACK();")
        before = self.read(1)
        self.assertTrue(before.endswith(",ST1=%d,);" % IDLE_NO_WORK), before)
        self.later(3)
        self.assertEqual(self.read(1), before)
        self.assertEqual(self.app("WRITE(TAG=1,VALUE=5,);"), "NAK(REASON=Machine stopped,);")
        self.assertEqual(self.emu.kprot(MB, "RUN();"), "ACK();")
        self.assertTrue(self.read(1).endswith(",ST1=%d,);" % READING))

    def test_nak_on_demand(self):
        self.force(1, value=500)
        self.emu.fail(mac=MAC1, mode="nak:Tag busy", command="WRITE", count=1)
        self.assertEqual(self.app("WRITE(TAG=1,VALUE=600,);"), "NAK(REASON=Tag busy,);")
        self.assertEqual(self.read(1), values(500, READING))
        self.assertEqual(self.app("WRITE(TAG=1,VALUE=600,);"), "ACK();")


class MailboxTest(MonitorCase):
    IDLE = "MAILBOX(COUNT=0,STATUS=3,TOO=0,RETRY=0,ERROR=0,);"

    def mailbox(self):
        return self.emu.kprot(MB, "MAILBOX();")

    def raise_level_alarm(self):
        self.force(1, value=500)
        self.force(1, value=999)

    def test_the_mailbox_cycles_through_its_states(self):
        self.raise_level_alarm()
        self.assertEqual(self.mailbox(), "MAILBOX(COUNT=1,STATUS=1,TOO=1,RETRY=1,ERROR=0,);")
        self.assertEqual(self.mailbox(), "MAILBOX(COUNT=1,STATUS=1,TOO=3,RETRY=1,ERROR=0,);")
        self.assertEqual(self.mailbox(), "MAILBOX(COUNT=0,STATUS=2,TOO=0,RETRY=0,ERROR=0,);")
        self.assertEqual(self.mailbox(), self.IDLE)
        self.assertEqual(self.mailbox(), self.IDLE)

    def test_only_alarms_of_mailing_tags_are_queued(self):
        self.force(2, value=20.0)
        self.force(2, value=50.0)
        self.assertEqual(self.read(2), values("5.00000000E1", READING | IN_ALARM))
        self.assertEqual(self.mailbox(), self.IDLE)

    def test_failing_server_retries_then_reports_its_error(self):
        self.emu.monitor(MAC1, {"mailbox": {"smtp_error": 2}})
        self.raise_level_alarm()
        got = [self.mailbox() for _ in range(7)]
        self.assertEqual(got, [
            "MAILBOX(COUNT=1,STATUS=1,TOO=1,RETRY=1,ERROR=0,);",
            "MAILBOX(COUNT=1,STATUS=1,TOO=1,RETRY=2,ERROR=0,);",
            "MAILBOX(COUNT=1,STATUS=1,TOO=1,RETRY=3,ERROR=0,);",
            "MAILBOX(COUNT=1,STATUS=1,TOO=3,RETRY=1,ERROR=2,);",
            "MAILBOX(COUNT=1,STATUS=1,TOO=3,RETRY=2,ERROR=2,);",
            "MAILBOX(COUNT=1,STATUS=1,TOO=3,RETRY=3,ERROR=2,);",
            "MAILBOX(COUNT=0,STATUS=3,TOO=0,RETRY=0,ERROR=2,);",
        ])

    def test_disabled_mail_and_forced_fields(self):
        self.emu.config(MAC1, {"smtp": {"ENABLE": False}})
        self.raise_level_alarm()
        self.assertEqual(self.mailbox(), "MAILBOX(COUNT=0,STATUS=0,TOO=0,RETRY=0,ERROR=0,);")
        self.emu.monitor(MAC1, {"mailbox": {"fixed": {"COUNT": 5, "STATUS": 1, "TOO": 2,
                                                      "RETRY": 3, "ERROR": 9}}})
        self.assertEqual(self.mailbox(), "MAILBOX(COUNT=5,STATUS=1,TOO=2,RETRY=3,ERROR=9,);")


class LiveStateTest(MonitorCase):
    def test_state_and_bad_settings(self):
        self.force(1, value=500)
        self.force(1, value=950)
        state = self.emu.monitor(MAC1)
        level = state["tags"][1]
        self.assertEqual((level["name"], level["kind"], level["value"], level["alarm"]),
                         ("Level", 1, 950, 1))
        self.assertEqual([t["kind"] for t in state["tags"]], [0, 1, 2, 2, 0])
        self.assertEqual(state["mailbox"]["queue"], 1)
        for bad in ({"tags": {"9": {"value": 1}}}, {"tags": {"1": {"wave": "square"}}},
                    {"tags": {"1": {"value": "1"}}}, {"tags": {"1": {"alarm": 3}}},
                    {"time": {"advance": "x"}}, {"speed": 2}, {"mailbox": {"fixed": 1}}):
            self.assertEqual(self.emu.control("POST", "monitor/" + MAC1, bad)[0], 400, bad)
        self.assertEqual(self.emu.monitor(MAC1)["tags"][1]["value"], 950)

    def test_a_new_tag_list_starts_afresh(self):
        self.force(1, value=950)
        self.emu.config(MAC1, {"tags": [{"NAME": "Only", "TYPE": 1}]})
        state = self.emu.monitor(MAC1)
        self.assertEqual([(t["name"], t["alarm"]) for t in state["tags"]], [("Only", 0)])
        self.assertEqual(self.read(1), values(0, 4 | (10 << 4)))


if __name__ == "__main__":
    unittest.main(verbosity=2)
