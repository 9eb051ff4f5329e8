"""The tests' control interface under /_emu/ on the HTTP port (JSON in, JSON out).

GET  /_emu/requests[?kind=http|udp|proxy]  the record, oldest first
POST /_emu/requests/clear                  empties the record
GET  /_emu/fail                            the failure rules in force
POST /_emu/fail                            adds a rule (or a list of rules)
POST /_emu/fail/clear                      drops the rules ({"mac": ...} for one device's only)
POST /_emu/reset                           devices as started, empty record, no rules
GET  /_emu/devices                         the state of every device
GET  /_emu/device/<mac>                    the state of one device
POST /_emu/device/<mac>                    changes fields of one device, answers its new state
GET  /_emu/config/<mac>                    the gateway configuration of one device
POST /_emu/config/<mac>                    changes parts of it, answers the whole configuration
GET  /_emu/monitor/<mac>                   live tag values, alarms, mailbox and the device clock
POST /_emu/monitor/<mac>                   forces values, waves, status words, alarms, mailbox
"""

import copy
import json
import urllib.parse

from httpwire import response_bytes

PREFIX = "/_emu/"


def reply(status, obj):
    body = json.dumps(obj).encode("ascii")
    return response_bytes(status, body, "application/json")


def json_body(req, default=None):
    if not req.body.strip():
        return default
    return json.loads(req.body.decode("utf-8"))


def handle(state, req):
    url = urllib.parse.urlsplit(req.target)
    path = url.path[len(PREFIX):]
    query = urllib.parse.parse_qs(url.query)
    try:
        with state.lock:
            return route(state, req.method, path, query, req)
    except (ValueError, TypeError, AttributeError, KeyError) as fault:
        return reply(400, {"error": str(fault)})


def device_state(dev):
    return dev.state()


def device_update(dev, changes):
    dev.update(changes)


def config_state(dev):
    return dev.configuration.state()


def config_update(dev, changes):
    dev.configuration.update(changes)


def monitor_state(dev):
    return dev.monitor.state()


def monitor_update(dev, changes):
    dev.monitor.apply(changes)


def route(state, method, path, query, req):
    if path == "requests" and method == "GET":
        kinds = query.get("kind")
        return reply(200, [r for r in state.records if not kinds or r["kind"] in kinds])
    if path == "requests/clear" and method == "POST":
        state.records = []
        return reply(200, {"ok": True})
    if path == "fail" and method == "GET":
        return reply(200, [r.describe() for r in state.rules])
    if path == "fail" and method == "POST":
        specs = json_body(req)
        for spec in specs if isinstance(specs, list) else [specs]:
            if not isinstance(spec, dict):
                raise ValueError("a failure rule is a JSON object")
            state.add_rule(spec)
        return reply(200, [r.describe() for r in state.rules])
    if path == "fail/clear" and method == "POST":
        state.clear_rules((json_body(req, {}) or {}).get("mac"))
        return reply(200, {"ok": True})
    if path == "reset" and method == "POST":
        state.reset()
        return reply(200, {"ok": True})
    if path == "devices" and method == "GET":
        return reply(200, [d.state() for d in state.devices])
    for prefix, show, change in (("device/", device_state, device_update),
                                 ("config/", config_state, config_update),
                                 ("monitor/", monitor_state, monitor_update)):
        if path.startswith(prefix) and method in ("GET", "POST"):
            dev = state.by_mac(urllib.parse.unquote(path[len(prefix):]))
            if dev is None:
                return reply(404, {"error": "no such device"})
            if method == "POST":
                changes = json_body(req)
                if not isinstance(changes, dict):
                    raise ValueError("changes are a JSON object")
                change(copy.deepcopy(dev), changes)  # refuses a bad change before any of it applies
                change(dev, changes)
            return reply(200, show(dev))
    return reply(404, {"error": "unknown control request %s %s" % (method, path)})
