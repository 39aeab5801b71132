#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang under address and undefined
# behaviour sanitizers (build-fuzz/) and runs each for a bounded time,
# starting from its seed corpus (fuzz/corpus/) and its regression files
# (tests/fuzz/). A crash, a memory error, undefined behaviour, a leak, an
# input slower than the time-out or a memory blow-up fails the run; the input
# that did it is kept in build-fuzz/findings/<target>/. Make it a regression
# file in tests/fuzz/<target>/ with the fix.
#
#   tools/fuzz.sh [SECONDS]   seconds per target (default 20; the page file
#                             target, the one reading whole reports, gets 3x)
#
# Run one finding again:  build-fuzz/fuzz/fuzz_<target> build-fuzz/findings/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The targets write their input, spool and output files for every run: in
# memory when the machine has a memory file system.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm/quorva-fuzz-$$
  mkdir -p "$TMPDIR"
  trap 'rm -rf "$TMPDIR"' EXIT
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0

failed=()
for target in page_file number_format date_format ini_file; do
  time=$seconds
  if [ "$target" = page_file ]; then time=$((3 * seconds)); fi
  # A fresh working corpus each run: the fuzzer adds to it what it finds.
  work=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  cp fuzz/corpus/$target/* "$work"/
  if [ -d tests/fuzz/$target ]; then
    find tests/fuzz/$target -maxdepth 1 -type f ! -name '*.py' ! -name '*.md' -exec cp {} "$work"/ \;
  fi
  echo "=== fuzz_$target for ${time}s"
  if ! build-fuzz/fuzz/fuzz_$target "$work" -max_total_time="$time" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 \
      >"build-fuzz/fuzz_$target.log" 2>&1; then
    tail -n 60 "build-fuzz/fuzz_$target.log"
    failed+=("$target")
  else
    grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/fuzz_$target.log" || true
  fi
done

if ((${#failed[@]})); then
  echo "fuzz: findings in ${failed[*]} (inputs in build-fuzz/findings/)"
  exit 1
fi
echo "fuzz: no findings"
