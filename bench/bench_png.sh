#!/usr/bin/env bash
# Page images: the first 100 pages of the delinquency report (a condominium
# with 5,000 overdue bills) written as PNG files at 96 dpi by the report
# tool (--input of the saved pages, --output NAME.png), against pdftoppm
# rendering our own PDF of the same 100 pages at 96 dpi, in the same run:
#   pdftoppm -r 96 -png   the same output, PNG files
#   pdftoppm -r 96        its default output, uncompressed PPM files, which
#                         spend no time compressing (shown for reference)
# Prints medians of wall and processor time and the ratio peer / ours
# (above 1.0: the tool is faster).
#
#   bash bench/bench_png.sh [build dir]     (default: build)
# Uses its own server root (build/firebird-bench) at QUORVA_DB_HOST.
set -euo pipefail
cd "$(dirname "$0")/.."
TOP="$PWD"
BUILD="${1:-build}"
TOOL="$TOP/$BUILD/app/quorva-report"
[ -x "$TOOL" ] || { echo "build quorva-report first ($TOOL)" >&2; exit 1; }
command -v pdftoppm >/dev/null || { echo "pdftoppm missing (poppler-utils)" >&2; exit 1; }

export QUORVA_FB_ROOT="$TOP/build/firebird-bench-png"
export QUORVA_DEMO_SCALE=0.05
HOST="${QUORVA_DB_HOST:-127.0.0.1}"
RUNS="${BENCH_RUNS:-5}"
bash server/fbctl.sh start --demo
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"; bash "$TOP/server/fbctl.sh" stop' EXIT

ISQL() { FIREBIRD="$QUORVA_FB_ROOT" isql-fb -q -ch UTF8 -user SYSDBA -password vetrasomi \
  "$HOST/3051:C:\\servidor\\KESTRO\\Dados\\Cond.FDB" "$@"; }

# Condominium 901: 200 units, 5,000 overdue bills spread over them.
ISQL >/dev/null <<SQL
delete from RECEMIM where cond = 901;
delete from IMOVEL where cond = 901;
delete from COND where cond = 901;
insert into COND (cond, nome, remoto_senha, remoto_balancete, estrutu)
  values (901, 'Condomínio Bancada de Imagens', 'bench', 1, 1);
set term ^;
execute block as
  declare i integer = 0;
begin
  while (i < 200) do
  begin
    insert into IMOVEL (cond, imovel, complem)
      values (901, lpad(:i, 4, '0'), 'Apto ' || :i);
    i = i + 1;
  end
  i = 0;
  while (i < 5000) do
  begin
    insert into RECEMIM values (901000 + :i, 901, lpad(mod(:i, 200), 4, '0'),
      dateadd(-(1 + mod(:i, 900)) day to current_timestamp), 100 + mod(:i, 9000) / 100.0,
      dateadd(-(1 + mod(:i, 900)) day to current_timestamp), null, null);
    i = i + 1;
  end
end^
set term ;^
commit;
SQL

export LANG=pt_BR.UTF-8 QT_QPA_PLATFORM=offscreen QUORVA_PASSWORD=bench
"$TOOL" --cond 901 --report inadimplencia --output "$OUT/all.rpf" --quiet
"$TOOL" --input "$OUT/all.rpf" --pages 1-100 --output "$OUT/r.rpf" --quiet
"$TOOL" --input "$OUT/r.rpf" --output "$OUT/r.pdf" --quiet

# Median wall time and processor time (user + system) of RUNS runs, each
# into an empty folder.
time_runs() { # command... (with @DIR@ for the output folder)
  local i
  for i in $(seq 1 "$RUNS"); do
    rm -rf "$OUT/img" && mkdir "$OUT/img"
    /usr/bin/time -f "%e %U %S" -o "$OUT/time" "${@//@DIR@/$OUT/img}" >/dev/null 2>&1
    tr ',' '.' <"$OUT/time" | LC_ALL=C awk '{printf "%s %.3f\n", $1, $2 + $3}'
  done | LC_ALL=C sort -g | LC_ALL=C awk '{w[NR]=$1; c[NR]=$2} END {m=int((NR+1)/2); print w[m], c[m]}'
}

read -r ours ourscpu < <(time_runs "$TOOL" --input "$OUT/r.rpf" --output @DIR@/p.png --quiet)
files=$(ls "$OUT/img" | wc -l)
read -r png pngcpu < <(time_runs pdftoppm -r 96 -png "$OUT/r.pdf" @DIR@/p)
read -r ppm ppmcpu < <(time_runs pdftoppm -r 96 "$OUT/r.pdf" @DIR@/p)

LC_ALL=C printf 'PNG of 100 report pages at 96 dpi (%s files); medians of %s runs; load: %s\n' \
  "$files" "$RUNS" "$(cut -d' ' -f1-3 /proc/loadavg)"
LC_ALL=C printf '  %-28s %7.3f s wall %7.3f s cpu\n' "quorva-report -> .png" "$ours" "$ourscpu"
for peer in "pdftoppm -r 96 -png:$png:$pngcpu" "pdftoppm -r 96 (PPM):$ppm:$ppmcpu"; do
  IFS=: read -r name t cpu <<<"$peer"
  LC_ALL=C printf '  %-28s %7.3f s wall %7.3f s cpu  ratio %.2f wall, %.2f cpu\n' "$name" "$t" \
    "$cpu" "$(echo "$t / $ours" | bc -l)" "$(echo "$cpu / $ourscpu" | bc -l)"
done
