#!/usr/bin/python3
"""Profiles that follow the application in front, in the real program with
rules made by `vexelctl rule`: two X windows activated through the root's
_NET_ACTIVE_WINDOW as a window manager does. Each time the mouse gets the full
apply of the matching profile, then of the default; then a compositor's hook.
(Finding processes, as on Wayland, is the follower's unit tests'.)"""
import json
import os
import subprocess
import sys
import tempfile
import time

from atspi_session import vexel_program

SETTLE_MS = 300
PHOTO, OFFICE = 0, 1  # profile positions
BUS = "io.github.vexel_mouse.VexelMouse"
SETTINGS_REPORTS = ("04", "05", "06", "08")  # performance, lighting, polling rate, button map


class Mouse:
    """Two profiles that differ, the rule `app` -> Photo and the default Office."""

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
        for words in (("add", app, str(PHOTO)), ("default", "office"), ("enable",)):
            self.vexelctl("rule", *words)

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
        """The ms from just before and after `change` to the first report of `profile`."""
        before = self.vexel.mouse_state()["t_ms"]
        change()
        after = self.vexel.mouse_state()["t_ms"]
        state = self.vexel.wait_until(lambda: self.holding(profile), f"profile {profile}")
        assert json.loads(self.vexelctl("profiles"))["selected"] == profile
        first = min(entry["t_ms"] for entry in state["log"] if entry["t_ms"] >= before)
        return first - before, first - after


def window(vexel, *search):
    return vexel.wait_until(lambda: subprocess.run(
        ["xdotool", "search", *search], capture_output=True, text=True).stdout.split(),
        f"the window {search}")[0]


def activate(window_id):
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
        # A compositor's hook names the application in any case; the program's
        # own window in front then keeps the profile of what was there before.
        mouse.switch(lambda: subprocess.run(
            ["dbus-send", "--session", "--type=method_call", f"--dest={BUS}", "/" +
             BUS.replace(".", "/"), f"{BUS}1.ApplicationFocused", "string:PHOTOAPP"], check=True),
            PHOTO)
        activate(window(vexel, "--pid", str(vexel.program.pid)))
        time.sleep(3 * SETTLE_MS / 1000)
        assert mouse.holding(PHOTO), "the program's own window changed the profile"
        return latencies


def main():
    on_x11(sys.argv[1])
    print("ok: the mouse followed the application in front")


if __name__ == "__main__":
    main()
