# Timing helpers shared by the end-to-end benchmarks (sourced, not run).
# They write their scratch file into "$OUT", which the caller creates.

# One run's wall time and the client's own processor time (user + system),
# appended to a file; the commands are run in turns, so that a change of
# load on a shared machine touches each of them alike. The processor time
# says what the client itself spent.
time_run() { # file command...
  local file="$1"
  shift
  /usr/bin/time -f "%e %U %S" -o "$OUT/time" "$@" >/dev/null 2>&1
  tr ',' '.' <"$OUT/time" | LC_ALL=C awk '{printf "%s %.3f\n", $1, $2 + $3}' >>"$file"
}

# The median wall time and processor time of a file of runs.
medians() {
  LC_ALL=C sort -g "$1" | LC_ALL=C awk '{w[NR]=$1; c[NR]=$2} END {m=int((NR+1)/2); print w[m], c[m]}'
}
