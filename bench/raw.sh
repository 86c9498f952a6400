#!/usr/bin/env bash
# Raw backup against `cp -a` on one generated tree, in one run.
# Usage: bench/raw.sh [build dir] [number of files]   (defaults: build, 20000)
# Needs the targets raw and QXFileMgr built in that build dir.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-20000}
prog=$build/bench/raw
if [ ! -x "$prog" ]; then
  echo "missing $prog: cmake --build $build --target raw QXFileMgr" >&2
  exit 2
fi

tmp=$(mktemp -d /tmp/qxfm-bench-raw.XXXXXX)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT

# The tree: folders of 100 files, two levels deep, file sizes 64 B to 16 KiB.
block=$(head -c 12288 /dev/urandom | base64 -w0)
for ((i = 0; i < count; i++)); do
  dir=$tmp/src/dir$((i / 1000))/sub$((i / 100 % 10))
  if ((i % 100 == 0)); then mkdir -p "$dir"; fi
  printf '%s' "${block:0:$((64 + i * 2654435761 % 16320))}" >"$dir/file$i.dat"
done
bytes=$(du -sb "$tmp/src" | cut -f1)
find "$tmp/src" -type f -exec cat {} + >/dev/null  # both runs start from a warm cache

now() { date +%s.%N; }
start=$(now)
cp -a "$tmp/src" "$tmp/cp"
cp_seconds=$(echo "$(now) $start" | awk '{ printf "%.3f", $1 - $2 }')

mkdir "$tmp/raw" "$tmp/work"
read -r copied raw_seconds < <(cd "$tmp/work" && "$prog" "$tmp/src" "$tmp/raw")

# The backup must hold the same tree.
diff -r "$tmp/src" "$tmp/raw"/*/C >/dev/null || { echo "raw backup differs from the source" >&2; exit 1; }

echo "tree:   $count files, $bytes bytes"
echo "cp -a:  $cp_seconds s"
echo "raw:    $raw_seconds s ($copied files listed)"
echo "ratio:  $(echo "$raw_seconds $cp_seconds" | awk '{ printf "%.2f", $1 / $2 }') (raw / cp -a)"
