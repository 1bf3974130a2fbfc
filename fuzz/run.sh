#!/usr/bin/env bash
# Builds every libFuzzer target with clang under ASan/UBSan and runs each for
# SECONDS (default 30). Usage: fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
seconds=${1:-30}
shift || true
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
mkdir -p "$build"
build=$(cd "$build" && pwd)
CC=${CC:-clang-14} CXX=${CXX:-clang++-14} cmake -S "$root" -B "$build" -DTONEHALL_FUZZ=ON \
    -DTONEHALL_TESTS=OFF -DTONEHALL_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for src in "$here"/*.cpp; do
        [ -e "$src" ] || continue
        targets+=("$(basename "$src" .cpp)")
    done
fi
[ ${#targets[@]} -gt 0 ] || { echo "no fuzz targets"; exit 0; }
# The tag and file-info targets reach the tools stand-in (inflation of
# compressed frames, string comparison, settings) through the sibling-library
# loader, which would look beside the fuzz binary; its settings file is one
# of the run's own, so that no user setting steers or receives a run.
cmake --build "$build" -j2 --target ZrTools ZrReader "${targets[@]}"
export TONEHALL_LIBRARY_DIR="$build/lib"
export TONEHALL_SETTINGS="$build/fuzz/settings.ini"
for t in "${targets[@]}"; do
    corpus="$here/corpus-$t"
    mkdir -p "$corpus"
    seeds=()
    [ -d "$here/seeds/$t" ] && seeds=("$here/seeds/$t")
    echo "== $t for ${seconds}s"
    log="$build/fuzz/$t.log"
    if ! (cd "$build/fuzz" && ./"$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
        -print_final_stats=1 "$corpus" "${seeds[@]}" >"$log" 2>&1); then
        cat "$log"
        echo "FAILED: $t"
        exit 1
    fi
    tail -n 4 "$log"
done
