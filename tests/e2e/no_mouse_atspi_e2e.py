"""The first start without a mouse and without a tray, through AT-SPI: the
window says what to do in place of the page, the page comes and goes with the
mouse, and the close button ends the program and frees its locks.

    no_mouse_atspi_e2e.py BIN_DIR [SCREENSHOT.png]
"""

import os
import sys
import xml.etree.ElementTree as ET

from atspi_session import vexel_program


def main():
    bin_dir = sys.argv[1]
    screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    texts = {node.get("key"): node.text
             for node in ET.parse(os.path.join(bin_dir, "res", "lan.xml")).iter("text")}
    with vexel_program(bin_dir, unplugged=True) as vexel:
        def shown(name):
            return any(node.getState().contains(vexel.pyatspi.STATE_SHOWING)
                       for node in vexel.find_all(vexel.app, name))

        def no_mouse_state():
            return (shown(texts["no_device_text"]) and shown(texts["no_device_hint_text"])
                    and not shown("Apply"))

        vexel.wait_until(no_mouse_state, "the no-mouse state in an open window")
        if screenshot:
            vexel.screenshot(screenshot, vexel.find(vexel.app, texts["no_device_text"]))
        vexel.ctl("plug", "wired")
        vexel.wait_until(lambda: shown("Apply") and not shown(texts["no_device_text"]),
                         "the page once the mouse is there")
        vexel.ctl("unplug", "wired")
        vexel.wait_until(no_mouse_state, "the no-mouse state again, the window still open")

        vexel.press(vexel.find(vexel.app, "Close", role="push button"))
        code = vexel.wait_until(lambda: vexel.program.poll() is not None and
                                [vexel.program.returncode], "the program to end")
        assert code == [0], f"exit code {code}"
        runtime = os.environ["XDG_RUNTIME_DIR"]
        for left in ("Vexel Gaming Mouse.lock", "Vexel Gaming Mouse.socket"):
            assert not os.path.exists(os.path.join(runtime, left)), f"{left} left behind"
    print("no-mouse start e2e: ok")


if __name__ == "__main__":
    main()
