#!/usr/bin/env bash
# Builds every fuzz target (fuzz/*_fuzz.cpp) with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer into fuzz-build/. The program's sources
# (every src/*/*.cpp but the entry point) are compiled once and linked into
# each target. Usage: fuzz/build.sh [target ...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."

CXX=${CXX:-clang++}
OUT=fuzz-build
FLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
  -ffp-contract=off -Isrc)
JOBS=${JOBS:-2}

mkdir -p "$OUT/obj"
export CXX OUT
export FLAGS_TEXT="${FLAGS[*]}"

# Library objects, rebuilt when the source or any header is newer.
sources=()
for src in src/*/*.cpp; do
  [[ $src == src/driver/main.cpp ]] && continue
  sources+=("$src")
done
newest_header=$(ls -t src/*/*.h | head -n 1)
printf '%s\n' "${sources[@]}" | xargs -P "$JOBS" -I{} bash -c '
  src={}; obj="$OUT/obj/${src//\//_}.o"
  if [[ ! -f $obj || $src -nt $obj || '"$newest_header"' -nt $obj ]]; then
    echo "compile $src"; $CXX $FLAGS_TEXT -c "$src" -o "$obj"
  fi'

objects=()
for src in "${sources[@]}"; do objects+=("$OUT/obj/${src//\//_}.o"); done

if (($# > 0)); then
  targets=("$@")
else
  targets=()
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
printf '%s\n' "${targets[@]}" | xargs -P "$JOBS" -I{} bash -c '
  echo "link {}"; $CXX $FLAGS_TEXT -Ifuzz fuzz/{}.cpp '"${objects[*]}"' -o "$OUT/{}"'

echo "built: ${targets[*]} in $OUT/"
