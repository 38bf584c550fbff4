#!/usr/bin/env bash
# Start-up of vexel-mouse under Xvfb with a session bus and the virtual mouse:
# time from exec to the first visible window, and the resident memory 2 s
# after start. Prints every run and the medians. With --trace, each run also
# records the program's phase marks (VEXEL_STARTUP_TRACE) and the medians of
# the phases follow: where the time to the first window goes.
# Given several build folders, the runs alternate between them (one start of
# each per round, under the same load) and each gets its own medians.
# A start that shows no window within START_TIMEOUT seconds (default 10), or
# that ends before it does, is stopped and counted as failed; the runs go on.
# Usage: bench/app/startup.sh [--trace] [BUILD_DIR...] [RUNS]
set -euo pipefail
trace=0
if [ "${1:-}" = "--trace" ]; then
  trace=1
  shift
fi
runs=7
builds=()
for arg in "$@"; do
  if [[ $arg =~ ^[0-9]+$ ]]; then runs=$arg; else builds+=("$arg"); fi
done
[ ${#builds[@]} -gt 0 ] || builds=(build)
start_timeout=${START_TIMEOUT:-10}
bins=()
for build in "${builds[@]}"; do bins+=("$(cd "$build/bin" && pwd)"); done
work=$(mktemp -d /tmp/vexel-bench-XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A display number of Xvfb's choosing: one picked at random can be another
# run's, whose server then ends under this one's starts.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
display=:$(head -n 1 "$work/display")
export DISPLAY=$display XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb
eval "$(dbus-launch --sh-syntax)"
pids+=("$DBUS_SESSION_BUS_PID")
"${bins[0]}/vexel-mouse-sim" serve --socket "$work/mouse.sock" >/dev/null 2>&1 &
pids+=($!)
export VEXEL_VIRTUAL_MOUSE=$work/mouse.sock
# The display must answer for its keyboard too: a client that connects before
# Xvfb has its keymap aborts ("failed to get core keyboard device info").
for _ in $(seq 200); do
  xdotool getdisplaygeometry >/dev/null 2>&1 && setxkbmap -query >/dev/null 2>&1 &&
    [ -S "$work/mouse.sock" ] && break
  sleep 0.05
done

# Windows mapped on the root, each stamped (ns) as its event arrives. The
# harness waits on these events: asking the server for its windows every few
# milliseconds loaded the very server and cores the program was starting on,
# and stretched the start it measured by some 20 ms.
xev -root -event substructure 2>/dev/null |
  perl -MTime::HiRes=time -ne 'BEGIN { $| = 1 } print sprintf("%d", time * 1e9), " $1\n"
    if /^\s+event 0x[0-9a-f]+, window (0x[0-9a-f]+), override/' >"$work/maps" &
pids+=($!)

now_ns() { date +%s%N; }
# kB as MB (MiB) with one decimal, cut rather than rounded: 40,959 kB is 39.9.
mib() { echo "$(($1 / 1024)).$(($1 % 1024 * 10 / 1024))"; }

# Ends the process: TERM, then KILL if it is still there after 5 s, so that a
# teardown that hangs cannot hold the next start (single-instance lock).
# Sets `status` to its exit status.
stop() {
  local pid=$1
  kill "$pid" 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -9 "$pid" 2>/dev/null || true
  status=0
  wait "$pid" 2>/dev/null || status=$?
}

# One start of build $1 (index), run $2: adds to its times and rss (words of
# one string per build), or counts a failure.
measure() {
  local index=$1 run=$2 bin=${bins[$1]} label=""
  [ ${#bins[@]} -eq 1 ] || label=" [${builds[$index]}]"
  local start shown deadline pid kb ms marks="" err="$work/trace-$index-$run"
  maps_seen=$(wc -l <"$work/maps")
  start=$(now_ns)
  deadline=$((start + start_timeout * 1000000000))
  [ "$trace" = 0 ] || marks=$start
  VEXEL_STARTUP_TRACE=$marks "$bin/vexel-mouse" >/dev/null 2>"$err" &
  pid=$!
  pids+=("$pid")
  shown=""
  local seen=$maps_seen stamp window
  while [ -z "$shown" ] && kill -0 "$pid" 2>/dev/null && [ "$(now_ns)" -lt "$deadline" ]; do
    while read -r stamp window; do
      seen=$((seen + 1))
      if [ "$(xdotool getwindowpid "$window" 2>/dev/null)" = "$pid" ]; then
        shown=$stamp
        break
      fi
    done < <(tail -n +$((seen + 1)) "$work/maps")
    [ -n "$shown" ] || sleep 0.005
  done
  maps_seen=$(wc -l <"$work/maps")
  kb=""
  if [ -n "$shown" ]; then
    sleep 2
    kb=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  fi
  local ended=0
  kill -0 "$pid" 2>/dev/null || ended=1
  stop "$pid"
  if [ -z "$shown" ] || [ -z "$kb" ]; then
    failed[index]=$((${failed[index]:-0} + 1))
    local why="no window within ${start_timeout} s"
    if [ "$ended" = 1 ]; then
      why="ended before its window"
      [ -z "$shown" ] || why="ended within 2 s of its window"
      why+=" (status $status)"
    fi
    echo "run $run$label: failed, $why: $(grep -v '^startup:' "$err" | tail -n 1)"
    rm -f "$err"
    return
  fi
  ms=$(((shown - start) / 1000000))
  times_of[index]+=" $ms"
  rss_of[index]+=" $kb"
  echo "run $run$label: first window after ${ms} ms, resident $(mib "$kb") MB"
}

failed=()
times_of=()
rss_of=()
for run in $(seq "$runs"); do
  for index in "${!bins[@]}"; do measure "$index" "$run"; done
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
for index in "${!bins[@]}"; do
  [ ${#bins[@]} -eq 1 ] || echo "${builds[$index]}:"
  read -r -a times <<<"${times_of[index]:-}"
  read -r -a rss <<<"${rss_of[index]:-}"
  [ "${failed[index]:-0}" -eq 0 ] || echo "failed starts: ${failed[index]} of $runs"
  if [ ${#times[@]} -eq 0 ]; then continue; fi
  echo "median start-up to first window: $(median "${times[@]}") ms"
  echo "median resident memory after start: $(mib "$(median "${rss[@]}")") MB"
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
      "$work"/trace-"$index"-* |
      while IFS=$'\t' read -r phase walls cpus; do
        # shellcheck disable=SC2086 # one value a word
        printf '  %-45s %7.1f / %6.1f\n' "$phase" "$(median $walls)" "$(median $cpus)"
      done
  fi
done
