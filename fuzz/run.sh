#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for a number of seconds each and
# prints, per target, the executions, the final coverage and features, and
# whether it found anything. Build first with fuzz/build.sh.
#
# Usage: fuzz/run.sh [seconds] [target ...]     (default 60 s, every target)
# JOBS=2 runs two targets at a time. The corpus of each target is kept in
# fuzz-build/corpus/<target> and grows from run to run; it starts from the
# example stations (run through the stages by seedgen) and fuzz/seeds/<target>.
# Logs go to fuzz-build/logs/, inputs that fail to fuzz-build/artifacts/.
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

[[ -d $OUT/seeds ]] || "$OUT/seedgen" "$PWD/examples" "$OUT/seeds"
mkdir -p "$OUT/logs" "$OUT/artifacts"

# Longest input of each target: room for the largest seed (a year of the
# daily series and its station file; four years of SPI results).
max_len() {
  case $1 in
    pdi_fuzz) echo 24000 ;;
    compare_fuzz) echo 20000 ;;
    *) echo 8192 ;;
  esac
}

run_one() {
  local t=$1 corpus=$OUT/corpus/$1 log=$OUT/logs/$1.log
  mkdir -p "$corpus"
  local dirs=("$corpus")
  [[ -d $OUT/seeds/$t ]] && dirs+=("$OUT/seeds/$t")
  [[ -d fuzz/seeds/$t ]] && dirs+=("$PWD/fuzz/seeds/$t")
  local status=0
  "$OUT/$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len "$t")" -print_final_stats=1 -artifact_prefix="$OUT/artifacts/$t-" \
    "${dirs[@]}" >"$log" 2>&1 || status=$?
  local execs cov ft
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || echo '?')
  local result=clean
  ((status == 0)) || result="FAILED (status $status; see ${log#$PWD/})"
  printf '%-18s %6ss  execs %-10s cov %-6s ft %-6s %s\n' "$t" "$SECONDS_EACH" "$execs" "$cov" \
    "$ft" "$result"
}
export -f run_one max_len
export OUT SECONDS_EACH

printf '%s\n' "${targets[@]}" | xargs -P "$JOBS" -I{} bash -c 'run_one {}'
