#!/usr/bin/python3
"""Drives button assignment through AT-SPI: opens the menu of "Button 9",
chooses Forward in its Mouse sub-menu, and reads the button-map report the
virtual mouse accepted; the button then says its new function to a screen
reader. With --shots it also saves the open menu and the two binding dialogs.

    page_atspi_e2e.sh BIN_DIR button_menu_atspi_e2e.py [SCREENSHOT_DIR]
"""
import argparse
import sys
import time

import pyatspi
from gi.repository import GLib

from page_atspi_e2e import mouse_state, named, press, program, report_bytes, screenshot, wait_for

BUTTON_MAP = '08'
BUTTON_9_TRIPLE = slice(3 + 3 * 8, 6 + 3 * 8)  # slot 8's code triple
FORWARD = bytes([6, 0, 0])                      # the mouse's code for "forward"


class PopupMenus:
    """Pop-up menus are not children of the application on the accessibility
    bus; a screen reader learns of them from their "showing" event, and so do
    we."""

    def __init__(self):
        self.shown = []
        pyatspi.Registry.registerEventListener(self._on_showing, 'object:state-changed:showing')

    def _on_showing(self, event):
        if event.detail1 and event.source.getRole() == pyatspi.ROLE_POPUP_MENU:
            self.shown.append(event.source)

    def next(self):
        """The menu shown next, once its event arrived."""
        count = len(self.shown)
        context = GLib.MainContext.default()

        def arrived():
            context.iteration(False)
            return self.shown[count] if len(self.shown) > count else None
        return wait_for('a pop-up menu', arrived)


def entry(menu, name):
    for child in menu:
        if child is not None and child.name == name:
            return child
    sys.exit(f'no entry "{name}" in the menu: {[c.name for c in menu if c is not None]}')


def choose(app, menus, button, path):
    """Opens the button's menu, follows `path` through its sub-menus and
    returns the item at its end (not yet chosen)."""
    menus.shown.clear()
    press(named(app, button, pyatspi.ROLE_PUSH_BUTTON))
    menu = menus.next()
    for name in path[:-1]:
        opener = entry(menu, name)
        press(opener)  # "ShowMenu"
        # A sub-menu is the child of the entry that opens it.
        menu = wait_for(f'the sub-menu "{name}"', lambda: opener.childCount and opener[0])
    return entry(menu, path[-1])


def dialog_of(node):
    """The top-level window that holds `node`."""
    while node.parent is not None and node.parent.getRole() != pyatspi.ROLE_APPLICATION:
        node = node.parent
    return node


def take_screenshots(app, menus, folder):
    forward = choose(app, menus, 'Button 9', ['Mouse', 'Forward'])
    screenshot(f'{folder}/button-menu.png')
    press(forward)  # closes the menu
    time.sleep(0.5)
    press(choose(app, menus, 'Button 10', ['Key combination…']))
    key = wait_for('the shortcut dialog', lambda: named(app, 'Key'))
    press(named(dialog_of(key), 'Ctrl', pyatspi.ROLE_CHECK_BOX))
    screenshot(f'{folder}/shortcut-dialog.png')
    press(named(dialog_of(key), 'Cancel', pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(0.5)
    # Two macros to choose from, made in the macro editor.
    press(named(app, 'Macros', pyatspi.ROLE_PUSH_BUTTON))
    editor = dialog_of(wait_for('the macro editor', lambda: named(app, 'New macro')))
    for _ in range(2):
        press(named(editor, 'New macro'))
        time.sleep(0.3)
    press(named(editor, 'Close', pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(0.5)
    press(choose(app, menus, 'Button 10', ['Macro…']))
    modes = wait_for('the macro binding dialog', lambda: named(app, 'Play N times'))
    dialog = dialog_of(modes)
    rows = [row for row in named(dialog, 'Macros', pyatspi.ROLE_LIST) if row is not None]
    press(rows[-1])  # "Toggle" selects the row
    screenshot(f'{folder}/select-macro-dialog.png')
    press(named(dialog, 'OK', pyatspi.ROLE_PUSH_BUTTON))
    button = named(app, 'Button 10', pyatspi.ROLE_PUSH_BUTTON)
    wait_for('"Button 10" to say its macro', lambda: button.description == 'Macro: Macro2')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--sim', required=True)
    parser.add_argument('--socket', required=True)
    parser.add_argument('--store', required=True)
    parser.add_argument('--shots', help='folder for screenshots of the menu and the dialogs')
    args = parser.parse_args()

    app = wait_for('the program on the accessibility bus', program)
    button = wait_for('"Button 9"', lambda: named(app, 'Button 9', pyatspi.ROLE_PUSH_BUTTON))
    before = button.description
    menus = PopupMenus()
    press(choose(app, menus, 'Button 9', ['Mouse', 'Forward']))

    def forward_sent():
        sent = report_bytes(mouse_state(args)['reports'].get(BUTTON_MAP))
        return sent is not None and sent[BUTTON_9_TRIPLE] == FORWARD
    wait_for('the button-map report with Forward on button 9', forward_sent)
    wait_for('"Button 9" to say Forward', lambda: button.description == 'Forward')
    if args.shots:
        take_screenshots(app, menus, args.shots)
    print(f'ok: button 9 went from "{before}" to Forward, and the mouse has it')


if __name__ == '__main__':
    sys.exit(main())
