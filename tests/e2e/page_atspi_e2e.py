#!/usr/bin/python3
"""The settings page as a screen reader drives it: every control is named, a DPI
value typed and applied reaches the virtual mouse, profiles are added, renamed
and deleted by keyboard, and edits made while the mouse sleeps are on disk
after SIGTERM.

    run_atspi_test.sh /usr/bin/python3 page_atspi_e2e.py BIN_DIR
"""
import os
import signal
import struct
import sys

RETURN, ESCAPE = 0xFF0D, 0xFF1B  # X keysyms

from atspi_session import vexel_program

PERFORMANCE = "04"
STAGE_3_CODE_OFFSET = 10  # the third stage's DPI code in the performance report
CODE_OF_3200_DPI = 73
STORE_HEADER_SIZE = 164964
PROFILE_SIZE = 32992
PROFILE_NAME_BYTES = 200
DPI_X_OFFSET = 2244


def stored_dpi(path):
    """Each stored profile's name with its eight DPI values (units of 100)."""
    data = open(path, "rb").read() if os.path.exists(path) else b""
    profiles = {}
    for offset in range(STORE_HEADER_SIZE, len(data) - PROFILE_SIZE + 1, PROFILE_SIZE):
        name = data[offset:offset + PROFILE_NAME_BYTES].decode("utf-16-le", "ignore")
        profiles[name.split("\0")[0]] = struct.unpack_from("<8i", data, offset + DPI_X_OFFSET)
    return profiles


def asleep_edits_survive_sigterm(vexel):
    """Nothing can be sent while the cable is out and the mouse sleeps: what the
    user changed is on disk all the same when the program is ended."""
    app = vexel.app
    vexel.ctl("sleep")
    vexel.ctl("unplug", "wired")
    vexel.find(app, "Asleep", "label")
    vexel.press(vexel.find(app, "New profile", showing=False))
    name_box = vexel.find(app, "Profile name", showing=False)
    vexel.type_text(name_box, "Night")
    vexel.press(vexel.find(vexel.window_of(name_box), "OK", "push button", showing=False))
    vexel.find(app, "Night", showing=False)  # its list entry: the profile is added
    vexel.type_text(vexel.find(app, "Stage 4 DPI", showing=False), "4500")
    vexel.press(vexel.find(app, "Apply DPI", showing=False))
    slider = vexel.find(app, "Stage 4 DPI slider", showing=False)
    vexel.wait_until(lambda: slider.queryValue().currentValue == 45, "4500 DPI taken")
    vexel.program.send_signal(signal.SIGTERM)
    assert vexel.program.wait(timeout=20) == 0, "SIGTERM ends the program normally"
    stored = stored_dpi(vexel.store_file("pro.data"))
    assert "Night" in stored, f"the profile added while asleep is lost: {list(stored)}"
    assert stored["Night"][3] == 45, f"stage 4 is {stored['Night'][3]}, not 45"


def answer_dialogs_by_keyboard(vexel):
    """Rename offers the current name, selected; Escape cancels. The message
    box opens with OK focused: Escape keeps the profile, Enter deletes it."""
    app = vexel.app
    profiles = vexel.find(app, "Profiles", "list", showing=False)
    count = profiles.childCount
    vexel.press(vexel.find(app, "Rename profile", showing=False))
    name_box = vexel.focused(vexel.find(app, "Profile name"), "the name field")
    text = name_box.queryText()
    assert text.getText(0, -1) == "Screen reader", text.getText(0, -1)
    assert text.getSelection(0)[:2] == (0, len("Screen reader")), text.getSelection(0)
    vexel.key(ESCAPE)

    def closed(name, role=None):
        return lambda: not [node for node in vexel.find_all(app, name, role)
                            if node.getState().contains(vexel.pyatspi.STATE_SHOWING)]
    vexel.wait_until(closed("Profile name"), "the name dialog closed")
    for key, left in ((ESCAPE, count), (RETURN, count - 1)):
        vexel.press(vexel.find(app, "Delete profile", showing=False))
        ok = vexel.focused(vexel.find(app, "OK", "push button"), "OK of the message box")
        assert vexel.window_of(ok).getRoleName() == "alert"
        vexel.key(key)
        vexel.wait_until(closed("OK", "push button"), "the message box closed")
        vexel.wait_until(lambda: profiles.childCount == left, f"{left} profiles")


def page_names():
    """Every name a screen reader must find on the page, as the user hears it."""
    stages = [what for n in range(1, 9) for what in (
        f"Stage {n} DPI", f"Stage {n} DPI slider", f"Use stage {n}", f"Stage {n} colour")]
    options = [f"{what} {state}" for what, states in (
        ("Lift-off distance", ("low", "high")), ("Ripple control", ("off", "on")),
        ("Angle snap", ("off", "on"))) for state in states]
    rates = [f"Polling rate {hz} Hz" for hz in (125, 250, 500, 1000)]
    return stages + options + rates + [
        "Apply DPI", "Reset stages", "Key debounce", "Movement mode", "Lighting effect",
        "Lighting effect over Bluetooth", "Brightness", "Breathing speed", "Light-off timer",
        "Sleep timer", "Light colour", "Profiles", "New profile", "Delete profile",
        "Rename profile", "Import profile", "Export profile", "Restore defaults", "Apply",
        "Connected by cable", "Connected by receiver", "Battery"]


def main():
    with vexel_program(sys.argv[1]) as vexel:
        app = vexel.app
        edit = vexel.find(app, "Stage 3 DPI", showing=False)
        # Combo boxes included: Qt would otherwise name them after their item.
        missing = [name for name in page_names() if not vexel.find_all(app, name)]
        assert not missing, f"no control is named {missing}"
        # Sliders say their value as the page shows it, not their step.
        spoken = [vexel.find(app, name, "slider", showing=False).description
                  for name in ("Brightness", "Light-off timer", "Stage 1 DPI slider")]
        assert spoken[0].startswith("Level ") and spoken[1].endswith(" min"), spoken
        assert spoken[2] == "500 DPI", spoken
        vexel.type_text(edit, "3200")
        vexel.press(vexel.find(app, "Apply DPI", showing=False))

        def stage_3_sent():
            sent = vexel.report(PERFORMANCE)
            return sent is not None and sent[STAGE_3_CODE_OFFSET] == CODE_OF_3200_DPI
        vexel.wait_until(stage_3_sent, "the performance report with 3200 DPI at stage 3")

        vexel.press(vexel.find(app, "New profile", showing=False))
        name_box = vexel.focused(vexel.find(app, "Profile name"), "the name field")
        assert vexel.window_of(name_box).getRoleName() == "dialog"
        vexel.type_text(name_box, "Screen reader")
        vexel.key(RETURN)

        vexel.wait_until(lambda: "Screen reader" in stored_dpi(vexel.store_file("pro.data")),
                         "the new profile in pro.data")
        answer_dialogs_by_keyboard(vexel)
        asleep_edits_survive_sigterm(vexel)
    print("ok: 3200 DPI reached stage 3; the new profiles are in pro.data")


if __name__ == "__main__":
    main()
