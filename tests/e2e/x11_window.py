#!/usr/bin/python3
"""X11 helper for the end-to-end tests, a client of the real X server as a window manager, a
file manager or a person's pointer would be:

  size TITLE                 the window's client size, WIDTHxHEIGHT
  icon TITLE                 how many values the window's icon property holds
  close TITLE                ask the window to close, as a window manager's close button does
  cursor                     an identifier of the pointer's current image
  wait-cursor CHANGE ID SECONDS
                             wait until the pointer's image differs from ID
  wait-cursor SETTLE ID SECONDS
                             wait until the pointer's image has been ID for a third of a second
  wait-cursor AWAY ID SECONDS
                             wait until the pointer's image has differed from ID for a third of
                             a second (a busy pointer may be animated: no one image to wait for)
  drop TITLE X Y PATH...     drag PATHs from outside and drop them at X,Y of the window (XDND);
                             prints "accepted" or "refused"
  clipboard                  the clipboard's text, as a program that pastes it asks for it
  screenshot WIDTH HEIGHT FILE
                             the screen's top left WIDTH x HEIGHT pixels, as a PNG file
  underline X Y WIDTH HEIGHT  the middle of the longest underline in that part of the screen
                             (a row of dark pixels), as "X Y" just above it: where a person
                             clicks an underlined word
  key-until-cursor KEY ID SECONDS
                             press and release KEY (a keysym name) as a keyboard does, then
                             wait until the pointer's image is ID; prints the milliseconds
"""
import hashlib
import struct
import sys
import time
import urllib.parse
import zlib

from Xlib import X, XK, Xatom, display, protocol
from Xlib.ext import xfixes, xtest  # noqa: F401 (registers the extensions' requests)


def find(d, title, timeout=20):
    deadline = time.time() + timeout
    while time.time() < deadline:
        for window in d.screen().root.query_tree().children:
            for candidate in [window] + list(window.query_tree().children):
                name = candidate.get_wm_name()
                if name == title and candidate.get_attributes().map_state == X.IsViewable:
                    return candidate
        time.sleep(0.05)
    sys.exit(f"no window titled {title!r}")


def client_message(d, window, kind, values):
    values = (list(values) + [0] * 5)[:5]
    return protocol.event.ClientMessage(window=window, client_type=d.intern_atom(kind),
                                        data=(32, values))


def close(d, window):
    delete = d.intern_atom("WM_DELETE_WINDOW")
    window.send_event(client_message(d, window, "WM_PROTOCOLS", [delete, X.CurrentTime]))
    # A round trip, so the server has the request before this client goes away.
    d.sync()


def cursor_id(d):
    d.xfixes_query_version()
    image = d.xfixes_get_cursor_image(d.screen().root)
    pixels = bytes(str(list(image.cursor_image)), "ascii")
    return f"{image.width}x{image.height}-" + hashlib.sha1(pixels).hexdigest()[:12]


def wait_cursor(d, mode, reference, seconds):
    deadline = time.time() + float(seconds)
    settled_since = None
    while time.time() < deadline:
        now = cursor_id(d)
        if mode == "CHANGE" and now != reference:
            return
        if mode in ("SETTLE", "AWAY"):
            if (now == reference) != (mode == "SETTLE"):
                settled_since = None
            elif settled_since is None:
                settled_since = time.time()
            elif time.time() - settled_since >= 0.33:
                return
        time.sleep(0.02)
    sys.exit(f"the pointer did not {mode.lower()} in time")


def key_until_cursor(d, key, reference, seconds):
    code = d.keysym_to_keycode(XK.string_to_keysym(key))
    started = time.monotonic()
    xtest.fake_input(d, X.KeyPress, code)
    xtest.fake_input(d, X.KeyRelease, code)
    d.sync()
    deadline = started + float(seconds)
    while time.monotonic() < deadline:
        if cursor_id(d) == reference:
            return int((time.monotonic() - started) * 1000)
        time.sleep(0.005)
    sys.exit(f"the pointer did not come back within {seconds} s of {key}")


def screenshot(d, width, height, path):
    """The screen's top left corner as an RGB PNG (24-bit screens keep pixels as BGRX)."""
    image = d.screen().root.get_image(0, 0, width, height, X.ZPixmap, 0xFFFFFFFF)
    data = image.data if isinstance(image.data, bytes) else bytes(image.data, "latin-1")
    stride = len(data) // height
    rows = bytearray()
    for y in range(height):
        line = data[y * stride : y * stride + width * 4]
        rows.append(0)  # no filter
        for x in range(0, width * 4, 4):
            rows += bytes((line[x + 2], line[x + 1], line[x]))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as png:
        png.write(b"\x89PNG\r\n\x1a\n")
        png.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        png.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        png.write(chunk(b"IEND", b""))


