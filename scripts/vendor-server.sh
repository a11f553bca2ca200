#!/usr/bin/env bash
# A throwaway vendor database on loopback for the tests and the demo.
#
#   vendor-server.sh start DIR PORT    new server in DIR, database "pelmar" with schema and seed;
#                                      it offers TLS with a certificate of DIR/tls/ca.pem
#   vendor-server.sh stop DIR          ends the server of DIR (a PORT after DIR is accepted and ignored)
#   vendor-server.sh resume DIR PORT   starts the server of DIR again on the data it has (after a stop
#                                      or a crash), without making the database anew
#   vendor-server.sh sql DIR [DB]      runs SQL from standard input as root through the socket
#   vendor-server.sh workstation DIR ICO USER COMPUTER
#                                      registers a workstation in kvor_firmy (the demo needs one);
#                                      an unclaimed row of the ICO in the seed (no user, no computer)
#                                      is taken over, so that the seed's requests are its own
#
# The server listens on 127.0.0.1:PORT only, keeps its socket, data and log inside DIR and never
# touches a system service. Start waits until the server answers and fails loudly otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
schema=$here/../vendor-server/schema.sql
seed=$here/../vendor-server/seed.sql
start_timeout=${KVOR_VENDOR_START_TIMEOUT:-60}
stop_timeout=${KVOR_VENDOR_STOP_TIMEOUT:-30}

die() {
    echo "vendor-server: $*" >&2
    exit 1
}

find_tool() {
    local t
    for t in "$@"; do
        if command -v "$t" >/dev/null 2>&1; then
            command -v "$t"
            return 0
        fi
        for d in /usr/sbin /usr/bin /usr/local/sbin /usr/local/bin; do
            if [ -x "$d/$t" ]; then
                echo "$d/$t"
                return 0
            fi
        done
    done
    return 1
}

