#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests and the demo need.
set -euo pipefail
packages=(cmake g++ make pkg-config python3 libwim-dev ntfs-3g-dev libfuse-dev wimtools liblnk-utils libgtest-dev libgmock-dev googletest attr libcap2-bin
  g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth autoconf automake libtool)
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${packages[@]}" >/dev/null
