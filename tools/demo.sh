#!/usr/bin/env bash
# Sets everything up, starts the private database server with the demo data
# and opens the desktop program on it; the server stops when the program
# ends.
#
#   bash tools/demo.sh                  the desktop program
#   bash tools/demo.sh report ARGS...   the headless report tool instead, e.g.
#       bash tools/demo.sh report --cond 101 --password ipe101 \
#           --report inadimplencia --output inadimplentes.pdf
set -euo pipefail
CALLER="$PWD"
cd "$(dirname "$0")/.."
TOP="$PWD"

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default --target quorva quorva-report

export QUORVA_FB_ROOT="$TOP/build/firebird-demo"
bash server/fbctl.sh start --demo
# The program runs from build/app, so the stop names the script by its full path.
trap 'bash "$TOP/server/fbctl.sh" stop' EXIT

# Brazilian separators and dates, as the firm's managers see them.
export LANG=pt_BR.UTF-8
if [ "${1:-}" = "report" ]; then
  shift
  # Relative output names stay relative to where the command was given.
  cd "$CALLER"
  "$TOP/build/app/quorva-report" "$@"
  exit $?
fi
# The program keeps the last condominium in torvikrm.ini in its current directory.
cd build/app && ./quorva
