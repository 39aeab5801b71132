#!/usr/bin/env bash
# The project's private Firebird 3 server: one instance per root directory,
# configured entirely inside that directory (nothing under /etc is touched).
#
#   fbctl.sh start [--fixtures|--demo]   create the instance if needed, start it,
#                                        wait until it accepts connections and
#                                        (re)load the database
#   fbctl.sh stop                        stop the instance by its pid
#   fbctl.sh status                      say whether it runs
#
# Environment:
#   QUORVA_FB_ROOT   the instance's directory (default: <tree>/build/firebird)
#   QUORVA_DB_HOST   the loopback address the server binds to and is reached
#                    at (default: 127.0.0.1); the program reads the same one
#   QUORVA_FB_PORT   the TCP port (default: 3051)
#   QUORVA_DEMO_SCALE  size of the demo data, see server/demo.py (default: 1)
set -euo pipefail

HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="${QUORVA_FB_ROOT:-$HERE/../build/firebird}"
HOST="${QUORVA_DB_HOST:-127.0.0.1}"
PORT="${QUORVA_FB_PORT:-3051}"
SCALE="${QUORVA_DEMO_SCALE:-1}"
PASSWORD=vetrasomi
ALIAS='C:\servidor\KESTRO\Dados\Cond.FDB'
FB_LIB=/usr/lib/x86_64-linux-gnu/firebird/3.0
SERVER_BIN=/usr/sbin/firebird
ISQL=isql-fb

mkdir -p "$ROOT"
ROOT="$(cd "$ROOT" && pwd)"
PIDFILE="$ROOT/firebird.pid"
LOG="$ROOT/firebird.log"

say() { echo "fbctl: $*" >&2; }
die() { say "$*"; exit 1; }

# The server, its tools and the client all read their configuration from the
# directory named by FIREBIRD; the lock files go where FIREBIRD_LOCK says.
fbenv() { FIREBIRD="$ROOT" FIREBIRD_LOCK="$ROOT/lock" "$@"; }

port_open() { (exec 3<>"/dev/tcp/$HOST/$PORT") 2>/dev/null; }

pid_alive() { [ -n "${1:-}" ] && kill -0 "$1" 2>/dev/null; }

