#!/usr/bin/env bash
# Decoding speed against Debian's mpg123 (float output), one core each.
# Makes a 5-minute 44.1 kHz stereo signal with sox, encodes it with lame as a
# 320 kbit/s joint-stereo file and as a -V0 file, then times our decoder
# (bench_decode) and `mpg123 -q -e f32 -s` on each, best CPU time of REPEATS
# runs (CPU time, so that other work on the machine does not count).
# Usage: bench/decode.sh [REPEATS]   (BUILD_DIR=build-bench by default)
set -euo pipefail
repeats=${1:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
for tool in sox lame mpg123 taskset bc /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install sox lame mpg123)"; exit 1; }
done
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTONEHALL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target bench_decode >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Pink noise with a tone and a slow sweep, peaks near -4 dBFS: rich enough that
# both encodings use their full bitrate range.
sox -n -r 44100 -c 2 -b 16 "$work/signal.wav" synth 300 pinknoise synth 300 sine mix 220-3520 \
    synth 300 sine mix 330 gain -3 2>/dev/null
lame --quiet -b 320 -m j "$work/signal.wav" "$work/cbr320.mp3"
lame --quiet -V 0 "$work/signal.wav" "$work/v0.mp3"

# Best CPU seconds (user + system) of `repeats` runs of a command on core 0.
best_of() {
    local best=""
    for _ in $(seq "$repeats"); do
        local t
        /usr/bin/time -f "%U %S" -o "$work/time" taskset -c 0 "$@" >/dev/null 2>&1
        t=$(awk '{print $1 + $2}' "$work/time")
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}

printf "%-10s %10s %12s %12s %8s\n" file "audio s" "ours x rt" "mpg123 x rt" ratio
for name in cbr320 v0; do
    file="$work/$name.mp3"
    read -r audio ours_s ours_rt frames < <(taskset -c 0 "$build/bin/bench_decode" "$file" "$repeats" 2>/dev/null)
    mpg_s=$(best_of mpg123 -q -e f32 -s "$file")
    mpg_rt=$(echo "$audio / $mpg_s" | bc -l)
    ratio=$(echo "$ours_rt / $mpg_rt" | bc -l)
    printf "%-10s %10.1f %12.1f %12.1f %8.2f   (%d frames, ours %.3f s, mpg123 %.3f s)\n" \
        "$name" "$audio" "$ours_rt" "$mpg_rt" "$ratio" "$frames" "$ours_s" "$mpg_s"
done
