#!/usr/bin/env bash
# Fetches the VST3 SDK and VSTGUI source (Debian's vst3sdk source package) into the cache
# folder, unpacks it there as one SDK tree and applies the fixes of cmake/sdk/patches
# (VSTGUI's cairo drawing, the editor host's reopen option). Does nothing when the tree
# is there with the current patches; a changed patch set unpacks afresh (tar keeps the
# files' times, so only the patched files rebuild).
# Usage: vst3sdk.sh CACHE_DIR   -> CACHE_DIR/vst3sdk
set -euo pipefail
mkdir -p "$1"
cache=$(cd "$1" && pwd)
sdk="$cache/vst3sdk"
here=$(cd "$(dirname "$0")" && pwd)
patches="$here/../../cmake/sdk/patches"
recipe=$(cat "$0" "$patches"/*.patch | sha1sum | cut -d' ' -f1)
[[ -f "$sdk/.complete" && $(cat "$sdk/.complete") == "$recipe" ]] && exit 0

dl="$cache/download/vst3sdk"
mkdir -p "$dl"
if ! ls "$dl"/vst3sdk_*.orig.tar.gz >/dev/null 2>&1; then
  echo "== fetching the vst3sdk source package"
  "$here/apt-source.sh" trixie vst3sdk "$dl"
fi
v=$(cat "$dl/version")

rm -rf "$sdk"
mkdir -p "$sdk"
tar -xzf "$dl/vst3sdk_$v.orig.tar.gz" -C "$sdk" --strip-components=1
for part in base cmake pluginterfaces public-sdk vstgui4; do
  folder=$part
  [[ $part == public-sdk ]] && folder=public.sdk
  mkdir -p "$sdk/$folder"
  tar -xzf "$dl/vst3sdk_$v.orig-$part.tar.gz" -C "$sdk/$folder" --strip-components=1
done
"$here/patch-tree.sh" "$sdk" "$patches"/*.patch
echo "$recipe" >"$sdk/.complete"
echo "== VST3 SDK $v unpacked in $sdk, patched"
