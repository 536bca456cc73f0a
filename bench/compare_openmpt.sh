#!/usr/bin/env bash
# Side-by-side render time of murvelon-cli and openmpt123 (another MOD
# player, used here only as a yardstick) on the same composed 4-channel
# module: cubic interpolation (openmpt123 --filter 4), 44100 Hz, 16-bit WAV.
# The two programs run in turn, RUNS times each, and each one's fastest wall
# time counts: other work on the machine only ever adds to a run.
#   bench/compare_openmpt.sh [BUILD_DIR] [RUNS]
# BUILD_DIR defaults to build-bench (make bench builds it in Release); it
# needs tools/murvelon-cli and bench/render_song.
set -euo pipefail
build=${1:-build-bench}
runs=${2:-7}
cli=$build/tools/murvelon-cli
writer=$build/bench/render_song
if ! command -v openmpt123 >/dev/null; then
  echo "openmpt123 is not installed: nothing to compare with (apt-get install openmpt123)"
  exit 0
fi
for program in "$cli" "$writer"; do
  [[ -x $program ]] || { echo "missing $program: build it first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$writer" --write-mod "$work/composed.mod" --positions 32
seconds=240  # 32 positions of 64 rows at speed 6 and 125 BPM: 245.76 s

now() { date +%s%N; }
best_murvelon=0 best_openmpt=0
for ((r = 0; r < runs; ++r)); do
  t0=$(now)
  "$cli" render "$work/composed.mod" -o "$work/murvelon.wav" --seconds $seconds >/dev/null
  t1=$(now)
  openmpt123 -q --filter 4 --samplerate 44100 --no-float --end-time $seconds --force \
    -o "$work/openmpt.wav" --batch "$work/composed.mod" >/dev/null 2>&1
  t2=$(now)
  m=$(((t1 - t0) / 1000)) o=$(((t2 - t1) / 1000))
  ((best_murvelon == 0 || m < best_murvelon)) && best_murvelon=$m
  ((best_openmpt == 0 || o < best_openmpt)) && best_openmpt=$o
  awk -v r=$((r + 1)) -v m=$m -v o=$o \
    'BEGIN { printf "run %d: murvelon-cli %8.3f s   openmpt123 %8.3f s\n", r, m / 1e6, o / 1e6 }'
done
bytes_m=$(stat -c %s "$work/murvelon.wav") bytes_o=$(stat -c %s "$work/openmpt.wav")
awk -v n=$runs -v m=$best_murvelon -v o=$best_openmpt -v bm=$bytes_m -v bo=$bytes_o 'BEGIN {
  printf "fastest of %d: murvelon-cli %.3f s, openmpt123 %.3f s (WAV bytes %d and %d)\n", n, m / 1e6, o / 1e6, bm, bo
  printf "murvelon-cli renders %.2f times as fast as openmpt123 --filter 4\n", o / m
}'
