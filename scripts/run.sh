#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it. Without a Vexel
# mouse attached it starts the virtual mouse (vexel-mouse-sim) and points the
# program at it. Without a display it runs the program on a virtual X display
# for a few seconds and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
dir=$(bash scripts/build.sh | tail -n 1)
bin="$PWD/$dir/bin"

work=$(mktemp -d /tmp/vexel-run-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

real_mouse_present() {
  grep -qsiE 'HID_ID=[0-9a-f]+:00001D57:0000FA6[01]' /sys/class/hidraw/*/device/uevent
}

if [ -z "${VEXEL_VIRTUAL_MOUSE:-}" ] && ! real_mouse_present; then
  echo "No Vexel mouse attached: starting the virtual mouse."
  # Its Bluetooth side lives on a private bus of its own, never on the
  # machine's system bus; the program is pointed at that bus.
  ble_option=()
  if bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>"$work/dbus.log"); then
    pids+=("$(sed -n 2p <<<"$bus")")
    export DBUS_SYSTEM_BUS_ADDRESS="$(sed -n 1p <<<"$bus")"
    ble_option=(--ble)
  else
    echo "  (no private bus: the virtual mouse is not on Bluetooth)"
  fi
  "$bin/vexel-mouse-sim" serve --socket "$work/mouse.sock" "${ble_option[@]}" >"$work/sim.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$work/mouse.sock" ] && break; sleep 0.05; done
  export VEXEL_VIRTUAL_MOUSE="$work/mouse.sock"
  ctl="$bin/vexel-mouse-sim ctl --socket $VEXEL_VIRTUAL_MOUSE"
  echo "  drive it with: $ctl state"
  if [ ${#ble_option[@]} -gt 0 ]; then
    echo "  Bluetooth alone: $ctl unplug wired; $ctl unplug receiver"
    echo "  (and $ctl ble disconnect|connect; the bus: DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SYSTEM_BUS_ADDRESS)"
  fi
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting vexel-mouse (close it from its tray menu, or press Ctrl+C here)."
  "$bin/vexel-mouse" || true
  exit 0
fi

# No display: a virtual one, a screenshot, and the program is stopped again.
shots="$PWD/$dir/screenshots"
mkdir -p "$shots"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.05; done
export XDG_RUNTIME_DIR="$work"
"$bin/vexel-mouse" >"$work/gui.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xdotool search --onlyvisible --classname vexel-mouse >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1  # let it paint
import -window root "$shots/vexel-mouse.png"
echo "No display here: the program ran on a virtual display."
echo "Screenshot: $shots/vexel-mouse.png"
