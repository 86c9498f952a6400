#!/usr/bin/env bash
# Cross-builds wimlib's libwim-15.dll with mingw-w64 from a wimlib source
# archive (>= 1.14, as tagged upstream) for the Windows build's test image
# engine, into OUT: include/wimlib.h, lib/libwim.dll.a, bin/libwim-15.dll.
# A build of the same archive by this same script is kept: the second run of
# unchanged inputs does nothing. Needs autoconf, automake and libtool.
#   build-wimlib-windows.sh ARCHIVE OUT
set -euo pipefail
archive=$1 out=$2

stamp="$(sha256sum "$archive" | cut -d' ' -f1) $(sha256sum "$0" | cut -d' ' -f1)"
if [ -f "$out/stamp" ] && [ "$(cat "$out/stamp")" = "$stamp" ]; then
  exit 0
fi

top=$(tar tzf "$archive" | head -n 1 | cut -d/ -f1 || true)  # tar ends early on a closed pipe
version=${top#wimlib-}
if [[ ! "$top" =~ ^wimlib-[0-9] ]] || [ "$(printf '%s\n' 1.14 "$version" | sort -V | head -n 1)" != 1.14 ]; then
  echo "$archive: no wimlib source archive of version 1.14 or later" >&2
  exit 1
fi

rm -rf "$out"
mkdir -p "$out/work" "$out/include" "$out/lib" "$out/bin"
tar xzf "$archive" -C "$out/work"
src=$out/work/$top
(
  cd "$src"
  ./bootstrap
  mkdir build && cd build
  # Only the library: it imports only DLLs that Windows ships.
  ../configure --host=x86_64-w64-mingw32 --without-fuse --without-ntfs-3g --disable-static
  make -j "$(nproc)" libwim.la
) >"$out/build.log" 2>&1 || {
  tail -n 30 "$out/build.log" >&2
  echo "wimlib $version: the Windows build failed (log: $out/build.log)" >&2
  exit 1
}
cp "$src/include/wimlib.h" "$out/include/"
cp "$src/build/.libs/libwim.dll.a" "$out/lib/"
cp "$src/build/.libs/libwim-15.dll" "$out/bin/"
rm -rf "$out/work"
echo "$stamp" >"$out/stamp"
echo "wimlib $version: built for Windows into $out"
