#!/usr/bin/python3
"""The whole product, end to end: the real reportmerge on a private X server,
driven from outside with xdotool through its real dialogs, merging real .xls
files with the real office.

    end_to_end.py --program PATH/reportmerge --drag-helper PATH/drag_files_helper
                  --tools tests/tools --artifacts DIR

The second source gets in by a drop from another program's drag (XDND),
together with a third workbook, which is then removed with the Delete key.

Checks: the output's sums, the working copy gone, the template remembered, the
completion message shown, our process ended, no private office left, and the
output open in a visible spreadsheet window (LibreOffice Calc with the
temporary home's own profile), which is then closed. Leaves screenshots and
timing lines in DIR (merge time; time from the completion message's OK to
the viewer's window).
"""
import argparse
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    pass


def wait_for(what, predicate, timeout, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


class Xvfb:
    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as reader:
            while not number.endswith(b"\n"):
                c = reader.read(1)
                if not c:
                    break
                number += c
        if not number.strip():
            self.stop()
            raise Failure("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Desktop:
    def __init__(self, display):
        self.env = {"DISPLAY": display, "PATH": os.environ.get("PATH", "/usr/bin:/bin")}

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=60)
        return result.stdout.split()

    def visible_windows(self, pid):
        return set(int(w) for w in self.xdotool("search", "--onlyvisible", "--pid", str(pid)))

    def visible_windows_named(self, pattern):
        return set(int(w) for w in self.xdotool("search", "--onlyvisible", "--name", pattern))

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", str(window))

    def key(self, *keys):
        self.xdotool("key", "--clearmodifiers", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "15", text)

    def click(self, window, x, y):
        self.xdotool("mousemove", "--window", str(window), str(x), str(y), "click", "1")

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, capture_output=True, timeout=120)


def processes_matching(predicate):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read().replace(b"\0", b" ").decode(errors="replace")
            with open("/proc/%s/environ" % entry, "rb") as f:
                environ = f.read().split(b"\0")
            with open("/proc/%s/stat" % entry) as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
        except OSError:
            continue
        if state != "Z" and predicate(cmdline, environ):
            found.append(int(entry))
    return found


def stop_processes(pids):
    for pid in pids:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    deadline = time.monotonic() + 5
    for pid in pids:
        while time.monotonic() < deadline and os.path.exists("/proc/%d" % pid):
            time.sleep(0.2)
        if os.path.exists("/proc/%d" % pid):
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


def office_sockets():
    return {n for n in os.listdir("/tmp") if n.startswith("OSL_PIPE_")}


def remove_unbound_office_sockets(before):
    """The stand-in for the user's own office was ended by a signal, which leaves
    its single-instance socket in /tmp; remove the ones this test made that no
    live process holds any more."""
    with open("/proc/net/unix") as f:
        bound = {line.split()[-1] for line in f.readlines()[1:] if len(line.split()) >= 8}
    for name in office_sockets() - before:
        path = os.path.join("/tmp", name)
        if path not in bound:
            try:
                os.unlink(path)
            except OSError:
                pass


def held_by_viewer(folder, name, home):
    """A lock file of the spreadsheet application the output was handed to."""
    if not name.startswith(".~lock."):
        return False
    try:
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
            return home in f.read()
    except OSError:
        return False


def make_workbook(tools, description, path):
    subprocess.run([sys.executable, os.path.join(tools, "make_xls.py"), "-", path],
                   input=json.dumps(description), text=True, check=True)


def read_cells(tools, path):
    out = subprocess.run([sys.executable, os.path.join(tools, "read_xls.py"), path],
                         capture_output=True, text=True, check=True).stdout
    cells = {}
    for line in out.splitlines():
        parts = line.split("\t")
        if parts[0] == "cell":
            cells[parts[2]] = (parts[3], parts[4])
    return cells


# Centres of the window's buttons in its client area.
OPEN_COMMAND = (520, 62)
ADD_COMMAND = (520, 112)
SAVE_COMMAND = (426, 384)
# Points in the source list: over it, and on its third entry.
SOURCE_LIST = (240, 200)
THIRD_ENTRY = (200, 135)


