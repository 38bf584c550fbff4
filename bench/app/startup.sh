#!/usr/bin/env bash
# Start-up of vexel-mouse under Xvfb with the virtual mouse: time from exec to
# the first visible window, and the resident memory 2 s after start. Prints
# every run and the medians. Usage: bench/app/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-7}
bin="$(cd "$build/bin" && pwd)"
work=$(mktemp -d /tmp/vexel-bench-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
"$bin/vexel-mouse-sim" serve --socket "$work/mouse.sock" >/dev/null 2>&1 &
pids+=($!)
export VEXEL_VIRTUAL_MOUSE=$work/mouse.sock
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && [ -S "$work/mouse.sock" ] && break; sleep 0.05; done

times=()
rss=()
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  "$bin/vexel-mouse" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --classname vexel-mouse >/dev/null 2>&1; do sleep 0.005; done
  shown=$(date +%s%N)
  sleep 2
  kb=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  ms=$(( (shown - start) / 1000000 ))
  times+=("$ms"); rss+=("$kb")
  echo "run $run: first window after ${ms} ms, resident $((kb / 1024)) MB"
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "median start-up to first window: $(median "${times[@]}") ms"
echo "median resident memory after start: $(( $(median "${rss[@]}") / 1024 )) MB"
