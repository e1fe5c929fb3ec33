#!/usr/bin/python3
"""Checks which folder of src/ may include which, from the #include lines alone, so the answer
does not depend on a compiler's wording. Exits 1 and names every include that breaks a rule.

  include_rules.py SRC                      check the tree
  include_rules.py SRC --plant FILE HEADER  check it as if FILE also included HEADER; succeeds
                                            only when that include is reported (the rules bite)
"""
import pathlib
import re
import sys

# Each folder, and the folders its files may include besides their own. Dependencies point
# down: the window over the commands over the rows, the engine and the adapters.
ALLOWED = {
    "posix": set(),
    "base": set(),
    "engine": {"posix"},
    "platform": {"base", "posix"},
    "platform/gui": {"platform", "base", "posix"},
    "lists": {"platform", "base", "posix"},
    "core": {"lists", "platform", "engine", "base", "posix"},
    "adding": {"core", "lists", "platform", "engine", "base", "posix"},
    "output": {"core", "lists", "platform", "base", "posix"},
    "commands": {"core", "adding", "output", "lists", "platform", "engine", "base", "posix"},
    "desktop": {"platform", "base", "posix"},
    "cli": {"desktop", "core", "adding", "output", "lists", "platform", "engine", "base", "posix"},
    "ui": {"commands", "core", "adding", "output", "lists", "platform", "platform/gui", "engine",
           "base", "posix"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
# Qt's modules, by folder: only the window and the desktop's own adapters see widgets or the GUI
# module (a "<QtWidgets/...>" include would otherwise be found through Qt's common folder), and
# the engine sees no Qt at all.
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<([^>]+)>', re.MULTILINE)
WIDGET_FOLDERS = {"ui", "platform/gui"}


def qt_violation(own, header):
    if own in ("engine", "posix"):
        return header.startswith("Q") and f"no Qt in {own}"
    if own in WIDGET_FOLDERS:
        return None
    if re.match(r"^Qt(Widgets|Gui)/", header):
        return f"{own} may not use Qt's {header.split('/')[0]}"
    return None


def folder_of(relative):
    parts = pathlib.PurePosixPath(relative).parts
    if len(parts) < 2:
        return None  # main.cpp and the like: the program itself, above every layer
    if parts[0] == "platform" and len(parts) > 2 and parts[1] == "gui":
        return "platform/gui"
    return parts[0]


def violations(src, planted=None):
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        relative = path.relative_to(src).as_posix()
        own = folder_of(relative)
        if own is None:
            continue
        if own not in ALLOWED:
            found.append(f"{relative}: folder '{own}' has no rule")
            continue
        text = path.read_text(errors="replace")
        headers = INCLUDE.findall(text)
        system = SYSTEM_INCLUDE.findall(text)
        if planted and planted[0] == relative:
            (system if planted[1].startswith("<") else headers).append(planted[1].strip("<>"))
        for header in system:
            why = qt_violation(own, header)
            if why:
                found.append(f"{relative}: includes <{header}> ({why})")
        for header in headers:
            target = folder_of(header)
            if target is None or target == own or not (src / header).exists() and target not in ALLOWED:
                continue
            if target not in ALLOWED[own]:
                found.append(f"{relative}: includes {header} ({own} may not include {target})")
    return found


def main():
    src = pathlib.Path(sys.argv[1])
    if len(sys.argv) == 5 and sys.argv[2] == "--plant":
        planted = (sys.argv[3], sys.argv[4])
        reported = [v for v in violations(src, planted)
                    if v.startswith(planted[0] + ":") and planted[1].strip("<>") in v]
        print("\n".join(reported) or f"not reported: {planted[0]} including {planted[1]}")
        sys.exit(0 if reported else 1)
    found = violations(src)
    print("\n".join(found) or "every include keeps to the layers")
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
