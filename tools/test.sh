#!/usr/bin/env bash
# The whole test suite from a fresh machine: packages, the three builds, the
# private database server (started and stopped by ctest around the db tests).
#   normal build: every test (unit, db, gui, slow)
#   address + undefined sanitizers: the unit and db tests
#   thread sanitizer: the page storage, background filter and query reader tests
#   fuzz targets (clang, address + undefined sanitizers): each run for a
#   bounded time, see tools/fuzz.sh (about 3 minutes with its build)
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

for preset in default asan tsan; do
  echo "=== $preset build ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "=== fuzz targets ==="
bash tools/fuzz.sh
