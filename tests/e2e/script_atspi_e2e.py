#!/usr/bin/python3
"""vexelctl set, get, select and import-profile through the running program's
D-Bus interface: the page shows each change, the mouse gets the reports, a
refusal changes nothing, the store lock stays the program's. Then the
Automatic profiles section by keyboard; rules.json holds what was made."""
import json
import os
import subprocess
import sys
import tempfile

from atspi_session import vexel_program

RETURN, TAB, DOWN, HOME, SPACE = 0xFF0D, 0xFF09, 0xFF54, 0xFF50, 0x20  # X keysyms


def rules_by_keyboard(vexel, rules_file, profiles, screenshot):
    """Each control is reached by the focus and worked with keys."""
    app = vexel.app

    def focus(name, role=None):
        node = vexel.find(app, name, role, showing=False)
        node.queryComponent().grabFocus()
        return vexel.focused(node, name)

    def stored():
        try:
            return json.load(open(rules_file))
        except (OSError, ValueError):
            return {}

    # Keys go to the active window; without a window manager nobody gives the
    # main window the input focus, so the test does what one would.
    subprocess.run(["xdotool", "search", "--pid", str(vexel.program.pid), "--onlyvisible",
                    "--name", "Vexel", "windowfocus", "--sync"], check=True, timeout=30)
    vexel.press(vexel.find(app, "Automatic profiles", "check box", showing=False))
    focus("Switch profiles by application")
    vexel.key(SPACE)
    vexel.wait_until(lambda: stored().get("enabled"), "rules switched on")
    vexel.type_text(focus("Application"), "gimp")
    vexel.key(RETURN)  # with the selected profile
    vexel.type_text(focus("Application"), "firefox")
    for key in (TAB, HOME, TAB, SPACE):  # to "Rule profile", its first entry, "Add rule"
        vexel.key(key)
    vexel.wait_until(lambda: len(stored().get("rules", [])) == 2, "two rules")
    # The list takes the focus from the keyboard only: Tab from the check box.
    first = vexel.find(app, "Application rules", showing=False).getChildAtIndex(0)
    focus("Switch profiles by application")
    for key in (TAB, HOME):
        vexel.key(key)
    # Keys come by X, the focus by AT-SPI: the row is chosen before moving on.
    vexel.wait_until(lambda: first.getState().contains(vexel.pyatspi.STATE_SELECTED),
                     "the first rule chosen")
    focus("Remove rule")
    for key in (SPACE, TAB, DOWN):  # then "Default profile" from "none" to the first profile
        vexel.key(key)
    want = {"enabled": True, "default": profiles[0],
            "rules": [{"app": "firefox", "profile": profiles[0]}]}
    vexel.wait_until(lambda: stored() == want, f"rules.json holding {want}")
    if screenshot:
        vexel.type_text(focus("Application"), "fire")
        vexel.screenshot(screenshot, vexel.find(app, "Application rules"))


def main():
    bin_dir = sys.argv[1]
    with vexel_program(bin_dir) as vexel:
        data = os.path.dirname(vexel.store_file("pro.data"))
        lock = os.path.join(data, "store.lock")
        vexel.wait_until(lambda: os.path.exists(lock), "the program's store lock")
        holder = open(lock).read()

        def vexelctl(*args, status=0):
            done = subprocess.run([os.path.join(bin_dir, "vexelctl"), "--data", data, *args],
                                  capture_output=True, text=True, timeout=120)
            assert done.returncode == status, f"{args}: {done.returncode} {done.stderr}"
            return done

        def shown(name, text):
            node = vexel.find(vexel.app, name, showing=False)
            vexel.wait_until(lambda: node.queryText().getText(0, -1) == text,
                             f"{name} showing {text}")

        sent = vexelctl("set", "dpi.3=1650", "light.effect=breathing").stdout.splitlines()
        shown("Stage 3 DPI", "1600")
        performance = [line.split(" -> ")[0] for line in sent if line.startswith("04")]
        assert vexel.report("04") == bytes.fromhex(performance[0].replace(" ", "")), sent
        assert json.loads(vexelctl("get").stdout)["dpi"][2]["dpi"] == 1600

        refused = vexelctl("set", "dpi.3=800", "polling_rate_hz=300", status=2)
        assert refused.stderr.count("\n") == 1 and "polling_rate_hz=300" in refused.stderr
        shown("Stage 3 DPI", "1600")

        pro = os.path.join(tempfile.mkdtemp(), "office.pro")
        subprocess.run([os.path.join(bin_dir, "vexelctl"), "defaults", "Office", pro], check=True)
        vexelctl("import-profile", pro)
        for selector, dpi in (("", "2000"), ("0", "1600"), ("OFFICE", "2000")):
            if selector:
                vexelctl("select", selector)
            shown("Stage 3 DPI", dpi)
        assert open(lock).read() == holder, "the store lock changed hands"
        names = [entry["name"] for entry in json.loads(vexelctl("profiles").stdout)["profiles"]]
        rules_by_keyboard(vexel, os.path.join(data, "rules.json"), names,
                          sys.argv[2] if len(sys.argv) > 2 else None)
    print("ok: set, get, select and import-profile went through the running program;"
          " rules made by keyboard")


if __name__ == "__main__":
    main()