def underline(d, left, top, width, height):
    image = d.screen().root.get_image(left, top, width, height, X.ZPixmap, 0xFFFFFFFF)
    data = image.data if isinstance(image.data, bytes) else bytes(image.data, "latin-1")
    stride = len(data) // height
    best = (0, 0, 0)  # length, x of its middle, y
    for y in range(height):
        run = 0
        for x in range(width + 1):
            p = y * stride + x * 4
            dark = x < width and sum(data[p : p + 3]) < 3 * 100
            if dark:
                run += 1
                continue
            if run > best[0]:
                best = (run, x - run // 2, y)
            run = 0
    if best[0] < 20:
        sys.exit("no underline there")
    return f"{left + best[1]} {top + best[2] - 4}"


def server_time(d, window):
    """A timestamp from the server itself, as a real drag source uses."""
    window.change_attributes(event_mask=X.PropertyChangeMask)
    window.change_property(d.intern_atom("BYTEMARSH_TIME"), Xatom.STRING, 8, b"")
    while True:
        event = d.next_event()
        if event.type == X.PropertyNotify:
            return event.time


def drop(d, target, x, y, paths):
    """Plays the source's part of an XDND drag and drop. The target's answers decide."""
    uri_list = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in paths).encode()
    source = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    stamp = server_time(d, source)
    selection = d.intern_atom("XdndSelection")
    uri_type = d.intern_atom("text/uri-list")
    targets = d.intern_atom("TARGETS")
    copy = d.intern_atom("XdndActionCopy")
    source.set_selection_owner(selection, stamp)

    root_x = target.get_geometry().x + x
    root_y = target.get_geometry().y + y
    target.send_event(client_message(d, target, "XdndEnter", [source.id, 5 << 24, uri_type]))
    target.send_event(client_message(
        d, target, "XdndPosition", [source.id, 0, (root_x << 16) | root_y, stamp, copy]))
    d.flush()

    status = None
    dropped = False
    deadline = time.time() + 10
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.01)
            continue
        event = d.next_event()
        if event.type == X.SelectionRequest and event.selection == selection:
            if event.target == targets:
                event.requestor.change_property(event.property, Xatom.ATOM, 32, [uri_type])
            else:
                event.requestor.change_property(event.property, uri_type, 8, uri_list)
            event.requestor.send_event(protocol.event.SelectionNotify(
                time=event.time, requestor=event.requestor, selection=event.selection,
                target=event.target, property=event.property))
            d.flush()
        elif event.type == X.ClientMessage:
            kind = d.get_atom_name(event.client_type)
            values = event.data[1]
            if kind == "XdndStatus" and status is None:
                status = bool(values[1] & 1)
                # A refused drag is dropped all the same: the window must still take nothing.
                target.send_event(client_message(d, target, "XdndDrop", [source.id, 0, stamp]))
                d.flush()
                dropped = True
            elif kind == "XdndFinished" and dropped:
                accepted = bool(values[1] & 1)
                print("accepted" if status and accepted else "refused")
                return
    sys.exit("the window never finished the drop")


def clipboard_text(d):
    """Asks the clipboard's owner for its text as UTF-8, as a paste does."""
    window = d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    stamp = server_time(d, window)
    target = d.intern_atom("UTF8_STRING")
    landing = d.intern_atom("BYTEMARSH_PASTE")
    window.convert_selection(d.intern_atom("CLIPBOARD"), target, landing, stamp)
    d.flush()
    deadline = time.time() + 10
    while time.time() < deadline:
        if not d.pending_events():
            time.sleep(0.01)
            continue
        event = d.next_event()
        if event.type == X.SelectionNotify:
            if event.property == X.NONE:
                sys.exit("the clipboard holds no text")
            value = window.get_full_property(landing, X.AnyPropertyType).value
            return value if isinstance(value, bytes) else bytes(value)
    sys.exit("the clipboard's owner did not answer")


def main():
    command = sys.argv[1]
    d = display.Display()
    if command == "cursor":
        print(cursor_id(d))
        return
    if command == "clipboard":
        sys.stdout.buffer.write(clipboard_text(d))
        return
    if command == "wait-cursor":
        wait_cursor(d, sys.argv[2], sys.argv[3], sys.argv[4])
        return
    if command == "screenshot":
        screenshot(d, int(sys.argv[2]), int(sys.argv[3]), sys.argv[4])
        return
    if command == "underline":
        print(underline(d, *(int(value) for value in sys.argv[2:6])))
        return
    if command == "key-until-cursor":
        print(key_until_cursor(d, sys.argv[2], sys.argv[3], sys.argv[4]))
        return
    window = find(d, sys.argv[2])
    if command == "size":
        geometry = window.get_geometry()
        print(f"{geometry.width}x{geometry.height}")
    elif command == "icon":
        atom = d.intern_atom("_NET_WM_ICON")
        prop = window.get_full_property(atom, X.AnyPropertyType)
        print(0 if prop is None else len(prop.value))
    elif command == "close":
        close(d, window)
    elif command == "drop":
        drop(d, window, int(sys.argv[3]), int(sys.argv[4]), sys.argv[5:])
    else:
        sys.exit(f"unknown command {command!r}")


if __name__ == "__main__":
    main()
