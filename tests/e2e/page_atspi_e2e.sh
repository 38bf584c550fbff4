#!/usr/bin/env bash
# The settings page driven through AT-SPI, as a screen reader drives it: the
# real program on a private session bus and X display, with the virtual mouse
# and a store in a scratch copy of the program folder.
#   page_atspi_e2e.sh BIN_DIR SCRIPT [SCREENSHOT_DIR]
set -euo pipefail
bin=$1
script=$2
shots=${3:-}
for tool in dbus-run-session Xvfb /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: no python3-pyatspi"; exit 77; }

work=$(mktemp -d /tmp/vexel-atspi-XXXXXX)
trap 'rm -rf "$work"' EXIT
# The program keeps its store beside itself ("Data") when it can: a copy keeps
# the build's program folder clean.
mkdir -p "$work/program"
cp -r "$bin/vexel-mouse" "$bin/res" "$work/program/"
cp "$bin"/*.so "$work/program/"
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"

exec dbus-run-session -- bash -c '
  set -euo pipefail
  work=$1; bin=$2; script=$3; shots=$4
  pids=()
  trap "for p in \${pids[@]}; do kill \$p 2>/dev/null || true; done; wait 2>/dev/null || true" EXIT
  /usr/libexec/at-spi-bus-launcher --launch-immediately &
  pids+=($!)
  # Xvfb takes a free display number itself and writes it once it accepts
  # connections: a number picked here may be held by another test.
  Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
  export DISPLAY=:$(head -n 1 "$work/display")
  "$bin/vexel-mouse-sim" serve --socket "$work/mouse.sock" >"$work/sim.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$work/mouse.sock" ] && break; sleep 0.05; done
  export VEXEL_VIRTUAL_MOUSE="$work/mouse.sock"
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb \
    "$work/program/vexel-mouse" >"$work/gui.log" 2>&1 &
  pids+=($!)
  status=0
  /usr/bin/python3 "$script" --sim "$bin/vexel-mouse-sim" --socket "$work/mouse.sock" \
    --store "$work/program/Data/ms_1/pro.data" ${shots:+--shots "$shots"} || status=$?
  [ $status -eq 0 ] || { echo "--- program output"; cat "$work/gui.log"; }
  exit $status
' bash "$work" "$bin" "$script" "$shots"
