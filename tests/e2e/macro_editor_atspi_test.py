"""The macro editor through AT-SPI: a new macro and the clicks inserted into it
(with a screenshot path: with a default delay) are in macro.data.

    macro_editor_atspi_test.py BIN_DIR [SCREENSHOT.png]
"""

import sys

from atspi_session import stored_macros, vexel_program

LEFT, RIGHT, MIDDLE = 241, 242, 243
PRESS, RELEASE = 1, 2


def main():
    screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    with vexel_program(sys.argv[1]) as vexel:
        macro_file = vexel.store_file("macro.data")
        editor = vexel.open_macro_editor()
        vexel.click(vexel.find(editor, "New macro"))
        vexel.wait_until(lambda: len(stored_macros(macro_file)) == 1, "the new macro stored")
        vexel.click(vexel.find(editor, "Mouse click buttons"))
        vexel.click(vexel.find(editor, "Insert left click"))
        expected = [(LEFT, PRESS, 10), (LEFT, RELEASE, 10)]
        vexel.wait_until(lambda: stored_macros(macro_file) == [expected], "a left click stored")
        if screenshot:
            vexel.type_text(vexel.find(editor, "Default delay in ms"), "50")
            for name, code in (("Insert right click", RIGHT), ("Insert middle click", MIDDLE)):
                vexel.click(vexel.find(editor, name))
                expected += [(code, PRESS, 50), (code, RELEASE, 50)]
            vexel.wait_until(lambda: stored_macros(macro_file) == [expected], "six steps stored")
            vexel.click(vexel.find(editor, "Mouse click buttons"))
            vexel.screenshot(screenshot, editor)
        vexel.click(vexel.find(editor, "Close", role="push button"))
        vexel.wait_until(lambda: not vexel.find_all(vexel.app, "Insert left click"),
                         "the editor closed")
    print("macro editor e2e: ok")


if __name__ == "__main__":
    main()
