"""Drives the real program through AT-SPI, as a screen reader would. Run under
run_atspi_test.sh; vexel_program() gives the program an X display, the
accessibility bus, the virtual mouse and a scratch program folder of its own.
"""

import contextlib
import json
import os
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time

ATSPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PROGRAM_NAMES = ("Vexel Gaming Mouse", "vexel-mouse")
# The program keeps its store beside itself when it can: a scratch copy keeps
# the build's program folder clean. Libraries are linked, not copied.
PROGRAM_LINKS = ("res", "hiddriver_1.so", "hiddriver_2.so", "Hook.so")


class AtspiError(AssertionError):
    pass


class VexelProgram:
    """The program in a scratch program folder, talking to the virtual mouse,
    on an X display and accessibility bus of its own."""

    def __init__(self, bin_dir, work, timeout=20.0):
        self.timeout = timeout
        self.processes = []
        self.pyatspi = None
        self.app = None
        self.sim = os.path.join(bin_dir, "vexel-mouse-sim")
        self.socket = os.path.join(work, "mouse.sock")
        self.log = os.path.join(work, "program.log")
        self.folder = os.path.join(work, "program")
        os.mkdir(self.folder)
        shutil.copy2(os.path.join(bin_dir, "vexel-mouse"), self.folder)
        for name in PROGRAM_LINKS:
            source = os.path.abspath(os.path.join(bin_dir, name))
            if os.path.exists(source):
                os.symlink(source, os.path.join(self.folder, name))

    def __enter__(self):
        if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
            raise AtspiError("needs a session bus: run under run_atspi_test.sh")
        self._start_xvfb()
        self.spawn([ATSPI_LAUNCHER, "--launch-immediately"])
        # pyatspi finds the accessibility bus through the launcher, so it is
        # imported only once the launcher runs.
        import pyatspi  # noqa: E402

        self.pyatspi = pyatspi
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        return False

    def spawn(self, argv, env=None, log=None, pass_fds=()):
        """Starts a helper process that ends with the session."""
        out = open(log, "wb") if log else subprocess.DEVNULL
        process = subprocess.Popen(argv, env=env, stdout=out, stderr=subprocess.STDOUT,
                                   pass_fds=pass_fds)
        self.processes.append(process)
        return process

    def _start_xvfb(self):
        # Xvfb picks a free display itself and names it on the pipe once it
        # accepts connections: a number chosen here could be held by another
        # test or a server still shutting down. -noreset: the server never
        # regenerates while the program connects.
        read_end, write_end = os.pipe()
        process = self.spawn(["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen",
                              "0", "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            ready, _, _ = select.select([pipe], [], [], self.timeout)
            number = pipe.readline().strip() if ready else ""
        if not number:
            raise AtspiError(f"no X display could be started (Xvfb: {process.poll()})")
        os.environ["DISPLAY"] = f":{number}"

    def start(self, unplugged=False):
        """Starts the mouse, then the program with accessibility on. With
        `unplugged` the program starts while cable and receiver are out."""
        self.spawn([self.sim, "serve", "--socket", self.socket])
        self.wait_until(lambda: os.path.exists(self.socket), "the virtual mouse")

        def unplugged_link(link):
            try:
                return self.ctl("unplug", link) is not None
            except subprocess.CalledProcessError:
                return False  # the socket can be there a moment before the mouse answers

        for link in ("wired", "receiver") if unplugged else ():
            self.wait_until(lambda: unplugged_link(link), f"unplugging the {link}")
        # English names, whatever the machine's locale.
        env = {"QT_QPA_PLATFORM": "xcb", **os.environ, "LC_ALL": "C.UTF-8",
               "VEXEL_VIRTUAL_MOUSE": self.socket, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
        self.program = self.spawn([os.path.join(self.folder, "vexel-mouse")], env=env,
                                  log=self.log)

        def application():
            if self.program.poll() is not None:
                raise AtspiError(f"vexel-mouse ended with {self.program.returncode}")
            desktop = self.pyatspi.Registry.getDesktop(0)
            return next((app for app in desktop if app is not None and app.name in PROGRAM_NAMES),
                        None)

        self.app = self.wait_until(application, f"application {PROGRAM_NAMES[0]}")

    def wait_until(self, probe, what, timeout=None):
        end = time.monotonic() + (timeout or self.timeout)
        while time.monotonic() < end:
            result = probe()
            if result:
                return result
            time.sleep(0.1)
        raise AtspiError(f"timed out waiting for {what}")

    def find_all(self, root, name, role=None):
        found = []
        stack = [root]
        while stack:
            node = stack.pop()
            if node is None:
                continue
            try:
                if node.name == name and (role is None or node.getRoleName() == role):
                    found.append(node)
                stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
            except Exception:  # an object that went away while walking
                continue
        return found

    def find(self, root, name, role=None, showing=True):
        """The (first showing) object with this accessible name, waited for."""

        def probe():
            for node in self.find_all(root, name, role):
                if not showing or node.getState().contains(self.pyatspi.STATE_SHOWING):
                    return node
            return None

        return self.wait_until(probe, f"control '{name}'")

    def click(self, node, names=()):
        """Runs the control's first action (press, toggle, show its menu), or
        the first of its actions named in `names`."""
        action = node.queryAction()
        named = [i for i in range(action.nActions) if action.getName(i) in names]
        if action.nActions < 1:
            raise AtspiError(f"'{node.name}' has no action")
        action.doAction(named[0] if named else 0)

    def press(self, node):
        """Presses the control, even where showing its menu comes first."""
        self.click(node, ("press", "click", "Press"))

    def key(self, keysym):
        """Presses and releases a key (an X keysym) where the keyboard focus is."""
        self.pyatspi.Registry.generateKeyboardEvent(keysym, None, self.pyatspi.KEY_SYM)

    def focused(self, node, what):
        """Waits until `node` has the keyboard focus."""
        self.wait_until(lambda: node.getState().contains(self.pyatspi.STATE_FOCUSED),
                        f"the focus on {what}")
        return node

    def type_text(self, node, text):
        node.queryComponent().grabFocus()
        node.queryEditableText().setTextContents(text)

    def window_of(self, node):
        """The top-level window that holds `node`."""
        while node.parent is not None and node.parent.getRoleName() != "application":
            node = node.parent
        return node

    def screenshot(self, path, node=None):
        """The screen, or only `node`'s window, as a PNG once it painted."""
        time.sleep(0.5)
        if node is None:
            crop = ["-trim", "+repage"]
        else:
            box = self.window_of(node).queryComponent().getExtents(0)  # screen coordinates
            crop = ["-crop", f"{box.width}x{box.height}+{box.x}+{box.y}"]
        subprocess.run(["import", "-window", "root", *crop, path], check=True)

    def store_file(self, name):
        """A file of the first mouse's store (pro.data, macro.data)."""
        return os.path.join(self.folder, "Data", "ms_1", name)

    def ctl(self, *words):
        """A command to the virtual mouse ("unplug wired", "sleep", "state")."""
        return subprocess.run([self.sim, "ctl", "--socket", self.socket, *words], check=True,
                              capture_output=True, text=True).stdout

    def mouse_state(self):
        return json.loads(self.ctl("state"))

    def report(self, report_id):
        """The bytes of the last report the virtual mouse accepted, or None."""
        value = self.mouse_state()["reports"].get(report_id)
        return bytes.fromhex(value.replace(" ", "")) if isinstance(value, str) else None

    def open_macro_editor(self):
        self.click(self.find(self.app, "Macros", role="push button"))
        return self.window_of(self.find(self.app, "New macro"))


MACRO_RECORD_SIZE = 240


def stored_macros(path):
    """Each macro in macro.data as its (code, kind, delay in ms) steps."""
    data = open(path, "rb").read() if os.path.exists(path) else b""
    counts = (struct.unpack_from("<i", data, at + 52)[0]
              for at in range(0, len(data) - MACRO_RECORD_SIZE + 1, MACRO_RECORD_SIZE))
    return [[struct.unpack_from("<BBH", data, MACRO_RECORD_SIZE * n + 56 + 4 * i)
             for i in range(max(0, min(count, 46)))] for n, count in enumerate(counts)]


@contextlib.contextmanager
def vexel_program(bin_dir, timeout=20.0, unplugged=False):
    work = tempfile.mkdtemp(prefix="vexel-atspi-")
    try:
        with VexelProgram(bin_dir, work, timeout) as vexel:
            vexel.start(unplugged)
            yield vexel
    except BaseException:
        log = os.path.join(work, "program.log")
        if os.path.exists(log):
            sys.stderr.write("program output:\n" + open(log, errors="replace").read())
        raise
    finally:
        shutil.rmtree(work, ignore_errors=True)
