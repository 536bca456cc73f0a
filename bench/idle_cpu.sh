#!/usr/bin/env bash
# What the open window costs: the desktop program on a virtual X server
# (Xvfb with openbox, sound on the null device) with the demo song loaded,
# measured twice over SECONDS_EACH seconds (60 unless set): stopped, then
# playing (F9). Prints the share of one core the program used in each, from
# the utime and stime of /proc/PID/stat, and the X server's share beside it.
#
#   bench/idle_cpu.sh [PROGRAM [SONG]]
# defaults: build/ui/murvelon Songs/demo.zqm
set -euo pipefail
cd "$(dirname "$0")/.."
program=$(realpath "${1:-build/ui/murvelon}")
song=$(realpath "${2:-Songs/demo.zqm}")
seconds=${SECONDS_EACH:-60}

# Ticks of CPU time a process has used, all its threads together.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Percent of one core a process used while the command "sleep $seconds" ran.
measure() {
  local pid=$1 x=$2 label=$3
  local hz t0 x0 w0 t1 x1 w1
  hz=$(getconf CLK_TCK)
  t0=$(ticks "$pid"); x0=$(ticks "$x"); w0=$(date +%s.%N)
  sleep "$seconds"
  t1=$(ticks "$pid"); x1=$(ticks "$x"); w1=$(date +%s.%N)
  awk -v l="$label" -v a="$t0" -v b="$t1" -v c="$x0" -v d="$x1" -v s="$w0" -v e="$w1" -v hz="$hz" \
    'BEGIN { w = e - s; printf "%-8s %5.2f %% of a core (X server %5.2f %%) over %.0f s\n", l, 100 * (b - a) / hz / w, 100 * (d - c) / hz / w, w }'
}

inside() {
  work=$1
  openbox > /dev/null 2>&1 &
  local wm=$!
  QT_QPA_PLATFORM=xcb "$program" --ini "$work/murvelon.ini" "$song" > "$work/out.log" 2>&1 &
  local pid=$!
  local window=""
  for _ in $(seq 1 200); do
    window=$(xdotool search --name "Murvelon ver.*" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "idle_cpu: the window never showed"; cat "$work/out.log"; kill "$pid" "$wm"; exit 1
  fi
  # The X server of this display (other displays may run beside it).
  local x
  x=$(pgrep -f "^Xvfb ${DISPLAY} " | head -1)
  xdotool windowactivate --sync "$window" 2> /dev/null || xdotool windowfocus --sync "$window"
  sleep 3  # start-up settles
  measure "$pid" "$x" stopped
  xdotool key F9
  sleep 1
  measure "$pid" "$x" playing
  kill "$pid" "$wm"
  wait "$pid" 2> /dev/null || true
}

if [ "${3:-}" = "--inside" ]; then
  inside "$4"
  exit
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[DirectSound]\nDevice=null\n' > "$work/murvelon.ini"
export XDG_STATE_HOME="$work/state"
echo "idle_cpu: $program with $(basename "$song"), ${seconds} s each"
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program" "$song" --inside "$work"
