"""The tag monitor's commands: READ, WRITE and ALARMACK on apppost.cgi, MAILBOX on admpost.cgi.

The status word of a value: bits 0-3 the state, 4-7 the result of the last scan, 8-11 the alarm.
"""

from gateway import DIGITAL, INTEGER
from kprot import Message
from replies import Refused, ack, integer, required
from wireforms import by_kind, is_float_form, is_int_form

# States and results the device reports.
IDLE, READING, WRITING, READ_ERROR = 1, 2, 3, 4
OK, NO_WORK, NO_SUCH_TAG = 0, 1, 10


def status_word(state, result, alarm):
    return state | (result << 4) | (alarm << 8)


def read_one(dev, index):
    """(VAL text, ST value) of one tag."""
    sim = dev.monitor.sim(index)
    if sim is None:
        return "0", status_word(READ_ERROR, NO_SUCH_TAG, 0)
    if not dev.configuration.running:
        state, result = IDLE, NO_WORK
    else:
        state, result = (WRITING if sim.wrote else READING), OK
    sim.wrote = False
    text = sim.val1 if sim.val1 is not None else by_kind(sim.value, sim.value_kind)
    st = sim.st1 if sim.st1 is not None else status_word(state, result, sim.alarm)
    return text, st


def read(dev, msg):
    # TAG1, TAG2, ... in one request; the program asks for one tag at a time.
    (first,) = required(msg, "TAG1")
    indexes = [integer(first, "TAG1")]
    n = 2
    while msg.get("TAG%d" % n) is not None:
        indexes.append(integer(msg.get("TAG%d" % n), "TAG%d" % n))
        n += 1
    reply = Message("VALUES")
    for n, index in enumerate(indexes, 1):
        text, st = read_one(dev, index)
        reply.add("VAL%d" % n, text).add("ST%d" % n, st)
    return reply


def written_value(text, sim):
    """VALUE in the form of the tag's value kind, as a number of the tag's own kind."""
    if sim.value_kind == DIGITAL:
        ok = text in ("0", "1")
    elif sim.value_kind == INTEGER:
        ok = is_int_form(text)
    else:
        ok = is_float_form(text)
    if not ok:
        raise Refused("Invalid value for VALUE")
    value = float(text)
    if sim.domain == DIGITAL:
        if value not in (0.0, 1.0):
            raise Refused("Invalid value for VALUE")
        return int(value)
    return int(round(value)) if sim.domain == INTEGER else value


def target(dev, msg):
    (index,) = required(msg, "TAG")
    sim = dev.monitor.sim(integer(index, "TAG"))
    if sim is None:
        raise Refused("No such tag")
    return sim


def write(dev, msg):
    sim = target(dev, msg)
    (text,) = required(msg, "VALUE")
    if not dev.configuration.running:
        raise Refused("Machine stopped")
    if sim.read_only:
        raise Refused("Tag is read only")
    value = written_value(text, sim)
    low, high = sim.write_range
    if sim.limits and sim.kind != DIGITAL and (
            (low is not None and value < low) or (high is not None and value > high)):
        raise Refused("Value out of limits")
    dev.monitor.write(sim, value)
    return ack()


def alarm_ack(dev, msg):
    sim = target(dev, msg)
    if not sim.alarm_on:
        raise Refused("Alarm not enabled")
    sim.acknowledge()
    return ack()


def mailbox(dev, msg):
    dev.monitor.advance()
    return Message("MAILBOX", [(k, str(v)) for k, v in dev.monitor.mailbox.poll(dev.configuration)])


APP_COMMANDS = {
    "READ": read,
    "WRITE": write,
    "ALARMACK": alarm_ack,
}

MONITOR_ADMIN_COMMANDS = {
    "MAILBOX": mailbox,
}
