#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for a number of seconds each and
# prints, per target, the executions, the final coverage and features, and
# whether it found anything. Build first with fuzz/build.sh.
#
# Usage: fuzz/run.sh [seconds] [target ...]     (default 60 s, every target)
# JOBS=2 runs two targets at a time. The corpus of each target is kept in
# fuzz-build/corpus/<target> and grows from run to run; it starts from the
# seeds made once into fuzz-build/seeds/<target> (for the stages: the example
# stations and the end-to-end test's expected files). Logs go to
# fuzz-build/logs/, inputs that fail to fuzz-build/artifacts/. The status is
# not 0 when a target found something.
set -euo pipefail
cd "$(dirname "$0")/.."

# Absolute paths: every target moves into a scratch directory of its own.
OUT=$PWD/fuzz-build
SECONDS_EACH=${1:-60}
shift || true
JOBS=${JOBS:-1}

if (($# > 0)); then
  targets=("$@")
else
  targets=()
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

# Seeds of the stage groups (see stages_fuzz.cpp): a parameter line, then the
# files separated by NUL bytes, the daily files cut to their first year. A
# seed whose files are not all there (an example station without expected
# files, such as 100113) is left out.
seed() { # name parameters file...
  local name=$1 params=$2 f first=1
  shift 2
  for f in "$@"; do [[ -f $f ]] || return 0; done
  { printf '%s\n' "$params"
    for f in "$@"; do
      ((first)) || printf '\0'
      first=0
      case $f in *[0-9].csv) head -n 49 "$f" ;; *) cat "$f" ;; esac
    done; } >"$OUT/seeds/stages_fuzz/$name"
}
stages_fuzz_seeds() {
  local E=tests/e2e/expected daily id span first
  for daily in examples/[0-9]*[0-9].csv; do
    id=$(basename "$daily" .csv)
    span=$(awk -F, 'NR == 1 { a = $6 " " $5 } END { print a, $6, $5 }' "examples/${id}_PRCP.csv")
    first=${span%% *}
    seed "$id-0" 0 "$daily"
    seed "$id-1" 1 "$daily"
    seed "$id-2" "2 $span" "examples/${id}_PRCP.csv"
    seed "$id-3" "3 $first" "$E/$id-spiformat.csv"
    seed "$id-4" 4 "$E/$id-spiformat.csv"
    seed "$id-4i" "4 1" "$E/$id-spi-interpolated.csv"
    seed "$id-5" 5 "$E/$id-PRN.csv"
    seed "$id-6" 6 "$E/$id-pdsiformat.csv" "$daily"
    seed "$id-7" 7 "$E/$id-spi-results.csv" "$E/$id-spi-results-int.csv" "$E/$id-spi-results.csv"
  done
  seed fort-8 "8 2011 2011" $E/fort.12 $E/fort.22 $E/fort.32 $E/fort.42 $E/fort.52 $E/fort.62 $E/fort.72
}
# The station report's readers: the example stations' expected outputs, in
# the order of the files of fuzz/report_fuzz.cpp.
report_fuzz_seeds() {
  local E=tests/e2e/expected id f first
  for daily in examples/[0-9]*[0-9].csv; do
    id=$(basename "$daily" .csv)
    [[ -f $E/$id-spi-results.csv ]] || continue
    first=1
    { printf '0\n'
      for f in "$daily" $E/$id-{spiformat,spi-interpolated,spi-results,spi-results-int,spi-stats}.csv \
        $E/$id-{pctnorm,pctnormint,EDI,EDIint,deciles,decilesint,pdsi}.csv; do
        ((first)) || printf '\0'
        first=0
        case $f in *[0-9].csv) head -n 49 "$f" ;; *) cat "$f" ;; esac
      done; } >"$OUT/seeds/report_fuzz/$id"
  done
}
# The seeds of each target, made once: by a function <target>_seeds here, or
# by a script fuzz/<target>_seeds.sh given the seed directory; else none.
for t in "${targets[@]}"; do
  [[ -d $OUT/seeds/$t ]] && continue
  mkdir -p "$OUT/seeds/$t"
  if declare -F "${t}_seeds" >/dev/null; then
    "${t}_seeds"
  elif [[ -f fuzz/${t}_seeds.sh ]]; then
    bash "fuzz/${t}_seeds.sh" "$OUT/seeds/$t"
  fi
done
mkdir -p "$OUT/logs" "$OUT/artifacts"

run_one() {
  local t=$1 corpus=$OUT/corpus/$1 log=$OUT/logs/$1.log
  mkdir -p "$corpus"
  local status=0
  "$OUT/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -max_len=24000 \
    -print_final_stats=1 -artifact_prefix="$OUT/artifacts/$t-" "$corpus" "$OUT/seeds/$t" \
    >"$log" 2>&1 || status=$?
  local execs cov ft
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
  local result=clean
  ((status == 0)) || result="FAILED (status $status; see ${log#$PWD/})"
  printf '%-18s %6ss  execs %-10s cov %-6s ft %-6s %s\n' "$t" "$SECONDS_EACH" "$execs" "$cov" \
    "$ft" "$result"
  ((status == 0))
}
export -f run_one
export OUT SECONDS_EACH

printf '%s\n' "${targets[@]}" | xargs -P "$JOBS" -I{} bash -c 'run_one {}'
