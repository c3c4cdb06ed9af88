#!/usr/bin/python3
"""The installed dnspeek under Wine: what the installer left, and lookups
through the window, read back by ReadForm.exe through window messages.

  lookup.py snapshot DIR                    keeps the prefix's file list and
                                            registry in DIR
  lookup.py installed CODE VERSION EXE [GONE...]
                                            checks the installed files (the
                                            program as EXE), the shortcut and
                                            the installed-programs entry of
                                            product CODE, and that the products
                                            GONE are no longer installed
  lookup.py check READER LOG                the user: types each case's host
                                            and type, clicks Button1 with the
                                            mouse and reads back what the
                                            window shows; LOG tells what
                                            reached the resolver
  lookup.py removed DIR CODE...             checks that no file, shortcut or
                                            registry entry of the program or
                                            of products CODE remains, against
                                            the snapshot in DIR

Run only inside the isolated network namespace set up by `lookup`, with
WINEPREFIX set; the cases and the responder are the Debian test's.
"""

import json
import os
import pathlib
import shutil
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent.parent / "debian" / "tests"))
from lookup import (  # noqa: E402
    RECEIVE_BOUND,
    REPLY_BUFFER_SIZE,
    STATUS_TEXT,
    Failure,
    check_cases,
    describe_bytes,
    queries,
    refuse_unless_lo_alone,
    wait_until,
    xdotool,
)

PREFIX = pathlib.Path(os.environ.get("WINEPREFIX", "/nonexistent"))
DRIVE_C = PREFIX / "drive_c"
PROGRAM_FOLDER = DRIVE_C / "Program Files" / "dnspeek"
INSTALL_LOCATION = "C:\\Program Files\\dnspeek\\"
PROGRAM = INSTALL_LOCATION + "dnspeek.exe"
UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
# The shortcut belongs in the Start menu of all users; Wine's installer puts
# it in the user's own, as it does not yet tell the two apart.
SHORTCUTS = ("ProgramData/Microsoft/Windows/Start Menu/Programs/dnspeek.lnk",
             "users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/dnspeek.lnk")
REGISTRY_FILES = ("system.reg", "user.reg", "userdef.reg")
# A button's type in its style: a plain push button, not a default one.
BS_PUSHBUTTON = 0


def wine(*arguments):
    return subprocess.run(("wine",) + arguments, capture_output=True, timeout=60)


def registry_values(key):
    """The values of a registry key as `reg query` shows them, or None. In a
    64-bit prefix, its 64-bit view, where a 64-bit installer writes: Wine's
    `wine` may start the 32-bit reg.exe, which sees the 32-bit one."""
    view = ("/reg:64",) if os.environ.get("WINEARCH") == "win64" else ()
    result = wine("reg", "query", key, *view)
    if result.returncode != 0:
        return None
    values = {}
    for line in result.stdout.decode("utf-8", "replace").splitlines():
        fields = line.strip().split(None, 2)
        if len(fields) >= 2 and fields[1].startswith("REG_"):
            values[fields[0]] = fields[2] if len(fields) == 3 else ""
    return values


def files():
    return sorted(str(path.relative_to(DRIVE_C)) for path in DRIVE_C.rglob("*"))


def snapshot(folder):
    folder = pathlib.Path(folder)
    folder.mkdir()
    (folder / "files").write_text("\n".join(files()) + "\n")
    for name in REGISTRY_FILES:
        shutil.copy(PREFIX / name, folder / name)
    return 0


