"""The real program with the virtual mouse and the real Hook.so, under an X
display and accessibility bus of its own, with its macro editor open:

    with macro_editor(bin_dir) as (session, editor, macro_file):
        session.click(session.find(editor, "New macro"))

Run under run_atspi_test.sh. The program's output is printed when the body
fails; the scratch program folder goes when it ends.
"""

import contextlib
import os
import shutil
import sys
import tempfile

from atspi_session import AtspiSession, copy_program_folder
from macro_editor_atspi_test import top_level_of


@contextlib.contextmanager
def macro_editor(bin_dir, timeout=20.0):
    work = tempfile.mkdtemp(prefix="vexel-macro-session-")
    program = copy_program_folder(
        bin_dir, ["vexel-mouse"], ["res", "hiddriver_1.so", "hiddriver_2.so", "Hook.so"]
    )
    log = os.path.join(work, "program.log")
    try:
        with AtspiSession(timeout=timeout) as session:
            socket = os.path.join(work, "mouse.sock")
            session.spawn([os.path.join(bin_dir, "vexel-mouse-sim"), "serve", "--socket", socket])
            session.wait_until(lambda: os.path.exists(socket), "the virtual mouse")
            app = session.start_program(
                [os.path.join(program, "vexel-mouse")],
                env={"VEXEL_VIRTUAL_MOUSE": socket},
                name="Vexel Gaming Mouse",
                log=log,
            )
            session.click(session.find(app, "Macros", role="push button"))
            editor = top_level_of(session.find(app, "New macro"))
            yield session, editor, os.path.join(program, "Data", "ms_1", "macro.data")
    except Exception:
        if os.path.exists(log):
            sys.stderr.write("program output:\n" + open(log, errors="replace").read())
        raise
    finally:
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(program, ignore_errors=True)
