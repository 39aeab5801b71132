#!/usr/bin/env bash
# Load test: many report tools at once against one server, as a firm's
# scheduler starts them at the top of the hour. LOAD_TOOLS workers (20) each
# run the report tool again and again, for at most LOAD_SECONDS (120) and
# LOAD_MAX_RUNS runs in all (2000), cycling through a few jobs: the balance
# report of two condominiums for the same month (as a page file and as a
# spreadsheet), the delinquency and the committed payables reports.
#
# Every output must equal, byte for byte, the same report made alone before
# the load; every run must end with exit code 0; and afterwards CONDSEL must
# be empty and EMISSOES must hold exactly one row per condominium and month,
# with the month's first day marked once. Prints runs per second under load
# against the same jobs run one at a time in the same run (the peer).
# Not part of CI.
#
#   bash bench/bench_load.sh [build dir]     (default: build)
# Uses its own server root (<build>/firebird-load) at QUORVA_DB_HOST, with the
# demo data at QUORVA_DEMO_SCALE (1).
set -euo pipefail
cd "$(dirname "$0")/.."
TOP="$PWD"
BUILD="${1:-build}"
TOOL="$TOP/$BUILD/app/quorva-report"
[ -x "$TOOL" ] || { echo "build quorva-report first ($TOOL)" >&2; exit 1; }

TOOLS="${LOAD_TOOLS:-20}"
SECONDS_LIMIT="${LOAD_SECONDS:-120}"
MAX_RUNS="${LOAD_MAX_RUNS:-2000}"
export QUORVA_FB_ROOT="$TOP/$BUILD/firebird-load"
export QUORVA_DEMO_SCALE="${QUORVA_DEMO_SCALE:-1}"
HOST="${QUORVA_DB_HOST:-127.0.0.1}"
bash server/fbctl.sh start --demo
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"; bash "$TOP/server/fbctl.sh" stop' EXIT
export LANG=pt_BR.UTF-8 QT_QPA_PLATFORM=offscreen

ISQL() { FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 -user SYSDBA -password vetrasomi \
  "$HOST/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB" "$@"; }
# The value of a one-column, one-row query.
value() { ISQL -i <(echo "set heading off; $1") | awk 'NF{v=$0} END{gsub(/^ +| +$/, "", v); print v}'; }

# The latest month with entries of condominium 101, as MM/YYYY and as a date.
MES="$(value "select max(mes) from lanconta where cond = 101;")"
MONTH="$(date -d "${MES%% *}" +%m/%Y)"
DAY="$(date -d "${MES%% *}" +%Y-%m-%d)"

# The jobs: report, condominium, password, extension, options.
JOBS=(
  "balancete 101 ipe101 rpf --month $MONTH"
  "balancete 101 ipe101 xls --month $MONTH"
  "balancete 102 acacia102 rpf --month $MONTH"
  "inadimplencia 101 ipe101 rpf"
  "compromissados 102 acacia102 rpf"
)

run_job() { # job-number output
  local report cond password ext options
  read -r report cond password ext options <<<"${JOBS[$1]}"
  # shellcheck disable=SC2086 # the options are words
  "$TOOL" --cond "$cond" --password "$password" --report "$report" --output "$2.$ext" \
    --quiet $options 2>>"$2.err"
}
ext_of() { # job-number
  local report cond password ext rest
  read -r report cond password ext rest <<<"${JOBS[$1]}"
  echo "$ext"
}

ISQL >/dev/null <<SQL
delete from emissoes where cod in (101, 102) and mes = '$DAY';
commit;
SQL

# Each job alone, one after the other: the expected outputs, and the peer.
start=$(date +%s.%N)
for ((j = 0; j < ${#JOBS[@]}; ++j)); do
  run_job "$j" "$OUT/ref-$j" || { echo "job $j alone failed: $(cat "$OUT/ref-$j.err")" >&2; exit 1; }
done
serial=$(echo "${#JOBS[@]} / ($(date +%s.%N) - $start)" | bc -l)

worker() { # worker-number
  local w=$1 n=0 j out rc
  local deadline=$(($(date +%s) + SECONDS_LIMIT))
  local quota=$(((MAX_RUNS + TOOLS - 1) / TOOLS))
  while [ "$n" -lt "$quota" ] && [ "$(date +%s)" -lt "$deadline" ]; do
    j=$(((w + n) % ${#JOBS[@]}))
    out="$OUT/w$w-$n"
    rc=0
    run_job "$j" "$out" || rc=$?
    if [ "$rc" -ne 0 ]; then
      echo "exit $rc job $j: $(tr '\n' ' ' <"$out.err")"
    elif ! cmp -s "$out.$(ext_of "$j")" "$OUT/ref-$j.$(ext_of "$j")"; then
      echo "different job $j"
    else
      echo "ok"
    fi
    rm -f "$out".*
    n=$((n + 1))
  done >"$OUT/results-$w"
}

start=$(date +%s.%N)
for ((w = 0; w < TOOLS; ++w)); do
  worker "$w" &
done
wait
elapsed=$(echo "$(date +%s.%N) - $start" | bc -l)

runs=$(cat "$OUT"/results-* | wc -l)
good=$(cat "$OUT"/results-* | grep -cx ok || true)
condsel=$(value "select count(*) from condsel;")
# One row per condominium, day 1 marked and nothing else (texts compare
# with their trailing blanks ignored).
marks=$(value "select count(*) || ' ' || coalesce(sum(iif(diasbal01 = 'C' and diasbol01 = '', 1, 0)), 0) from emissoes where cod in (101, 102) and mes = '$DAY';")
expected_marks="2 2"
leftovers=$(find "$OUT" -name '.w*' | wc -l)

LC_ALL=C printf 'load test: %s report tools at once for at most %s s, jobs %s (month %s), demo scale %s; load %s\n' \
  "$TOOLS" "$SECONDS_LIMIT" "${#JOBS[@]}" "$MONTH" "$QUORVA_DEMO_SCALE" "$(cut -d' ' -f1-3 /proc/loadavg)"
LC_ALL=C printf '  runs %d in %.1f s: %.2f runs/s under load, %.2f runs/s one at a time, ratio %.2f\n' \
  "$runs" "$elapsed" "$(echo "$runs / $elapsed" | bc -l)" "$serial" \
  "$(echo "$runs / $elapsed / $serial" | bc -l)"
LC_ALL=C printf '  outputs equal to the report made alone: %d of %d\n' "$good" "$runs"
LC_ALL=C printf '  CONDSEL rows afterwards: %s; EMISSOES rows and marks: %s\n' "$condsel" \
  "$([ "$marks" = "$expected_marks" ] && echo "right (one row each, day 1 marked)" || echo "WRONG: $marks")"
failed=0
if [ "$good" -ne "$runs" ]; then
  cat "$OUT"/results-* | grep -vx ok | sort | uniq -c | head -20
  failed=1
fi
[ "$condsel" = "0" ] && [ "$marks" = "$expected_marks" ] && [ "$leftovers" -eq 0 ] || failed=1
[ "$failed" -eq 0 ] && echo "  PASS" || { echo "  FAIL"; exit 1; }