def installed(code, version, exe, gone):
    problems = []
    for name in ("dnspeek.exe", "LICENSE.txt"):
        if not (PROGRAM_FOLDER / name).is_file():
            problems.append(f"no {PROGRAM_FOLDER / name}")
    if sorted(path.name for path in PROGRAM_FOLDER.iterdir()) != ["LICENSE.txt", "dnspeek.exe"]:
        problems.append(f"{PROGRAM_FOLDER} holds {sorted(path.name for path in PROGRAM_FOLDER.iterdir())}")
    elif (PROGRAM_FOLDER / "dnspeek.exe").read_bytes() != pathlib.Path(exe).read_bytes():
        problems.append("the installed dnspeek.exe is not the packaged one")

    shortcuts = [path for pattern in SHORTCUTS for path in DRIVE_C.glob(pattern)]
    if len(shortcuts) != 1:
        problems.append(f"shortcuts dnspeek.lnk: {shortcuts}, expected one")
    else:
        link = shortcuts[0].read_bytes()
        for what, text in (("the program", PROGRAM), ("the icon", "dnspeek.ico")):
            if text.encode("ascii") not in link and text.encode("utf-16-le") not in link:
                problems.append(f"the shortcut does not name {what} ({text})")

    entry = registry_values(UNINSTALL_KEY + code)
    expected = {"DisplayName": "dnspeek", "DisplayVersion": version, "Publisher": "The dnspeek developers",
                "InstallLocation": INSTALL_LOCATION}
    shown = {name: (entry or {}).get(name) for name in expected}
    if shown != expected:
        problems.append(f"the installed-programs entry {code} shows {shown}, expected {expected}")
    for older in gone:
        if registry_values(UNINSTALL_KEY + older) is not None:
            problems.append(f"the replaced product {older} is still in the installed programs")

    for problem in problems:
        print(f"FAIL {problem}")
    if not problems:
        print(f"ok   installed {version}: {PROGRAM}, LICENSE.txt, the shortcut {shortcuts[0].relative_to(DRIVE_C)},"
              f" the installed-programs entry{' (the older one gone)' if gone else ''}")
    return 1 if problems else 0


def packed(code):
    """A product code as the installer writes it into registry key names."""
    hex_digits = code.strip("{}").replace("-", "")
    parts = (hex_digits[0:8], hex_digits[8:12], hex_digits[12:16])
    rest = hex_digits[16:]
    return "".join(part[::-1] for part in parts) + "".join(rest[i + 1] + rest[i] for i in range(0, 16, 2))


def removed(folder, codes):
    folder = pathlib.Path(folder)
    before = set((folder / "files").read_text().split("\n"))
    new = ["C:\\" + path.replace("/", "\\") for path in files() if path not in before]
    problems = [f"left behind: {path}" for path in new if "dnspeek" in path.lower() or path.lower().endswith(".lnk")]
    marks = ["dnspeek"] + [mark for code in codes for mark in (code.strip("{}"), packed(code))]
    for name in REGISTRY_FILES:
        text = (PREFIX / name).read_text(errors="replace").lower()
        earlier = (folder / name).read_text(errors="replace").lower()
        for mark in marks:
            if text.count(mark.lower()) > earlier.count(mark.lower()):
                problems.append(f"{name} still names {mark}")
    for problem in problems:
        print(f"FAIL {problem}")
    if not problems:
        print("ok   removed: no file, shortcut or registry entry of dnspeek left; new in the prefix:"
              f" {', '.join(new) or 'nothing'}")
    return 1 if problems else 0


class Window:
    """Form1 as ReadForm.exe reads it, and the mouse and keyboard."""

    def __init__(self, reader):
        self.reader = reader

    def run(self, *arguments):
        result = subprocess.run(("wine", self.reader) + arguments, capture_output=True, timeout=60)
        if result.returncode != 0:
            raise Failure(result.stderr.decode(errors="replace").strip())
        return result.stdout

    def wait_for_lines(self, count):
        """Returns once ListBox1 holds `count` lines."""
        self.run(str(count))

    def read(self):
        """Every control's place and texts."""
        shown = json.loads(self.run())
        for control in shown.values():
            if isinstance(control, dict):
                for member in ("text", "name"):
                    if member in control:
                        control[member] = bytes.fromhex(control[member]).decode("latin-1")
                if "lines" in control:
                    control["lines"] = [bytes.fromhex(line).decode("latin-1") for line in control["lines"]]
        return shown

    def click(self, name, shown):
        left, top, right, bottom = shown[name]["rect"]
        xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2), "click", "1")

    def enter(self, name, typed):
        """Replaces the edit box's text by typing, as a user does."""
        self.click(name, self.read())
        xdotool("key", "--clearmodifiers", "End", "shift+Home")
        xdotool("type", "--delay", "20", "--", typed)
        try:
            wait_until("typing", 5, lambda: self.read()[name]["text"] == typed)
        except Failure:
            raise Failure(f"typed {typed!r} into {name}, which shows {self.read()[name]['text']!r}") from None


