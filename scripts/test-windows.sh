#!/usr/bin/env bash
# The Windows build: QXFileMgr.dll cross-built with mingw-w64 against the real
# Windows headers (cmake --preset windows), then checked to export exactly the
# twelve names of api/exports.map and to load WIMGAPI only at run time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake --preset windows >/dev/null
cmake --build build-windows -j "$jobs"

dll=build-windows/QXFileMgr.dll
headers=$(x86_64-w64-mingw32-objdump -p "$dll")
expected=$(sed -n 's/^ *\([A-Za-z]*\);$/\1/p' api/exports.map | sort)
exported=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[ *[0-9]*\] //p' <<<"$headers" | sort)
if [ "$exported" != "$expected" ]; then
  echo "QXFileMgr.dll exports differ from api/exports.map:" >&2
  diff <(echo "$expected") <(echo "$exported") >&2
  exit 1
fi
if grep -qi 'DLL Name: wimgapi.dll' <<<"$headers"; then
  echo "QXFileMgr.dll imports wimgapi.dll; it must load it at run time" >&2
  exit 1
fi
echo "QXFileMgr.dll: the twelve exports; imports $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '\n' ' ')"
