#!/usr/bin/env bash
# tools/drought-batch tells the truth when things go wrong:
# - a full disk (a small tmpfs, when this user may mount one) never gives
#   status 0, and every station the summary counts as succeeded has all its
#   files; a bookkeeping file that cannot be written (a link to /dev/full)
#   ends the group or the summary with status 2 and one line;
# - of two batches started together on one new OUTDIR, one runs and the
#   other ends at once with status 2; a later one finds OUTDIR not empty;
# - SIGTERM stops GNU parallel and the running groups, leaves no process
#   behind, and the summary lists the unfinished groups; running those groups
#   afterwards and --summary complete the batch.
#   drought_batch_trust_test.sh <drought executable> <source directory>
# shellcheck source=lib.sh
. "$(dirname "$0")/lib.sh" "$1" "$2"
ids=(100111 100112 725030)
single_runs "${ids[@]}"

# A copy of the script, so that every process of a batch names $work; and a
# drought that first sleeps ($SLOW seconds), so that a batch lasts long enough
# to meet.
mkdir "$work/bin"
cp "$batch" "$work/bin/drought-batch"
batch=$work/bin/drought-batch
printf '#!/bin/sh\nsleep "${SLOW:-0.5}"\nexec "%s" "$@"\n' "$exe" >"$work/bin/slow-drought"
chmod +x "$work/bin/slow-drought"

# --- A full disk.
mkdir "$work/disk"
if mount -t tmpfs -o size=400k tmpfs "$work/disk" 2>/dev/null; then
  trap 'umount "$work/disk"; rm -rf "$work"' EXIT
  "$batch" -g 1 -q --drought "$exe" "$work/in" "$work/disk/out" 1 "${ids[@]}" >"$work/summary" 2>/dev/null
  status=$?
  check "status $status on a full disk" test "$status" -ne 0
  counted=$(sed -n 's/^drought-batch: 3 stations, \([0-9]*\) succeeded, .*/\1/p' "$work/summary")
  check "counts on a full disk: $(head -n 1 "$work/summary")" test -n "$counted"
  n=0
  for id in "${ids[@]}"; do
    grep -q "^failed: $id	" "$work/summary" && continue
    n=$((n + 1))
    check "$id counted as succeeded has its files" same_as_single "$id" "$(dirname "$work"/disk/out/g*/"$id.csv")"
  done
  check "succeeded = not listed as failed" test "$n" = "$counted"
  "$batch" --summary "$work/disk/out" 2>/dev/null | cmp -s - "$work/summary"
  check "--summary counts the same on a full disk" test $? -eq 0
else
  echo "SKIP: cannot mount a tmpfs here; the full disk is tried with /dev/full only"
fi
# The diagnostic of 999999 cannot be logged.
out=$work/full
"$batch" --prepare -g 2 -q --drought "$exe" "$work/in" "$out" 1 100111 999999
ln -s /dev/full "$out/g0001/errors.txt"
"$batch" --group "$out/g0001" 2>"$work/err"
check "group status $? when its log cannot be written" test $? -eq 2
check "one line naming the log" test "$(cat "$work/err")" = \
  "drought-batch: write $out/g0001/errors.txt: No space left on device"
ln -s /dev/full "$out/summary.txt"
"$batch" --summary "$out" >"$work/summary" 2>"$work/err"
check "summary status $? when it cannot be written" test $? -eq 2
check "unfinished group listed" grep -qx 'unfinished: g0001' "$work/summary"
check "one line naming the summary" test "$(cat "$work/err")" = \
  "drought-batch: write $out/summary.txt: No space left on device"

# --- Two batches at once on one new OUTDIR.
out=$work/shared
"$batch" -g 1 --drought "$work/bin/slow-drought" -q "$work/in" "$out" 1 "${ids[@]}" >"$work/a" 2>&1 &
a=$!
"$batch" -g 1 --drought "$work/bin/slow-drought" -q "$work/in" "$out" 1 "${ids[@]}" >"$work/b" 2>&1 &
b=$!
wait "$a"
sa=$?
wait "$b"
sb=$?
check "statuses $sa and $sb: one batch ran, one was refused" test "$((sa + sb))" -eq 2 -a "$((sa * sb))" -eq 0
cat "$work/a" "$work/b" >"$work/both"
check "refusal names the directory" grep -qx "drought-batch: $out is in use by another drought-batch" "$work/both"
check "the batch that ran counts every station" grep -qx 'drought-batch: 3 stations, 3 succeeded, 0 failed' "$work/both"
for id in "${ids[@]}"; do
  check "$id complete" same_as_single "$id" "$(dirname "$out"/g*/"$id.csv")"
done
"$batch" -q --drought "$exe" "$work/in" "$out" 1 100111 2>"$work/err"
check "a later batch: status $?" test $? -eq 2
check "a later batch finds OUTDIR not empty" grep -qx "drought-batch: output directory $out is not empty" "$work/err"

# --- SIGTERM once the first group has finished.
out=$work/stopped
SLOW=2 "$batch" -g 1 --drought "$work/bin/slow-drought" -q "$work/in" "$out" 1 "${ids[@]}" \
  >"$work/summary" 2>&1 &
pid=$!
for ((t = 0; t < 200; t++)); do
  [ -e "$out/g0001/succeeded" ] && break
  sleep 0.1
done
kill -TERM "$pid"
wait "$pid"
check "interrupted batch status $?" test $? -eq 143
check "no process of the batch left" test -z "$(pgrep -f -- "$work/")"
check "interruption named" grep -qx 'drought-batch: interrupted by SIGTERM' "$work/summary"
check "unfinished groups listed" grep -qx 'unfinished: g0002' "$work/summary"
check "first group counted" grep -q '^drought-batch: 3 stations, 1 succeeded, 2 failed, [12] groups did not finish$' "$work/summary"
check "summary.txt as printed" cmp -s "$work/summary" "$out/summary.txt"
for g in "$out"/g*; do
  [ -e "$g/succeeded" ] || "$batch" --group "$g"
done
"$batch" --summary "$out" >"$work/summary"
check "--summary after the rest ran: status $?" test $? -eq 0
check "--summary counts every station" grep -qx 'drought-batch: 3 stations, 3 succeeded, 0 failed' "$work/summary"

finish
