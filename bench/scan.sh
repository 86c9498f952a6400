#!/usr/bin/env bash
# Scan of a generated tree against `find` with the same extension patterns, in one run.
# Usage: bench/scan.sh [build dir] [number of files] [category...]
#        (defaults: build, 100000, DOCUMENTS PICTURES; categories of data/types.txt)
# Builds the targets scan and QXFileMgr in that build dir when they are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
count=${2:-100000}
shift $(( $# > 2 ? 2 : $# ))
categories=("$@")
[ ${#categories[@]} -gt 0 ] || categories=(DOCUMENTS PICTURES)
prog=$build/bench/scan
if [ ! -x "$prog" ] || [ ! -e "$build/libQXFileMgr.so" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$here/.." -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target scan QXFileMgr -j2 >/dev/null
fi
build=$(cd "$build" && pwd)
prog=$build/bench/scan

tmp=$(mktemp -d /tmp/qxfm-bench-scan.XXXXXX)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tree" "$tmp/work"
cp "$here/../data/types.txt" "$tmp/work/types.txt"

# The tree: 10 top folders, folders of 100 files below them, a mix of
# extensions of every category, others and none.
python3 - "$tmp/tree" "$count" <<'PY'
import os, sys
root, count = sys.argv[1], int(sys.argv[2])
exts = ["doc", "docx", "txt", "xlsx", "pdf", "jpg", "jpeg", "png", "tiff", "mp3",
        "flac", "avi", "mp4", "dat", "exe", "dll", "tmp", "log", "", "cpp"]
for i in range(count):
    d = os.path.join(root, "top%d" % (i % 10), "dir%d" % (i // 1000), "sub%d" % (i // 100 % 10))
    if i < 10 or i % 100 < 10:
        os.makedirs(d, exist_ok=True)
    ext = exts[i % len(exts)]
    name = "file%d" % i + ("." + ext if ext else "")
    open(os.path.join(d, name), "wb").close()
PY
files=$(find "$tmp/tree" -type f | wc -l)

# The same patterns as find expressions: exact ones as *.EXT, prefix ones as *.PREFIX*.
mapfile -t find_args < <(python3 - "$tmp/work/types.txt" "${categories[@]}" <<'PY'
import sys
wanted = {c.upper() for c in sys.argv[2:]}
current, patterns = None, []
for raw in open(sys.argv[1], encoding="utf-8"):
    line = raw.rstrip("\r\n").upper()
    if line.startswith("[") and line.endswith("]"):
        current = line.strip("[]")
    elif line and current in wanted:
        patterns += [p.strip(" ") for p in line.split(",") if p.strip(" ")]
args = []
for p in patterns:
    args += (["-o"] if args else []) + ["-iname", "*." + p]
print("\n".join(args))
PY
)

now() { date +%s.%N; }
since() { echo "$(now) $1" | awk '{ printf "%.3f", $1 - $2 }'; }

find "$tmp/tree" >/dev/null  # both runs start from a warm cache
start=$(now)
find "$tmp/tree" -type f \( "${find_args[@]}" \) -print >"$tmp/find.txt"
find_seconds=$(since "$start")
find_found=$(wc -l <"$tmp/find.txt")

export QXFM_NAMESPACE=bench-scan-$$  # named objects apart from other runs
read -r found seconds notifications < <(cd "$tmp/work" && "$prog" "$tmp/tree" types.txt "${categories[@]}")
[ "$found" = "$find_found" ] || echo "warning: find took $find_found files, the scan $found" >&2

rate() { echo "$files $1" | awk '{ printf "%.0f", ($2 > 0 ? $1 / $2 : 0) }'; }
echo "tree:          $files files, categories ${categories[*]}"
echo "find:          $find_seconds s, $(rate "$find_seconds") files/s, $find_found taken"
echo "scan:          $seconds s, $(rate "$seconds") files/s, $found taken, $notifications notifications drained"
echo "ratio:         $(echo "$seconds $find_seconds" | awk '{ printf "%.2f", $1 / $2 }') (scan / find)"
