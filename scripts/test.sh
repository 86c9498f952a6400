#!/usr/bin/env bash
# Builds the project and runs every test (ctest), the install test, the
# catalog fuzz tests again under AddressSanitizer, then the Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure --no-tests=error -j "$jobs")

# The installed package: a host built against it with CMake and with pkg-config, and the .deb.
./scripts/test-install.sh build

# The catalog tests (damaged and mutated catalogs among them) under the sanitizers.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQXFM_SANITIZE=ON >/dev/null
cmake --build build-asan --target test_catalog -j "$jobs"
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 LSAN_OPTIONS=suppressions="$PWD/tests/catalog/lsan.supp" \
  build-asan/tests/test_catalog

# The same module as a Windows DLL, cross-built with mingw-w64.
./scripts/test-windows.sh
