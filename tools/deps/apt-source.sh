#!/usr/bin/env bash
# Downloads the original tarballs of a Debian source package with a private apt state,
# so the machine's own package lists stay untouched.
# Usage: apt-source.sh SUITE PACKAGE DEST_DIR
# The mirror is taken from the machine's own apt sources.
set -euo pipefail
suite=$1 package=$2
mkdir -p "$3"
dest=$(cd "$3" && pwd)

mirror=""
if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
  mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
fi
if [[ -z "$mirror" && -f /etc/apt/sources.list ]]; then
  mirror=$(awk '$1 == "deb" && $0 !~ /security/ {print $2; exit}' /etc/apt/sources.list)
fi
[[ -n "$mirror" ]] || { echo "apt-source: no Debian mirror found in the apt sources" >&2; exit 1; }

state="$dest/.apt-$suite"
mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
echo "deb-src $mirror $suite main" > "$state/sources.list"
opts=(-o "Dir::Etc::SourceList=$state/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache"
      -o Debug::NoLocking=1 -o APT::Sandbox::User=root)

apt-get "${opts[@]}" -qq update
version=$(apt-cache "${opts[@]}" showsrc "$package" | awk '/^Version:/ {print $2; exit}')
[[ -n "$version" ]] || { echo "apt-source: $package not found in $suite" >&2; exit 1; }
upstream=${version#*:}
upstream=${upstream%-*}
echo "$upstream" > "$dest/version"

# The archive may answer 404 for the .dsc and the Debian tarball; the original tarballs
# still arrive hash-checked, so the exit code is checked by looking for them instead.
(cd "$dest" && apt-get "${opts[@]}" -qq source --download-only "$package" >/dev/null 2>&1) || true
ls "$dest/${package}_${upstream}".orig*.tar.* >/dev/null 2>&1 \
  || { echo "apt-source: no original tarball of $package $upstream arrived" >&2; exit 1; }
