#!/usr/bin/python3
"""Drives the settings page through AT-SPI: types a DPI value into "Stage 3 DPI",
presses "Apply DPI" and reads the performance report the virtual mouse
accepted; adds a profile through the name dialog and finds it in pro.data."""
import argparse
import json
import subprocess
import sys
import time

import pyatspi

PERFORMANCE = '04'
STAGE_3_CODE_OFFSET = 10  # the third stage's DPI code in the performance report
CODE_OF_3200_DPI = 73


def wait_for(what, find, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f'timed out waiting for {what}')


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name in ('Vexel Gaming Mouse', 'vexel-mouse'):
            return app
    return None


def named(root, name, role=None):
    def match(node):
        return node is not None and node.name == name and (role is None or node.getRole() == role)
    return pyatspi.findDescendant(root, match, True)


def press(node):
    action = node.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ('press', 'click', 'Press'):
            action.doAction(i)
            return
    action.doAction(0)


def type_into(node, text):
    node.queryComponent().grabFocus()
    node.queryEditableText().setTextContents(text)


def mouse_state(args):
    out = subprocess.run([args.sim, 'ctl', '--socket', args.socket, 'state'], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)


def report_bytes(value):
    if isinstance(value, str):
        return bytes.fromhex(value.replace(' ', ''))
    if isinstance(value, list):
        return bytes(value)
    if isinstance(value, dict) and 'bytes' in value:
        return report_bytes(value['bytes'])
    return None


def screenshot(path):
    time.sleep(0.5)  # let it paint
    subprocess.run(['import', '-window', 'root', '-trim', '+repage', path],
                   check=True)


def take_screenshots(app, folder):
    """The page with the lighting section open, the colour dialog and the name
    dialog, each reached the way a user reaches it."""
    press(named(app, 'DPI stages', pyatspi.ROLE_CHECK_BOX))
    press(named(app, 'Lighting', pyatspi.ROLE_CHECK_BOX))
    screenshot(f'{folder}/page-lighting.png')
    press(named(app, 'Stage 1 colour'))
    cancel = wait_for('the colour dialog', lambda: named(app, 'Colour preset 1'))
    screenshot(f'{folder}/colour-dialog.png')
    while cancel.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_WINDOW):
        cancel = cancel.parent
    press(named(cancel, 'Cancel', pyatspi.ROLE_PUSH_BUTTON))
    time.sleep(0.5)
    press(named(app, 'New profile'))
    box = wait_for('the name dialog', lambda: named(app, 'Profile name'))
    type_into(box, 'Racing')
    screenshot(f'{folder}/profile-name-dialog.png')


def page_names():
    """Every name a screen reader must find on the page, as the user hears it."""
    stages = [f'{what}' for n in range(1, 9) for what in (
        f'Stage {n} DPI', f'Stage {n} DPI slider', f'Use stage {n}', f'Stage {n} colour')]
    options = [f'{what} {k}' for k in (1, 2)
               for what in ('Lift-off distance', 'Ripple control', 'Angle snap')]
    rates = [f'Polling rate {hz} Hz' for hz in (125, 250, 500, 1000)]
    return stages + options + rates + [
        'Apply DPI', 'Reset stages', 'Key debounce', 'Movement mode', 'Lighting effect',
        'Lighting effect over Bluetooth', 'Brightness', 'Breathing speed', 'Light-off timer',
        'Sleep timer', 'Light colour', 'Profiles', 'New profile', 'Delete profile',
        'Rename profile', 'Import profile', 'Export profile', 'Restore defaults', 'Apply']


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--sim', required=True)
    parser.add_argument('--socket', required=True)
    parser.add_argument('--store', required=True)
    parser.add_argument('--shots', help='folder for screenshots of the page and its dialogs')
    args = parser.parse_args()

    app = wait_for('the program on the accessibility bus', program)
    edit = wait_for('"Stage 3 DPI"', lambda: named(app, 'Stage 3 DPI'))
    # Combo boxes included: Qt would otherwise name them after their item.
    missing = [name for name in page_names() if named(app, name) is None]
    if missing:
        sys.exit(f'no control is named {missing}')
    type_into(edit, '3200')
    press(named(app, 'Apply DPI'))

    def stage_3_sent():
        sent = report_bytes(mouse_state(args)['reports'].get(PERFORMANCE))
        return sent is not None and sent[STAGE_3_CODE_OFFSET] == CODE_OF_3200_DPI
    try:
        wait_for('the performance report with 3200 DPI at stage 3', stage_3_sent)
    except SystemExit:
        print(json.dumps(mouse_state(args))[:1500])
        raise

    press(named(app, 'New profile'))
    name_box = wait_for('the name dialog', lambda: named(app, 'Profile name'))
    type_into(name_box, 'Screen reader')
    dialog = name_box
    while dialog.getRole() not in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG, pyatspi.ROLE_WINDOW):
        dialog = dialog.parent
    press(named(dialog, 'OK', pyatspi.ROLE_PUSH_BUTTON))
    wanted = 'Screen reader'.encode('utf-16-le')

    def stored():
        try:
            with open(args.store, 'rb') as store:
                return wanted in store.read()
        except OSError:
            return False
    wait_for('the new profile in pro.data', stored)
    if args.shots:
        take_screenshots(app, args.shots)
    print('ok: 3200 DPI reached stage 3; the new profile is in pro.data')


if __name__ == '__main__':
    main()
