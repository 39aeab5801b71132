#!/usr/bin/env bash
# The balance report end to end through the report tool: a condominium's
# year with about 20,000 lances at the deepest grade (several hundred
# pages), database -> page storage -> PDF, against isql-fb fetching the
# procedure's rows alone with the statement the report runs (its parameters
# written in), in the same run: the floor a report can reach when it has
# to read its data at all. Prints the times and the ratio to the floor
# (the goal: the whole report in at most 1.3 times the bare fetch as a page
# file or PDF, 1.5 times as a spreadsheet).
#
#   bash bench/bench_balance.sh [build dir]     (default: build)
# Uses its own server root (build/firebird-bench-balance) at QUORVA_DB_HOST.
# BENCH_LANCES sets the number of lances (default 20000), BENCH_RUNS the
# runs per measurement (default 5), taken in turns.
set -euo pipefail
cd "$(dirname "$0")/.."
TOP="$PWD"
BUILD="${1:-build}"
TOOL="$TOP/$BUILD/app/quorva-report"
[ -x "$TOOL" ] || { echo "build quorva-report first ($TOOL)" >&2; exit 1; }

export QUORVA_FB_ROOT="$TOP/build/firebird-bench-balance"
export QUORVA_DEMO_SCALE=0.05
HOST="${QUORVA_DB_HOST:-127.0.0.1}"
LANCES="${BENCH_LANCES:-20000}"
RUNS="${BENCH_RUNS:-5}"
bash server/fbctl.sh start --demo
trap 'bash "$TOP/server/fbctl.sh" stop' EXIT

DB="$HOST/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB"
ISQL() { FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 -user SYSDBA -password vetrasomi "$DB" "$@"; }

# Condominium 910, the demo's chart of accounts, the year 2023: 200 units,
# each with its dues quota and some with a garage quota. Of every 40 lances
# 24 are receipts of a bill (one or two lines, by quota), 2 other income,
# 13 expenses and 1 a committed, unpaid payable; every lance is one entry,
# so each has its own grouping text. The history template uses the
# placeholders that make the procedure fill the unit's columns.
ISQL >/dev/null <<SQL
delete from LANCONTA where cond = 910;
delete from RECEMID where numrec between 910000000 and 910999999;
delete from RECEMIM where cond = 910;
delete from CPAGAR where tipodev = 'C' and coddev = 910;
delete from COTA where cond = 910;
delete from IMOVEL where cond = 910;
delete from CONTA where cond = 910;
delete from BALANCETES where cod = 910;
delete from EMISSOES where cod = 910;
delete from COND where cond = 910;
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (910, 'Condomínio Bancada do Balancete', 'bench', 910, 1);
insert into BALANCETES (cod, nome, histor)
  values (910, 'Bancada', 'Recebimento {Cota} ref. {MêsCota4} - {Imóvel} ({Grupo})');
insert into CONTA values (9101, 910, 'Banco da Bancada Ag. 0910', 'Bancada', 25000.00);
insert into CONTA values (9102, 910, 'Caixa Interno', 'Caixa', 300.00);
set term ^;
execute block as
  declare i integer = 0;
  declare k integer;
  declare d date;
  declare m date;
  declare v decimal(18,2);
  declare code varchar(10);
begin
  while (i < 200) do
  begin
    insert into IMOVEL (cond, imovel, complem, grupo)
      values (910, lpad(:i, 4, '0'), 'Apto ' || (101 + :i), iif(mod(:i, 2) = 0, 'Bloco A', 'Bloco B'));
    insert into COTA values (910000 + :i, 910, lpad(:i, 4, '0'), 'Apto ' || (101 + :i) || ' - @@/@@@@',
      '1.01.01.01');
    if (mod(:i, 3) = 0) then
      insert into COTA values (910500 + :i, 910, lpad(:i, 4, '0'), 'Vaga ' || (101 + :i) || ' - @@/@@',
        '1.01.01.03');
    i = i + 1;
  end
  i = 0;
  while (i < $LANCES) do
  begin
    d = dateadd(mod(:i * 7, 365) day to date '2023-01-01');
    m = dateadd(1 - extract(day from :d) day to :d);
    k = mod(:i, 40);
    if (k < 24) then
    begin
      v = 480 + mod(:i, 9) * 10;
      insert into RECEMIM values (910000000 + :i, 910, lpad(mod(:i, 200), 4, '0'), :d,
        :v + iif(mod(mod(:i, 200), 3) = 0, 85, 0), :m, :d, 9101);
      insert into RECEMID values (910000000 + :i, 910000 + mod(:i, 200), '', :m, :v);
      if (mod(mod(:i, 200), 3) = 0) then
        insert into RECEMID values (910000000 + :i, 910500 + mod(:i, 200), '', :m, 85);
      insert into LANCONTA values (910000000 + :i, 910, 9101, :m, :d, 'R', null,
        'Recebimento do boleto ' || (910000000 + :i), :v + iif(mod(mod(:i, 200), 3) = 0, 85, 0),
        910000000 + :i, 910000000 + :i);
    end
    else if (k < 26) then
      insert into LANCONTA values (910000000 + :i, 910, 9102, :m, :d, 'E',
        iif(:k = 24, '1.02.01.01', '1.02.02'), 'Aluguel do salão de festas', 150.00, null,
        910000000 + :i);
    else if (k < 39) then
    begin
      code = decode(mod(:i, 13), 0, '2.01.01.01', 1, '2.01.01.02', 2, '2.01.02.01',
        3, '2.01.02.02', 4, '2.02.01.01', 5, '2.02.01.02', 6, '2.02.01.03', 7, '2.03.01.01',
        8, '2.03.01.02', 9, '2.03.02.01', 10, '2.03.02.02', 11, '2.04.01.01', '2.04.02');
      insert into LANCONTA values (910000000 + :i, 910, iif(mod(:i, 5) = 0, 9102, 9101), :m, :d,
        'D', :code, 'Pagamento ' || :code || ' nota ' || :i, 35 + mod(:i, 4000) / 4.0, null,
        910000000 + :i);
    end
    else
      insert into CPAGAR values (910000000 + :i, :d, 'Conserto a pagar, nota ' || :i,
        200 + mod(:i, 100), 9101, '2.03.01.02', 'C', 910, null);
    i = i + 1;
  end