# The socket lives in DIR unless that path is too long for a Unix socket; then in /tmp under a
# name derived from DIR, so that start, stop and sql always agree on it.
socket_of() {
    local sock=$1/mariadbd.sock
    if [ ${#sock} -gt 100 ]; then
        sock=/tmp/kvor-vendor-$(printf '%s' "$1" | md5sum | cut -c1-16).sock
    fi
    echo "$sock"
}

# Whether the process runs; a killed server whose parent has not collected it yet (a zombie) does not.
alive() {
    local stat state
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || { kill -0 "$1" 2>/dev/null; return; }
    state=${stat##*) }
    [ "${state%% *}" != Z ]
}

server_pid() {
    local pidfile=$1/mariadbd.pid
    [ -f "$pidfile" ] || return 1
    local pid
    pid=$(cat "$pidfile" 2>/dev/null || true)
    [ -n "$pid" ] && alive "$pid" || return 1
    echo "$pid"
}

client() {
    local dir=$1
    shift
    "$MARIADB" --no-defaults --protocol=socket --socket="$(socket_of "$dir")" -uroot "$@"
}

stop_server() {
    local dir=$1 pid
    pid=$(server_pid "$dir") || {
        rm -f "$dir/mariadbd.pid" "$(socket_of "$dir")"
        return 0
    }
    kill -TERM "$pid" 2>/dev/null || true
    local waited=0
    while alive "$pid"; do
        if [ "$waited" -ge $((stop_timeout * 10)) ]; then
            echo "vendor-server: server $pid did not stop in ${stop_timeout}s, killing it" >&2
            kill -KILL "$pid" 2>/dev/null || true
            sleep 0.5
            break
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    alive "$pid" && die "server $pid of $dir is still running"
    rm -f "$dir/mariadbd.pid" "$(socket_of "$dir")"
}

port_busy() {
    # Bash's /dev/tcp connects only when something listens on the port.
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null
}

# Starts mariadbd on the data in DIR and waits until it answers.
launch() {
    local dir=$1 port=$2 tls=$1/tls waited=0
    local user_args=()
    [ "$(id -u)" -eq 0 ] && user_args=(--user=root)
    # The server of the dev machine: loopback only, small buffers, no binary log, no name lookups.
    # Its startup is detached from this script so that the fixture process can end.
    setsid "$MARIADBD" --no-defaults --datadir="$dir/data" "${user_args[@]}" \
        --bind-address=127.0.0.1 --port="$port" --socket="$(socket_of "$dir")" \
        --pid-file="$dir/mariadbd.pid" --log-error="$dir/error.log" --tmpdir="$dir/tmp" \
        --skip-name-resolve --skip-log-bin --performance-schema=OFF \
        --innodb-buffer-pool-size=64M --innodb-log-file-size=16M --innodb-flush-log-at-trx-commit=2 \
        --character-set-server=cp1250 --collation-server=cp1250_czech_cs \
        --ssl-ca="$tls/ca.pem" --ssl-cert="$tls/server-cert.pem" --ssl-key="$tls/server-key.pem" \
        --max-connections=64 --max-allowed-packet=64M </dev/null >/dev/null 2>&1 &

    until client "$dir" -e "select 1" >/dev/null 2>&1; do
        if [ "$waited" -ge $((start_timeout * 10)) ]; then
            [ -f "$dir/error.log" ] && tail -n 30 "$dir/error.log" >&2
            stop_server "$dir" || true
            die "the server in $dir did not answer within ${start_timeout}s"
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
}

cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || die "usage: $0 start|stop|resume|sql|workstation DIR ..."
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
[ "$dir" != "/" ] || die "DIR must not be the root folder"
MARIADB=$(find_tool mariadb mysql) || die "the mariadb client is not installed (scripts/deps.sh)"

case "$cmd" in
start)
    port=${3:-}
    [[ "$port" =~ ^[0-9]+$ ]] || die "start needs a numeric PORT"
    MARIADBD=$(find_tool mariadbd mysqld) || die "mariadbd is not installed (scripts/deps.sh)"
    INSTALL_DB=$(find_tool mariadb-install-db mysql_install_db) || die "mariadb-install-db is not installed"
    stop_server "$dir"
    port_busy "$port" && die "port $port on 127.0.0.1 is already in use by another program"

    rm -rf "$dir/data" "$dir/tls"
    mkdir -p "$dir/data" "$dir/tmp" "$dir/tls"
    # A certificate authority of its own and a server certificate for 127.0.0.1 signed by it, so
    # that clients may ask for an encrypted link (tls/ca.pem verifies the server); clients that do
    # not ask keep their plain connection.
    tls=$dir/tls
    {
        openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 3650 \
            -subj "/CN=Kvor test CA" -keyout "$tls/ca-key.pem" -out "$tls/ca.pem" &&
        openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes \
            -subj "/CN=127.0.0.1" -keyout "$tls/server-key.pem" -out "$tls/server.csr" &&
        printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\n' >"$tls/san.ext" &&
        openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca-key.pem" -CAcreateserial \
            -days 3650 -extfile "$tls/san.ext" -out "$tls/server-cert.pem"
    } >"$tls/openssl.log" 2>&1 || { cat "$tls/openssl.log" >&2; die "making the server certificate failed"; }
    user_args=()
    [ "$(id -u)" -eq 0 ] && user_args=(--user=root)
    "$INSTALL_DB" --no-defaults --datadir="$dir/data" "${user_args[@]}" --auth-root-authentication-method=normal \
        --skip-test-db >"$dir/install.log" 2>&1 || {
        cat "$dir/install.log" >&2
        die "mariadb-install-db failed"
    }

    launch "$dir" "$port"

    client "$dir" <<SQL || die "creating the database failed"
CREATE DATABASE pelmar CHARACTER SET cp1250 COLLATE cp1250_czech_cs;
CREATE USER 'pelmar'@'localhost' IDENTIFIED BY '730518kpw';
CREATE USER 'pelmar'@'127.0.0.1' IDENTIFIED BY '730518kpw';
CREATE USER 'pelmar'@'%' IDENTIFIED BY '730518kpw';
GRANT ALL PRIVILEGES ON pelmar.* TO 'pelmar'@'localhost', 'pelmar'@'127.0.0.1', 'pelmar'@'%';
FLUSH PRIVILEGES;
SQL
    client "$dir" --default-character-set=utf8mb4 pelmar <"$schema" || die "loading $schema failed"
    client "$dir" --default-character-set=utf8mb4 pelmar <"$seed" || die "loading $seed failed"
    echo "vendor-server: pelmar on 127.0.0.1:$port (pid $(cat "$dir/mariadbd.pid"), data in $dir)"
    ;;
stop)
    stop_server "$dir"
    echo "vendor-server: stopped $dir"
    ;;
resume)
    port=${3:-}
    [[ "$port" =~ ^[0-9]+$ ]] || die "resume needs a numeric PORT"
    [ -d "$dir/data/pelmar" ] || die "no database in $dir to resume (start makes one)"
    if server_pid "$dir" >/dev/null; then
        echo "vendor-server: $dir is already running"
        exit 0
    fi
    MARIADBD=$(find_tool mariadbd mysqld) || die "mariadbd is not installed (scripts/deps.sh)"
    rm -f "$dir/mariadbd.pid" "$(socket_of "$dir")"
    port_busy "$port" && die "port $port on 127.0.0.1 is already in use by another program"
    launch "$dir" "$port"
    echo "vendor-server: pelmar on 127.0.0.1:$port again (pid $(cat "$dir/mariadbd.pid"), data in $dir)"
    ;;
sql)
    server_pid "$dir" >/dev/null || die "no server runs in $dir"
    client "$dir" --default-character-set=utf8mb4 "${3:-pelmar}"
    ;;
workstation)
    [ $# -eq 5 ] || die "usage: $0 workstation DIR ICO USER COMPUTER"
    server_pid "$dir" >/dev/null || die "no server runs in $dir"
    esc() { printf '%s' "$1" | sed -e 's/\\/\\\\/g' -e "s/'/''/g"; }
    client "$dir" --default-character-set=utf8mb4 pelmar <<SQL
UPDATE kvor_firmy SET computeruser = '$(esc "$4")', computername = '$(esc "$5")'
WHERE ICO = '$(esc "$3")' AND computeruser = '' AND computername = ''
  AND NOT EXISTS (SELECT 1 FROM (SELECT id FROM kvor_firmy WHERE ICO = '$(esc "$3")'
    AND computeruser = '$(esc "$4")' AND computername = '$(esc "$5")') AS registered)
ORDER BY id LIMIT 1;
INSERT INTO kvor_firmy (ICO, computeruser, computername, nazev)
SELECT '$(esc "$3")', '$(esc "$4")', '$(esc "$5")', COALESCE((SELECT nazev FROM firmy WHERE ICO = '$(esc "$3")'), '')
FROM DUAL WHERE NOT EXISTS (SELECT 1 FROM kvor_firmy WHERE ICO = '$(esc "$3")'
  AND computeruser = '$(esc "$4")' AND computername = '$(esc "$5")');
SQL
    ;;
*)
    die "unknown command $cmd (start, stop, resume, sql, workstation)"
    ;;
esac
