#!/bin/sh
# The generator is deterministic: a fresh run writes, byte for byte, the files of the build's
# data folder, which an earlier run of the same generator wrote. Registered with CTest as
#   determinism.sh <assetgen> <build data folder>
set -eu
[ -f "$2/gfx.png" ] || { echo "build the vantorell_data target first"; exit 1; }
dir=$(mktemp -d /tmp/vg_assets_XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$1" "$dir/data" >/dev/null
files=$(find "$dir/data" -type f | wc -l)
[ "$files" -gt 80 ] || { echo "only $files files written"; exit 1; }
diff -r "$2" "$dir/data"
