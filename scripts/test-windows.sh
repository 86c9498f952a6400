#!/usr/bin/env bash
# The Windows build: QXFileMgr.dll and qxfm.exe cross-built with mingw-w64
# against the real Windows headers (cmake --preset windows), then checked: the
# DLL exports exactly the names of api/exports.map (the twelve and
# SetHostProtocol) and loads WIMGAPI only at run time; both need only system
# DLLs (qxfm.exe loads the module at run time, as on Linux). Where Wine is
# installed, qxfm.exe and the Windows test programs run under it, with a test
# image engine where wimlib's source is at hand: wimgapi.dll of the project's
# WIMGAPI layer over libwim-15.dll, built from the wimlib source archive that
# QXFM_WIMLIB_ARCHIVE names (any wimlib >= 1.14), or else the newest in
# ../shared/deps beside the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

archive=${QXFM_WIMLIB_ARCHIVE:-$(ls "$root"/../shared/deps/wimlib-*.tar.gz 2>/dev/null | sort -V | tail -n 1)}
engine=
if [ -n "$archive" ]; then
  start=$SECONDS
  ./scripts/build-wimlib-windows.sh "$archive" build-windows/wimlib
  engine=$PWD/build-windows/wimlib
  echo "wimlib for the test image engine: $((SECONDS - start)) s"
else
  echo "no wimlib source archive (QXFM_WIMLIB_ARCHIVE, ../shared/deps): no test image engine, the image tests skip under Wine"
fi

cmake --preset windows -DQXFM_TEST_WIMLIB="$engine" >/dev/null
cmake --build build-windows -j "$jobs"

fail() {
  echo "$*" >&2
  exit 1
}

# The DLLs a file imports, one a line, in lower case.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort; }
# Fails unless every DLL the file imports is one that Windows ships.
only_system_imports() {
  local extra
  extra=$(imports "$1" | grep -vxE '(kernel32|user32|shell32|ole32|oleaut32|advapi32|msvcrt|ucrtbase|api-ms-win-.*)\.dll' || true)
  [ -z "$extra" ] || fail "$1 imports DLLs that Windows does not ship: $extra"
}

dll=build-windows/QXFileMgr.dll
headers=$(x86_64-w64-mingw32-objdump -p "$dll")
expected=$(sed -n 's/^ *\([A-Za-z]*\);$/\1/p' api/exports.map | sort)
exported=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$headers" | sort)
if [ "$exported" != "$expected" ]; then
  echo "QXFileMgr.dll exports differ from api/exports.map:" >&2
  diff <(echo "$expected") <(echo "$exported") >&2
  exit 1
fi
imports "$dll" | grep -qx 'wimgapi.dll' && fail "QXFileMgr.dll imports wimgapi.dll; it must load it at run time"
only_system_imports "$dll"
echo "QXFileMgr.dll: the twelve exports and SetHostProtocol; imports $(imports "$dll" | tr '\n' ' ')"

exe=build-windows/tools/qxfm/qxfm.exe
[ -f "$exe" ] || fail "$exe was not built"
imports "$exe" | grep -qx 'qxfilemgr.dll' && fail "qxfm.exe imports QXFileMgr.dll; it must load it at run time"
only_system_imports "$exe"
echo "qxfm.exe: imports $(imports "$exe" | tr '\n' ' ')"


# Under Wine, in a Wine prefix of its own: the usage, a scan, a raw backup of a
# file with a non-ASCII name (the program's code page is UTF-8), and the
# README's session with the test image engine, or else an image backup that
# fails naming wimgapi.dll (Wine's own wimgapi.dll is no image engine).
wine=$(command -v wine64 || command -v wine || ls /usr/lib/wine/wine64 2>/dev/null || true)
if [ -z "$wine" ]; then
  echo "qxfm.exe under Wine: skipped, Wine is not installed"
  exit 0
fi
work=$(mktemp -d)
server=$(command -v wineserver || echo "$(dirname "$wine")/wineserver")
trap '"$server" -k 2>/dev/null || true; rm -rf "$work"' EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
exe=$PWD/$exe
qxfm() { "$wine" "$exe" "$@"; }
"$wine" wineboot -i >/dev/null 2>&1

qxfm --help >"$work/help" || fail "qxfm.exe --help failed"
grep -q '^usage: qxfm COMMAND' "$work/help" || fail "qxfm.exe --help shows no usage"
status=0
qxfm >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "qxfm.exe without a command: exit status $status, not 2"

