#!/usr/bin/env bash
# Heap cost of one open input source on a 5-minute file, after info id 12 has
# indexed it (input_memory). Makes a 5-minute 44.1 kHz stereo signal with sox
# and encodes it with lame twice: 320 kbit/s CBR (the most bytes) and -V 0.
# Usage: bench/input_memory.sh   (BUILD_DIR=build-bench by default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
for tool in sox lame; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install sox lame)"; exit 1; }
done
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTONEHALL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target input_memory ZrReader ZrTools >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox -n -r 44100 -c 2 -b 16 "$work/signal.wav" synth 300 pinknoise synth 300 sine mix 220-3520 \
    synth 300 sine mix 330 gain -3 2>/dev/null
lame --quiet -b 320 -m j "$work/signal.wav" "$work/cbr320.mp3"
lame --quiet -V 0 "$work/signal.wav" "$work/v0.mp3"

status=0
for name in cbr320 v0; do
    echo "== $name ($(stat -c %s "$work/$name.mp3") bytes)"
    TONEHALL_LIBRARY_DIR="$build/lib" TONEHALL_SETTINGS="$work/settings.ini" \
        "$build/bin/input_memory" "$work/$name.mp3" || status=1
done
exit $status
