#!/usr/bin/env bash
# Runs one AT-SPI test (its command line follows) on a private session bus
# with its own runtime folder, so that tests can run side by side.
set -euo pipefail
runtime=$(mktemp -d /tmp/vexel-atspi-run-XXXXXX)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export PYTHONPATH="$(dirname "$0")${PYTHONPATH:+:$PYTHONPATH}"
dbus-run-session -- "$@"