def drop_onto_list(desktop, env, helper, main_window, paths):
    """Drags `paths` from the helper's window (top left of the screen) onto
    the source list and lets go; the helper runs until the drop is through."""
    source = subprocess.Popen([helper, *paths], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        if source.stdout.readline().strip() != "ready":
            raise Failure("the drag helper did not start")
        desktop.xdotool("mousemove", "70", "50", "mousedown", "1", "sleep", "0.3",
                        "mousemove", "--window", str(main_window), str(SOURCE_LIST[0] - 20), str(SOURCE_LIST[1] - 20),
                        "sleep", "0.3", "mousemove", "--window", str(main_window), *map(str, SOURCE_LIST),
                        "sleep", "0.3", "mouseup", "1")
        outcome = source.stdout.readline().strip()
        if outcome != "copied":
            raise Failure("the drop onto the list was refused: %r" % outcome)
        time.sleep(1)   # the window fetches the dropped data from the helper (not a timing check)
    finally:
        source.terminate()
        source.wait(timeout=30)


def open_dialog_with(desktop, pid, main_window, button):
    """Clicks a button of the window until the dialog it opens is up; a click
    that arrives while a dialog is up is refused by its modality."""
    for _ in range(3):
        desktop.click(main_window, *button)
        try:
            return max(wait_for("a dialog", lambda: desktop.visible_windows(pid) - {main_window}, 20))
        except Failure:
            continue
    raise Failure("no dialog opened by the button at %r" % (button,))


def answer_with_keys(desktop, pid, window, *actions):
    """Focuses `window` and runs `actions` (callables) until it has closed."""
    for _ in range(3):
        desktop.focus(window)
        for action in actions:
            action()
        try:
            wait_for("the dialog to close", lambda: window not in desktop.visible_windows(pid), 5)
            return
        except Failure:
            pass
        # A completion list may have taken the Return: one more confirms.
        desktop.key("Return")
        try:
            wait_for("the dialog to close", lambda: window not in desktop.visible_windows(pid), 5)
            return
        except Failure:
            pass
    raise Failure("the dialog did not close")


def choose_file(desktop, pid, main_window, button, path):
    """Opens a file dialog with `button`, types `path` into it and confirms."""
    dialog = open_dialog_with(desktop, pid, main_window, button)
    answer_with_keys(desktop, pid, dialog,
                     lambda: desktop.key("ctrl+a"), lambda: desktop.type(path), lambda: desktop.key("Return"))


def wait_for_message(desktop, pid, main_window, what, timeout):
    return max(wait_for(what, lambda: desktop.visible_windows(pid) - {main_window}, timeout))


def check_failed_merge_then_terminate(args, desktop, env, work, data, template):
    """A merge that fails leaves the window locked and the private office
    running; ending the program with SIGTERM still shuts that office down."""
    office_tmp = os.path.join(work, "tmp2")
    os.makedirs(office_tmp)
    not_a_workbook = os.path.join(data, "notes.xls")
    with open(not_a_workbook, "w") as f:
        f.write("not a workbook\n")
    env = dict(env, TMPDIR=office_tmp)
    program = subprocess.Popen([os.path.abspath(args.program)], env=env, cwd=work,
                               stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "program2.log"), "wb"))
    try:
        main_window = max(wait_for("the main window", lambda: desktop.visible_windows(program.pid), 60))
        # The template comes from the setting the first run wrote.
        choose_file(desktop, program.pid, main_window, ADD_COMMAND, not_a_workbook)
        choose_file(desktop, program.pid, main_window, SAVE_COMMAND, os.path.join(data, "merged2.xls"))
        started = time.monotonic()
        message = wait_for_message(desktop, program.pid, main_window, "the failure message", 300)
        print("failed merge reported after %.1f s" % (time.monotonic() - started))
        desktop.screenshot(os.path.join(args.artifacts, "e2e-failure.png"))
        answer_with_keys(desktop, program.pid, message, lambda: desktop.key("Return"))
        if program.poll() is not None:
            raise Failure("the program ended after a failed merge")
        if not processes_matching(lambda cmd, environ: office_tmp in cmd and "--headless" in cmd):
            raise Failure("no private office after the failed merge (expected it to stay until the program ends)")
        os.kill(program.pid, signal.SIGTERM)
        terminated = time.monotonic()
        wait_for("reportmerge to end on SIGTERM", lambda: program.poll() is not None, 120)
        print("ended %.1f s after SIGTERM, with the private office shut down" % (time.monotonic() - terminated))
        if program.returncode != 0:
            raise Failure("reportmerge ended with %d on SIGTERM" % program.returncode)
        wait_for("the private office to end",
                 lambda: not processes_matching(lambda cmd, environ: office_tmp in cmd and "--headless" in cmd), 60)
        # The watchdog's cleaner removes the profile once the last office process is gone.
        try:
            wait_for("the private office's profile to go",
                     lambda: not [n for n in os.listdir(office_tmp) if n.startswith("reportmerge-office")], 15)
        except Failure:
            profiles = [n for n in os.listdir(office_tmp) if n.startswith("reportmerge-office")]
            raise Failure("the private office left its profile behind: %r" % profiles)
        if os.path.exists(os.path.join(data, "merged2.xls")):
            raise Failure("a failed merge produced an output")
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()
        stop_processes(processes_matching(lambda cmd, environ: office_tmp in cmd))


