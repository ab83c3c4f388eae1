#!/usr/bin/env bash
# tools/drought-batch on the example stations and one broken station, 2 jobs,
# groups of 2: every station's files equal those of a run on its own, the
# broken station is in the summary, the status is not 0, and the collecting
# fort files of the groups, joined in group order, equal one session's.
#   drought_batch_test.sh <drought executable> <source directory>
set -u
exe=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fails=0
check() { # message, then the command that must succeed
  local what=$1
  shift
  "$@" || { echo "FAIL: $what"; fails=$((fails + 1)); }
}

mkdir "$work/in"
cp "$src"/examples/*.csv "$work/in/"
# 999999 fails after its first SPI run: its monthly file cannot be read.
cp "$src/examples/100111.csv" "$work/in/999999.csv"
mkdir "$work/in/999999_PRCP.csv"
good=(100111 100112 725030 727930 100113)
all=(100111 100112 725030 999999 727930 100113)

"$src/tools/drought-batch" -g 2 -q --drought "$exe" "$work/in" "$work/out" 2 "${all[@]}" >"$work/summary"
status=$?
check "status $status for a failed station" test "$status" -ne 0
check "three groups" test -d "$work/out/g0003" -a ! -e "$work/out/g0004"
check "summary names the broken station" grep -q $'^failed: 999999\tdrought: read 999999_PRCP.csv: ' "$work/summary"
check "one failure" grep -q '6 stations, 5 succeeded, 1 failed' "$work/summary"

mkdir "$work/session"
cp "$src"/examples/*.csv "$work/session/"
(cd "$work/session" && "$exe" -q "${good[@]}") || check "session runs" false
for id in "${good[@]}"; do
  mkdir "$work/single-$id"
  cp "$src/examples/$id.csv" "$src/examples/${id}_PRCP.csv" "$work/single-$id/"
  (cd "$work/single-$id" && "$exe" -q "$id") || check "single run of $id" false
  n=0
  for f in "$work/single-$id/$id"-*; do
    check "$(basename "$f") as in a single run" cmp -s "$f" "$work"/out/g*/"$(basename "$f")"
    n=$((n + 1))
  done
  check "files of $id" test "$n" -ge 15
done
for k in 2 3 4 5 6 7; do
  for f in fort.${k}1 fort.${k}3 fort.${k}4; do
    cat "$work"/out/g*/$f >"$work/joined"
    check "joined $f equals the session's" cmp -s "$work/joined" "$work/session/$f"
  done
done

# Station IDs from standard input, one per line.
printf '100111\n\n100112\r\n' | "$src/tools/drought-batch" --prepare -g 1 --drought "$exe" "$work/in" "$work/out2" 1
check "IDs from standard input" test "$(cat "$work/out2/g0002/stations")" = 100112

# The manual page shows the program's version.
version=$("$exe" --version)
check "manual page shows $version" grep -q "^\.TH DROUGHT 1 .* \"$version\"" "$src/doc/drought.1"

echo "$fails failures"
[ "$fails" -eq 0 ]
