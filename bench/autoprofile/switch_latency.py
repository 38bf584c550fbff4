"""Time from a _NET_ACTIVE_WINDOW change to the first report at the virtual
mouse, less the 300 ms settle, in the real program (the end-to-end test's X11
story, repeated): the median over ROUNDS switches, counted from just before
the change (xprop runs in between) and from just after it, on the mouse's clock.

    run_atspi_test.sh /usr/bin/python3 switch_latency.py BIN_DIR [ROUNDS]
"""
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e"))
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e", "atspi"))
from autoprofile_e2e import SETTLE_MS, on_x11  # noqa: E402


def main():
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 20
    spans = on_x11(sys.argv[1], max(rounds // 2, 1))
    for bound, name in ((0, "before"), (1, "after")):
        times = [pair[bound] - SETTLE_MS for pair in spans]
        print(f"first report, less the settle, from just {name} the change: median "
              f"{statistics.median(times)} ms (min {min(times)}, max {max(times)}) "
              f"over {len(times)} switches")


if __name__ == "__main__":
    main()
