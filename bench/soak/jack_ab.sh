#!/usr/bin/env bash
# Whose late cycles are they? Starts a private JACK server with the dummy
# backend, runs the soak (Murvelon playing the demo through JACK) and
# jack_metro (a click generator that does next to nothing per cycle) side by
# side on it, and counts the cycles the server found each client unfinished.
# When the do-nothing client misses as often as Murvelon, the misses are the
# machine's scheduling, not the handoff between the engine and JACK.
#   bench/soak/jack_ab.sh [SECONDS] [PERIOD_FRAMES] [BUILD_DIR]
set -euo pipefail
seconds=${1:-60}
period=${2:-256}
build=${3:-build-bench}
soak=$build/bench/soak
[[ -x $soak ]] || { echo "missing $soak: build it first (make bench)" >&2; exit 1; }
command -v jackd >/dev/null || { echo "jackd is not installed" >&2; exit 1; }
server=murvelon-ab-$$
log=$(mktemp)
jackd -n "$server" -d dummy -r 48000 -p "$period" >"$log" 2>&1 &
jackpid=$!
trap 'kill $jackpid 2>/dev/null || true; rm -f "$log"' EXIT
sleep 2
JACK_DEFAULT_SERVER=$server timeout $((seconds + 5)) jack_metro -b 120 -n metro >/dev/null 2>&1 &
metropid=$!
JACK_DEFAULT_SERVER=$server "$soak" --seconds "$seconds" --device system | tail -4 || true  # underruns make the soak fail
wait "$metropid" || true
kill "$jackpid" && wait "$jackpid" || true  # the server writes its log out as it stops
echo "cycles the server found unfinished, per client ($period frames at 48000 Hz):"
grep -o 'client = [^ ]* was not finished' "$log" | awk '{print $3}' | sort | uniq -c || echo "      0 (none)"
