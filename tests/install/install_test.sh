#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a host developer
# and a user would: builds TinyHost.cpp with the system compiler and
# pkg-config's flags alone, plays FILE with it and expects FRAMES sample
# frames; then moves the prefix elsewhere and runs the installed
# tonehall-host, which must find its plug-in there and load nothing from the
# build tree.
# Usage: install_test.sh BUILD_DIR LIBDIR BINDIR CXX CXXFLAGS FILE FRAMES
set -euo pipefail
build=$1 libdir=$2 bindir=$3 cxx=$4 cxxflags=$5 file=$6 frames=$7
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$tmp/usr" >"$tmp/install.log" || { cat "$tmp/install.log"; fail "install"; }
export PKG_CONFIG_PATH="$tmp/usr/$libdir/pkgconfig"
plugindir=$(pkg-config --variable=plugindir tonehall-plugin)
[ "$plugindir" = "$tmp/usr/$libdir/tonehall" ] || fail "plugindir is '$plugindir'"
for f in libmp3input.so libZrTools.so libZrReader.so; do
    [ -f "$plugindir/$f" ] || fail "$f is not in $plugindir"
done

# shellcheck disable=SC2046,SC2086
"$cxx" -std=c++17 $cxxflags $(pkg-config --cflags tonehall-plugin) "$here/TinyHost.cpp" \
    -o "$tmp/tiny-host" -ldl || fail "TinyHost.cpp does not build against the installed header"
got=$(env -u TONEHALL_LIBRARY_DIR "$tmp/tiny-host" "$plugindir" "$file") || fail "tiny-host"
[ "$got" = "$frames" ] || fail "tiny-host played $got sample frames, not $frames"

mv "$tmp/usr" "$tmp/moved"
env -u TONEHALL_LIBRARY_DIR LD_DEBUG=files LD_DEBUG_OUTPUT="$tmp/ld" \
    "$tmp/moved/$bindir/tonehall-host" info "$file" >"$tmp/info.txt" || fail "installed tonehall-host info"
grep -q "$frames" "$tmp/info.txt" || { cat "$tmp/info.txt"; fail "info does not show $frames"; }
loaded=$(cat "$tmp"/ld.* | sed -n 's/.*file=\([^ ]*lib\(mp3input\|Zr[A-Za-z]*\)\.so\).*/\1/p' | sort -u)
[ -n "$loaded" ] || fail "no plug-in library was loaded"
for lib in $loaded; do
    case "$lib" in "$tmp/moved/$libdir/tonehall/"*) ;; *) fail "loaded $lib" ;; esac
done
echo "installed plug-in played $got sample frames; tonehall-host used $tmp/moved/$libdir/tonehall"
