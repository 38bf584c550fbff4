"""Recording a macro with the real Hook.so through AT-SPI: keys and a click
typed through XTEST with known pauses are in macro.data with their delays."""

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


def main():
    with vexel_program(sys.argv[1]) as session:
        macro_file = session.store_file("macro.data")
        editor = session.open_macro_editor()
        session.click(session.find(editor, "New macro"))
        session.wait_until(lambda: stored_macros(macro_file) == [[]], "the new macro stored")
        session.click(session.find(editor, "Recorded delays"))
        record = session.find(editor, "Record", role="check box")
        session.click(record)
        session.wait_until(lambda: record.getState().contains(session.pyatspi.STATE_CHECKED),
                           "recording started")
        # Button reports start once the pointer has left the record button.
        box = record.queryComponent().getExtents(0)  # screen coordinates
        hold, pause = ("sleep", HOLD_MS / 1000), ("sleep", PAUSE_MS / 1000)
        subprocess.run(["xdotool", *map(str, (
            "mousemove", box.x + box.width // 2, box.y + box.height // 2, "sleep", 0.3,
            "mousemove", 5, 5, "sleep", 0.3, "keydown", "a", *hold, "keyup", "a", *pause,
            "keydown", "b", *hold, "keyup", "b", *pause, "mousedown", 1, *hold, "mouseup", 1))],
            check=True)
        time.sleep(0.5)  # the last reports on their way through the queues
        if len(sys.argv) > 2:
            session.screenshot(sys.argv[2], editor)
        session.click(record)
        expected = [(KEY_A, PRESS, HOLD_MS), (KEY_A, RELEASE, PAUSE_MS), (KEY_B, PRESS, HOLD_MS),
                    (KEY_B, RELEASE, PAUSE_MS), (LEFT, PRESS, HOLD_MS), (LEFT, RELEASE, 10)]
        steps = session.wait_until(lambda: [m for m in stored_macros(macro_file)
                                            if len(m) == len(expected)], "six steps stored")[0]
        assert len(stored_macros(macro_file)) == 1 and steps[-1][2] == 10, steps
        for (code, kind, delay), (want_code, want_kind, want_delay) in zip(steps, expected):
            assert (code, kind) == (want_code, want_kind), f"{steps} is not {expected}"
            assert want_delay - EARLY_MS <= delay <= want_delay + LATE_MS, f"{steps} vs {expected}"
    print("macro recording e2e: ok")


if __name__ == "__main__":
    main()