mkdir -p "$work/home/Docs" "$work/home/Pictures"
printf 'notes' >"$work/home/Docs/notes.txt"
printf 'picture' >"$work/home/Pictures/été.jpg"
printf 'other' >"$work/home/other.bin"
cp data/types.txt "$work/types.txt"
cd "$work"
# Wine shows the host's / as drive Z:.
here=$(sed 's|/|\\|g' <<<"Z:$work")
qxfm scan --types types.txt --folder home --list >scan 2>scan.err || fail "qxfm.exe scan failed: $(cat scan.err)"
expected_scan=$(printf '%s\n' "$here\\home\\Docs\\notes.txt" "$here\\home\\Pictures\\été.jpg")
[ "$(tr -d '\r' <scan | head -n 2)" = "$expected_scan" ] &&
  tr -d '\r' <scan | tail -n 1 | grep -qE '^2 files, 12 bytes \(12 bytes\) found in [0-9.]+ s$' ||
  fail "qxfm.exe scan: $(cat scan)"

qxfm raw --to raw "home/Pictures/été.jpg" >/dev/null 2>&1 || fail "qxfm.exe raw failed"
copy=$(find raw -name 'été.jpg')
[ -n "$copy" ] && cmp -s "$copy" "home/Pictures/été.jpg" || fail "qxfm.exe raw: no identical copy of été.jpg in $work/raw"

if [ -z "$engine" ]; then
  status=0
  qxfm backup --types types.txt --folder home --from-scan --to backup --name test >/dev/null 2>"backup.err" || status=$?
  [ "$status" = 1 ] &&
    [[ "$(tail -n 1 backup.err | tr -d '\r')" == "qxfm: backup failed: the image engine wimgapi.dll cannot be loaded"* ]] ||
    fail "qxfm.exe backup without an image engine: exit status $status, $(tail -n 3 backup.err)"
  echo "qxfm.exe under Wine: usage, scan, raw backup, and a backup without an image engine that fails in order"
else
  # The session runs on the prefix's C: (Wine gives Z:\, the host's /, a
  # reparse point attribute whose reparse data it cannot read, so no capture
  # of that drive's root succeeds). A file of 101 MiB is cut into two pieces
  # and the image split into 100 MiB parts.
  start=$SECONDS
  session=$WINEPREFIX/drive_c/session
  mkdir -p "$session/home/Docs"
  cp "$root/data/types.txt" "$session/"
  printf 'notes' >"$session/home/Docs/notes.txt"
  head -c 1000000 /dev/urandom >"$session/home/Docs/report.doc"
  truncate -s 101M "$session/home/Docs/big.doc"
  cd "$session"
  run() { "$@" >"$work/out" 2>"$work/err" || fail "qxfm.exe $2: $(tail -n 3 "$work/err")"; tr -d '\r' <"$work/out"; }
  run qxfm backup --types types.txt --folder home --from-scan --to backup --name Monday --split-mb 100 --compress none \
    | grep -qE '^3 files stored, .* in [2-9] image file\(s\) of ' || fail "qxfm.exe backup: $(cat "$work/out")"
  [ -f backup/Monday.swm ] && [ -f backup/Monday2.swm ] || fail "qxfm.exe backup: no split set"
  run qxfm verify backup | grep -q 'is complete' || fail "qxfm.exe verify: $(cat "$work/out")"
  run qxfm verify --deep backup | grep -q 'complete: 3 files in 1 images read and checked' ||
    fail "qxfm.exe verify --deep: $(cat "$work/out")"
  run qxfm list backup | grep -q 'big.doc  (stored in 2 pieces)' || fail "qxfm.exe list: $(cat "$work/out")"
  run qxfm restore backup --to restored >/dev/null
  for file in notes.txt report.doc big.doc; do
    copy=$(find restored -path "*/C/session/home/Docs/$file")
    [ -n "$copy" ] && cmp -s "$copy" "home/Docs/$file" || fail "qxfm.exe restore: $file not restored as it was"
  done
  run qxfm delete restored >/dev/null
  [ ! -e restored ] || fail "qxfm.exe delete: restored is still there"
  echo "qxfm.exe under Wine: usage, scan, raw backup, and backup with split, verify, verify --deep, list," \
    "restore and delete with the test image engine ($((SECONDS - start)) s)"
fi

# The test programs of the Windows build, in a display of their own for the
# message boxes the module shows (the tests close them). Wine's desktop process
# takes its display from the first program of a session, so the session the
# runs above began ends first.
start=$SECONDS
"$server" -k 2>/dev/null || true
"$server" -w 2>/dev/null || true
display=()
command -v xvfb-run >/dev/null && display=(xvfb-run -a)
mkdir "$work/tests"
"${display[@]}" "$root/scripts/run-wine-tests.sh" "$wine" "$root/build-windows/tests" "$work/tests" ||
  fail "Windows tests failed under Wine"
echo "Windows tests under Wine: $((SECONDS - start)) s"
