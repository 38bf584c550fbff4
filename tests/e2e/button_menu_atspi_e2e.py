#!/usr/bin/python3
"""Button assignment through AT-SPI: Forward chosen in the Mouse sub-menu of
"Button 9" reaches the virtual mouse's button-map report, and the button says
its new function to a screen reader.

    run_atspi_test.sh /usr/bin/python3 button_menu_atspi_e2e.py BIN_DIR
"""
import sys

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


def main():
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
    print(f'ok: button 9 went from "{before}" to Forward, and the mouse has it')


if __name__ == "__main__":
    main()
