#!/usr/bin/env bash
# Prints a digest of every output the report tool makes from the demo
# database: the three reports as page file, PDF and spreadsheet, the balance
# report also for a period, some accounts and the spreadsheet with numbers.
# Two trees give the same list when their outputs are byte-identical (the
# PDF's creation date aside, which is blanked before hashing). Used to show
# that a change of structure or speed left the outputs alone:
#
#   bash tools/output_digest.sh build/app/quorva-report > after.txt
#   diff before.txt after.txt
#
# QUORVA_DB_HOST picks the loopback address of the private demo server
# (default 127.0.0.7, away from the test server).
set -euo pipefail
TOOL="$(realpath "${1:?usage: output_digest.sh PATH/TO/quorva-report}")"
cd "$(dirname "$0")/.."
TOP="$PWD"
export QUORVA_DB_HOST="${QUORVA_DB_HOST:-127.0.0.7}"
export QUORVA_FB_ROOT="$TOP/build/firebird-digest"
export LANG=pt_BR.UTF-8
WORK="$(mktemp -d)"
bash server/fbctl.sh start --demo >/dev/null
trap 'bash "$TOP/server/fbctl.sh" stop >/dev/null; rm -rf "$WORK"' EXIT

login=(--cond 101 --password ipe101 --quiet)
run() { # NAME ARGS...
  local name="$1"
  shift
  for ext in rpf pdf xls; do
    "$TOOL" "${login[@]}" "$@" --output "$WORK/$name.$ext" >/dev/null
  done
  "$TOOL" "${login[@]}" "$@" --xls-numbers --output "$WORK/$name-numbers.xls" >/dev/null
}
run balancete-month --report balancete --month 11/2026
run balancete-period --report balancete --from 01/01/2026 --to 30/11/2026 --type todas --grade 3
run balancete-some --report balancete --month 11/2026 --type despesas --grade 2 --accounts 2.01
run inadimplencia --report inadimplencia
run compromissados --report compromissados

cd "$WORK"
for f in *; do
  if [ "${f##*.}" = pdf ]; then
    python3 -c 'import re,sys; sys.stdout.buffer.write(re.sub(rb"/CreationDate ?\(D:[^)]*\)", b"/CreationDate()", open(sys.argv[1],"rb").read()))' "$f" |
      sha256sum | sed "s|-\$|$f|"
  else
    sha256sum "$f"
  fi
done
