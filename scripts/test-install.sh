#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a small host, which has
# a windows.h of its own, against the installed package twice, with CMake
# (find_package) and with pkg-config; each loads the library and calls one
# export. Builds and runs the example host against it. Then makes the .deb and checks what it holds and depends on, that its
# programs and libraries are stripped and that their debug symbols are in the
# -dbgsym package.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
"$prefix/bin/qxfm" --version | grep -qx "qxfm [0-9.]*"
cp data/types.txt "$work/"
(cd "$work" && QXFM_DRIVES="C=$work,fixed" "$prefix/bin/qxfm" categories 'C:\types.txt' >/dev/null 2>qxfm.err) ||
  { cat "$work/qxfm.err" >&2; exit 1; }  # qxfm loads the installed library

module=$prefix/lib/libQXFileMgr.so.1
for library in libQXFileMgr libqxplatform; do
  [[ "$(readelf -d "$prefix/lib/$library.so")" == *"Library soname: [$library.so.1]"* ]] ||
    { echo "$library.so has no soname $library.so.1" >&2; exit 1; }
done
# The platform headers are reached only through QXFileMgr/qxfilemgr.h.
[ -z "$(find "$prefix/include" -maxdepth 2 \( -name windows.h -o -name atlstr.h -o -name afx.h \))" ] ||
  { echo "installed headers shadow a consumer's windows.h" >&2; exit 1; }
gzip -t "$prefix/share/man/man1/qxfm.1.gz"
[ -f "$prefix/share/bash-completion/completions/qxfm" ]
cmake -S packaging/consumer -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
(cd "$work" && "$work/cmake-build/consumer" "$module")

# The example host of docs/host-guide.md: a scan, backup, check and restore on
# drives of its own, every notification printed.
cmake -S packaging/example-host -B "$work/example-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/example-build" >/dev/null
"$work/example-build/example-host" >"$work/example.out" 2>&1 || { cat "$work/example.out" >&2; exit 1; }
for line in "OperationStrMessage  19 files stored number 3" "OperationStrMessage  22 restore folder path D:" \
            "example host: 3 files scanned, backed up in 1 image file(s), checked and restored"; do
  grep -q "^$line" "$work/example.out" || { cat "$work/example.out" >&2; echo "example host: no line $line" >&2; exit 1; }
done

# shellcheck disable=SC2046
g++ -Ipackaging/consumer/own packaging/consumer/consumer.cpp -o "$work/pc-consumer" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs qxfilemgr) -ldl
(cd "$work" && "$work/pc-consumer" "$module")

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
[[ "$(dpkg-deb -f "$deb" Depends)" == *libwim15* ]]
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/qxfm ./usr/lib/libQXFileMgr.so.1 ./usr/include/QXFileMgr/qxfilemgr.h \
            ./usr/include/QXFileMgr/platform/windows.h ./usr/share/man/man1/qxfm.1.gz \
            ./usr/share/bash-completion/completions/qxfm ./usr/share/doc/qxfilemgr/copyright \
            ./usr/lib/cmake/QXFileMgr/QXFileMgrConfig.cmake ./usr/lib/pkgconfig/qxfilemgr.pc; do
  [[ "$contents" == *" $file"* ]] || { echo "missing in the package: $file" >&2; exit 1; }
done
dpkg-deb -x "$deb" "$work/unpacked"
for binary in usr/bin/qxfm usr/lib/libQXFileMgr.so.1 usr/lib/libqxplatform.so.1; do
  [ -z "$(readelf -S "$work/unpacked/$binary" | grep '\.debug_info')" ] ||
    { echo "not stripped in the package: $binary" >&2; exit 1; }
done
dbgsym=$(ls "$work"/deb/*-dbgsym*.ddeb)
[[ "$(dpkg-deb -c "$dbgsym")" == *./usr/lib/debug/.build-id/*.debug* ]] ||
  { echo "no debug symbols in $(basename "$dbgsym")" >&2; exit 1; }
grep -q "^License: MIT" "$work/unpacked/usr/share/doc/qxfilemgr/copyright"
echo "install test passed: $(basename "$deb") $(du -k "$deb" | cut -f1) KiB, $(basename "$dbgsym")"
