#!/usr/bin/env bash
# The delinquency report end to end through the report tool, over a
# condominium with about 20,000 overdue bills (hundreds of pages), against
# isql-fb selecting the same rows with the same statement in the same run:
# the floor a report can reach when it has to read its data at all.
# Prints pages per second for each output format and the ratio to the floor
# (the goal: at most 1.3 times the bare fetch as a page file or PDF, 1.5
# times as a spreadsheet).
#
#   bash bench/bench_reports.sh [build dir]     (default: build)
# Uses its own server root (build/firebird-bench) at QUORVA_DB_HOST.
set -euo pipefail
cd "$(dirname "$0")/.."
TOP="$PWD"
BUILD="${1:-build}"
TOOL="$TOP/$BUILD/app/quorva-report"
[ -x "$TOOL" ] || { echo "build quorva-report first ($TOOL)" >&2; exit 1; }

export QUORVA_FB_ROOT="$TOP/build/firebird-bench"
export QUORVA_DEMO_SCALE=0.05
HOST="${QUORVA_DB_HOST:-127.0.0.1}"
BILLS="${BENCH_BILLS:-20000}"
RUNS="${BENCH_RUNS:-5}"
bash server/fbctl.sh start --demo
trap 'bash "$TOP/server/fbctl.sh" stop' EXIT

ISQL() { FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 -user SYSDBA -password vetrasomi \
  "$HOST/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB" "$@"; }

# Condominium 900: 400 units, BILLS overdue bills spread over them.
ISQL >/dev/null <<SQL
delete from RECEMIM where cond = 900;
delete from IMOVEL where cond = 900;
delete from COND where cond = 900;
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (900, 'Condomínio Bancada de Testes', 'bench', 1, 1);
set term ^;
execute block as
  declare i integer = 0;
begin
  while (i < 400) do
  begin
    insert into IMOVEL (cond, imovel, complem)
      values (900, lpad(:i, 4, '0'), 'Apto ' || :i);
    i = i + 1;
  end
  i = 0;
  while (i < $BILLS) do
  begin
    insert into RECEMIM values (900000 + :i, 900, lpad(mod(:i, 400), 4, '0'),
      dateadd(-(1 + mod(:i, 900)) day to current_timestamp), 100 + mod(:i, 9000) / 100.0,
      dateadd(-(1 + mod(:i, 900)) day to current_timestamp), null, null);
    i = i + 1;
  end
end^
set term ;^
commit;
SQL

OUT="$(mktemp -d)"

# The report's own statement with its two parameters written in.
QUERY="select RECEMIM.numrec,recemim.imovel,recemim.venc,recemim.valor, recemim.mesref,IMOVEL.COMPLEM from RECEMIM inner join IMOVEL on recemim.cond = imovel.cond and recemim.imovel = imovel.imovel  WHERE recemim.cond = 900 and recemim.VENC < current_date  AND ((recemim.DATAPAG IS NULL) OR (recemim.DATAPAG < '01/01/1901'))  order by recemim.imovel, recemim.venc ;"

source "$TOP/bench/timing.sh"

trap 'rm -rf "$OUT"; bash "$TOP/server/fbctl.sh" stop' EXIT
export LANG=pt_BR.UTF-8 QT_QPA_PLATFORM=offscreen QUORVA_PASSWORD=bench

echo "$QUERY" >"$OUT/query.sql"
rows=$(ISQL -i <(echo "select count(*) from RECEMIM where cond = 900 and venc < current_date;") | awk 'NF{v=$1} END{print v}')
pages=$(LANG=C "$TOOL" --cond 900 --report inadimplencia --output "$OUT/r.rpf" | awk '{print $1}')

for _ in $(seq 1 "$RUNS"); do
  time_run "$OUT/isql.runs" env FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 \
    -user SYSDBA -password vetrasomi "$HOST/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB" \
    -i "$OUT/query.sql"
  for ext in rpf pdf xls; do
    time_run "$OUT/$ext.runs" "$TOOL" --cond 900 --report inadimplencia --output "$OUT/r.$ext" --quiet
  done
done
read -r floor floorcpu < <(medians "$OUT/isql.runs")

LC_ALL=C printf 'delinquency report, %s overdue bills, %s pages; medians of %s runs; load: %s\n' \
  "$rows" "$pages" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
LC_ALL=C printf '  %-26s %7.3f s wall %7.3f s cpu\n' "isql-fb, same statement" "$floor" "$floorcpu"
for ext in rpf pdf xls; do
  target=1.3
  [ "$ext" = xls ] && target=1.5
  read -r t cpu < <(medians "$OUT/$ext.runs")
  LC_ALL=C printf '  %-26s %7.3f s wall %7.3f s cpu %7.1f pages/s  ratio %.2f (wall; target <= %s)\n' \
    "quorva-report -> .$ext" "$t" "$cpu" "$(echo "$pages / $t" | bc -l)" "$(echo "$t / $floor" | bc -l)" "$target"
done
