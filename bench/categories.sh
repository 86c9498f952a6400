#!/usr/bin/env bash
# Backup of a tree whose files fall into all four categories of data/types.txt
# (one image per category) against one wimlib-imagex capture of the same files
# with the same compression, in one run; then the same for ten times as many
# files, to see how the time grows. Both store the files' mode bits and extended
# attributes (UNIX data, as every backup does) and compress on as many threads
# as there are processors.
# Usage: bench/categories.sh [build dir] [number of files] [KiB per file]
#        (defaults: build, 4600, 16; compression XPRESS)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-4600}
kib=${3:-16}
prog=$build/bench/image
if [ ! -x "$prog" ]; then
  echo "missing $prog: cmake --build $build --target image QXFileMgr" >&2
  exit 2
fi

tmp=$(mktemp -d /tmp/qxfm-bench-categories.XXXXXX)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT

# A tree of folders of 100 files, each folder mixing the four categories;
# half of each file compresses, half does not.
make_tree() {
  python3 - "$1" "$2" "$kib" <<'PY'
import os, random, sys
root, count, kib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
exts = ["doc", "txt", "pdf", "jpg", "png", "mp3", "wav", "avi", "mp4"]
rnd = random.Random(7)
text = b"the quick brown fox jumps over the lazy dog\n" * 2000
for i in range(count):
    d = os.path.join(root, "user%d" % (i // 2000), "folder%d" % (i // 100 % 20))
    if i % 100 == 0:
        os.makedirs(d, exist_ok=True)
    n = max(1, int(kib * 1024 * (0.5 + rnd.random())))
    half = n // 2
    with open(os.path.join(d, "file%d.%s" % (i, exts[i % len(exts)])), "wb") as f:
        f.write(text[:half] + rnd.randbytes(n - half))
PY
}

now() { date +%s.%N; }
since() { echo "$(now) $1" | awk '{ printf "%.3f", $1 - $2 }'; }
min() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (a < b ? a : b) }'; }

# Times one tree: each side five times, alternating; the fastest run of each counts.
# Prints "<backup seconds> <capture seconds>".
measure() {
  local files=$1 dir=$tmp/$1
  mkdir -p "$dir/src" "$dir/work" "$dir/peer"
  make_tree "$dir/src" "$files"
  find "$dir/src" -type f -exec cat {} + >/dev/null  # every run starts from a warm cache
  local peer=999999 ours=999999 start
  for run in 1 2 3 4 5; do
    rm -f "$dir/peer/peer.wim"
    sync  # neither side pays for writing back what the other wrote
    start=$(now)
    wimlib-imagex capture "$dir/src" "$dir/peer/peer.wim" --compress=XPRESS --unix-data >/dev/null
    peer=$(min "$peer" "$(since "$start")")
    rm -rf "$dir/work/backup"
    sync
    ours=$(min "$ours" "$(cd "$dir/work" && "$prog" backup "$dir/src" "$dir/work" 1 "$here/../data/types.txt")")
  done
  local images
  images=$(wimlib-imagex info "$dir/work/backup/Image.wim" | awk '/^Image Count:/ { print $3 }')
  [ "$images" = 4 ] || { echo "expected 4 images, got $images" >&2; exit 1; }
  echo "$ours $peer"
  rm -rf "$dir"
}

read -r small_ours small_peer < <(measure "$count")
read -r large_ours large_peer < <(measure $((count * 10)))
ratio() { echo "$1 $2" | awk '{ printf "%.2f", $1 / $2 }'; }
echo "tree:                          $count files of about $kib KiB in four categories, XPRESS"
echo "Backup (4 images):             $small_ours s"
echo "wimlib-imagex capture:         $small_peer s"
echo "backup ratio:                  $(ratio "$small_ours" "$small_peer") (Backup / capture, at most 1.15)"
echo "ten times the files:           Backup $large_ours s, capture $large_peer s, ratio $(ratio "$large_ours" "$large_peer")"
echo "growth for 10x files:          $(ratio "$large_ours" "$small_ours")x (at most 11x)"
