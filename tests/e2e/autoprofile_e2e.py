#!/usr/bin/python3
"""Profiles that follow the application in front, for real: the program on its
own X display with the virtual mouse, rules made with `vexelctl rule` through
its D-Bus interface. On X11: two X windows with different WM_CLASS and the
test setting the root's _NET_ACTIVE_WINDOW as a window manager does. As on
Wayland: a process of a rule's name running, then a compositor's
ApplicationFocused. Each time the mouse gets the full apply of the matching
profile, then of the default.

    run_atspi_test.sh /usr/bin/python3 autoprofile_e2e.py BIN_DIR [--wayland]
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

from atspi_session import vexel_program

SETTLE_MS = 300
PHOTO, OFFICE = 0, 1  # profile positions
BUS = ("io.github.vexel_mouse.VexelMouse", "/io/github/vexel_mouse/VexelMouse",
       "io.github.vexel_mouse.VexelMouse1")
SETTINGS_REPORTS = ("04", "05", "06", "08")  # performance, lighting, polling rate, button map


class Mouse:
    """The program with two profiles that differ and the rules: `app` ->
    profile 0, default Office; checks what the virtual mouse holds."""

    def __init__(self, vexel, bin_dir, app):
        self.vexel, self.bin_dir = vexel, bin_dir
        self.data = os.path.dirname(vexel.store_file("pro.data"))
        vexel.wait_until(lambda: os.path.exists(os.path.join(self.data, "store.lock")),
                         "the store lock")
        pro = os.path.join(tempfile.mkdtemp(), "office.pro")
        subprocess.run([os.path.join(bin_dir, "vexelctl"), "defaults", "Office", pro], check=True)
        self.vexelctl("import-profile", pro)
        self.vexelctl("set", "--profile", str(PHOTO), "dpi.3=800", "light.effect=breathing")
        self.applied = {}  # what the mouse holds after each profile's apply
        for profile in (PHOTO, OFFICE):
            self.vexelctl("select", str(profile))  # answers once the apply has run
            self.applied[profile] = self.settings()
        photo = json.loads(self.vexelctl("profiles"))["profiles"][PHOTO]["name"]
        for words in (("add", app, str(PHOTO)), ("default", "office"), ("enable",)):
            self.vexelctl("rule", *words)
        rules = json.loads(self.vexelctl("rules"))
        assert rules == {"enabled": True, "default": "Office",
                         "rules": [{"app": app, "profile": photo}]}, rules

    def vexelctl(self, *args):
        return subprocess.run([os.path.join(self.bin_dir, "vexelctl"), "--data", self.data, *args],
                              capture_output=True, text=True, timeout=120, check=True).stdout

    def settings(self, state=None):
        reports = (state or self.vexel.mouse_state())["reports"]
        return [reports[kind] for kind in SETTINGS_REPORTS]

    def holding(self, profile):
        state = self.vexel.mouse_state()
        return state if self.settings(state) == self.applied[profile] else None

    def switch(self, change, profile):
        """Runs `change` and waits until the mouse holds `profile` as its
        apply left it; the ms from before and from after the change to the
        first report at the mouse (the mouse's clock)."""
        before = self.vexel.mouse_state()["t_ms"]
        change()
        after = self.vexel.mouse_state()["t_ms"]
        state = self.vexel.wait_until(lambda: self.holding(profile),
                                      f"the apply of profile {profile}")
        assert json.loads(self.vexelctl("profiles"))["selected"] == profile
        first = min(entry["t_ms"] for entry in state["log"] if entry["t_ms"] >= before)
        return first - before, first - after


def window(vexel, *search):
    """The first window `xdotool search` finds."""
    return vexel.wait_until(lambda: subprocess.run(
        ["xdotool", "search", *search], capture_output=True, text=True).stdout.split(),
        f"the window {search}")[0]


def activate(window_id):
    """The window manager's part: the root's _NET_ACTIVE_WINDOW."""
    subprocess.run(["xprop", "-root", "-f", "_NET_ACTIVE_WINDOW", "32x", "-set",
                    "_NET_ACTIVE_WINDOW", hex(int(window_id))], check=True)


def on_x11(bin_dir, rounds=1):
    """The switches' spans (see Mouse.switch), `rounds` times to each window."""
    with vexel_program(bin_dir) as vexel:
        mouse = Mouse(vexel, bin_dir, "PhotoApp")
        for instance in ("photoapp", "notesapp"):  # xmessage's -name is its WM_CLASS instance
            vexel.spawn(["xmessage", "-name", instance, instance])
        photo, notes = (window(vexel, "--classname", f"^{name}$")
                        for name in ("photoapp", "notesapp"))
        latencies = [mouse.switch(lambda: activate(window_id), profile) for _ in range(rounds)
                     for window_id, profile in ((photo, PHOTO), (notes, OFFICE))]
        # The program's own window in front keeps the profile of what was there before.
        mouse.switch(lambda: activate(photo), PHOTO)
        activate(window(vexel, "--pid", str(vexel.program.pid)))
        time.sleep(3 * SETTLE_MS / 1000)
        assert mouse.holding(PHOTO), "the program's own window changed the profile"
        return latencies


def as_on_wayland(bin_dir):
    # A process name no other program on the machine uses: a copy of sleep.
    work = tempfile.mkdtemp()
    runner = os.path.join(work, "vexelphoto")
    shutil.copy2(shutil.which("sleep"), runner)
    os.environ["WAYLAND_DISPLAY"] = "wayland-absent"  # Qt itself stays on X
    with vexel_program(bin_dir) as vexel:
        mouse = Mouse(vexel, bin_dir, "vexelphoto")
        process = subprocess.Popen([runner, "60"])
        mouse.switch(lambda: None, PHOTO)
        mouse.switch(lambda: (process.kill(), process.wait()), OFFICE)  # back to the default
        for app, profile in (("VEXELPHOTO", PHOTO), ("notes", OFFICE)):  # a compositor's hook
            mouse.switch(lambda: subprocess.run(
                ["dbus-send", "--session", "--type=method_call", f"--dest={BUS[0]}", BUS[1],
                 f"{BUS[2]}.ApplicationFocused", f"string:{app}"], check=True), profile)
    shutil.rmtree(work)


def main():
    if sys.argv[2:] == ["--wayland"]:
        as_on_wayland(sys.argv[1])
        return
    on_x11(sys.argv[1])
    # A process of its own: pyatspi serves one accessibility bus per process.
    subprocess.run([sys.executable, __file__, sys.argv[1], "--wayland"], check=True)
    print("ok: the mouse followed the application in front")


if __name__ == "__main__":
    main()
