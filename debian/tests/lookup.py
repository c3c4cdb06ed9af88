#!/usr/bin/python3
"""Lookups through dnspeek's window, and the resolver they reach.

  lookup.py respond LOG          the resolver: listens on 9.9.9.9:53/udp, writes
                                 every datagram to LOG and answers the queries
                                 of CASES with their replies
  lookup.py check PID WINDOW LOG the user: types each case's host and type,
                                 clicks Button1 with the mouse and reads back,
                                 through the accessibility bus, what the window
                                 shows; LOG tells what reached the resolver

Run only inside the isolated network namespace set up by `lookup`.
"""

import dataclasses
import os
import socket
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

RESOLVER = ("9.9.9.9", 53)
REPLY_BUFFER_SIZE = 2048
STATUS_TEXT = "Windows Sockets is closed."
# The program waits this long for a reply that does not come.
RECEIVE_BOUND = 3.0


@dataclasses.dataclass(frozen=True)
class Case:
    what: str
    host: str  # typed as it is, spaces included
    qtype: str
    query: bytes  # exactly what must reach the resolver
    reply: bytes | None  # None: the resolver stays silent
    line: str  # the result line the lookup must add


CASES = (
    Case(
        "mail exchanger reply",
        "ab.cde",
        "15",
        bytes.fromhex("11DF 0100 0001 0000 0000 0000 02 6162 03 636465 00 000F 0001"),
        bytes.fromhex(
            "11DF 8180 0001 0001 0000 0000 02 6162 03 636465 00 000F 0001"
            " C00C 000F 0001 00000E10 0007 000A 02 6D78 C00C"
        ),
        "Search : ab.cde....   Find : mx.ab.cde",
    ),
    Case(
        "no reply",
        "quiet.cde",
        "15",
        bytes.fromhex("11DF 0100 0001 0000 0000 0000 05 7175696574 03 636465 00 000F 0001"),
        None,
        "Search : ....   Find : ",
    ),
    Case(
        "mail exchanger reply after the silence, host typed between spaces",
        "  fg.hij ",
        "15",
        bytes.fromhex("11DF 0100 0001 0000 0000 0000 02 6667 03 68696A 00 000F 0001"),
        bytes.fromhex(
            "11DF 8180 0001 0001 0000 0000 02 6667 03 68696A 00 000F 0001"
            " C00C 000F 0001 00000E10 0009 0014 04 6D61696C C00C"
        ),
        "Search : fg.hij....   Find : mail.fg.hij",
    ),
)


def respond(log_path):
    refuse_unless_lo_alone("answer for 9.9.9.9")
    replies = {case.query: case.reply for case in CASES if case.reply is not None}
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as server, open(log_path, "a") as log:
        server.bind(RESOLVER)
        print("listening on %s:%d" % RESOLVER, flush=True)
        while True:
            query, peer = server.recvfrom(65535)
            log.write(query.hex() + "\n")
            log.flush()
            if query in replies:
                server.sendto(replies[query], peer)


class Failure(Exception):
    pass


def wait_until(what, seconds, probe):
    """Calls probe until it returns something true, for at most `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not within {seconds} s")
        time.sleep(0.05)


def xdotool(*arguments):
    subprocess.run(("xdotool",) + arguments, check=True, timeout=10)


def queries(log_path):
    """The datagrams that reached the resolver so far, in order."""
    with open(log_path) as log:
        return [bytes.fromhex(line) for line in log]


def find(parent, role, name=None):
    # By the role itself: its name differs between releases of AT-SPI
    # ("push button" in 2.46, "button" in 2.56).
    children = [parent.get_child_at_index(index) for index in range(parent.get_child_count())]
    for child in children:
        if child.get_role() == role and (name is None or child.get_name() == name):
            return child
    shown = ", ".join(f"{child.get_role_name()} {child.get_name()!r}" for child in children)
    raise Failure(f"no {role.value_nick} {name!r} in the window, which holds: {shown}")


def lines(list_box):
    return [list_box.get_child_at_index(i).get_name() for i in range(list_box.get_child_count())]


def text(edit):
    # Through the Text interface: AT-SPI 2.56 gives the object a get_text of
    # its own, which takes no range.
    return Atspi.Text.get_text(edit, 0, Atspi.Text.get_character_count(edit))


class Window:
    """Form1 as the accessibility bus shows it, and the mouse and keyboard."""

    def __init__(self, pid):
        form = wait_until("the window on the accessibility bus", 20, lambda: self._form(pid))
        self.host = find(form, Atspi.Role.TEXT, "Host name")
        self.qtype = find(form, Atspi.Role.TEXT, "Query type")
        self.button = find(form, Atspi.Role.PUSH_BUTTON, "Button1")
        self.results = find(form, Atspi.Role.LIST, "Results")
        self.reply_bytes = find(form, Atspi.Role.LIST, "Reply bytes")
        self.status = find(form, Atspi.Role.STATUS_BAR)

    @staticmethod
    def _form(pid):
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(index)
            if application.get_process_id() != pid:
                continue
            # Every read goes to the program: nothing may come from a cache
            # that missed a change.
            application.set_cache_mask(Atspi.Cache.NONE)
            for child in range(application.get_child_count()):
                form = application.get_child_at_index(child)
                if form.get_name() == "Form1":
                    return form
        return None

    def click(self, control):
        box = Atspi.Component.get_extents(control, Atspi.CoordType.SCREEN)
        xdotool("mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2), "click", "1")

    def enter(self, edit, typed):
        """Replaces the edit box's text by typing, as a user does."""
        self.click(edit)
        xdotool("key", "--clearmodifiers", "ctrl+a")
        xdotool("type", "--delay", "20", "--", typed)
        try:
            wait_until("typing", 5, lambda: text(edit) == typed)
        except Failure:
            raise Failure(f"typed {typed!r} into {edit.get_name()!r}, which shows {text(edit)!r}") from None


