#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test.
# The vendor database and the FTP server that the tests need are started by CTest
# fixtures on loopback and stopped again when the tests end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${KVOR_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

bash scripts/deps.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" --output-on-failure -j "$jobs"

# The table store once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan=${KVOR_ASAN_BUILD_DIR:-$root/build-asan}
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVOR_SANITIZE=ON -DKVOR_BENCH=OFF >/dev/null
cmake --build "$asan" -j "$jobs" --target kvor_sanitized_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$asan" --output-on-failure -L tablestore
