"""The macro editor of the real program, driven through AT-SPI: open it from
the page, add a macro, insert a left click and find both steps in macro.data.

    macro_editor_atspi_test.py BIN_DIR [SCREENSHOT.png]

With a screenshot path it also inserts a right and a middle click and saves
the editor window as a PNG.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

from atspi_session import AtspiSession, copy_program_folder

RECORD_SIZE = 240
LEFT, RIGHT, MIDDLE = 241, 242, 243
PRESS, RELEASE = 1, 2


def stored_macros(path):
    if not os.path.exists(path):
        return []
    data = open(path, "rb").read()
    macros = []
    for offset in range(0, len(data) - RECORD_SIZE + 1, RECORD_SIZE):
        record = data[offset : offset + RECORD_SIZE]
        count = struct.unpack_from("<i", record, 52)[0]
        steps = [struct.unpack_from("<BBH", record, 56 + 4 * i) for i in range(max(0, min(count, 46)))]
        macros.append(steps)
    return macros


def top_level_of(node):
    while node.parent is not None and node.parent.getRoleName() != "application":
        node = node.parent
    return node


def main():
    bin_dir = sys.argv[1]
    screenshot = sys.argv[2] if len(sys.argv) > 2 else None
    work = tempfile.mkdtemp(prefix="vexel-macro-e2e-")
    program = copy_program_folder(
        bin_dir, ["vexel-mouse"], ["res", "hiddriver_1.so", "hiddriver_2.so", "Hook.so"]
    )
    macro_file = os.path.join(program, "Data", "ms_1", "macro.data")
    try:
        with AtspiSession() as session:
            socket = os.path.join(work, "mouse.sock")
            session.spawn([os.path.join(bin_dir, "vexel-mouse-sim"), "serve", "--socket", socket])
            session.wait_until(lambda: os.path.exists(socket), "the virtual mouse")
            app = session.start_program(
                [os.path.join(program, "vexel-mouse")],
                env={"VEXEL_VIRTUAL_MOUSE": socket},
                name="Vexel Gaming Mouse",
                log=os.path.join(work, "program.log"),
            )
            session.click(session.find(app, "Macros", role="push button"))
            editor = top_level_of(session.find(app, "New macro"))
            session.click(session.find(editor, "New macro"))
            session.wait_until(lambda: len(stored_macros(macro_file)) == 1, "the new macro stored")
            session.click(session.find(editor, "Mouse click buttons"))
            session.click(session.find(editor, "Insert left click"))
            expected = [(LEFT, PRESS, 10), (LEFT, RELEASE, 10)]
            session.wait_until(lambda: stored_macros(macro_file) == [expected], "a left click stored")
            if screenshot:
                session.type_text(session.find(editor, "Default delay in ms"), "50")
                for name, code in (("Insert right click", RIGHT), ("Insert middle click", MIDDLE)):
                    session.click(session.find(editor, name))
                    expected += [(code, PRESS, 50), (code, RELEASE, 50)]
                session.wait_until(lambda: stored_macros(macro_file) == [expected], "six steps stored")
                session.click(session.find(editor, "Mouse click buttons"))
                extents = editor.queryComponent().getExtents(0)  # screen coordinates
                subprocess.run(
                    ["import", "-window", "root", "-crop",
                     f"{extents.width}x{extents.height}+{extents.x}+{extents.y}", screenshot],
                    check=True,
                )
            session.click(session.find(editor, "Close", role="push button"))
            session.wait_until(lambda: not session.find_all(app, "Insert left click"), "the editor closed")
        print("macro editor e2e: ok")
        return 0
    except Exception:
        log = os.path.join(work, "program.log")
        if os.path.exists(log):
            sys.stderr.write("program output:\n" + open(log, errors="replace").read())
        raise
    finally:
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(program, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
