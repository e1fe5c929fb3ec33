#!/usr/bin/python3
"""Reads the program's progress line as a screen reader does, through the accessibility bus.

  read_progress.py PATTERN SECONDS
                      wait until the status line of the running program says what the regular
                      expression PATTERN finds; prints what it said
"""
import re
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def status_lines(accessible, depth=0):
    if accessible is None or depth > 12:
        return
    role = accessible.get_role()
    if role == Atspi.Role.STATUS_BAR:
        yield accessible
    # A list's rows are many and hold no status line.
    if role in (Atspi.Role.TREE, Atspi.Role.TREE_TABLE, Atspi.Role.TABLE, Atspi.Role.LIST):
        return
    for i in range(accessible.get_child_count()):
        yield from status_lines(accessible.get_child_at_index(i), depth + 1)


def main():
    wanted, seconds = sys.argv[1], float(sys.argv[2])
    deadline = time.time() + seconds
    said = []
    while time.time() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(i)
            if application is None or application.get_name() != "bytemarsh":
                continue
            for line in status_lines(application):
                name = line.get_name()
                said.append(name)
                if re.search(wanted, name):
                    print(name)
                    return
        time.sleep(0.05)
    sys.exit(f"no status line said {wanted!r}; it said: {said[-3:]}")


if __name__ == "__main__":
    main()
