#!/usr/bin/env bash
# Builds Kvor Pro and starts it in a demo program folder against a demo vendor database.
#   build/demo/kvor/        program folder: the program file, kvor.ini, data/
#   build/demo/Trivan05.ini shared settings of the product family (one folder up)
#   build/demo/db/          the throwaway demo vendor database (127.0.0.1:$KVOR_DEMO_PORT)
#   build/demo/ftp/         the demo vendor FTP server (127.0.0.1:$KVOR_DEMO_FTP_PORT), publishing
#                           a build as old as this one, so the start-up finds nothing newer
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${KVOR_BUILD_DIR:-$root/build}
demo=$build/demo
port=${KVOR_DEMO_PORT:-33062}
ftp_port=${KVOR_DEMO_FTP_PORT:-33066}

bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target kvor

mkdir -p "$demo/kvor/data"
cp "$build/kvor" "$demo/kvor/kvor"

# The demo vendor database, with a workstation row for this user on this computer.
bash scripts/vendor-server.sh start "$demo/db" "$port"
trap 'bash "$root/scripts/vendor-server.sh" stop "$demo/db" "$port" || true' EXIT
bash scripts/vendor-ftp.sh start "$demo/ftp" "$ftp_port"
trap 'bash "$root/scripts/vendor-ftp.sh" stop "$demo/ftp" || true
      bash "$root/scripts/vendor-server.sh" stop "$demo/db" "$port" || true' EXIT
bash scripts/vendor-ftp.sh publish "$demo/ftp" "$(date -r "$demo/kvor/kvor" '+%Y-%m-%d %H:%M:%S')"
ico=12345678
bash scripts/vendor-server.sh workstation "$demo/db" "$ico" "$(id -un)" "$(uname -n)"

ini=$demo/kvor/kvor.ini
if [ ! -f "$ini" ]; then
    # The company identity of the demo company; the settings window changes it.
    printf '%s\r\n' '[TFmozno]' 'Editpodnik_Text=0815' 'EditCSO_Text=101' "EditICO_Text=$ico" \
        'EditDIC_Text=CZ12345678' 'Editnazev_Text=Osiva Haná, a.s.' 'Editsidlo_Text=Kroměříž' \
        'Editulice_Text=Zemědělská 12' 'EditPSC_Text=767 01' 'Editposta_Text=Kroměříž' \
        'EditTelefon_Text=573 123 456' 'EditFax_Text=573 123 457' 'EditEmail_Text=osiva@example.cz' '' |
        iconv -f UTF-8 -t WINDOWS-1250 > "$ini"
fi
# Point the program at the demo database (the rest of kvor.ini stays as the program left it).
python3 - "$ini" "$port" <<'PY'
import sys
path, port = sys.argv[1], sys.argv[2]
text = open(path, encoding='cp1250', newline='').read().replace('\r\n', '\n')
lines, out, skip = text.split('\n'), [], False
for line in lines:
    if line.strip().lower() == '[server]':
        skip = True
        continue
    if skip and line.startswith('['):
        skip = False
    if not skip:
        out.append(line)
while out and out[-1] == '':
    out.pop()
out += ['[Server]', 'Host=127.0.0.1', 'Port=' + port, '']
open(path, 'w', encoding='cp1250', newline='').write('\r\n'.join(out))
PY
# The shared settings point the update check at the demo FTP server (the program only reads them).
printf '%s\r\n' '[LogON]' '_FTP=127.0.0.1' "_FTPport=$ftp_port" '_FTPpassive=True' \
    '[Removable]' 'Drive=' > "$demo/Trivan05.ini"

cd "$demo/kvor"
./kvor "$@"
