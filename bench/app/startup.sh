#!/usr/bin/env bash
# Start-up of vexel-mouse under Xvfb with a session bus and the virtual mouse:
# time from exec to the first visible window, and the resident memory 2 s
# after start. Prints every run and the medians. With --trace, each run also
# records the program's phase marks (VEXEL_STARTUP_TRACE) and the medians of
# the phases follow: where the time to the first window goes.
# Usage: bench/app/startup.sh [--trace] [BUILD_DIR] [RUNS]
set -euo pipefail
trace=0
if [ "${1:-}" = "--trace" ]; then
  trace=1
  shift
fi
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
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
"$bin/vexel-mouse-sim" serve --socket "$work/mouse.sock" >/dev/null 2>&1 &
pids+=($!)
export VEXEL_VIRTUAL_MOUSE=$work/mouse.sock
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && [ -S "$work/mouse.sock" ] && break; sleep 0.05; done

times=()
rss=()
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  if [ "$trace" = 1 ]; then
    VEXEL_STARTUP_TRACE=$start "$bin/vexel-mouse" >/dev/null 2>"$work/trace-$run" &
  else
    "$bin/vexel-mouse" >/dev/null 2>&1 &
  fi
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
if [ "$trace" = 1 ]; then
  # Lines "startup: <since launch> ms  +<step> ms  cpu <cpu> ms  <phase>": the
  # medians of each phase's wall step and CPU step, in the order of the marks.
  echo "median phases: wall ms / process CPU ms since the previous mark"
  awk '/^startup:/ {
      if (FNR == 1) cpu_before = 0
      phase = $0; sub(/.*cpu +[0-9.]+ ms  /, "", phase)
      line = $0; sub(/^startup: +[0-9.]+ ms +\+ */, "", line); wall = line + 0
      line = $0; sub(/.* cpu +/, "", line); cpu = line + 0
      if (!(phase in seen)) { seen[phase] = 1; order[++n] = phase }
      walls[phase] = walls[phase] " " wall; cpus[phase] = cpus[phase] " " (cpu - cpu_before)
      cpu_before = cpu
    }
    END { for (i = 1; i <= n; i++) print order[i] "\t" walls[order[i]] "\t" cpus[order[i]] }' \
    "$work"/trace-* |
    while IFS=$'\t' read -r phase walls cpus; do
      # shellcheck disable=SC2086 # one value a word
      printf '  %-45s %7.1f / %6.1f\n' "$phase" "$(median $walls)" "$(median $cpus)"
    done
fi
