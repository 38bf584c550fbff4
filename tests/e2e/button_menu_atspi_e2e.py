#!/usr/bin/python3
"""Drives button assignment through AT-SPI: opens the menu of "Button 9",
chooses Forward in its Mouse sub-menu, and reads the button-map report the
virtual mouse accepted; the button then says its new function to a screen
reader. With a folder it also saves the open menu and the two binding dialogs.

    run_atspi_test.sh /usr/bin/python3 button_menu_atspi_e2e.py BIN_DIR [SCREENSHOT_DIR]
"""
import sys
import time

from atspi_session import vexel_program

BUTTON_MAP = "08"
BUTTON_9_TRIPLE = slice(3 + 3 * 8, 6 + 3 * 8)  # slot 8's code triple
FORWARD = bytes([6, 0, 0])                      # the mouse's code for "forward"


class PopupMenus:
    """Pop-up menus are not children of the application on the accessibility
    bus; a screen reader learns of them from their "showing" event, and so do
    we."""

    def __init__(self, vexel):
        self.vexel = vexel
        self.shown = []
        vexel.pyatspi.Registry.registerEventListener(self._on_showing,
                                                     "object:state-changed:showing")

    def _on_showing(self, event):
        if event.detail1 and event.source.getRole() == self.vexel.pyatspi.ROLE_POPUP_MENU:
            self.shown.append(event.source)

    def next(self):
        """The menu shown next, once its event arrived."""
        from gi.repository import GLib

        count = len(self.shown)
        context = GLib.MainContext.default()

        def arrived():
            context.iteration(False)
            return self.shown[count] if len(self.shown) > count else None
        return self.vexel.wait_until(arrived, "a pop-up menu")

    def choose(self, button, path):
        """Opens the button's menu, follows `path` through its sub-menus and
        returns the item at its end (not yet chosen)."""
        self.shown.clear()
        self.vexel.press(self.vexel.find(self.vexel.app, button, "push button", showing=False))
        menu = self.next()
        for name in path[:-1]:
            opener = entry(menu, name)
            self.vexel.press(opener)  # "ShowMenu"
            # A sub-menu is the child of the entry that opens it.
            menu = self.vexel.wait_until(lambda: opener.childCount and opener[0],
                                         f'the sub-menu "{name}"')
        return entry(menu, path[-1])


def entry(menu, name):
    for child in menu:
        if child is not None and child.name == name:
            return child
    raise AssertionError(f'no entry "{name}" in the menu: {[c.name for c in menu if c]}')


def take_screenshots(vexel, menus, folder):
    app = vexel.app
    forward = menus.choose("Button 9", ["Mouse", "Forward"])
    vexel.screenshot(f"{folder}/button-menu.png")
    vexel.press(forward)  # closes the menu
    time.sleep(0.5)
    vexel.press(menus.choose("Button 10", ["Key combination…"]))
    shortcut = vexel.window_of(vexel.find(app, "Key", showing=False))
    vexel.press(vexel.find(shortcut, "Ctrl", "check box", showing=False))
    vexel.screenshot(f"{folder}/shortcut-dialog.png")
    vexel.press(vexel.find(shortcut, "Cancel", "push button", showing=False))
    time.sleep(0.5)
    # Two macros to choose from, made in the macro editor.
    editor = vexel.open_macro_editor()
    for _ in range(2):
        vexel.press(vexel.find(editor, "New macro", showing=False))
        time.sleep(0.3)
    vexel.press(vexel.find(editor, "Close", "push button", showing=False))
    time.sleep(0.5)
    vexel.press(menus.choose("Button 10", ["Macro…"]))
    dialog = vexel.window_of(vexel.find(app, "Play N times", showing=False))
    rows = [row for row in vexel.find(dialog, "Macros", "list", showing=False) if row]
    vexel.press(rows[-1])  # "Toggle" selects the row
    vexel.screenshot(f"{folder}/select-macro-dialog.png")
    vexel.press(vexel.find(dialog, "OK", "push button", showing=False))
    button = vexel.find(app, "Button 10", "push button", showing=False)
    vexel.wait_until(lambda: button.description == "Macro: Macro2", '"Button 10" to say its macro')


def main():
    shots = sys.argv[2] if len(sys.argv) > 2 else None
    with vexel_program(sys.argv[1]) as vexel:
        button = vexel.find(vexel.app, "Button 9", "push button", showing=False)
        before = button.description
        menus = PopupMenus(vexel)
        vexel.press(menus.choose("Button 9", ["Mouse", "Forward"]))

        def forward_sent():
            sent = vexel.report(BUTTON_MAP)
            return sent is not None and sent[BUTTON_9_TRIPLE] == FORWARD
        vexel.wait_until(forward_sent, "the button-map report with Forward on button 9")
        vexel.wait_until(lambda: button.description == "Forward", '"Button 9" to say Forward')
        if shots:
            take_screenshots(vexel, menus, shots)
    print(f'ok: button 9 went from "{before}" to Forward, and the mouse has it')


if __name__ == "__main__":
    main()
