#!/usr/bin/env bash
# Media-library scan speed: `tonehall-host scan --json` against a mutagen
# script (bench/scan_mutagen.py) that reads the same properties and fields.
# Makes COUNT tagged files (default 2000) from three lame encodes of one
# SECONDS-long signal (default 30): 128 kbit/s CBR (Info header), -V 2 with a
# Xing header and -V 4 without one (lame -t). Each copy gets its own ID3v2.3
# tag written by mutagen: title, artist, album, album artist, track and disc
# with totals, year, genre and a 100 KiB front-cover picture. Times both on
# warm caches, best wall-clock time of REPEATS runs each (default 3), and
# prints files per second and the ratio. Our scan uses every core; the
# mutagen script is one Python process, and is also shown on as many
# processes as there are cores (split by folder).
# Usage: bench/scan.sh [COUNT] [SECONDS] [REPEATS]   (BUILD_DIR=build-bench by default)
set -euo pipefail
count=${1:-2000}
seconds=${2:-30}
repeats=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
python=/usr/bin/python3
for tool in sox lame bc; do
    command -v "$tool" >/dev/null || { echo "missing: $tool (apt-get install sox lame bc)"; exit 1; }
done
"$python" -c "import mutagen" 2>/dev/null || { echo "missing: python3-mutagen"; exit 1; }
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTONEHALL_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target tonehall-host >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox -n -r 44100 -c 2 -b 16 "$work/signal.wav" synth "$seconds" pinknoise synth "$seconds" sine \
    mix 220-3520 gain -3 2>/dev/null
lame --quiet -b 128 "$work/signal.wav" "$work/cbr.mp3"
lame --quiet -V 2 "$work/signal.wav" "$work/vbr-xing.mp3"
lame --quiet -V 4 -t "$work/signal.wav" "$work/vbr-plain.mp3"

# 20 folders of COUNT/20 files, so that the walk has some depth.
"$python" - "$work" "$count" <<'PY'
import os, random, shutil, sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TPE2, TRCK, TPOS, TYER, TCON, APIC
work, count = sys.argv[1], int(sys.argv[2])
sources = ["cbr.mp3", "vbr-xing.mp3", "vbr-plain.mp3"]
rng = random.Random(9)
picture = b"\xff\xd8\xff\xe0" + bytes(rng.getrandbits(8) for _ in range(100 * 1024 - 4))
genres = ["Rock", "(17)", "Jazz", "Classical", "Electronic"]
for i in range(count):
    folder = os.path.join(work, "library", "artist%02d" % (i % 20))
    os.makedirs(folder, exist_ok=True)
    path = os.path.join(folder, "track%04d.mp3" % i)
    shutil.copyfile(os.path.join(work, sources[i % 3]), path)
    tag = ID3()
    tag.add(TIT2(encoding=3, text="Title %d" % i))
    tag.add(TPE1(encoding=3, text="Artist %d" % (i % 20)))
    tag.add(TALB(encoding=3, text="Album %d" % (i % 100)))
    tag.add(TPE2(encoding=3, text="Album Artist %d" % (i % 20)))
    tag.add(TRCK(encoding=3, text="%d/12" % (i % 12 + 1)))
    tag.add(TPOS(encoding=3, text="1/2"))
    tag.add(TYER(encoding=3, text=str(1970 + i % 50)))
    tag.add(TCON(encoding=3, text=genres[i % len(genres)]))
    tag.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=picture))
    tag.save(path, v2_version=3)
PY
library="$work/library"
host=("$build/bin/tonehall-host" scan "$library" --json)
mutagen1=("$python" "$here/scan_mutagen.py" "$library")
cores=$(nproc)
mutagenN=(sh -c "ls -d '$library'/*/ | xargs -P $cores -n $((20 / cores)) $python '$here/scan_mutagen.py'")

# Both must have seen every file before timing means anything.
[ "$("${host[@]}" | wc -l)" -eq "$count" ] || { echo "tonehall-host scan missed files"; exit 1; }
[ "$("${mutagen1[@]}" | wc -l)" -eq "$count" ] || { echo "mutagen missed files"; exit 1; }

best_of() {
    local best=""
    for _ in $(seq "$repeats"); do
        local t0 t1 t
        t0=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        t1=$(date +%s.%N)
        t=$(echo "$t1 - $t0" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}

ours=$(best_of "${host[@]}")
theirs1=$(best_of "${mutagen1[@]}")
theirsN=$(best_of "${mutagenN[@]}")
rate() { echo "$count / $1" | bc -l; }
printf "%-32s %8s %10s\n" "" "wall s" "files/s"
printf "%-32s %8.3f %10.0f\n" "tonehall-host scan ($cores threads)" "$ours" "$(rate "$ours")"
printf "%-32s %8.3f %10.0f\n" "mutagen, 1 process" "$theirs1" "$(rate "$theirs1")"
printf "%-32s %8.3f %10.0f\n" "mutagen, $cores processes" "$theirsN" "$(rate "$theirsN")"
printf "ratio against 1 process: %.2f, against %d processes: %.2f\n" \
    "$(echo "$theirs1 / $ours" | bc -l)" "$cores" "$(echo "$theirsN / $ours" | bc -l)"
