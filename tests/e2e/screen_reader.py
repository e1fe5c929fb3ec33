#!/usr/bin/python3
"""Reads the running program's windows as a screen reader does, through the accessibility bus.

  screen_reader.py progress PATTERN SECONDS
                      wait until the program's status line says what the regular expression
                      PATTERN finds; prints what it said
  screen_reader.py box TITLE SECONDS
                      wait for the box or dialog titled TITLE; prints what shows in it, one line
                      each: its texts, and its check boxes as "[x] label" or "[ ] label"
  screen_reader.py where TITLE NAME SECONDS
                      wait for the control named NAME in the box or dialog titled TITLE; prints
                      the screen point at its middle, "x y"
"""
import re
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# A list's rows are many and hold nothing these commands look for.
LISTS = (Atspi.Role.TREE, Atspi.Role.TREE_TABLE, Atspi.Role.TABLE, Atspi.Role.LIST)


def descendants(accessible, depth=0):
    if accessible is None or depth > 12:
        return
    yield accessible
    if accessible.get_role() in LISTS:
        return
    for i in range(accessible.get_child_count()):
        yield from descendants(accessible.get_child_at_index(i), depth + 1)


def program_windows():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(i)
        if application is None or application.get_name() != "bytemarsh":
            continue
        for j in range(application.get_child_count()):
            window = application.get_child_at_index(j)
            if window is not None:
                yield window


def showing(accessible):
    return accessible.get_state_set().contains(Atspi.StateType.SHOWING)


def text_of(accessible):
    return Atspi.Text.get_text(accessible, 0, Atspi.Text.get_character_count(accessible))


def until(seconds, look, missing):
    """Calls look() until it answers something, for at most `seconds`; then fails saying what
    missing() says was not found."""
    deadline = time.time() + seconds
    while time.time() < deadline:
        found = look()
        if found:
            return found
        time.sleep(0.05)
    sys.exit(f"the screen reader never found {missing()}")


def progress(pattern, seconds):
    said = []

    def look():
        for window in program_windows():
            for line in descendants(window):
                if line.get_role() == Atspi.Role.STATUS_BAR:
                    said.append(line.get_name())
                    if re.search(pattern, said[-1]):
                        return said[-1]
        return None

    return until(seconds, look, lambda: f"a status line saying {pattern!r}; it said: {said[-3:]}")


def box_titled(title):
    """The showing box or dialog titled `title`; the main window, which may share its title, is
    not one."""
    boxes = (Atspi.Role.ALERT, Atspi.Role.DIALOG, Atspi.Role.FILE_CHOOSER)
    return next(
        (w for w in program_windows()
         if w.get_name() == title and w.get_role() in boxes and showing(w)),
        None,
    )


def box(title, seconds):
    def look():
        window = box_titled(title)
        if window is None:
            return None
        lines = []
        for part in descendants(window):
            if not showing(part):
                continue
            role = part.get_role()
            if role == Atspi.Role.LABEL and part.get_name():
                lines.append(part.get_name())
            elif role == Atspi.Role.TEXT:
                lines.append(text_of(part))
            elif role == Atspi.Role.CHECK_BOX:
                ticked = part.get_state_set().contains(Atspi.StateType.CHECKED)
                lines.append(("[x] " if ticked else "[ ] ") + part.get_name())
        return "\n".join(lines) if lines else None

    return until(seconds, look, lambda: f"a box titled {title!r}")


def where(title, name, seconds):
    def look():
        window = box_titled(title)
        for part in descendants(window) if window else ():
            if part.get_name() == name and showing(part):
                box = part.get_extents(Atspi.CoordType.SCREEN)
                if box.width > 0 and box.height > 0:
                    return f"{box.x + box.width // 2} {box.y + box.height // 2}"
        return None

    return until(seconds, look, lambda: f"{name!r} in a box titled {title!r}")


def main():
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "progress":
        print(progress(arguments[0], float(arguments[1])))
    elif command == "box":
        print(box(arguments[0], float(arguments[1])))
    elif command == "where":
        print(where(arguments[0], arguments[1], float(arguments[2])))
    else:
        sys.exit(f"unknown command {command!r}")


if __name__ == "__main__":
    main()
