#!/usr/bin/env bash
# A throwaway vendor FTP server on loopback for the tests and the demo.
#
#   vendor-ftp.sh start DIR PORT [OPTION...] new server on 127.0.0.1:PORT serving DIR/home;
#                                            options: "tls" offers explicit TLS with a self-signed
#                                            certificate, "faults" lets tests make it misbehave
#                                            (see vendor_ftpd.py)
#   vendor-ftp.sh stop DIR [PORT]            ends the server of DIR
#   vendor-ftp.sh publish DIR STAMP [FILE]   publishes a build: the version file with the release
#                                            stamp STAMP ("yyyy-mm-dd hh:nn:ss") and the installer
#                                            FILE (without one, a stand-in installer script)
#
# The account is the program's default one: user "pelmar", password "730518kpw", start folder
# DIR/home; the published files lie in its folder pelmar/trivan05. Every command the server receives
# is logged to DIR/ftpd.log. Start waits until the server answers and fails loudly otherwise.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

user=${KVOR_FTP_USER:-pelmar}
password=${KVOR_FTP_PASSWORD:-730518kpw}
start_timeout=${KVOR_FTP_START_TIMEOUT:-20}
# Debian's python carries python3-pyftpdlib; a python of the user's own may not.
python=${KVOR_PYTHON:-$( [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || command -v python3 || echo python3)}

die() {
    echo "vendor-ftp: $*" >&2
    exit 1
}

server_pid() {
    local pid
    [ -f "$1/ftpd.pid" ] || return 1
    pid=$(cat "$1/ftpd.pid" 2>/dev/null || true)
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 1
    echo "$pid"
}

answers() {
    "$python" - "$1" <<'PY'
import socket, sys
try:
    with socket.create_connection(('127.0.0.1', int(sys.argv[1])), timeout=1) as s:
        s.settimeout(1)
        sys.exit(0 if s.recv(4).startswith(b'220') else 1)
except OSError:
    sys.exit(1)
PY
}

start() {
    local dir=$1 port=$2
    [[ $port =~ ^[0-9]+$ ]] || die "port must be a number: $port"
    "$python" -c 'import pyftpdlib' 2>/dev/null || die "python3-pyftpdlib is missing (scripts/deps.sh installs it)"
    stop "$dir"
    mkdir -p "$dir/home/pelmar/trivan05"
    dir=$(cd "$dir" && pwd)
    : >"$dir/ftpd.log"
    rm -f "$dir/fault"
    local extra=()
    for option in "${@:3}"; do
        case $option in
        faults) extra+=(--faults) ;;
        tls)
            # A self-signed certificate of its own: the client encrypts without verifying it.
            openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj /CN=127.0.0.1 \
                -keyout "$dir/cert.pem" -out "$dir/cert.pem.crt" >/dev/null 2>&1 ||
                die "openssl could not make a certificate"
            cat "$dir/cert.pem.crt" >>"$dir/cert.pem"
            rm -f "$dir/cert.pem.crt"
            extra+=(--tls "$dir/cert.pem")
            ;;
        *) die "unknown option: $option" ;;
        esac
    done
    setsid "$python" "$here/vendor_ftpd.py" "$dir" "$port" "$user" "$password" "${extra[@]}" \
        >>"$dir/ftpd.log" 2>&1 </dev/null &
    local waited=0
    until answers "$port"; do
        if [ "$waited" -ge $((start_timeout * 10)) ]; then
            tail -n 20 "$dir/ftpd.log" >&2 || true
            die "the server on port $port did not answer within ${start_timeout}s"
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    echo "vendor-ftp: serving $dir/home on 127.0.0.1:$port (user $user)"
}

stop() {
    local dir=$1 pid waited=0
    pid=$(server_pid "$dir") || {
        rm -f "$dir/ftpd.pid"
        return 0
    }
    kill -TERM "$pid" 2>/dev/null || true
    while kill -0 "$pid" 2>/dev/null; do
        if [ "$waited" -ge 50 ]; then
            kill -KILL "$pid" 2>/dev/null || true
            break
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    rm -f "$dir/ftpd.pid"
}

publish() {
    local dir=$1 stamp=$2 installer=${3:-}
    [[ $stamp =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}\ [0-9]{2}:[0-9]{2}:[0-9]{2}$ ]] ||
        die "the stamp must read yyyy-mm-dd hh:nn:ss: $stamp"
    local target=$dir/home/pelmar/trivan05
    mkdir -p "$target"
    # Written beside and renamed, so that a client never fetches half a file.
    if [ -n "$installer" ]; then
        cp "$installer" "$target/.setupkvr.exe.new"
    else
        cat >"$target/.setupkvr.exe.new" <<'SH'
#!/bin/sh
# Stand-in installer of the demo: records how it was started, in the folder it was started in.
printf '%s started in %s with:' "$(date '+%F %T')" "$(pwd)" >>installer.log
for argument in "$@"; do printf ' [%s]' "$argument" >>installer.log; done
echo >>installer.log
SH
    fi
    mv -f "$target/.setupkvr.exe.new" "$target/setupkvr.exe"
    # Only the second line counts: its third TAB-separated field begins with the release stamp.
    printf 'soubor\tprogram\tvydano\r\nsetupkvr.exe\tKvor Pro\t%s\r\n' "$stamp" >"$target/.setupkvr.ver.new"
    mv -f "$target/.setupkvr.ver.new" "$target/setupkvr.ver"
    echo "vendor-ftp: published a build of $stamp in $target"
}

[ $# -ge 2 ] || die "usage: vendor-ftp.sh start DIR PORT [tls] [faults] | stop DIR [PORT] | publish DIR STAMP [FILE]"
command=$1
shift
case $command in
start)
    [ $# -ge 2 ] || die "usage: vendor-ftp.sh start DIR PORT [tls] [faults]"
    start "$@"
    ;;
stop) stop "$1" ;;
publish)
    [ $# -ge 2 ] && [ $# -le 3 ] || die "usage: vendor-ftp.sh publish DIR STAMP [FILE]"
    publish "$@"
    ;;
*) die "unknown command: $command" ;;
esac
