#!/usr/bin/python3
"""vexelctl set, get, select and import-profile while the program runs: they go
through its D-Bus interface on the private session bus, the page shows each
change (read through AT-SPI), the virtual mouse gets the reports vexelctl
prints, a refusal changes nothing, and the store lock stays the program's.

    run_atspi_test.sh /usr/bin/python3 script_atspi_e2e.py BIN_DIR
"""
import json
import os
import subprocess
import sys
import tempfile

from atspi_session import vexel_program


def main():
    bin_dir = sys.argv[1]
    with vexel_program(bin_dir) as vexel:
        data = os.path.dirname(vexel.store_file("pro.data"))
        lock = os.path.join(data, "store.lock")
        vexel.wait_until(lambda: os.path.exists(lock), "the program's store lock")
        holder = open(lock).read()

        def vexelctl(*args, status=0):
            done = subprocess.run([os.path.join(bin_dir, "vexelctl"), "--data", data, *args],
                                  capture_output=True, text=True, timeout=120)
            assert done.returncode == status, f"{args}: {done.returncode} {done.stderr}"
            return done

        def shown(name, text):
            node = vexel.find(vexel.app, name, showing=False)
            vexel.wait_until(lambda: node.queryText().getText(0, -1) == text,
                             f"{name} showing {text}")

        sent = vexelctl("set", "dpi.3=1650", "light.effect=breathing").stdout.splitlines()
        assert sent and all(" -> " in line for line in sent), sent
        shown("Stage 3 DPI", "1600")
        performance = [line.split(" -> ")[0] for line in sent if line.startswith("04")]
        assert vexel.report("04") == bytes.fromhex(performance[0].replace(" ", "")), sent
        assert json.loads(vexelctl("get").stdout)["dpi"][2]["dpi"] == 1600

        refused = vexelctl("set", "dpi.3=800", "polling_rate_hz=300", status=2)
        assert refused.stderr.count("\n") == 1 and "polling_rate_hz=300" in refused.stderr
        shown("Stage 3 DPI", "1600")

        pro = os.path.join(tempfile.mkdtemp(), "office.pro")
        subprocess.run([os.path.join(bin_dir, "vexelctl"), "defaults", "Office", pro], check=True)
        imported = json.loads(vexelctl("import-profile", pro).stdout)
        assert imported["profile"]["name"] == "Office", imported
        shown("Stage 3 DPI", "2000")
        vexelctl("select", "0")
        shown("Stage 3 DPI", "1600")
        vexelctl("select", "OFFICE")
        shown("Stage 3 DPI", "2000")
        assert json.loads(vexelctl("profiles").stdout)["selected"] == 1
        assert open(lock).read() == holder, "the store lock changed hands"
    print("ok: set, get, select and import-profile went through the running program")


if __name__ == "__main__":
    main()
