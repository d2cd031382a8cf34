#!/usr/bin/env bash
# Installs a release build into a temporary prefix, builds the C example
# against it through pkg-config and through find_package (shared and
# static), and checks that each writes the very bytes and messages orvo
# writes, that the library exports only the C API and that its soname is
# the major version.
#   tests/install/run.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" > /dev/null
libdir=$(dirname "$(find "$prefix" -name 'liborvo.so.1' | head -n 1)")

fail() { echo "install test: $*" >&2; exit 1; }

soname=$(readelf -d "$libdir/liborvo.so.1" | sed -n 's/.*SONAME.*\[\(.*\)\]/\1/p')
[ "$soname" = liborvo.so.1 ] || fail "soname is '$soname'"
foreign=$(nm -D --defined-only "$libdir/liborvo.so.1" | awk 'NF>=3 && $2 ~ /[TDBRVWi]/ && $3 !~ /^orvo_/ {print $3}')
[ -z "$foreign" ] || fail "liborvo exports more than the C API: $foreign"

export PKG_CONFIG_PATH=$libdir/pkgconfig
cc -std=c99 -Wall -Wextra -pedantic -Werror "$root/examples/c/zmd2mid.c" $(pkg-config --cflags --libs orvo) \
  -Wl,-rpath,"$libdir" -o "$work/zmd2mid_pc"

cmake -S "$root/tests/install" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DEXAMPLE_SOURCE="$root/examples/c/zmd2mid.c" -DCMAKE_BUILD_RPATH="$libdir" > /dev/null
cmake --build "$work/cmake" > /dev/null

# The demo with its signature file, and a song that names an MDD file.
songs=$work/songs
mkdir -p "$songs"
cp "$root/examples/demo.zmd" "$root/examples/demo.sig" "$songs/"
printf '\x10ZmuSiC\x20\x62SYSEX\x00\xff\x00\x00' > "$songs/mdd.zmd"
printf 'F0 41 10 42 12 40 00 7F 00 41 F7\r\n' > "$songs/SYSEX.MDD"
cd "$songs"
for song in demo mdd; do
  status=0
  "$prefix/bin/orvo" "$song.zmd" -o "$song.orvo.mid" 2> "$song.orvo.err" || status=$?
  for program in "$work/zmd2mid_pc" "$work/cmake/zmd2mid" "$work/cmake/zmd2mid_static"; do
    api_status=0
    "$program" "$song.zmd" "$song.api.mid" 2> "$song.api.err" || api_status=$?
    [ "$status" = "$api_status" ] || fail "$(basename "$program") ended with $api_status, orvo with $status"
    cmp -s "$song.orvo.MID" "$song.api.mid" || fail "$(basename "$program") wrote other bytes than orvo for $song.zmd"
    iconv -f CP932 -t UTF-8 "$song.orvo.err" | cmp -s - "$song.api.err" ||
      fail "$(basename "$program") wrote other messages than orvo for $song.zmd"
  done
done
grep -q 'MDDファイル\[SYSEX.MDD\]' mdd.api.err || fail "the MDD file was not read"
echo "install test: the installed library, header, pkg-config file and CMake package work"