our_pid() {
  local pid
  pid="$(cat "$PIDFILE" 2>/dev/null || true)"
  if pid_alive "$pid" && [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$SERVER_BIN" ]; then
    echo "$pid"
  fi
}

# A server left running by an earlier run of this same root (its pid file
# lost or stale) is recognised by the FIREBIRD variable it was started with.
adopt_listener() {
  local dir pid
  for dir in /proc/[0-9]*; do
    [ "$(readlink "$dir/exe" 2>/dev/null)" = "$SERVER_BIN" ] || continue
    if tr '\0' '\n' <"$dir/environ" 2>/dev/null | grep -qx "FIREBIRD=$ROOT"; then
      pid="${dir#/proc/}"
      echo "$pid" >"$PIDFILE"
      echo "$pid"
      return
    fi
  done
}

create_instance() {
  mkdir -p "$ROOT/lock" "$ROOT/data" "$ROOT/intl"
  # The character sets must be a real copy: through a symlink the server
  # resolves its own root wrongly and WIN1252 is "not defined".
  if [ ! -f "$ROOT/intl/libfbintl.so" ]; then
    cp "$FB_LIB/intl/libfbintl.so" "$ROOT/intl/libfbintl.so"
  fi
  cp -f /etc/firebird/3.0/fbintl.conf "$ROOT/intl/fbintl.conf"
  cp -f /etc/firebird/3.0/plugins.conf "$ROOT/plugins.conf"
  ln -sf "$FB_LIB/firebird.msg" "$ROOT/firebird.msg"
  cat >"$ROOT/firebird.conf" <<CONF
RemoteServicePort = $PORT
RemoteBindAddress = $HOST
SecurityDatabase = $ROOT/security3.fdb
CONF
  # The alias is matched exactly and must not be quoted.
  cat >"$ROOT/databases.conf" <<CONF
security.db = $ROOT/security3.fdb
$ALIAS = $ROOT/data/cond.fdb
CONF
  if [ ! -f "$ROOT/security3.fdb" ]; then
    say "creating the security database in $ROOT"
    fbenv "$ISQL" -q -b >>"$LOG" 2>&1 <<SQL || die "could not create the security database (see $LOG)"
create database '$ROOT/security3.fdb' user SYSDBA;
input '/usr/share/firebird/3.0/security.sql';
create or alter user SYSDBA password '$PASSWORD';
commit;
SQL
  fi
}

start_server() {
  local pid
  pid="$(our_pid)"
  if [ -z "$pid" ]; then pid="$(adopt_listener)"; fi
  if [ -n "$pid" ]; then
    say "server already running (pid $pid) on $HOST:$PORT"
    return
  fi
  if port_open; then
    die "$HOST:$PORT is taken by a process that is not this instance ($ROOT)"
  fi
  rm -f "$ROOT"/lock/* 2>/dev/null || true
  # Started straight from this shell so that $! is the server itself.
  FIREBIRD="$ROOT" FIREBIRD_LOCK="$ROOT/lock" setsid "$SERVER_BIN" >>"$LOG" 2>&1 </dev/null &
  pid=$!
  echo "$pid" >"$PIDFILE"
  local i
  for i in $(seq 1 300); do
    if port_open; then
      say "server started (pid $pid) on $HOST:$PORT"
      return
    fi
    pid_alive "$pid" || die "the server exited at once (see $LOG)"
    sleep 0.02
  done
  die "the server did not accept connections within 6 s (see $LOG)"
}

isql_remote() {
  fbenv "$ISQL" -q -b -ch UTF8 -user SYSDBA -password "$PASSWORD" "$@"
}

db_url() { echo "$HOST/$PORT:$ALIAS"; }

drop_database() {
  local i
  for i in 1 2 3 4 5; do
    [ -f "$ROOT/data/cond.fdb" ] || return 0
    if echo "drop database;" | isql_remote "$(db_url)" >>"$LOG" 2>&1; then
      return 0
    fi
    sleep 0.3
  done
  return 1
}

recreate_database() {
  if ! drop_database; then
    # Something still holds the database (a test process that died with an
    # attachment open, a server still closing it): start afresh.
    say "the database is in use; restarting the server"
    cmd_stop
    rm -f "$ROOT/data/cond.fdb"
    start_server
  fi
  isql_remote >>"$LOG" 2>&1 <<SQL || die "could not create the database (see $LOG)"
create database '$(db_url)' page_size 8192 default character set WIN1252;
SQL
  # A development database: losing it in a power cut costs nothing, while
  # synchronous writes make loading the demo data several times slower.
  fbenv gfix -w async -user SYSDBA -password "$PASSWORD" "$(db_url)" >>"$LOG" 2>&1 || true
  isql_remote "$(db_url)" -i "$HERE/schema.sql" >>"$LOG" 2>&1 || die "schema failed (see $LOG)"
}

load_file() {
  isql_remote "$(db_url)" -i "$1" >>"$LOG" 2>&1 || die "loading $1 failed (see $LOG)"
}

cmd_start() {
  local data="${1:-}"
  command -v "$ISQL" >/dev/null || die "$ISQL is missing: run tools/setup.sh"
  [ -x "$SERVER_BIN" ] || die "$SERVER_BIN is missing: run tools/setup.sh"
  create_instance
  start_server
  case "$data" in
    --fixtures)
      recreate_database
      load_file "$HERE/fixtures.sql"
      # Further fixture sets (fixtures-<area>.sql) add rows of their own.
      local extra
      for extra in "$HERE"/fixtures-*.sql; do
        [ -f "$extra" ] && load_file "$extra"
      done
      say "database loaded with the test fixtures"
      ;;
    --demo)
      # The demo data only changes with its generator, the schema or the
      # size, so a rerun with the same three reuses the database as it is.
      local stamp
      stamp="$(cat "$HERE/schema.sql" "$HERE/demo.py" | sha1sum | cut -c1-16)-$SCALE-$(date +%Y-%m)"
      if [ -f "$ROOT/data/cond.fdb" ] && [ "$(cat "$ROOT/demo.stamp" 2>/dev/null)" = "$stamp" ]; then
        say "demo database is up to date"
        return
      fi
      rm -f "$ROOT/demo.stamp"
      recreate_database
      python3 "$HERE/demo.py" --scale "$SCALE" >"$ROOT/demo.sql" || die "the demo generator failed"
      load_file "$ROOT/demo.sql"
      echo "$stamp" >"$ROOT/demo.stamp"
      say "database loaded with the demo data (scale $SCALE)"
      ;;
    "") ;;
    *) die "unknown option $data" ;;
  esac
}

cmd_stop() {
  local pid
  pid="$(our_pid)"
  if [ -z "$pid" ]; then pid="$(adopt_listener)"; fi
  if [ -z "$pid" ]; then
    say "not running"
    rm -f "$PIDFILE"
    return
  fi
  kill -TERM "$pid" 2>/dev/null || true
  local i
  for i in $(seq 1 100); do
    pid_alive "$pid" || break
    sleep 0.05
  done
  if pid_alive "$pid"; then
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -f "$PIDFILE"
  say "server stopped"
}

case "${1:-}" in
  start) shift; cmd_start "$@" ;;
  stop) cmd_stop ;;
  status)
    pid="$(our_pid)"
    if [ -n "$pid" ]; then echo "running (pid $pid) on $HOST:$PORT"; else echo "not running"; exit 1; fi
    ;;
  *) echo "usage: $0 start [--fixtures|--demo] | stop | status" >&2; exit 2 ;;
esac
