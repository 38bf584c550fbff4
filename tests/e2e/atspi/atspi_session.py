"""Drives the real program through AT-SPI, as a screen reader would.

Run a test under a private session bus, one XDG_RUNTIME_DIR per test:

    run_atspi_test.sh /usr/bin/python3 my_test.py ARGS...

Inside, start an X display of its own, the accessibility bus and the
program, then find controls by accessible name:

    with AtspiSession() as session:
        app = session.start_program([binary], env={...}, name="vexel-mouse")
        session.click(session.find(app, "Macros"))
"""

import os
import select
import shutil
import subprocess
import tempfile
import time

ATSPI_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class AtspiError(AssertionError):
    pass


class AtspiSession:
    def __init__(self, timeout=20.0):
        self.timeout = timeout
        self.processes = []
        self.pyatspi = None

    def __enter__(self):
        if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
            raise AtspiError("needs a session bus: run under dbus-run-session")
        self._start_xvfb()
        self.spawn([ATSPI_LAUNCHER, "--launch-immediately"])
        # pyatspi finds the accessibility bus through the launcher, so it is
        # imported only once the launcher runs.
        import pyatspi  # noqa: E402

        self.pyatspi = pyatspi
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        return False

    def spawn(self, argv, env=None, log=None):
        """Starts a helper process that ends with the session."""
        out = open(log, "wb") if log else subprocess.DEVNULL
        process = subprocess.Popen(argv, env=env, stdout=out, stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def _start_xvfb(self):
        # Xvfb takes a free display number itself (lock files and the abstract
        # socket names, which jobs in other mount namespaces share) and writes
        # it once it accepts connections: a number picked here may be held by
        # another test or by a server still shutting down. No probing client
        # and -noreset: the server never regenerates while the program connects.
        read_end, write_end = os.pipe()
        process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,),
        )
        os.close(write_end)
        self.processes.append(process)
        with os.fdopen(read_end) as pipe:
            ready, _, _ = select.select([pipe], [], [], self.timeout)
            number = pipe.readline().strip() if ready else ""
        if not number.isdigit():
            raise AtspiError("no X display could be started")
        os.environ["DISPLAY"] = f":{number}"

    # ---- The program ----

    def start_program(self, argv, env=None, name=None, log=None):
        """Starts the program with accessibility on; returns its application."""
        full_env = dict(os.environ)
        full_env.update(env or {})
        full_env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        full_env.setdefault("QT_QPA_PLATFORM", "xcb")
        process = self.spawn(argv, env=full_env, log=log)
        app_name = name or os.path.basename(argv[0])

        def application():
            if process.poll() is not None:
                raise AtspiError(f"{app_name} ended with {process.returncode}")
            desktop = self.pyatspi.Registry.getDesktop(0)
            for index in range(desktop.childCount):
                app = desktop.getChildAtIndex(index)
                if app is not None and app.name == app_name:
                    return app
            return None

        return self.wait_until(application, f"application {app_name}")

    # ---- Finding and acting ----

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
                states = node.getState()
                if not showing or states.contains(self.pyatspi.STATE_SHOWING):
                    return node
            return None

        return self.wait_until(probe, f"control '{name}'")

    def click(self, node):
        """Runs the control's default action (press, toggle, click)."""
        action = node.queryAction()
        if action.nActions < 1:
            raise AtspiError(f"'{node.name}' has no action")
        action.doAction(0)

    def type_text(self, node, text):
        node.queryEditableText().setTextContents(text)

    def text_of(self, node):
        text = node.queryText()
        return text.getText(0, text.characterCount)


def copy_program_folder(bin_dir, files, links):
    """A scratch program folder: `files` copied (the executable, so that its
    store folder is the scratch one), `links` linked from bin_dir."""
    folder = tempfile.mkdtemp(prefix="vexel-atspi-")
    for name in files:
        shutil.copy2(os.path.join(bin_dir, name), os.path.join(folder, name))
    for name in links:
        source = os.path.abspath(os.path.join(bin_dir, name))
        if os.path.exists(source):
            os.symlink(source, os.path.join(folder, name))
    return folder
