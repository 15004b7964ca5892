#!/usr/bin/python3
"""The window as a screen reader reads it through AT-SPI: the reachable controls with their roles
and names, the NO/NC group named, GroupBox1's controls absent, and a new message announced when
a scan ends.
Usage: atspi_tree.py PID-OF-THE-WINDOW-PROGRAM"""
import sys
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def application_of(pid):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.2)
    sys.exit("no application with process %d on the accessibility bus" % pid)


def shown(node):
    """Every object below node that is on the screen (a closed list's items are not)."""
    for child in node:
        if child is None or not child.getState().contains(pyatspi.STATE_SHOWING):
            continue
        yield child
        yield from shown(child)


def main():
    app = application_of(int(sys.argv[1]))
    nodes = list(shown(app))
    seen = {(node.getRoleName(), node.name) for node in nodes}

    for role, name in [
        ("push button", "Scan Reader"),
        ("scroll bar", "Reader number"),
        ("scroll bar", "Same-card seconds"),
        ("scroll bar", "RSSI level"),
        ("check box", "Try only the line setting shown"),
        ("push button", "Simplified Chinese"),
        ("push button", "Traditional Chinese"),
        ("status bar", "Reader status"),
        ("status bar", "Tag status"),
        ("label", "Start Scan Reader!"),
    ]:
        check((role, name) in seen, "no %s named %r" % (role, name))
    for node in nodes:
        if node.getState().contains(pyatspi.STATE_FOCUSABLE):
            check(node.name != "", "a %s without a name" % node.getRoleName())
    # GroupBox1 lies out of sight: neither it nor its three operations are presented.
    for name in ["GroupBox1", "Set Address", "Set Freq", "Set Channel"]:
        check(all(node.name != name for node in nodes), "%r is presented" % name)
    check(sum(node.getRoleName() == "scroll bar" for node in nodes) == 3, "not three scroll bars")
    # The NO/NC group, which has no title, says what its two radio buttons choose.
    group = next((node for node in nodes if node.name == "Digital input DI NO/NC"), None)
    check(group is not None, "no group named 'Digital input DI NO/NC'")
    if group is not None:
        check({"NO", "NC"} <= {child.name for child in group if child is not None},
              "the NO/NC group does not hold NO and NC")

    # A scan from the accessibility bus: its outcome is announced as the message's new name.
    announced = []
    loop = GLib.MainLoop()

    def on_name(event):
        if event.source.getRoleName() != "label":
            return
        # The event carries the name it announces; the object's name, read later, may already
        # be the next one.
        name = event.any_data if isinstance(event.any_data, str) else event.source.name
        announced.append(name)
        if name.startswith("Get Reader Info Ok."):
            loop.quit()

    pyatspi.Registry.registerEventListener(on_name, "object:property-change:accessible-name")
    scan = next(node for node in nodes if node.name == "Scan Reader")
    GLib.idle_add(lambda: scan.queryAction().doAction(0) and False)
    GLib.timeout_add_seconds(20, loop.quit)
    loop.run()
    pyatspi.Registry.deregisterEventListener(on_name, "object:property-change:accessible-name")
    check(any(text.startswith("Get Reader Info Ok.") for text in announced),
          "the scan's outcome was not announced (announced: %r)" % announced)
    status = next(node for node in shown(app) if node.name == "Reader status")
    check(status.description == "Reader found", "the reader status says %r" % status.description)

    for failure in failures:
        print("FAIL:", failure)
    if failures:
        sys.exit(1)
    print("PASS: %d objects presented, every reachable one named" % len(nodes))


main()