def check_case(window, case, log_path):
    """Runs one lookup; returns the problems seen, the time the result line
    took and the line."""
    window.enter("txtHostName", case.host)
    window.enter("Edit1", case.qtype)
    before = window.read()
    lines_before = before["ListBox1"]["lines"]
    queries_before = len(queries(log_path))
    clicked = time.monotonic()
    window.click("Button1", before)
    window.wait_for_lines(len(lines_before) + 1)
    seen = time.monotonic()
    shown = window.read()

    problems = []
    arrived = queries(log_path)[queries_before:]
    if arrived != [case.query]:
        problems.append(f"the resolver got {[data.hex(' ') for data in arrived]}, expected only {case.query.hex(' ')}")
    lines = shown["ListBox1"]["lines"]
    if lines != lines_before + [case.line]:
        problems.append(f"ListBox1 shows {lines}, expected {lines_before + [case.line]}")
    reply = case.reply or b""
    expected_bytes = [str(byte) for byte in reply.ljust(REPLY_BUFFER_SIZE, b"\0")]
    shown_bytes = shown["ListBox2"]["lines"]
    if shown_bytes != expected_bytes:
        differ = next(i for i, pair in enumerate(zip(shown_bytes + [None], expected_bytes + [None])) if len(set(pair)) > 1)
        problems.append(
            f"ListBox2 shows {describe_bytes(shown_bytes)}; expected {describe_bytes(expected_bytes)};"
            f" they differ from line {differ + 1}"
        )
    if shown["StatusBar1"]["text"] != STATUS_TEXT:
        problems.append(f"the status bar shows {shown['StatusBar1']['text']!r}, expected {STATUS_TEXT!r}")

    # The click comes before the query is sent, and the line is seen only
    # after it appears: without a reply, `waited` is at least the bound.
    waited = seen - clicked
    if case.reply is not None and waited > RECEIVE_BOUND / 2:
        problems.append(f"the answered lookup took {waited:.2f} s")
    if case.reply is None and not RECEIVE_BOUND <= waited <= RECEIVE_BOUND + 2:
        problems.append(f"the line came {waited:.2f} s after the click; the wait for no reply is {RECEIVE_BOUND} s")
    return problems, waited, lines[-1] if lines else None


# What a screen reader says for each control; the button is named by its
# caption.
ACCESSIBLE_NAMES = {"txtHostName": "Host name", "Button1": "Button1", "ListBox1": "Results",
                    "ListBox2": "Reply bytes", "Edit1": "Query type"}


def check_accessible(shown):
    """The names a screen reader reads from another process, and a form of
    six child windows whose button is a plain push button."""
    names = {control: shown[control]["name"] for control in ACCESSIBLE_NAMES}
    if names != ACCESSIBLE_NAMES:
        raise Failure(f"screen readers read the names {names}; expected {ACCESSIBLE_NAMES}")
    if shown["children"] != 6 or shown["buttonType"] != BS_PUSHBUTTON:
        raise Failure(f"the form has {shown['children']} child windows and a button of type {shown['buttonType']};"
                      f" expected 6 and a plain push button ({BS_PUSHBUTTON})")
    print(f"ok   screen readers read {', '.join(ACCESSIBLE_NAMES.values())}; six child windows; a plain push button")


def check(reader, log_path):
    refuse_unless_lo_alone("click")
    window = Window(reader)
    shown = window.read()
    start = (shown["Edit1"]["text"], shown["ListBox1"]["lines"], shown["ListBox2"]["lines"], shown["StatusBar1"]["text"])
    if start != ("15", [], [], ""):
        raise Failure(f"at start the type, ListBox1, ListBox2 and the status bar show {start}; expected ('15', [], [], '')")
    check_accessible(shown)
    return check_cases(lambda case: check_case(window, case, log_path), log_path)


def main(arguments):
    try:
        if arguments[:1] == ["snapshot"] and len(arguments) == 2:
            return snapshot(arguments[1])
        if arguments[:1] == ["installed"] and len(arguments) >= 4:
            return installed(arguments[1], arguments[2], arguments[3], arguments[4:])
        if arguments[:1] == ["check"] and len(arguments) == 3:
            return check(arguments[1], arguments[2])
        if arguments[:1] == ["removed"] and len(arguments) >= 3:
            return removed(arguments[1], arguments[2:])
    except Failure as failure:
        print(f"FAIL {failure}")
        return 1
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
