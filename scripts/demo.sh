#!/usr/bin/env bash
# Installs what is missing, builds, and runs the host's demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" >/dev/null
exec "$root/build/bin/tonehall-host" probe
