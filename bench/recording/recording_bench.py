"""Recording accuracy of the real program: under Xvfb with the real Hook.so,
the macro editor records with recorded delays while vexel-bench-xtest-keys
injects key events through XTEST with known pauses (20, 50, 100, 250 and
1000 ms in turn, 45 pauses per recording, which fills a macro). Prints, per
pause and overall, the median and largest absolute error in ms between the
stored delay and the pause kept by the injector.

    run_atspi_test.sh /usr/bin/python3 recording_bench.py BUILD_DIR [ROUNDS]
"""

import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e", "atspi"))
from atspi_session import stored_macros, vexel_program  # noqa: E402

GAPS_MS = [20, 50, 100, 250, 1000]
STEPS_PER_MACRO = 46


def main():
    build = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    injector = os.path.join(build, "bench", "vexel-bench-xtest-keys")
    gaps = (GAPS_MS * STEPS_PER_MACRO)[: STEPS_PER_MACRO - 1]
    errors = {gap: [] for gap in GAPS_MS}
    with vexel_program(os.path.join(build, "bin"), timeout=60) as session:
        macro_file = session.store_file("macro.data")
        editor = session.open_macro_editor()
        session.click(session.find(editor, "Recorded delays"))
        record = session.find(editor, "Record", role="check box")
        for round_index in range(rounds):
            session.click(session.find(editor, "New macro"))
            session.wait_until(lambda: len(stored_macros(macro_file)) == round_index + 1,
                               "the new macro stored")
            session.click(record)
            checked = session.pyatspi.STATE_CHECKED
            session.wait_until(lambda: record.getState().contains(checked), "recording")
            kept = subprocess.run([injector, *map(str, gaps)], check=True, text=True,
                                  capture_output=True).stdout.split()
            # The 46th step stops the recording and stores the macro.
            steps = session.wait_until(
                lambda: len(stored_macros(macro_file)[round_index]) == STEPS_PER_MACRO
                and stored_macros(macro_file)[round_index],
                "a full macro stored")
            for gap, kept_ms, (_, _, delay) in zip(gaps, kept, steps):
                errors[gap].append(abs(delay - float(kept_ms)))

    every = [error for values in errors.values() for error in values]
    for gap in GAPS_MS:
        values = errors[gap]
        print(f"pause {gap:5d} ms: median error {statistics.median(values):6.2f} ms, "
              f"largest {max(values):6.2f} ms ({len(values)} pauses)")
    print(f"all pauses: median error {statistics.median(every):.2f} ms, "
          f"largest {max(every):.2f} ms ({len(every)} pauses, {rounds} recordings)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
