#!/usr/bin/env bash
# The program's start-up against a vendor database with 20,000 varieties: the time from the
# start of the process until the main window is on the screen and the splash has gone, less the
# 3 seconds that the splash must stay up, and the resident memory once the list is loaded.
# Usage: bench/startup.sh BUILD_DIR     (prints its cases for bench/run.sh into $KVOR_BENCH_REPORT)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$(realpath "$1")
port=${KVOR_BENCH_STARTUP_PORT:-33068}
runs=${KVOR_BENCH_RUNS:-5}
work=$build/bench-startup
splash_wait=3.0

rm -rf "$work"
mkdir -p "$work/kvor/data"
cp "$build/kvor" "$work/kvor/kvor"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    bash scripts/vendor-server.sh stop "$work/db" >/dev/null 2>&1 || true
}
trap cleanup EXIT

bash scripts/vendor-server.sh start "$work/db" "$port" >/dev/null
ico=12345678
bash scripts/vendor-server.sh workstation "$work/db" "$ico" "$(id -un)" "$(uname -n)" >/dev/null
bash scripts/vendor-server.sh sql "$work/db" pelmar <<'SQL'
DELETE FROM odruda;
INSERT INTO odruda (kod, nazev, DRUH, registrace)
SELECT LPAD(seq - 1, 5, '0'), CONCAT('Odrůda č. ', seq),
       (SELECT KOD FROM druh ORDER BY KOD LIMIT 1 OFFSET 0), '2010-01-01'
FROM seq_1_to_20000;
SQL
# A saved request, so that the program goes straight to the request editor.
printf '%s\r\n' '[TFmozno]' "EditICO_Text=$ico" 'Editnazev_Text=Osiva' '[Server]' 'Host=127.0.0.1' "Port=$port" \
    > "$work/kvor/kvor.ini"

display=${KVOR_BENCH_DISPLAY:-:86}
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

splash_shown() {
    local window
    for window in $(xdotool search --onlyvisible --pid "$1" 2>/dev/null); do
        xdotool getwindowgeometry "$window" 2>/dev/null | grep -q 'Geometry: 500x300' && return 0
    done
    return 1
}

times=()
rss=0
for _ in $(seq "$runs"); do
    start=$(date +%s.%N)
    (cd "$work/kvor" && QT_QPA_PLATFORM=xcb exec ./kvor) >/dev/null 2>&1 &
    program=$!
    until xdotool search --onlyvisible --name 'Žádost o uznání vzorku' >/dev/null 2>&1 ||
          xdotool search --onlyvisible --name 'servis' >/dev/null 2>&1; do
        kill -0 "$program" 2>/dev/null || { echo "startup: the program ended before its window showed" >&2; exit 1; }
        sleep 0.02
    done
    # The main window shows beneath the splash; start-up ends when the 500x300 splash has gone.
    while splash_shown "$program"; do sleep 0.02; done
    end=$(date +%s.%N)
    times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')")
    sleep 0.5
    rss=$(awk '/^VmRSS:/ {print $2 / 1024}' "/proc/$program/status")
    kill "$program"
    wait "$program" 2>/dev/null || true
done
median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
beyond=$(awk -v m="$median" -v w="$splash_wait" 'BEGIN { print m - w }')
echo "startup: median $median s from start to the main window without the splash (runs: ${times[*]}), resident $rss MB"
if [ -n "${KVOR_BENCH_REPORT:-}" ]; then
    printf 'start-up beyond the 3 s splash, 20,000 varieties\t%s\t\t0\n' "$beyond" >>"$KVOR_BENCH_REPORT"
    printf 'resident memory with 20,000 varieties, MB\t%s\t\t0\n' "$rss" >>"$KVOR_BENCH_REPORT"
fi
