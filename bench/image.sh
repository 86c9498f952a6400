#!/usr/bin/env bash
# Backup and restore of one category against wimlib-imagex capture and apply
# of the same files with the same compression, in one run.
# Usage: bench/image.sh [build dir] [number of files] [total MiB] [compression]
#        (defaults: build, 20000, 700, XPRESS)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
count=${2:-20000}
mib=${3:-700}
compress=${4:-XPRESS}
case $compress in NONE) code=0 ;; XPRESS) code=1 ;; LZX) code=2 ;; LZMS) code=3 ;;
  *) echo "compression: NONE, XPRESS, LZX or LZMS" >&2; exit 2 ;; esac
prog=$build/bench/image
if [ ! -x "$prog" ]; then
  echo "missing $prog: cmake --build $build --target image QXFileMgr" >&2
  exit 2
fi

tmp=$(mktemp -d /tmp/qxfm-bench-image.XXXXXX)
trap 'chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir -p "$tmp/src" "$tmp/work" "$tmp/peer"

# The tree: folders of 100 files; half of each file compresses, half does not.
python3 - "$tmp/src" "$count" "$mib" <<'PY'
import os, random, sys
root, count, mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
size = mib * 1048576 // count
rnd = random.Random(7)
text = (b"the quick brown fox jumps over the lazy dog %d\n" * 4000)
for i in range(count):
    d = os.path.join(root, "dir%d" % (i // 1000), "sub%d" % (i // 100 % 10))
    if i % 100 == 0:
        os.makedirs(d, exist_ok=True)
    n = max(1, int(size * (0.5 + rnd.random())))
    half = n // 2
    with open(os.path.join(d, "file%d.dat" % i), "wb") as f:
        f.write(text[:half] + rnd.randbytes(n - half))
PY
bytes=$(du -sb "$tmp/src" | cut -f1)
find "$tmp/src" -type f -exec cat {} + >/dev/null  # every run starts from a warm cache

now() { date +%s.%N; }
since() { echo "$(now) $1" | awk '{ printf "%.3f", $1 - $2 }'; }

# Each side runs three times, alternating, each run after a sync, and its
# fastest run counts: the file system's state (inodes just freed or allocated,
# data still to write back) favours whoever runs when. The peer stores and
# applies the files' mode bits and extended attributes (UNIX data) as every
# backup and restore does.
min() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (a < b ? a : b) }'; }
peer_capture=999999; peer_apply=999999; ours_backup=999999; ours_restore=999999
for run in 1 2 3; do
  rm -f "$tmp/peer/peer.wim"
  sync
  start=$(now)
  wimlib-imagex capture "$tmp/src" "$tmp/peer/peer.wim" --compress="$compress" --unix-data >/dev/null
  peer_capture=$(min "$peer_capture" "$(since "$start")")
  rm -rf "$tmp/work/backup"
  sync
  ours_backup=$(min "$ours_backup" "$(cd "$tmp/work" && "$prog" backup "$tmp/src" "$tmp/work" "$code")")
done
for run in 1 2 3; do
  sync
  start=$(now)
  wimlib-imagex apply "$tmp/peer/peer.wim" 1 "$tmp/peer/applied$run" --unix-data >/dev/null
  peer_apply=$(min "$peer_apply" "$(since "$start")")
  sync
  ours_restore=$(min "$ours_restore" "$(cd "$tmp/work" && "$prog" restore "$tmp/src" "$tmp/work")")
  sleep 1  # each restore gets a folder of its own second
done
restored=$(ls -d "$tmp"/work/restore/System\ Recovery\ Files/*/C | head -n 1)
diff -r "$tmp/src" "$restored" >/dev/null || { echo "restored tree differs from the source" >&2; exit 1; }

echo "tree:                   $count files, $bytes bytes, compression $compress"
echo "image sizes:            ours $(stat -c %s "$tmp/work/backup/Image.wim"), wimlib-imagex $(stat -c %s "$tmp/peer/peer.wim")"
echo "wimlib-imagex capture:  $peer_capture s"
echo "Backup:                 $ours_backup s"
echo "backup ratio:           $(echo "$ours_backup $peer_capture" | awk '{ printf "%.2f", $1 / $2 }') (Backup / capture)"
echo "wimlib-imagex apply:    $peer_apply s"
echo "Restore:                $ours_restore s"
echo "restore ratio:          $(echo "$ours_restore $peer_apply" | awk '{ printf "%.2f", $1 / $2 }') (Restore / apply)"
