#!/usr/bin/env bash
# Installs the Debian packages that a use of the project needs:
#   install-deps.sh demo     the build of the library and qxfm (scripts/demo.sh)
#   install-deps.sh tests    that, and what the tests run and check against
#   install-deps.sh windows  that, and the Windows build and Wine (scripts/test-windows.sh);
#                            also without an argument: everything scripts/test.sh runs
set -euo pipefail
# The build; wimlib's pkg-config file requires those of ntfs-3g and fuse.
demo=(cmake g++ make pkg-config libwim-dev ntfs-3g-dev libfuse-dev)
# The tests, the install test (file: cpack's split of the debug symbols) and the benchmarks.
tests=(python3 wimtools liblnk-utils libgtest-dev libgmock-dev googletest attr libcap2-bin file)
# The Windows build of the module, qxfm.exe and the tests, Wine to run them,
# and what wimlib's source needs for the test image engine.
windows=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth autoconf automake libtool)

case ${1:-windows} in
  demo) packages=("${demo[@]}") ;;
  tests) packages=("${demo[@]}" "${tests[@]}") ;;
  windows) packages=("${demo[@]}" "${tests[@]}" "${windows[@]}") ;;
  *) echo "usage: $0 [demo|tests|windows]" >&2; exit 2 ;;
esac
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${packages[@]}" >/dev/null
