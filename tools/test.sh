#!/usr/bin/env bash
# The whole test suite from a fresh machine: packages, the three builds, the
# private database server (started and stopped by ctest around the db tests).
#   normal build: every test (unit, db, gui, slow), then the unit tests
#   again under LANG=pt_BR.UTF-8 with QT_QPA_PLATFORM exported
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
  if [ "$preset" = default ]; then
    # Once more in the shell of a Brazilian developer, with a platform
    # variable exported: no test may depend on the caller's environment.
    echo "=== unit tests under LANG=pt_BR.UTF-8, QT_QPA_PLATFORM=offscreen ==="
    LANG=pt_BR.UTF-8 LC_ALL='' QT_QPA_PLATFORM=offscreen ctest --preset default -L unit
  fi
done

echo "=== fuzz targets ==="
bash tools/fuzz.sh
