#!/usr/bin/env bash
# Profiles that follow the application in front, in the real program under
# Xvfb with the virtual mouse: the time from a _NET_ACTIVE_WINDOW change to the
# first report at the mouse, less the 300 ms settle (median of ROUNDS), and
# the program's CPU time over SECONDS with no focus change, rules off and on.
# Usage: bench/autoprofile/autoprofile_bench.sh [BUILD_DIR] [ROUNDS] [SECONDS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-build}" && pwd)"
run="$here/../../tests/e2e/atspi/run_atspi_test.sh"
"$run" /usr/bin/python3 "$here/switch_latency.py" "$build/bin" "${2:-20}"
"$run" /usr/bin/python3 "$here/idle_cost.py" "$build/bin" "${3:-60}"