def run(args, work):
    tools = os.path.abspath(args.tools)
    home = os.path.join(work, "home")
    sockets_before = office_sockets()
    office_tmp = os.path.join(work, "tmp")
    data = os.path.join(work, "data")
    for d in (home, office_tmp, data):
        os.makedirs(d)

    template = os.path.join(data, "template.xls")
    first = os.path.join(data, "north.xls")
    second = os.path.join(data, "south.xls")
    removed = os.path.join(data, "west.xls")
    output = os.path.join(data, "merged.xls")
    make_workbook(tools, {"sheets": [{"name": "Report", "cells": {
        "A1": "Sales", "B1": "?", "A2": "Costs", "B2": "?", "A3": "Total", "B3": {"formula": "SUM(B1:B2)"}}}]}, template)
    make_workbook(tools, {"sheets": [{"name": "Report", "cells": {
        "A1": "Sales", "B1": 5, "A2": "Costs", "B2": 1.5, "A3": "Total", "B3": 6.5}}]}, first)
    make_workbook(tools, {"sheets": [{"name": "Report", "cells": {
        "A1": "Sales", "B1": 7, "A2": "Costs", "B2": 2.25, "A3": "Total", "B3": 9.25}}]}, second)
    make_workbook(tools, {"sheets": [{"name": "Report", "cells": {
        "A1": "Sales", "B1": 1000, "A2": "Costs", "B2": 1000, "A3": "Total", "B3": 2000}}]}, removed)
    inputs_before = {p: open(p, "rb").read() for p in (template, first, second, removed)}

    xvfb = Xvfb()
    desktop = Desktop(xvfb.display)
    env = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": home,
        "XDG_CONFIG_HOME": os.path.join(home, ".config"),
        "TMPDIR": office_tmp,
        "DISPLAY": xvfb.display,
        "QT_QPA_PLATFORM": "xcb",
        "LANG": "C.UTF-8",
        "LC_ALL": "C.UTF-8",
    }
    program = None
    try:
        program = subprocess.Popen([os.path.abspath(args.program)], env=env, cwd=work,
                                   stdout=subprocess.DEVNULL, stderr=open(os.path.join(work, "program.log"), "wb"))
        main_window = max(wait_for("the main window", lambda: desktop.visible_windows(program.pid), 60))

        choose_file(desktop, program.pid, main_window, OPEN_COMMAND, template)
        choose_file(desktop, program.pid, main_window, ADD_COMMAND, first)
        # Two more dropped from another program; the last of them selected and removed with Delete.
        drop_onto_list(desktop, env, os.path.abspath(args.drag_helper), main_window, [second, removed])
        desktop.screenshot(os.path.join(args.artifacts, "e2e-dropped.png"))
        desktop.focus(main_window)
        desktop.click(main_window, *THIRD_ENTRY)
        desktop.key("Delete")
        time.sleep(0.5)   # for the screenshot only
        desktop.screenshot(os.path.join(args.artifacts, "e2e-window.png"))
        choose_file(desktop, program.pid, main_window, SAVE_COMMAND, output)
        merge_started = time.monotonic()
        time.sleep(3)   # the stage and the time left beside the busy text, for the screenshot only
        desktop.screenshot(os.path.join(args.artifacts, "e2e-merging.png"))

        message = wait_for_message(desktop, program.pid, main_window, "the completion message", 300)
        merge_seconds = time.monotonic() - merge_started
        desktop.screenshot(os.path.join(args.artifacts, "e2e-message.png"))
        ok_pressed = {}

        def press_ok():
            ok_pressed["at"] = time.monotonic()
            desktop.key("Return")

        answer_with_keys(desktop, program.pid, message, press_ok)
        # The output is open in a visible spreadsheet window of its own.
        viewer = wait_for("the spreadsheet window", lambda: desktop.visible_windows_named("merged"), 180, 0.05)
        ok_to_viewer = time.monotonic() - ok_pressed["at"]
        wait_for("reportmerge to end", lambda: program.poll() is not None, 120)
        if program.returncode != 0:
            raise Failure("reportmerge ended with %d" % program.returncode)

        # The output and its sums; the working copy gone; the inputs untouched.
        cells = read_cells(tools, output)
        if cells.get("B1") != ("n", "12.0") or cells.get("B2") != ("n", "3.75") or cells.get("B3") != ("n", "15.75"):
            raise Failure("unexpected output cells: %r" % cells)
        leftovers = [n for n in os.listdir(data) if n.startswith(".") and not held_by_viewer(data, n, home)]
        if leftovers:
            raise Failure("working copy left behind: %r" % leftovers)
        for path, before in inputs_before.items():
            if open(path, "rb").read() != before:
                raise Failure("an input was modified: " + path)
        with open(os.path.join(home, ".config", "Brivane", "reportmerge.conf"), encoding="utf-8") as f:
            if template not in f.read():
                raise Failure("the template path was not remembered")

        # No private office outlives the program.
        wait_for("the private office to end",
                 lambda: not processes_matching(lambda cmd, environ: office_tmp in cmd and "--headless" in cmd), 60)

        viewer_pids = processes_matching(
            lambda cmd, environ: ("HOME=" + home).encode() in environ and "soffice" in cmd)
        if not viewer_pids:
            raise Failure("no spreadsheet application running")
        time.sleep(2)   # let the document finish painting for the screenshot (not a timing check)
        desktop.screenshot(os.path.join(args.artifacts, "e2e-viewer.png"))
        with open(os.path.join(args.artifacts, "e2e-timing.txt"), "w") as f:
            f.write("merge (save dialog confirmed -> completion message): %.1f s\n" % merge_seconds)
            f.write("OK of the completion message -> viewer window: %.1f s\n" % ok_to_viewer)
            f.write("viewer windows: %r\n" % sorted(viewer))
        print("merge took %.1f s; OK to viewer window %.1f s; viewer window(s) %r"
              % (merge_seconds, ok_to_viewer, sorted(viewer)))

        check_failed_merge_then_terminate(args, desktop, env, work, data, template)
    finally:
        if program is not None and program.poll() is None:
            program.kill()
            program.wait()
        stop_processes(processes_matching(
            lambda cmd, environ: ("HOME=" + home).encode() in environ or office_tmp in cmd))
        remove_unbound_office_sockets(sockets_before)
        xvfb.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--drag-helper", required=True)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--artifacts", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="reportmerge-e2e-")
    try:
        run(args, work)
    except (Failure, OSError, subprocess.SubprocessError) as failure:
        print("FAIL: %s (work folder kept: %s)" % (failure, work))
        return 1
    shutil.rmtree(work, ignore_errors=True)
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
