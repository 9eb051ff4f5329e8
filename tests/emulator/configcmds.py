"""The gateway configuration commands on admpost.cgi: serial port, alarm mail, tags, run state.

A sequence that changes the configuration stops the machine first (STOP) and ends with RESET;
the device refuses changes while it runs, and tag changes outside tag administration.
"""

from gateway import COM_KEYS, MAX_TAGS, RECIPIENTS, SMTP_KEYS, Invalid, check_form, check_wire_tag
from kprot import Message
from replies import Refused, ack, integer, required


def stopped(dev):
    if dev.configuration.running:
        raise Refused("Machine running")
    return dev.configuration


def in_tag_admin(dev):
    gw = stopped(dev)
    if not gw.tag_admin:
        raise Refused("Tag administration disabled")
    return gw


def only_keys(msg, allowed):
    seen = set()
    for key, _ in msg.fields:
        if key not in allowed:
            raise Refused("Unknown field " + key)
        if key in seen:
            raise Refused("Duplicate field " + key)
        seen.add(key)


def port(msg):
    (com,) = required(msg, "COM")
    integer(com, "COM", (0,))  # the gateway has one serial port


def stop(dev, msg):
    dev.configuration.running = False
    return ack()


def run(dev, msg):
    dev.configuration.running = True
    dev.configuration.tag_admin = False
    return ack()


def set_com(dev, msg):
    gw = stopped(dev)
    keys = COM_KEYS[gw.family]
    only_keys(msg, {"COM"} | {k[0] for k in keys})
    port(msg)
    # The program leaves out a value it has no wire code for; the device keeps its own then.
    changes = {}
    for key, _, allowed in keys:
        text = msg.get(key)
        if text is not None:
            integer(text, key, allowed)
            changes[key] = text
    gw.com.update(changes)
    return ack()


def get_com(dev, msg):
    port(msg)
    reply = Message("COM").add("COM", 0)
    for key, _, _ in COM_KEYS[dev.configuration.family]:
        reply.add(key, dev.configuration.com[key])
    return reply


def set_smtp(dev, msg):
    gw = stopped(dev)
    only_keys(msg, {k[0] for k in SMTP_KEYS})
    values = dict(zip([k[0] for k in SMTP_KEYS], required(msg, *[k[0] for k in SMTP_KEYS])))
    for key, form, _, allowed in SMTP_KEYS:
        try:
            check_form(key, form, values[key], allowed)
        except Invalid as bad:
            raise Refused(str(bad))
    gw.smtp.update(values)
    return ack()


def get_smtp(dev, msg):
    reply = Message("SMTP")
    for key, _, _, _ in SMTP_KEYS:
        reply.add(key, dev.configuration.smtp[key])
    return reply


def set_too(dev, msg):
    gw = stopped(dev)
    only_keys(msg, {"TOO", "EMAIL"})
    slot, email = required(msg, "TOO", "EMAIL")
    gw.recipients[integer(slot, "TOO", range(RECIPIENTS))] = email
    return ack()


def get_too(dev, msg):
    (slot,) = required(msg, "TOO")
    return Message("TOO").add("EMAIL", dev.configuration.recipients[
        integer(slot, "TOO", range(RECIPIENTS))])


def enable_tag_admin(dev, msg):
    stopped(dev).tag_admin = True
    return ack()


def disable_tag_admin(dev, msg):
    stopped(dev).tag_admin = False
    return ack()


def delete_all_tags(dev, msg):
    in_tag_admin(dev).set_tags([])
    return ack()


def add_tag(dev, msg):
    gw = in_tag_admin(dev)
    if len(gw.tags) >= MAX_TAGS:
        raise Refused("Too many tags")
    try:
        tag = check_wire_tag(gw.family, msg.fields)
    except Invalid as bad:
        raise Refused(str(bad))
    gw.set_tags(gw.tags + [tag])
    return ack()


def tag_count(dev, msg):
    gw = dev.configuration
    count = len(gw.tags) if gw.tag_count_reply is None else gw.tag_count_reply
    return Message("TAGCOUNT").add("COUNT", count)


def get_tag(dev, msg):
    (index,) = required(msg, "TAG")
    index = integer(index, "TAG")
    if not 0 <= index < len(dev.configuration.tags):
        raise Refused("No such tag")
    return Message("TAGCONFIG", dev.configuration.tag_reply_fields(index))


CONFIG_COMMANDS = {
    "STOP": stop,
    "RUN": run,
    "SETCOM": set_com,
    "GETCOM": get_com,
    "SETSMTP": set_smtp,
    "GETSMTP": get_smtp,
    "SETTOO": set_too,
    "GETTOO": get_too,
    "ENABLETAGADMIN": enable_tag_admin,
    "DISABLETAGADMIN": disable_tag_admin,
    "DELALLTAG": delete_all_tags,
    "ADDTAG": add_tag,
    "GETTAGCOUNT": tag_count,
    "GETTAG": get_tag,
}
