"""Recording a macro with the real Hook.so through AT-SPI: keys and a click
typed through XTEST with known pauses are in macro.data with their delays.

    macro_recording_atspi_test.py BIN_DIR [SCREENSHOT.png]
"""

import subprocess
import sys
import time

from atspi_session import stored_macros, vexel_program

KEY_A, KEY_B, LEFT = 4, 5, 241
PRESS, RELEASE = 1, 2
HOLD_MS, PAUSE_MS = 100, 400
# xdotool may sleep far longer than asked on a busy machine: the upper bound
# only catches a wrong unit or a clamped value (precision is benchmarked).
EARLY_MS, LATE_MS = 30, 1500


def xdotool(*args):
    subprocess.run(["xdotool", *map(str, args)], check=True)


def centre_of(node):
    extents = node.queryComponent().getExtents(0)  # screen coordinates
    return extents.x + extents.width // 2, extents.y + extents.height // 2


def main():
    screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    with vexel_program(sys.argv[1]) as session:
        macro_file = session.store_file("macro.data")
        editor = session.open_macro_editor()
        session.click(session.find(editor, "New macro"))
        session.wait_until(lambda: stored_macros(macro_file) == [[]], "the new macro stored")
        session.click(session.find(editor, "Recorded delays"))
        record = session.find(editor, "Record", role="check box")
        session.click(record)
        checked = session.pyatspi.STATE_CHECKED
        session.wait_until(lambda: record.getState().contains(checked), "recording started")

        # Button reports start once the pointer has left the record button.
        xdotool("mousemove", *centre_of(record), "sleep", 0.3, "mousemove", 5, 5, "sleep", 0.3)
        xdotool("keydown", "a", "sleep", HOLD_MS / 1000, "keyup", "a", "sleep", PAUSE_MS / 1000,
                "keydown", "b", "sleep", HOLD_MS / 1000, "keyup", "b", "sleep", PAUSE_MS / 1000,
                "mousedown", 1, "sleep", HOLD_MS / 1000, "mouseup", 1)
        time.sleep(0.5)  # the last reports on their way through the queues
        if screenshot:
            session.screenshot(screenshot, editor)
        session.click(record)

        expected = [(KEY_A, PRESS, HOLD_MS), (KEY_A, RELEASE, PAUSE_MS),
                    (KEY_B, PRESS, HOLD_MS), (KEY_B, RELEASE, PAUSE_MS),
                    (LEFT, PRESS, HOLD_MS), (LEFT, RELEASE, 10)]

        def recorded():
            macros = stored_macros(macro_file)
            return macros[0] if len(macros) == 1 and len(macros[0]) == len(expected) else None

        steps = session.wait_until(recorded, "six steps stored")
        print("recorded:", steps)
        for (code, kind, delay), want in zip(steps, expected):
            assert (code, kind) == want[:2], f"{steps} is not {expected}"
            assert want[2] - EARLY_MS <= delay <= want[2] + LATE_MS, f"{steps} is not {expected}"
        assert steps[-1][2] == 10, steps
        session.click(session.find(editor, "Close", role="push button"))
        session.wait_until(lambda: not session.find_all(editor, "New macro"), "the editor closed")
    print("macro recording e2e: ok")


if __name__ == "__main__":
    main()
