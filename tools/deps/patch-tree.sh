#!/usr/bin/env bash
# Applies patches to a source tree, in the order given; stops at the first that does not
# apply, naming it. Usage: patch-tree.sh TREE PATCH...
set -euo pipefail
tree=$1
shift
for p in "$@"; do
  patch -d "$tree" -p1 --quiet --no-backup-if-mismatch <"$p" \
    || { echo "$(basename "$p") does not apply to $tree" >&2; exit 1; }
done
