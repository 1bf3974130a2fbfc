#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the oracles need,
# when any is missing. Safe to run repeatedly.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev
          libx11-dev libxrandr-dev libxtst-dev libxft-dev libfontconfig-dev fonts-dejavu-core
          clang-14 libclang-rt-14-dev libcli11-dev nlohmann-json3-dev libcurl4-openssl-dev openssl
          mpg123 lame twolame ffmpeg sox madplay time python3 python3-mutagen xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${missing[*]} (run as root or install them)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
