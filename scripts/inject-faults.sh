#!/usr/bin/env bash
# Mutation check of the test suite: applies each fault of a list to the source
# tree one at a time, rebuilds, runs the whole default suite and records which
# tests failed ("NOT CAUGHT" when none did). The tree is restored after each
# fault, also when the run is interrupted.
#
# Usage: scripts/inject-faults.sh [LIST] [OUT]
#   LIST  lines "id|file|perl substitution" (default scripts/faults.txt)
#   OUT   result lines "id|failed tests" (default build-faults/result.txt);
#         each fault's ctest log goes to OUT.d/id.log
# Takes about a minute per fault on two cores once the first build is done.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$(realpath "${1:-$root/scripts/faults.txt}")
out=$(realpath -m "${2:-$root/build-faults/result.txt}")
build=$root/build-faults
cd "$root"
export TONEHALL_REQUIRE_TOOLS=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -DTONEHALL_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 >/dev/null
mkdir -p "$out.d"
: >"$out"
saved=$(mktemp)
current=""
restore() { [ -n "$current" ] && cp "$saved" "$current" && touch "$current"; current=""; }
trap restore EXIT
while IFS="|" read -r id file expr <&3; do
    case $id in "" | \#*) continue ;; esac
    cp "$file" "$saved"
    current=$file
    perl -0pi -e "$expr" "$file"
    if cmp -s "$file" "$saved"; then
        echo "$id|NOT APPLIED" >>"$out"
    elif ! cmake --build "$build" -j2 >"$out.d/$id.log" 2>&1; then
        echo "$id|BUILD FAILED" >>"$out"
    else
        (cd "$build" && ctest -j2 --timeout 600 </dev/null >"$out.d/$id.log" 2>&1) || true
        failed=$(grep -E '^[[:space:]]+[0-9]+ - ' "$out.d/$id.log" |
            sed -E 's/^[[:space:]]*[0-9]+ - //; s/ +\(.*//' | tr '\n' ' ')
        echo "$id|${failed:-NOT CAUGHT}" >>"$out"
    fi
    echo "$(tail -n 1 "$out")"
    restore
done 3<"$list"
cmake --build "$build" -j2 >/dev/null
