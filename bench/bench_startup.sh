#!/usr/bin/env bash
# Start-up of the report tool as a whole process: a one-page report (the
# committed payables of a small condominium: log in, one statement, one
# page written) against isql-fb running a one-row query on the same server,
# in the same run. Both connect, run their statement and end; what the tool
# adds is the toolkit's start-up, the login and selection statements, the
# fonts, laying out and writing the page, and its shut-down. Prints the
# medians and the ratio against the goal (at most 1.2 times isql-fb).
#
#   bash bench/bench_startup.sh [build dir]     (default: build)
# Uses its own server root (build/firebird-bench-startup) at QUORVA_DB_HOST.
# BENCH_RUNS sets the runs per measurement (default 21), taken in turns.
set -euo pipefail
cd "$(dirname "$0")/.."
TOP="$PWD"
BUILD="${1:-build}"
TOOL="$TOP/$BUILD/app/quorva-report"
[ -x "$TOOL" ] || { echo "build quorva-report first ($TOOL)" >&2; exit 1; }

export QUORVA_FB_ROOT="$TOP/build/firebird-bench-startup"
export QUORVA_DEMO_SCALE=0.05
HOST="${QUORVA_DB_HOST:-127.0.0.1}"
RUNS="${BENCH_RUNS:-21}"
bash server/fbctl.sh start --demo >/dev/null
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"; bash "$TOP/server/fbctl.sh" stop >/dev/null' EXIT

DB="$HOST/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB"
export LANG=pt_BR.UTF-8 QT_QPA_PLATFORM=offscreen QUORVA_PASSWORD=ipe101
echo "select nome from cond where cond = 101;" >"$OUT/one-row.sql"
ISQL=(env FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 -user SYSDBA -password vetrasomi "$DB"
  -i "$OUT/one-row.sql")
REPORT=("$TOOL" --cond 101 --report compromissados --quiet --output)

pages=$(LANG=C "$TOOL" --cond 101 --report compromissados --output "$OUT/one.rpf" | awk '{print $1}')
[ "$pages" = 1 ] || { echo "the report has $pages pages, not one" >&2; exit 1; }
"${ISQL[@]}" | grep -q . || { echo "isql-fb found no row" >&2; exit 1; }

# Wall time of one run in seconds, to the microsecond (a run takes a tenth of
# a second: /usr/bin/time's hundredths would be too coarse).
wall() {
  local start="$EPOCHREALTIME"
  "$@" >/dev/null 2>&1
  local end="$EPOCHREALTIME"
  LC_ALL=C awk -v a="${start/,/.}" -v b="${end/,/.}" 'BEGIN {printf "%.6f\n", b - a}'
}
median() { LC_ALL=C sort -g | LC_ALL=C awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }

# In turns, so that a change of load touches every command alike.
for _ in $(seq 1 "$RUNS"); do
  wall "${ISQL[@]}" >>"$OUT/isql"
  wall "${REPORT[@]}" "$OUT/one.rpf" >>"$OUT/rpf"
  wall "${REPORT[@]}" "$OUT/one.pdf" >>"$OUT/pdf"
done
floor=$(median <"$OUT/isql")
LC_ALL=C printf 'start-up: one-page report against a one-row query, whole processes; medians of %s runs; load: %s\n' \
  "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
LC_ALL=C printf '  %-30s %6.3f s\n' "isql-fb, one row" "$floor"
for ext in rpf pdf; do
  t=$(median <"$OUT/$ext")
  LC_ALL=C printf '  %-30s %6.3f s  ratio %.2f (target <= 1.2)\n' "quorva-report -> one page .$ext" \
    "$t" "$(echo "$t / $floor" | bc -l)"
done
