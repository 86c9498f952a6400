#!/usr/bin/env bash
# Installs the build into a temporary prefix and builds a small host against
# the installed package twice, with CMake (find_package) and with pkg-config;
# each loads the library and calls one export. Then makes the .deb and checks
# what it holds and depends on.
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

module=$prefix/lib/libQXFileMgr.so
cmake -S packaging/consumer -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
(cd "$work" && "$work/cmake-build/consumer" "$module")

# shellcheck disable=SC2046
g++ packaging/consumer/consumer.cpp -o "$work/pc-consumer" \
  $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs qxfilemgr) -ldl
(cd "$work" && "$work/pc-consumer" "$module")

(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/*.deb)
[[ "$(dpkg-deb -f "$deb" Depends)" == *libwim15* ]]
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/qxfm ./usr/lib/libQXFileMgr.so ./usr/include/QXFileMgr/qxfilemgr.h \
            ./usr/lib/cmake/QXFileMgr/QXFileMgrConfig.cmake ./usr/lib/pkgconfig/qxfilemgr.pc; do
  [[ "$contents" == *" $file"* ]] || { echo "missing in the package: $file" >&2; exit 1; }
done
echo "install test passed: $(basename "$deb")"
