#!/usr/bin/env bash
# Decoding speed through the plug-in and the host program against Debian's
# decoders, one core each, output discarded:
#   ours     tonehall-host decode FILE /dev/null --format f64
#   decoder  bench_decode FILE 1: the decoder alone, as the input source
#            drives it, on the file read into memory beforehand
#   mpg123   mpg123 -q -e f32 -s FILE
#   ffmpeg   ffmpeg -threads 1 -i FILE -f f32le /dev/null   (its float decoders)
#   madplay  madplay -Q -o raw:/dev/null FILE               (fixed point)
# on six files made from sox signals with lame and twolame, MINUTES long each
# (10 by default; start-up then costs well under 1%). Each round runs every
# decoder once, in turn, on core 1; the table gives the median CPU time
# (user + system) over REPEATS rounds as x realtime, and each peer's time
# over ours (above 1: we are faster).
# Usage: bench/decode.sh [REPEATS]   environment: MINUTES (10), BUILD_DIR
# (build-bench), BENCH_DATA (a directory that keeps the encoded files between
# runs; a temporary one otherwise), TONEHALL_DECODER_ISA=generic to time the
# baseline build of the decoder's hot loops.
set -euo pipefail
repeats=${1:-5}
minutes=${MINUTES:-10}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
for tool in sox lame twolame mpg123 ffmpeg madplay taskset /usr/bin/time; do
    command -v "$tool" >/dev/null ||
        { echo "missing: $tool (apt-get install sox lame twolame mpg123 ffmpeg madplay time)"; exit 1; }
done
cmake -S "$root" -B "$build" -DTONEHALL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target mp3input tonehall-host ZrTools ZrReader bench_decode >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
data=${BENCH_DATA:-$work}
mkdir -p "$data"

# Signals: pink noise, a 20 Hz - 20 kHz sweep and a tone mixed in both
# channels; the harsh one has pink noise alone on the left and the sweep on
# the right, so that joint stereo has nothing to share.
seconds=$((minutes * 60))
make_wav() { # name channels sox-synth-arguments...
    local name=$1 channels=$2
    shift 2
    [ -e "$data/$name.wav" ] ||
        sox -n -r 44100 -c "$channels" -b 16 "$data/$name.wav" "$@" gain -3 2>/dev/null
}
make_wav mixed 2 synth "$seconds" pinknoise synth "$seconds" sine mix 20-20000 \
    synth "$seconds" sine mix 330
make_wav harsh 2 synth "$seconds" pinknoise sine 20-20000
make_wav mono 1 synth "$seconds" pinknoise synth "$seconds" sine mix 20-20000
encode() { # output command...
    local out=$1
    shift
    [ -e "$data/$out" ] || "$@" >/dev/null 2>&1
}
encode cbr320.mp3 lame --quiet -b 320 -m j "$data/mixed.wav" "$data/cbr320.mp3"
encode harsh320.mp3 lame --quiet -b 320 -m j "$data/harsh.wav" "$data/harsh320.mp3"
encode v0.mp3 lame --quiet -V 0 "$data/mixed.wav" "$data/v0.mp3"
encode mpeg2-22k.mp3 lame --quiet --resample 22.05 -b 128 "$data/mixed.wav" "$data/mpeg2-22k.mp3"
encode mono128.mp3 lame --quiet -b 128 -m m "$data/mono.wav" "$data/mono128.mp3"
encode layer2-256.mp2 twolame --quiet -b 256 "$data/mixed.wav" "$data/layer2-256.mp2"
files=(cbr320.mp3 harsh320.mp3 v0.mp3 mpeg2-22k.mp3 mono128.mp3 layer2-256.mp2)
decoders=(ours decoder mpg123 ffmpeg madplay)

# CPU seconds (user + system) of one decoder on one file, on core 1.
cpu_seconds() { # decoder file
    local cmd
    case $1 in
    ours) cmd=(env TONEHALL_LIBRARY_DIR="$build/lib" TONEHALL_SETTINGS="$work/settings.ini"
               "$build/bin/tonehall-host" decode "$2" /dev/null --format f64) ;;
    decoder)
        # It times itself, without start-up and file reading.
        taskset -c 1 "$build/bin/bench_decode" "$2" 1 2>/dev/null | awk 'NR == 1 {print $2}'
        return ;;
    mpg123) cmd=(mpg123 -q -e f32 -s "$2") ;;
    ffmpeg) cmd=(ffmpeg -nostdin -v error -threads 1 -i "$2" -f f32le -y /dev/null) ;;
    madplay) cmd=(madplay -Q -o raw:/dev/null "$2") ;;
    esac
    /usr/bin/time -f "%U %S" -o "$work/time" taskset -c 1 "${cmd[@]}" >/dev/null 2>&1 ||
        { echo "failed: ${cmd[*]}" >&2; exit 1; }
    awk '{printf "%.3f\n", $1 + $2}' "$work/time"
}

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores;" \
    "decoder build: ${TONEHALL_DECODER_ISA:-chosen by the CPU}; $repeats rounds, median CPU time"
printf "%-15s %7s %8s %9s %9s %9s %9s   %s\n" file "audio s" "ours x" "decoder x" "mpg123 x" \
    "ffmpeg x" "madplay x" "peer time / ours: mpg123 ffmpeg madplay; mpg123 / decoder"
for f in "${files[@]}"; do
    path="$data/$f"
    for d in "${decoders[@]}"; do : >"$work/$d.times"; done
    for _ in $(seq "$repeats"); do
        for d in "${decoders[@]}"; do cpu_seconds "$d" "$path" >>"$work/$d.times"; done
    done
    audio=$seconds
    declare -A t
    for d in "${decoders[@]}"; do t[$d]=$(median <"$work/$d.times"); done
    awk -v f="$f" -v a="$audio" -v o="${t[ours]}" -v dec="${t[decoder]}" -v m="${t[mpg123]}" \
        -v ff="${t[ffmpeg]}" -v md="${t[madplay]}" 'BEGIN {
        printf "%-15s %7.0f %8.0f %9.0f %9.0f %9.0f %9.0f   %5.2f %5.2f %5.2f; %5.2f\n",
            f, a, a / o, a / dec, a / m, a / ff, a / md, m / o, ff / o, md / o, m / dec }'
done
