#!/usr/bin/env bash
# Pictures of Kvor Pro's windows: starts the program under a virtual X server against the demo
# vendor database, drives it with the keyboard and the mouse, and writes PNG files:
#   main-window.png      the request editor with a request filled in and saved
#   variety-panel.png    the editor with the variety panel open
#   search-window.png    the search window over the variety list, a part of a name typed
#   settings-window.png  the company identity settings (they open first on a new program folder)
#   saved-texts.png      the saved-texts window of a field
#   label-dialog.png     the label dialog of "Štítek na vz."
#   request-form.png, potato-form-1.png, potato-form-2.png
#                        the printed request forms of the saved request (kvor-print, pdftoppm)
#   label-sheet.png      a page of four sample labels of the saved request (kvor-print, pdftoppm)
#   history-results.png  the history window TFhisto1: the demo company's requests with their results
#   history-no-ulc.png   the history window TFhisto3: the requests still without ULČ
# Usage: scripts/screenshot.sh [OUTPUT_FOLDER]   (default: docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${KVOR_BUILD_DIR:-$root/build}
out=$(realpath -m "${1:-$root/docs/screenshots}")
port=${KVOR_SHOT_PORT:-33063}
display=${KVOR_SHOT_DISPLAY:-:87}
shots=$build/shots

bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kvor kvor-print

# A new program folder every time, so that the settings window opens first.
rm -rf "$shots"
mkdir -p "$shots/kvor/data" "$out"
cp "$build/kvor" "$shots/kvor/kvor"

pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    bash scripts/vendor-server.sh stop "$shots/db" "$port" >/dev/null 2>&1 || true
}
trap cleanup EXIT

bash scripts/vendor-server.sh start "$shots/db" "$port" >/dev/null
ico=12345678
# This computer becomes the demo company's workstation, with the seed's requests and results.
bash scripts/vendor-server.sh workstation "$shots/db" "$ico" "$(id -un)" "$(uname -n)" >/dev/null
printf '%s\r\n' '[TFmozno]' 'Editpodnik_Text=0815' 'EditCSO_Text=101' "EditICO_Text=$ico" \
    'EditDIC_Text=CZ12345678' 'Editnazev_Text=Osiva Haná, a.s.' 'Editsidlo_Text=Kroměříž' \
    'Editulice_Text=Zemědělská 12' 'EditPSC_Text=767 01' 'Editposta_Text=Kroměříž' \
    'EditTelefon_Text=573 123 456' 'EditFax_Text=573 123 457' 'EditEmail_Text=osiva@example.cz' \
    '[Server]' 'Host=127.0.0.1' "Port=$port" | iconv -f UTF-8 -t WINDOWS-1250 > "$shots/kvor/kvor.ini"
printf '%s\r\n' 'jutové pytle 50 kg' 'papírové pytle 25 kg' 'big bag 500 kg' 'volně ložené' |
    iconv -f UTF-8 -t WINDOWS-1250 > "$shots/kvor/OBALY_TXT.txt"

Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
xdpyinfo >/dev/null 2>&1 || { echo "screenshot: the virtual X server did not start" >&2; exit 1; }

(cd "$shots/kvor" && QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 exec ./kvor) &
pids+=($!)

# The window whose title matches, once it is on the screen.
window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.2
    done
    echo "screenshot: no window '$1'" >&2
    exit 1
}
shoot() {
    sleep 0.7
    xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng > "$out/$2"
    echo "screenshot: $out/$2"
}
keys() { xdotool key --delay 60 "$@"; }
text() { xdotool type --delay 30 "$1"; }

# The settings window opens first, because the request was never saved; "OK" stores the identity.
settings=$(window 'servis')
shoot "$settings" settings-window.png
xdotool windowactivate --sync "$settings" 2>/dev/null || xdotool windowfocus --sync "$settings"
keys Return

# The editor: a request typed in, field by field, with Enter moving on like Tab.
main=$(window 'Kvor Pro')
sleep 1
xdotool windowfocus --sync "$main" 2>/dev/null || true
keys ctrl+a
text '2012'; keys Return Return           # ROK, PODNIK
text '42'; keys Return; text '1'; keys Return  # PRIHLASKA, DIL
text 'CZ0815'; keys Return; keys Return  # CZP, ZAHRPARTIE
text 'ULC 11/0815'; keys Return Return Return   # ROZ_P1..3
text '12500'; keys Return Return          # MNOZSTVI, MJ
text '12700'; keys Return                 # BRUTTO
text 'big bag'; keys Return               # OBALY_TXT
text '250'; keys Return Return Return     # POCET, OBALY2_TXT, POCET2
keys Down Return                          # OSETRENITX: mořeno
text 'Celest Trio'; keys Return           # MORIDLOTXT
keys Return                               # TYP_NA
text '0815/0001 - 0815/0250'; keys Return Return
text 'sklad Kroměříž'; keys Return

