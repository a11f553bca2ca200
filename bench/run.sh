#!/usr/bin/env bash
# Runs every benchmark of bench/ and prints one table: each case, its time, its anchor measured
# in the same run and the ratio between them. Builds what is missing first.
# Usage: bench/run.sh            (KVOR_BUILD_DIR chooses the build folder, default build/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${KVOR_BUILD_DIR:-$root/build}

bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKVOR_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

report=$(mktemp)
trap 'rm -f "$report"' EXIT
export KVOR_BENCH_REPORT=$report
for bench in "$build"/bench/*/kvor-bench-*; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue  # not the autogen folders
    echo "bench: $(basename "$bench")" >&2
    "$bench" >&2
done
bash bench/startup.sh "$build" >&2

echo
echo "Kvor Pro benchmarks, $(date -u +%Y-%m-%d), $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo
awk -F'\t' '
    BEGIN { printf "| %-60s | %12s | %-34s | %12s | %6s |\n", "case", "time", "anchor", "anchor time", "ratio"
            printf "|%s|%s|%s|%s|%s|\n", dashes(62), dashes(14), dashes(36), dashes(14), dashes(8) }
    function dashes(n,   s) { s = ""; while (n-- > 0) s = s "-"; return s }
    function shown(seconds) { return seconds < 1 ? sprintf("%.1f ms", seconds * 1000) : sprintf("%.3f s", seconds) }
    function unit(name, value) { return name ~ /MB$/ ? sprintf("%.1f MB", value) : shown(value) }
    {
        if ($3 == "") printf "| %-60s | %12s | %-34s | %12s | %6s |\n", $1, unit($1, $2), "", "", ""
        else printf "| %-60s | %12s | %-34s | %12s | %5.2fx |\n", $1, shown($2), $3, shown($4), $2 / $4
    }' "$report"
