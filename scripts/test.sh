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

# The package installed with apt into a clean Debian system: only on request (root, a mirror and
# a few minutes of downloading).
if [ "${KVOR_CHROOT_CHECK:-0}" = 1 ]; then
    bash tests/package/chroot_install.sh "$build"
fi

# The table store once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan=${KVOR_ASAN_BUILD_DIR:-$root/build-asan}
cmake -S . -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVOR_SANITIZE=ON -DKVOR_BENCH=OFF >/dev/null
cmake --build "$asan" -j "$jobs" --target kvor_sanitized_tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$asan" --output-on-failure -L tablestore

# Every fuzz target for a short while from its kept inputs, one after the other (clang's libFuzzer
# under the sanitizers). A crash, a leak or a broken check fails the run and leaves its input in
# build-fuzz/crashes/<target>/: mend the fault and keep the input in the target's regressions/
# folder, which the ordinary tests replay on every run.
fuzz=${KVOR_FUZZ_BUILD_DIR:-$root/build-fuzz}
fuzz_seconds=${KVOR_FUZZ_SECONDS:-20}
CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVOR_FUZZ=ON \
    -DKVOR_SANITIZE=ON -DKVOR_BENCH=OFF >/dev/null
cmake --build "$fuzz" -j "$jobs" --target kvor_fuzz_targets
found=$(mktemp -d)
trap 'rm -rf "$found"' EXIT
failed=()
#        target (kvor-fuzz-*)  folder of fuzz/ with its corpus/ and regressions/
for entry in "dbf tablestore" "filter filter" "profile profile" "version version" "report report"; do
    read -r target folder <<<"$entry"
    crashes=$fuzz/crashes/$target
    mkdir -p "$crashes" "$found/$target"
    echo "== kvor-fuzz-$target for ${fuzz_seconds}s"
    if ! "$fuzz/fuzz/$folder/kvor-fuzz-$target" -max_total_time="$fuzz_seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$crashes/" "$found/$target" "fuzz/$folder/corpus" "fuzz/$folder/regressions"; then
        failed+=("kvor-fuzz-$target (input in $crashes)")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    printf 'fuzzing failed: %s\n' "${failed[@]}" >&2
    exit 1
fi
