#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test: the CTest suites
# (unit, gui, e2e) under a virtual X display, then the extra stages in
# scripts/test.d/. VEXEL_SANITIZE=address|thread runs the suites in a
# sanitizer build instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=$(bash scripts/build.sh | tail -n 1)
supp="$PWD/scripts/sanitizers"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$supp/lsan.supp print_suppressions=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1 halt_on_error=1}"
export TSAN_OPTIONS="${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1 suppressions=$supp/tsan.supp}"
# Qt's libraries are not instrumented for ThreadSanitizer: events posted
# across threads look unsynchronised to it. The TSan run leaves out the tests
# that run Qt (label gui, the Gui* end-to-end suites, the program started by
# SingleInstance, the packaging and page AT-SPI runs, the QtDBus notifier);
# the ASan and plain runs take everything.
exclude=()
[ "${VEXEL_SANITIZE:-}" = thread ] && exclude=(-LE gui -E '^(Gui[A-Za-z0-9]*|SingleInstance|DesktopNotifierDbus|Packaging)[.]')
log=$(mktemp)
trap 'rm -f "$log"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300 "${exclude[@]}" | tee "$log"
if [ -z "${VEXEL_SANITIZE:-}" ]; then
  for stage in scripts/test.d/*.sh; do
    [ -e "$stage" ] || continue
    echo "== $(basename "$stage")"
    bash "$stage"
  done
fi

# One closing line for the whole run.
total=$(sed -nE 's/.* tests failed out of ([0-9]+).*/\1/p' "$log" | tail -n 1)
failed=$(sed -nE 's/.*, ([0-9]+) tests failed out of.*/\1/p' "$log" | tail -n 1)
skipped=$(grep -c '\*\*\*Skipped' "$log" || true)
echo "tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
