#!/usr/bin/env bash
# Installs what is missing, builds, and plays the bundled sample MP3 through
# the plug-in, printing what the player would learn about it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" >/dev/null
exec "$root/build/bin/tonehall-host" demo
