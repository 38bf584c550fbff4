#!/usr/bin/python3
"""The settings page as a screen reader drives it, from a first start without
a mouse: controls of every kind are named, a DPI value typed and applied and Forward chosen from the menu of
"Button 9" reach the virtual mouse, profiles are added and deleted by
keyboard, and edits made while the mouse sleeps are on disk after SIGTERM."""
import os
import signal
import struct
import sys
import xml.etree.ElementTree as ET

from atspi_session import vexel_program

RETURN, ESCAPE = 0xFF0D, 0xFF1B  # X keysyms
STORE_HEADER_SIZE, PROFILE_SIZE, PROFILE_NAME_BYTES, DPI_X_OFFSET = 164964, 32992, 200, 2244
# Combo boxes included: Qt would otherwise name them after their item.
NAMED = ("Use stage 2", "Lift-off distance high", "Movement mode", "Lighting effect", "Battery")


def stored_dpi(path):
    """Each stored profile's name with its eight DPI values (units of 100)."""
    data = open(path, "rb").read() if os.path.exists(path) else b""
    profiles = {}
    for offset in range(STORE_HEADER_SIZE, len(data) - PROFILE_SIZE + 1, PROFILE_SIZE):
        name = data[offset:offset + PROFILE_NAME_BYTES].decode("utf-16-le", "ignore")
        profiles[name.split("\0")[0]] = struct.unpack_from("<8i", data, offset + DPI_X_OFFSET)
    return profiles


def choose_from_button_menu(vexel, button, path):
    """Pop-up menus are not children of the application on the accessibility
    bus: a screen reader learns of them from their "showing" event, and so do
    we. A sub-menu is the child of the entry that opens it."""
    from gi.repository import GLib

    shown = []

    def on_showing(event):
        if event.detail1 and event.source.getRole() == vexel.pyatspi.ROLE_POPUP_MENU:
            shown.append(event.source)

    def menu_shown():
        GLib.MainContext.default().iteration(False)
        return shown[0] if shown else None

    def entry(menu, name):
        found = [child for child in menu if child is not None and child.name == name]
        assert found, f'no entry "{name}" in the menu: {[c.name for c in menu if c]}'
        return found[0]

    vexel.pyatspi.Registry.registerEventListener(on_showing, "object:state-changed:showing")
    vexel.press(button)
    menu = vexel.wait_until(menu_shown, "a pop-up menu")
    for name in path[:-1]:
        opener = entry(menu, name)
        vexel.press(opener)  # "ShowMenu"
        menu = vexel.wait_until(lambda: opener.childCount and opener[0], f'the sub-menu "{name}"')
    vexel.press(entry(menu, path[-1]))


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
    assert stored.get("Night", [0] * 4)[3] == 45, f"stage 4 of Night, added asleep: {stored}"


def answer_dialogs_by_keyboard(vexel):
    """The message box opens with OK focused: Escape keeps the profile, Enter
    deletes it."""
    app = vexel.app
    profiles = vexel.find(app, "Profiles", "list", showing=False)
    count = profiles.childCount
    for key, left in ((ESCAPE, count), (RETURN, count - 1)):
        vexel.press(vexel.find(app, "Delete profile", showing=False))
        ok = vexel.focused(vexel.find(app, "OK", "push button"), "OK of the message box")
        assert vexel.window_of(ok).getRoleName() == "alert"
        vexel.key(key)
        vexel.wait_until(lambda: not [node for node in vexel.find_all(app, "OK", "push button")
                                      if node.getState().contains(vexel.pyatspi.STATE_SHOWING)],
                         "the message box closed")
        vexel.wait_until(lambda: profiles.childCount == left, f"{left} profiles")


def first_start_without_a_mouse(vexel, screenshot):
    """The window says what to do in place of the page until the mouse comes."""
    texts = {node.get("key"): node.text for node in
             ET.parse(os.path.join(sys.argv[1], "res", "lan.xml")).iter("text")}

    def shown(name):
        return any(node.getState().contains(vexel.pyatspi.STATE_SHOWING)
                   for node in vexel.find_all(vexel.app, name))
    vexel.wait_until(lambda: shown(texts["no_device_text"]) and shown(texts["no_device_hint_text"])
                     and not shown("Apply"), "the no-mouse state in an open window")
    if screenshot:
        vexel.screenshot(screenshot, vexel.find(vexel.app, texts["no_device_text"]))
    vexel.ctl("plug", "wired")
    vexel.wait_until(lambda: shown("Apply") and not shown(texts["no_device_text"]),
                     "the page once the mouse is there")
    vexel.ctl("plug", "receiver")


def main():
    with vexel_program(sys.argv[1], unplugged=True) as vexel:
        app = vexel.app
        first_start_without_a_mouse(vexel, sys.argv[2] if len(sys.argv) > 2 else None)
        missing = [name for name in NAMED if not vexel.find_all(app, name)]
        assert not missing, f"no control is named {missing}"
        # Sliders say their value as the page shows it, not their step.
        slider = vexel.find(app, "Stage 1 DPI slider", "slider", showing=False)
        assert slider.description == "500 DPI", slider.description
        vexel.type_text(vexel.find(app, "Stage 3 DPI", showing=False), "3200")
        vexel.press(vexel.find(app, "Apply DPI", showing=False))
        # The third stage's DPI code in the performance report: 73 is 3200 DPI.
        vexel.wait_until(lambda: (vexel.report("04") or b"\0" * 11)[10] == 73, "3200 DPI sent")

        button = vexel.find(app, "Button 9", "push button", showing=False)
        choose_from_button_menu(vexel, button, ["Mouse", "Forward"])
        # Slot 8's code triple in the button-map report: 6 is "forward".
        vexel.wait_until(lambda: (vexel.report("08") or b"")[27:30] == bytes([6, 0, 0]),
                         "the button-map report with Forward on button 9")
        vexel.wait_until(lambda: button.description == "Forward", '"Button 9" to say Forward')

        vexel.press(vexel.find(app, "New profile", showing=False))
        name_box = vexel.focused(vexel.find(app, "Profile name"), "the name field")
        assert vexel.window_of(name_box).getRoleName() == "dialog"
        vexel.type_text(name_box, "Screen reader")
        vexel.key(RETURN)
        vexel.wait_until(lambda: "Screen reader" in stored_dpi(vexel.store_file("pro.data")),
                         "the new profile in pro.data")
        answer_dialogs_by_keyboard(vexel)
        asleep_edits_survive_sigterm(vexel)
    print("ok: DPI and button sent, profiles edited by keyboard and stored")


if __name__ == "__main__":
    main()
