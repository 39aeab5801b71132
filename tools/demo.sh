#!/usr/bin/env bash
# Sets everything up and opens the program on the demo database.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default

if [ ! -x server/fbctl.sh ] && [ ! -f server/fbctl.sh ]; then
  echo "demo: the database server scripts are not in the tree yet; stopping after the build."
  exit 0
fi
export QUORVA_FB_ROOT="$PWD/build/firebird-demo"
bash server/fbctl.sh start --demo
# The program runs from build/app, so the stop names the script by its full path.
FBCTL="$PWD/server/fbctl.sh"
trap 'bash "$FBCTL" stop' EXIT

if [ ! -x build/app/quorva ]; then
  echo "demo: the desktop program is not built yet; the demo server runs on 127.0.0.1:3051 until you press Enter."
  read -r _
  exit 0
fi
export LANG=pt_BR.UTF-8
# The program keeps the last condominium in torvikrm.ini in its current directory.
cd build/app && ./quorva
