#!/usr/bin/env bash
# Runs one AT-SPI test (its command line follows) on a private session bus
# with its own runtime folder, so that tests can run side by side. Exits 77
# (skipped) where the machine lacks the tools.
set -euo pipefail
for tool in dbus-run-session Xvfb xdotool /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: no python3-pyatspi"; exit 77; }
runtime=$(mktemp -d /tmp/vexel-atspi-run-XXXXXX)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export PYTHONPATH="$(dirname "$0")${PYTHONPATH:+:$PYTHONPATH}"
dbus-run-session -- "$@"
