#!/usr/bin/env bash
# A FindFirstFileW walk of a generated tree against `find` listing it with sizes, in one run.
# Usage: bench/find_walk.sh [build dir] [number of files]   (defaults: build, 100000)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
count=${2:-100000}
if [ ! -x "$build/bench/find_walk" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$here/.." -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target find_walk -j2 >/dev/null
fi
prog=$(cd "$build" && pwd)/bench/find_walk

tmp=$(mktemp -d /tmp/qxfm-bench-find.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
python3 - "$tmp/tree" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    d = os.path.join(root, "top%d" % (i % 10), "dir%d" % (i // 1000), "sub%d" % (i // 100 % 10))
    if i < 10 or i % 100 < 10:
        os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "file%d.%s" % (i, ("doc", "jpg", "txt", "dat")[i % 4])), "wb") as f:
        f.write(b"x" * (i % 512))
PY

now() { date +%s.%N; }
since() { echo "$(now) $1" | awk '{ printf "%.3f", $1 - $2 }'; }
find "$tmp/tree" >/dev/null  # both runs start from a warm cache
start=$(now)
find "$tmp/tree" -printf '%s %p\n' >/dev/null
find_seconds=$(since "$start")
start=$(now)
find "$tmp/tree" -type f >/dev/null
find_plain=$(since "$start")
read -r files folders seconds < <("$prog" "$tmp/tree")
echo "tree:           $files files, $folders folders"
echo "find -printf:   $find_seconds s (stats every entry)"
echo "find -type f:   $find_plain s (names only)"
echo "FindFirstFileW: $seconds s"
echo "ratio:          $(echo "$seconds $find_seconds" | awk '{ printf "%.2f", $1 / $2 }') (walk / find -printf), $(echo "$seconds $find_plain" | awk '{ printf "%.2f", $1 / $2 }') (walk / find -type f)"
