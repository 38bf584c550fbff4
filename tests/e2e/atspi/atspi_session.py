"""Drives the real program through AT-SPI, as a screen reader would, under
run_atspi_test.sh: vexel_program() gives it an X display, the accessibility
bus, the virtual mouse and a scratch program folder of its own."""

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


class VexelProgram:
    def __init__(self, bin_dir, work, timeout=20.0):
        self.timeout = timeout
        self.processes = []
        self.pyatspi = self.app = None
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
            raise AssertionError("needs a session bus: run under run_atspi_test.sh")
        self._start_xvfb()
        self.spawn([ATSPI_LAUNCHER, "--launch-immediately"])
        # pyatspi finds the accessibility bus through the launcher.
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

    def spawn(self, argv, env=None, log=None, pass_fds=()):
        out = open(log, "wb") if log else subprocess.DEVNULL
        process = subprocess.Popen(argv, env=env, stdout=out, stderr=subprocess.STDOUT,
                                   pass_fds=pass_fds)
        self.processes.append(process)
        return process

    def _start_xvfb(self):
        # Xvfb names the free display it took (one chosen here could be another
        # test's); -noreset: it never regenerates while the program connects.
        read_end, write_end = os.pipe()
        process = self.spawn(["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen",
                              "0", "1280x1024x24", "-nolisten", "tcp"], pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            ready, _, _ = select.select([pipe], [], [], self.timeout)
            number = pipe.readline().strip() if ready else ""
        if not number:
            raise AssertionError(f"no X display could be started (Xvfb: {process.poll()})")
        os.environ["DISPLAY"] = f":{number}"

    def start(self, unplugged=False):
        """The mouse (with `unplugged`: cable and receiver out), then the program."""
        self.spawn([self.sim, "serve", "--socket", self.socket])
        self.wait_until(lambda: os.path.exists(self.socket), "the virtual mouse")

        for link in ("wired", "receiver") if unplugged else ():
            # The socket can be there a moment before the mouse answers.
            self.wait_until(lambda: subprocess.run(
                [self.sim, "ctl", "--socket", self.socket, "unplug", link],
                capture_output=True).returncode == 0, f"unplugging the {link}")
        # English names, whatever the machine's locale.
        env = {"QT_QPA_PLATFORM": "xcb", **os.environ, "LC_ALL": "C.UTF-8",
               "VEXEL_VIRTUAL_MOUSE": self.socket, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}
        self.program = self.spawn([os.path.join(self.folder, "vexel-mouse")], env=env,
                                  log=self.log)

        def application():
            if self.program.poll() is not None:
                raise AssertionError(f"vexel-mouse ended with {self.program.returncode}")
            return next((app for app in self.pyatspi.Registry.getDesktop(0)
                         if app is not None and app.name in PROGRAM_NAMES), None)

        self.app = self.wait_until(application, f"application {PROGRAM_NAMES[0]}")

    def wait_until(self, probe, what, timeout=None):
        end = time.monotonic() + (timeout or self.timeout)
        while time.monotonic() < end:
            result = probe()
            if result:
                return result
            time.sleep(0.1)
        raise AssertionError(f"timed out waiting for {what}")

    def find_all(self, root, name, role=None):
        found, stack = [], [root]
        while stack:
            node = stack.pop()
            try:
                if node.name == name and (role is None or node.getRoleName() == role):
                    found.append(node)
                stack.extend(node.getChildAtIndex(i) for i in range(node.childCount))
            except Exception:  # None, or an object that went away while walking
                continue
        return found

    def find(self, root, name, role=None, showing=True):
        return self.wait_until(lambda: next(
            (node for node in self.find_all(root, name, role)
             if not showing or node.getState().contains(self.pyatspi.STATE_SHOWING)), None),
            f"control '{name}'")

    def click(self, node, names=()):
        """The control's first action, or the first of its actions named in `names`."""
        action = node.queryAction()
        if action.nActions < 1:
            raise AssertionError(f"'{node.name}' has no action")
        named = [i for i in range(action.nActions) if action.getName(i) in names]
        action.doAction(named[0] if named else 0)

    def press(self, node):
        """Presses the control, even where showing its menu comes first."""
        self.click(node, ("press", "click", "Press"))

    def key(self, keysym):
        self.pyatspi.Registry.generateKeyboardEvent(keysym, None, self.pyatspi.KEY_SYM)

    def focused(self, node, what):
        self.wait_until(lambda: node.getState().contains(self.pyatspi.STATE_FOCUSED),
                        f"the focus on {what}")
        return node

    def type_text(self, node, text):
        node.queryComponent().grabFocus()
        node.queryEditableText().setTextContents(text)

    def window_of(self, node):
        while node.parent is not None and node.parent.getRoleName() != "application":
            node = node.parent
        return node

    def screenshot(self, path, node=None):
        time.sleep(0.5)  # once it painted
        crop = ["-trim", "+repage"]
        if node is not None:
            box = self.window_of(node).queryComponent().getExtents(0)  # screen coordinates
            crop = ["-crop", f"{box.width}x{box.height}+{box.x}+{box.y}"]
        subprocess.run(["import", "-window", "root", *crop, path], check=True)

    def store_file(self, name):
        return os.path.join(self.folder, "Data", "ms_1", name)

    def ctl(self, *words):
        return subprocess.run([self.sim, "ctl", "--socket", self.socket, *words], check=True,
                              capture_output=True, text=True).stdout

    def mouse_state(self):
        return json.loads(self.ctl("state"))

    def report(self, report_id):
        """The last report the virtual mouse accepted with this id, or None."""
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
