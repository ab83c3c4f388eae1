#!/usr/bin/env bash
# What tools/drought-batch makes:
# - on the example stations, one broken station and one refused ID, 2 jobs,
#   groups of 2: every station's files equal those of a run on its own, the
#   failures are in the summary, the status is 1, --summary counts the same,
#   and the collecting fort files of the groups, joined in group order, equal
#   one session's;
# - prepared for a job array with --report, --table FILE.csv.gz and
#   --drop-intermediate: the pages and tables, a failed report listed as a
#   failed station, one combined compressed table of the stations that
#   succeeded, the intermediate files dropped, the network page.
#   drought_batch_test.sh <drought executable> <source directory> <drought-report executable>
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh" "$1" "$2"
report=$3

good=(100111 100112 725030 727930 100113)
all=(100111 100112 725030 999999 $'72\x01930' 727930 100113)

"$batch" -g 2 -q --drought "$exe" "$work/in" "$work/out" 2 "${all[@]}" >"$work/summary"
status=$?
check "status $status for a failed station" test "$status" -eq 1
check "three groups" test -d "$work/out/g0003" -a ! -e "$work/out/g0004"
check "summary names the broken station" grep -q $'^failed: 999999\tdrought: read 999999_PRCP.csv: ' "$work/summary"
check "summary shows the refused ID" grep -qx $'failed: 72\\\\x01930\tinvalid station ID' "$work/summary"
check "two failures" grep -qx 'drought-batch: 7 stations, 5 succeeded, 2 failed' "$work/summary"
check "summary.txt as printed" cmp -s "$work/summary" "$work/out/summary.txt"
"$batch" --summary "$work/out" >"$work/again"
status=$?
check "--summary counts the same, status $status" cmp -s "$work/summary" "$work/again"
check "--summary status 1" test "$status" -eq 1

mkdir "$work/session"
cp "$src"/examples/*.csv "$work/session/"
(cd "$work/session" && "$exe" -q "${good[@]}") || check "session runs" false
single_runs "${good[@]}"
for id in "${good[@]}"; do
  check "files of $id as in a single run" same_as_single "$id" "$(dirname "$work"/out/g*/"$id.csv")"
done
for k in 2 3 4 5 6 7; do
  for f in fort.${k}1 fort.${k}3 fort.${k}4; do
    cat "$work"/out/g*/$f >"$work/joined"
    check "joined $f equals the session's" cmp -s "$work/joined" "$work/session/$f"
  done
done

# Station IDs from standard input, one per line.
printf '100111\n\n100112\r\n' | "$batch" --prepare -g 1 --drought "$exe" "$work/in" "$work/out2" 1
check "IDs from standard input" test "$(cat "$work/out2/g0002/stations")" = 100112

# A job array's steps, with reports: 100112's page cannot be written.
out=$work/out3
"$batch" --prepare -g 2 -q --drought "$exe" --drought-report "$report" --table "$work/all.csv.gz" \
  --drop-intermediate "$work/in" "$out" 1 100111 100112 725030
mkdir "$out/g0001/100112-report.html"
"$batch" --group "$out/g0001"
check "group with a failed report: status $?" test $? -eq 1
"$batch" --group "$out/g0002"
check "group without failure: status $?" test $? -eq 0
"$batch" --summary "$out" >"$work/summary3"
check "status 1 for a failed report" test $? -eq 1
check "network page" grep -q 100111-report.html "$out/index.html"
check "report failure listed" grep -q $'^failed: 100112\tdrought-report: ' "$work/summary3"
check "report failure counted" grep -qx 'drought-batch: 3 stations, 2 succeeded, 1 failed' "$work/summary3"
for f in g0001/100111-report.html g0002/725030-report.html g0002/725030-indices.csv \
  g0001/100112-pdsiformat.csv g0001/fort.21 g0002/fort.21; do
  check "$f made or kept" test -s "$out/$f"
done
for f in g0001/100111-pdsiformat.csv g0001/100111-fill-prcp.csv g0002/725030-fill-prcp.csv; do
  check "$f dropped" test ! -e "$out/$f"
done
{ cat "$out/g0001/100111-indices.csv"; tail -n +2 "$out/g0002/725030-indices.csv"; } >"$work/joined"
check "one compressed table, one header" cmp -s <(gzip -dc "$work/all.csv.gz") "$work/joined"

# The manual page shows the program's version.
version=$("$exe" --version)
check "manual page shows $version" grep -q "^\.TH DROUGHT 1 .* \"$version\"" "$src/doc/drought.1"

finish
