# shellcheck shell=bash
# Shared by the drought-batch tests: a scratch directory, checks that count
# failures, and reference runs of single stations.
#   . lib.sh <drought executable> <source directory>
set -u
exe=$1
src=$2
batch=$src/tools/drought-batch
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
check() { # message, then the command that must succeed
  local what=$1
  shift
  "$@" || { echo "FAIL: $what"; fails=$((fails + 1)); }
}
finish() {
  echo "$fails failures"
  [ "$fails" -eq 0 ]
}

# The input directory: the example stations, and 999999, which fails after its
# first SPI run: its monthly file cannot be read.
mkdir "$work/in"
cp "$src"/examples/*.csv "$work/in/"
cp "$src/examples/100111.csv" "$work/in/999999.csv"
mkdir "$work/in/999999_PRCP.csv"

# Each station run alone in $work/single-<id>.
single_runs() {
  local id
  for id in "$@"; do
    mkdir "$work/single-$id"
    cp "$src/examples/$id.csv" "$src/examples/${id}_PRCP.csv" "$work/single-$id/"
    (cd "$work/single-$id" && "$exe" -q "$id") || check "single run of $id" false
  done
}
# Every file the single run of the station wrote is in the directory, byte for
# byte, but those named after the directory (left out on purpose).
same_as_single() { # id directory [suffix...]
  local id=$1 dir=$2 f name skip n=0
  shift 2
  for f in "$work/single-$id/$id"-*; do
    name=$(basename "$f")
    for skip in "$@"; do [ "$name" != "$id$skip" ] || continue 2; done
    cmp -s "$f" "$dir/$name" || return 1
    n=$((n + 1))
  done
  [ "$n" -ge 13 ]
}