end^
set term ;^
commit;
SQL

OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"; bash "$TOP/server/fbctl.sh" stop' EXIT

# The report's statement for the year as a period, at every account, with
# the template's flags (Cota, MêsCota4, Imóvel, Grupo) and its dates written
# in: the month of the run (the latest with entries), the day before the
# first day and the day after the last. The procedure reads the condominium
# from CONDSEL of the same transaction, as in the report's run.
cat >"$OUT/query.sql" <<'SQL'
delete from condsel;
insert into CONDSEL (cond,sel) values (910,'S') ;
SELECT substring(subconta from 1 for 1) as grau1,  substring(subconta from 1 for 4) as grau2,  substring(subconta from 1 for 7) as grau3,  substring(subconta from 1 for 10) as grau4,  character_length(subconta) as tamanho,  sp_lanc_por_conta_remoto_per.* FROM  sp_lanc_por_conta_remoto_per('S','S','N','S','S','2023-12-01','2022-12-31','2024-01-01')  order by  cond,conta,subconta,data,trab,lanc;
rollback;
SQL

source "$TOP/bench/timing.sh"

export LANG=pt_BR.UTF-8 QT_QPA_PLATFORM=offscreen QUORVA_PASSWORD=bench
PERIOD=(--report balancete --from 01/01/2023 --to 31/12/2023 --type todas --grade 3)

count() { ISQL -i <(echo "$1") | LC_ALL=C awk 'NF && $1 ~ /^[0-9]+$/ {v = $1} END {print v}'; }
rows=$(count "delete from condsel; insert into condsel (cond, sel) values (910, 'S');
  select count(*) from sp_lanc_por_conta_remoto_per('S','S','N','S','S','2023-12-01','2022-12-31','2024-01-01');
  rollback;")
entries=$(count "select (select count(*) from lanconta where cond = 910)
  + (select count(*) from cpagar where tipodev = 'C' and coddev = 910 and datapag is null) from rdb\$database;")
pages=$(LANG=C "$TOOL" --cond 910 "${PERIOD[@]}" --output "$OUT/b.rpf" | awk '{print $1}')

for _ in $(seq 1 "$RUNS"); do
  time_run "$OUT/isql.runs" env FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 \
    -user SYSDBA -password vetrasomi "$DB" -i "$OUT/query.sql"
  for ext in rpf pdf xls; do
    time_run "$OUT/$ext.runs" "$TOOL" --cond 910 "${PERIOD[@]}" --output "$OUT/b.$ext" --quiet
  done
done
read -r floor floorcpu < <(medians "$OUT/isql.runs")

LC_ALL=C printf 'balance report, year 2023 at grade 3: %s entries and payables, %s rows (each its own lance), %s pages; medians of %s runs; load: %s\n' \
  "$entries" "$rows" "$pages" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
LC_ALL=C printf '  %-26s %7.3f s wall %7.3f s cpu\n' "isql-fb, same statement" "$floor" "$floorcpu"
for ext in rpf pdf xls; do
  target=1.3
  [ "$ext" = xls ] && target=1.5
  read -r t cpu < <(medians "$OUT/$ext.runs")
  LC_ALL=C printf '  %-26s %7.3f s wall %7.3f s cpu %7.1f pages/s  ratio %.2f (wall; target <= %s)\n' \
    "quorva-report -> .$ext" "$t" "$cpu" "$(echo "$pages / $t" | bc -l)" "$(echo "$t / $floor" | bc -l)" "$target"
done
