"""What a device answers to each KProt command, per page, with its real state.

Each handler takes (device, request Message) and returns the reply Message; it runs under the
emulator's lock, so it may change the device freely.
"""

from configcmds import CONFIG_COMMANDS
from device import format_clock, is_dotted_quad, parse_clock
from kprot import Message
from monitorcmds import APP_COMMANDS, MONITOR_ADMIN_COMMANDS
from replies import Refused, ack, flag, nak, number, required  # noqa: F401 (nak: devicehttp)


def get_device(dev, msg):
    return Message("DEVICE").add("VERSION", dev.version).add("MAC", dev.mac).add("ID", dev.code)


NETWORK_FIELDS = (("NAME", "hostname"), ("DHCP", "dhcp"), ("IP", "ip"), ("NETMASK", "netmask"),
                  ("GATEWAY", "gateway"), ("FSTDNS", "dns1"), ("SNDDNS", "dns2"),
                  ("SNMP", "snmp"), ("MANAGER", "manager"), ("READS", "read_community"),
                  ("WRITES", "write_community"), ("TRAPS", "trap_community"))


def stored_network(dev):
    """The network settings as stored: a SETNET waiting for RESET, else those in use."""
    settings = {attr: getattr(dev, attr) for _, attr in NETWORK_FIELDS}
    settings.update(dev.pending_network or {})
    return settings


def get_net(dev, msg):
    settings = stored_network(dev)
    if settings["hostname"] is None:
        settings["hostname"] = ""
    reply = Message("NETWORK")
    for key, attr in NETWORK_FIELDS:
        reply.add(key, settings[attr])
    return reply


SETNET_KEYS = ("PWD", "NAME", "IP", "NETMASK", "GATEWAY", "FSTDNS", "SNDDNS", "SNMP", "MANAGER",
               "READS", "WRITES", "TRAPS")


def set_net(dev, msg):
    # Stored now, taken into use by RESET: the program resets the device at its old address.
    (pwd, name, ip, netmask, gateway, dns1, dns2, snmp, manager,
     reads, writes, traps) = required(msg, *SETNET_KEYS)
    if pwd != dev.admin_password:
        raise Refused("Wrong password")
    for key, value in (("IP", ip), ("NETMASK", netmask), ("GATEWAY", gateway),
                       ("FSTDNS", dns1), ("SNDDNS", dns2), ("MANAGER", manager)):
        if not is_dotted_quad(value):
            raise Refused("Invalid value for " + key)
    settings = stored_network(dev)
    settings.update(snmp=flag(snmp, "SNMP"), manager=manager, read_community=reads,
                    write_community=writes, trap_community=traps)
    if dev.hostname is not None:
        settings["hostname"] = name
    # An IP of 0.0.0.0 asks for DHCP; the emulated lease keeps the old addresses so that the
    # device stays reachable where the tests expect it.
    if ip == "0.0.0.0":
        settings["dhcp"] = True
    else:
        settings.update(dhcp=False, ip=ip, netmask=netmask, gateway=gateway, dns1=dns1,
                        dns2=dns2)
    dev.pending_network = settings
    return ack()


def reset(dev, msg):
    dev.resets += 1
    for attr, value in (dev.pending_network or {}).items():
        setattr(dev, attr, value)
    dev.pending_network = None
    dev.configuration.restart()
    dev.monitor.restart()
    return ack()


def get_log(dev, msg):
    if not dev.has_log:
        raise Refused("No log")
    return Message("LOG").add("ENABLE", dev.log_enable).add("TIME", dev.log_time).add(
        "COUNT", dev.log_count)


def set_log(dev, msg):
    if not dev.has_log:
        raise Refused("No log")
    enable, interval, count = required(msg, "ENABLE", "TIME", "COUNT")
    enable = flag(enable, "ENABLE")
    interval = number(interval, "TIME", 10, 3600)
    count = number(count, "COUNT", 0, 16)
    dev.log_enable, dev.log_time, dev.log_count = enable, interval, count
    return ack()


def get_admin(dev, msg):
    return Message("ADMIN").add("PWD", dev.admin_password)


def set_admin(dev, msg):
    (dev.admin_password,) = required(msg, "PWD")
    return ack()


def get_user(dev, msg):
    return Message("USER").add("USERNAME", dev.user_name)


def set_user(dev, msg):
    dev.user_name, dev.user_password = required(msg, "USERNAME", "PWD")
    return ack()


def get_time(dev, msg):
    return Message("TIME").add("TIME", format_clock(dev.now()))


def set_time(dev, msg):
    (text,) = required(msg, "TIME")
    moment = parse_clock(text)
    if moment is None:
        raise Refused("Invalid value for TIME")
    dev.set_clock(moment)
    return ack()


ADMIN_COMMANDS = {
    "GETDEVICE": get_device,
    "GETNET": get_net,
    "SETNET": set_net,
    "RESET": reset,
    "GETLOG": get_log,
    "SETLOG": set_log,
    "GETADMIN": get_admin,
    "SETADMIN": set_admin,
    "GETUSER": get_user,
    "SETUSER": set_user,
    "GETTIME": get_time,
    "SETTIME": set_time,
}
ADMIN_COMMANDS.update(CONFIG_COMMANDS)
ADMIN_COMMANDS.update(MONITOR_ADMIN_COMMANDS)

PAGES = {"/admpost.cgi": ADMIN_COMMANDS, "/apppost.cgi": APP_COMMANDS}


def answer(page_commands, dev, msg):
    handler = page_commands.get(msg.command)
    if handler is None:
        return nak("Unknown command")
    try:
        return handler(dev, msg)
    except Refused as refusal:
        return nak(str(refusal))