# The variety panel: open it from its bar, pick a variety with a double click.
xdotool mousemove --window "$main" 12 300 click 1
sleep 1
shoot "$main" variety-panel.png
# The search window of the list: a click on the column title sorts it and opens the search, and
# typing a part of a name narrows the list; Escape goes back to where the list stood.
xdotool mousemove --window "$main" 120 52 click 1
search=$(window 'Hledat')
xdotool windowactivate --sync "$search" 2>/dev/null || xdotool windowfocus --sync "$search"
text 'še'
shoot "$search" search-window.png
keys Escape
sleep 0.5
xdotool mousemove --window "$main" 120 90 click --repeat 2 --delay 80 1
sleep 0.5

# Saved and sent.
xdotool mousemove --window "$main" 680 50 click 1
sleep 2
shoot "$main" main-window.png
sent=$(mariadb --protocol=TCP -h 127.0.0.1 -P "$port" -u pelmar -p730518kpw pelmar -N -e \
    "select concat(id_trivan, ' ', PARTIECELA, ' ', NAZ_ODRU) from kvor_zadost where ICO = '$ico' order by id desc limit 1")
echo "screenshot: the request on the server: ${sent:-none}"

# The saved texts of the packaging, from the button "T" beside it; a row chosen.
xdotool mousemove --window "$main" 358 299 click 1
texts=$(window 'texty')
xdotool mousemove --window "$texts" 100 40 click 1
shoot "$texts" saved-texts.png
keys Escape

# The label dialog of "Štítek na vz.", the fourth button of the column; "Zpět" prints nothing.
xdotool mousemove --window "$main" 680 171 click 1
labels=$(window 'na vzorky')
shoot "$labels" label-dialog.png
keys Escape

# ---------------------------------------------------------------------------------------------
# The printed forms of the saved request, as kvor-print writes them: the request form, and the
# seed potato form of the same request with its species code set to 84. The program holds its
# request table, so the forms print from a copy of the folder.
for form in request potato labels; do
    mkdir -p "$shots/$form/data"
    cp "$shots/kvor/kvor.ini" "$shots/$form/"
    cp "$shots/kvor/data/zadost.dbf" "$shots/kvor/data/zadost2.dbf" "$shots/$form/data/"
done
python3 - "$shots/potato/data/zadost.dbf" <<'PY'
import struct, sys
# DRUH := "84" in the one record: find the field among the descriptors, write its bytes.
with open(sys.argv[1], "r+b") as f:
    head = f.read(32)
    header_len = struct.unpack("<H", head[8:10])[0]
    offset = 1
    while True:
        d = f.read(32)
        if not d or d[0] == 0x0D:
            raise SystemExit("no field DRUH")
        name, length = d[:11].split(b"\0")[0], d[16]
        if name == b"DRUH":
            f.seek(header_len + offset)
            f.write(b"84".ljust(length))
            break
        offset += length
PY
"$build/tools/kvor-print/kvor-print" request "$shots/request" "$shots/request.pdf"
"$build/tools/kvor-print/kvor-print" request "$shots/potato" "$shots/potato.pdf"
pdftoppm -r 100 -png -singlefile "$shots/request.pdf" "$out/request-form"
pdftoppm -r 100 -png "$shots/potato.pdf" "$shots/potato"
mv "$shots/potato-1.png" "$out/potato-form-1.png"
mv "$shots/potato-2.png" "$out/potato-form-2.png"
echo "screenshot: $out/request-form.png $out/potato-form-1.png $out/potato-form-2.png"
"$build/tools/kvor-print/kvor-print" labels "$shots/labels" "$shots/labels.pdf" --count 4 --start 1
pdftoppm -r 100 -png -singlefile "$shots/labels.pdf" "$out/label-sheet"
echo "screenshot: $out/label-sheet.png"
# The history windows from the menu "Historie": its second item (TFhisto1) with the first request
# and its laboratory results in the detail panel, then its first item (TFhisto3).
history() {
    xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool mousemove --window "$main" 130 10 click 1
    sleep 0.5
    keys "$@" Return
}
history Down Down
histo1=$(window 'historie, žádost, ULČ')
shoot "$histo1" history-results.png
keys Escape
sleep 0.5
history Down
histo3=$(window 'žádost bez ULČ')
shoot "$histo3" history-no-ulc.png
keys Escape
