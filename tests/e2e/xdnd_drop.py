#!/usr/bin/python3
"""Drops files on the X window under a screen point, as a file manager does.

Usage: xdnd_drop.py X Y RESULT_FILE PATH...

Acts as an XDND source: owns XdndSelection, sends XdndEnter, XdndPosition
and, once the target accepts, XdndDrop; answers the selection request with
a text/uri-list of the paths and waits for XdndFinished. Writes "ok" or
"error: <why>" to RESULT_FILE when done (the caller cannot wait for this
process, so it polls for that file).
"""
import sys
import time
import urllib.parse

from Xlib import X, Xatom, display
from Xlib.protocol import event

TIMEOUT = 10.0


def find_target(d, root, x, y, aware):
    """The deepest window with XdndAware under (x, y)."""
    target = None
    w = root
    while True:
        child = w.translate_coords(root, x, y).child
        if not child:
            break
        w = child
        prop = w.get_full_property(aware, X.AnyPropertyType)
        if prop is not None:
            target = w
    return target


def send(d, target, source, atom, data):
    data = list(data) + [0] * (5 - len(data))
    ev = event.ClientMessage(window=target, client_type=atom, data=(32, [source.id] + data[:4]))
    target.send_event(ev, event_mask=0)
    d.flush()


def drop(x, y, paths):
    d = display.Display()
    root = d.screen().root
    atom = lambda name: d.intern_atom(name)
    aware, enter, position, status = atom("XdndAware"), atom("XdndEnter"), atom("XdndPosition"), atom("XdndStatus")
    drop_msg, finished, selection = atom("XdndDrop"), atom("XdndFinished"), atom("XdndSelection")
    copy, uri_list = atom("XdndActionCopy"), atom("text/uri-list")

    target = find_target(d, root, x, y, aware)
    if target is None:
        return "no XdndAware window at %d,%d" % (x, y)
    source = root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)
    payload = "".join("file://%s\r\n" % urllib.parse.quote(p) for p in paths).encode()

    send(d, target, source, enter, [5 << 24, uri_list, 0, 0])
    send(d, target, source, position, [0, (x << 16) | y, X.CurrentTime, copy])
    dropped = False
    deadline = time.time() + TIMEOUT
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.01)
            continue
        ev = d.next_event()
        if ev.type == X.SelectionRequest:
            prop = ev.property or ev.target
            if ev.target == uri_list:
                ev.requestor.change_property(prop, uri_list, 8, payload)
            else:
                prop = X.NONE
            notify = event.SelectionNotify(time=ev.time, requestor=ev.requestor, selection=ev.selection,
                                           target=ev.target, property=prop)
            ev.requestor.send_event(notify)
            d.flush()
        elif ev.type == X.ClientMessage and ev.client_type == status:
            if not dropped:
                if not ev.data[1][1] & 1:
                    send(d, target, source, atom("XdndLeave"), [])
                    return "the target refused the drop"
                send(d, target, source, drop_msg, [0, X.CurrentTime])
                dropped = True
        elif ev.type == X.ClientMessage and ev.client_type == finished:
            return "ok"
    return "no XdndFinished within %g s (dropped: %s)" % (TIMEOUT, dropped)


def main():
    x, y, result, paths = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4:]
    try:
        outcome = drop(x, y, paths)
    except Exception as e:  # reported to the driver instead of lost
        outcome = "error: %r" % (e,)
    with open(result + ".part", "w") as f:
        f.write(outcome if outcome == "ok" else "error: " + outcome)
    import os
    os.replace(result + ".part", result)


if __name__ == "__main__":
    main()