def describe_bytes(values):
    shown = ", ".join(values[:64])
    return f"{len(values)} lines: {shown}{', ...' if len(values) > 64 else ''}"


def check_case(window, case, log_path):
    """Runs one lookup; returns the problems seen, the time the result line
    took and the line."""
    window.enter(window.host, case.host)
    window.enter(window.qtype, case.qtype)
    lines_before = lines(window.results)
    queries_before = len(queries(log_path))
    clicked = time.monotonic()
    window.click(window.button)

    seen = wait_until(
        f"{case.what}: a new line in ListBox1",
        RECEIVE_BOUND + 5,
        lambda: window.results.get_child_count() > len(lines_before) and time.monotonic(),
    )

    problems = []
    arrived = queries(log_path)[queries_before:]
    if arrived != [case.query]:
        problems.append(f"the resolver got {[data.hex(' ') for data in arrived]}, expected only {case.query.hex(' ')}")
    shown = lines(window.results)
    if shown != lines_before + [case.line]:
        problems.append(f"ListBox1 shows {shown}, expected {lines_before + [case.line]}")
    reply = case.reply or b""
    expected_bytes = [str(byte) for byte in reply.ljust(REPLY_BUFFER_SIZE, b"\0")]
    shown_bytes = lines(window.reply_bytes)
    if shown_bytes != expected_bytes:
        differ = next(i for i, pair in enumerate(zip(shown_bytes + [None], expected_bytes + [None])) if len(set(pair)) > 1)
        problems.append(
            f"ListBox2 shows {describe_bytes(shown_bytes)}; expected {describe_bytes(expected_bytes)};"
            f" they differ from line {differ + 1}"
        )
    if window.status.get_name() != STATUS_TEXT:
        problems.append(f"the status bar shows {window.status.get_name()!r}, expected {STATUS_TEXT!r}")

    # The click comes before the query is sent, and the line is seen only
    # after it appears: without a reply, `waited` is at least the bound.
    waited = seen - clicked
    if case.reply is not None and waited > RECEIVE_BOUND / 2:
        problems.append(f"the answered lookup took {waited:.2f} s")
    if case.reply is None and not RECEIVE_BOUND <= waited <= RECEIVE_BOUND + 2:
        problems.append(f"the line came {waited:.2f} s after the click; the wait for no reply is {RECEIVE_BOUND} s")
    return problems, waited, shown[-1] if shown else None


def refuse_unless_lo_alone(doing):
    """9.9.9.9 is a public resolver: answering for it or clicking towards it
    is safe only where lo is the sole interface."""
    interfaces = [name for _, name in socket.if_nameindex()]
    if interfaces != ["lo"]:
        raise Failure(f"refusing to {doing}: the interfaces here are {interfaces}")


def check(pid, window_id, log_path):
    refuse_unless_lo_alone("click")
    if os.readlink(f"/proc/{pid}/ns/net") != os.readlink("/proc/self/ns/net"):
        raise Failure("refusing to click: the program runs in another network namespace")
    # A lookup freezes the window for up to 3 s; a call to it must outlast that.
    Atspi.set_timeout(10000, 20000)
    window = Window(pid)
    start = (text(window.qtype), lines(window.results), lines(window.reply_bytes))
    if start != ("15", [], []):
        raise Failure(f"at start the type, ListBox1 and ListBox2 show {start}; expected ('15', [], [])")
    xdotool("windowfocus", "--sync", str(window_id))
    return check_cases(lambda case: check_case(window, case, log_path), log_path)


def check_cases(check_one, log_path):
    """Makes every lookup of CASES through check_one, which gives its problems,
    the seconds it waited and the line it read, and checks that each click
    sent one datagram; 0 when all held, 1 otherwise."""
    failed = False
    for case in CASES:
        problems, waited, line = check_one(case)
        print(f"{'FAIL' if problems else 'ok  '} {case.what}: {line!r}, {waited:.2f} s after the click")
        for problem in problems:
            print(f"     {problem}")
        failed = failed or bool(problems)
    sent = len(queries(log_path))
    if sent != len(CASES):
        print(f"FAIL the resolver got {sent} datagrams from {len(CASES)} clicks")
        failed = True
    return 1 if failed else 0


def main(arguments):
    if arguments[:1] == ["respond"] and len(arguments) == 2:
        try:
            respond(arguments[1])
        except Failure as failure:
            print(f"FAIL {failure}")
            return 1
        return 0
    if arguments[:1] == ["check"] and len(arguments) == 4:
        try:
            return check(int(arguments[1]), int(arguments[2]), arguments[3])
        except Failure as failure:
            print(f"FAIL {failure}")
            return 1
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
