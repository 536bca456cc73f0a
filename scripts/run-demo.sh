#!/usr/bin/env bash
# Opens the demo song in the desktop program when a display is present.
# Without one, plays it on the default sound device; on a machine without
# one either, renders it to demo.wav instead and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/tools/murvelon-cli
song=Songs/demo.zqm
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/ui/murvelon "$song"
fi
if [ -n "$("$cli" devices 2>/dev/null)" ]; then
  exec "$cli" play "$song"
fi
echo "No sound output device here: rendering $song to demo.wav instead."
"$cli" render "$song" -o demo.wav --stats
frames=$(( ($(stat -c %s demo.wav) - 44) / 4 ))
rate=$(od -An -tu4 -j24 -N4 demo.wav | tr -d ' ')
echo "Wrote $(pwd)/demo.wav: $((frames / rate)) seconds of 16-bit stereo at $rate Hz."
