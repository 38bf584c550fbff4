"""The idle cost of following the application in front: CPU time (user and
system, from /proc/PID/stat) the real program spends over a quiet spell with
no focus change, with the feature off and then on (a rule, enabled), in the
same program on its own X display.

    run_atspi_test.sh /usr/bin/python3 idle_cost.py BIN_DIR [SECONDS]
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "e2e", "atspi"))
from atspi_session import vexel_program  # noqa: E402

QUIET_BEFORE_S = 5  # start-up and the rule edit settle first


def cpu_ms(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000 // os.sysconf("SC_CLK_TCK")


def main():
    bin_dir = sys.argv[1]
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    with vexel_program(bin_dir) as vexel:
        data = os.path.dirname(vexel.store_file("pro.data"))
        vexel.wait_until(lambda: os.path.exists(os.path.join(data, "store.lock")), "the store lock")
        def vexelctl(*words):
            subprocess.run([os.path.join(bin_dir, "vexelctl"), "--data", data, *words],
                           check=True, capture_output=True, timeout=60)

        vexelctl("rule", "add", "firefox", "0")
        for switch in ("disable", "enable"):
            vexelctl("rule", switch)
            time.sleep(QUIET_BEFORE_S)
            before = cpu_ms(vexel.program.pid)
            time.sleep(seconds)
            used = cpu_ms(vexel.program.pid) - before
            print(f"rules {switch}d: {used} ms CPU over {seconds} s")

if __name__ == "__main__":
    main()
