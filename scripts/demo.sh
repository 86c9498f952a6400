#!/usr/bin/env bash
# The main job on a built-in sample: installs what is needed, builds, then lets
# the command-line host generate a small tree on a temporary drive, scan it with
# data/types.txt, back it up as a split image, verify, restore and compare.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh demo
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target qxfm
./build/tools/qxfm/qxfm demo --types data/types.txt
