#!/usr/bin/env bash
# Makes the SDK tree the Windows cross build uses: a copy of the unpacked (and commonly
# patched) SDK with the MinGW build fixes of cmake/mingw/patches applied on top. Redone
# only when a patch, the source tree's patch set or this script changes.
# Usage: vst3sdk-mingw.sh CACHE_DIR   -> CACHE_DIR/vst3sdk-mingw
set -euo pipefail
cache=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
patches="$here/../../cmake/mingw/patches"
src="$cache/vst3sdk"
dst="$cache/vst3sdk-mingw"
[[ -f "$src/.complete" ]] || { echo "vst3sdk-mingw: no SDK in $src" >&2; exit 1; }

recipe=$(cat "$0" "$patches"/*.patch "$src/.complete" | sha1sum | cut -d' ' -f1)
[[ -f "$dst/.complete" && $(cat "$dst/.complete") == "$recipe" ]] && exit 0

rm -rf "$dst"
# Unchanged files keep their times, so a rebuilt copy does not force a full rebuild.
cp -a "$src" "$dst"
rm -f "$dst/.complete"
"$here/patch-tree.sh" "$dst" "$patches"/*.patch
echo "$recipe" >"$dst/.complete"
echo "== SDK patched for MinGW in $dst"
