#!/usr/bin/env bash
# The real program on a real X server: start it with the demo song on the
# null device, play for two seconds (F9), quit through the File menu, and
# check that it ended by itself with status 0 and left nothing running.
set -euo pipefail
program=$1
song=$2

run() {
  "$program" --ini "$work/murvelon.ini" "$song" > "$work/out.log" 2>&1 &
  local pid=$!
  local window=""
  for _ in $(seq 1 200); do
    window=$(xdotool search --name "Murvelon ver.*demo.zqm" 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "smoke: the window never showed the demo song"; kill "$pid" 2>/dev/null || true; cat "$work/out.log"; return 1
  fi
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  sleep 0.5
  xdotool key F9
  sleep 2
  xdotool key alt+f
  sleep 0.5
  xdotool key q
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    echo "smoke: the program did not quit through the File menu"; kill -9 "$pid"; cat "$work/out.log"; return 1
  fi
  if compgen -G "$work/state/murvelon/*.session" > /dev/null; then
    echo "smoke: a clean quit left its session marker"; return 1
  fi
  local status=0
  wait "$pid" || status=$?
  cat "$work/out.log"
  echo "smoke: exit status $status"
  [ "$status" -eq 0 ]
}

if [ "${3:-}" = "--inside" ]; then
  work=$4
  QT_QPA_PLATFORM=xcb run
  exit
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '[DirectSound]\nDevice=null\n[Tracker]\nCPUcalc=0\n' > "$work/murvelon.ini"
# Autosaves and session markers of this run only: no other run's restore
# question, and a clean quit leaves no marker.
export XDG_STATE_HOME="$work/state"
xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$program" "$song" --inside "$work"
if pgrep -f "$program --ini $work" > /dev/null; then
  echo "smoke: a murvelon process is still running"; exit 1
fi
echo "smoke: passed"
