#!/usr/bin/env bash
# The pencil check over the demo data: the real report tool makes the three
# reports (the balance report for a long period at the deepest grade, for
# the latest month at every grade, and both listings) for every demo
# condominium, and printed_totals_check reads the stored pages back: every
# printed total must equal the printed lines above it.
#   demo_totals.sh QUORVA-REPORT PRINTED_TOTALS_CHECK WORKDIR
set -euo pipefail
TOOL="$1"
CHECK="$2"
WORK="$3"
TOP="$(cd "$(dirname "$0")/../.." && pwd)"
# A server of its own, away from the test server and the digest's.
export QUORVA_DB_HOST=127.0.0.9
export QUORVA_FB_ROOT="$WORK/firebird"
export LANG=pt_BR.UTF-8
rm -rf "$WORK"
mkdir -p "$WORK"
bash "$TOP/server/fbctl.sh" start --demo >/dev/null
trap 'bash "$TOP/server/fbctl.sh" stop >/dev/null' EXIT

from="01/01/$(date -d '-1 year' +%Y)"
to="$(date +%d/%m/%Y)"
files=()
while read -r cond password; do
  login=(--cond "$cond" --password "$password" --quiet)
  run() { # NAME ARGS...
    local name="$WORK/$cond-$1.rpf"
    shift
    "$TOOL" "${login[@]}" "$@" --output "$name"
    files+=("$name")
  }
  run periodo --report balancete --from "$from" --to "$to" --type todas --grade 3
  for grade in 0 1 2 3; do
    run mes-$grade --report balancete --grade "$grade"
  done
  run inadimplencia --report inadimplencia
  run compromissados --report compromissados
done < <(python3 "$TOP/server/demo.py" --logins)
"$CHECK" "${files[@]}"
