#!/usr/bin/python3
"""Small X11 helper for the end-to-end tests: find a window, read its size, close it."""
import sys
import time

from Xlib import X, display, protocol


def find(d, title, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for window in d.screen().root.query_tree().children:
            for candidate in [window] + list(window.query_tree().children):
                name = candidate.get_wm_name()
                if name == title and candidate.get_attributes().map_state == X.IsViewable:
                    return candidate
        time.sleep(0.1)
    sys.exit(f"no window titled {title!r}")


def main():
    command, title = sys.argv[1], sys.argv[2]
    d = display.Display()
    window = find(d, title, 20)
    if command == "size":
        geometry = window.get_geometry()
        print(f"{geometry.width}x{geometry.height}")
    elif command == "icon":
        atom = d.intern_atom("_NET_WM_ICON")
        prop = window.get_full_property(atom, X.AnyPropertyType)
        print(0 if prop is None else len(prop.value))
    elif command == "close":
        protocols = d.intern_atom("WM_PROTOCOLS")
        delete = d.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(
            window=window, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event)
        # A round trip, so the server has the request before this client goes away.
        d.sync()


if __name__ == "__main__":
    main()
