#!/usr/bin/env bash
# Recording accuracy of the real program (see recording_bench.py).
# Usage: bench/recording/recording_bench.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:-build}" && pwd)"
exec "$here/../../tests/e2e/atspi/run_atspi_test.sh" /usr/bin/python3 \
  "$here/recording_bench.py" "$build" "${2:-3}"
