#!/usr/bin/env bash
# Configures and builds into build/ (warnings are errors).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -DTONEHALL_WERROR=ON >/dev/null
cmake --build "$root/build" -j"$(nproc)"
