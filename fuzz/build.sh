#!/usr/bin/env bash
# Builds the fuzz targets with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into fuzz-build/. The program's sources (every
# src/*/*.cpp but the entry points src/*/main.cpp) are compiled once and
# linked into each target, with zlib for the importer.
#
# Usage: fuzz/build.sh [target ...]
# The targets are those named, else every fuzz/*_fuzz.cpp: a new target is one
# more file fuzz/<name>_fuzz.cpp (built on fuzz/harness.h), nothing else to
# list here. JOBS (default 2) compiles that many files at a time.
set -euo pipefail
cd "$(dirname "$0")/.."

CXX=${CXX:-clang++}
OUT=fuzz-build
JOBS=${JOBS:-2}
FLAGS=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
  -ffp-contract=off -Isrc "-I$OUT/generated")
LIBS=(-lz)

command -v "$CXX" >/dev/null || { echo "fuzz/build.sh: no $CXX (install clang)" >&2; exit 2; }
mkdir -p "$OUT/obj" "$OUT/generated"

# The header CMake generates (version.h), from the project version.
version=$(sed -n 's/^project(drought VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sed "s/@PROJECT_VERSION@/$version/" cmake/version.h.in >"$OUT/generated/version.h.new"
if cmp -s "$OUT/generated/version.h.new" "$OUT/generated/version.h"; then
  rm "$OUT/generated/version.h.new"
else
  mv "$OUT/generated/version.h.new" "$OUT/generated/version.h"
fi

export CXX OUT
export FLAGS_TEXT="${FLAGS[*]}"

# Library objects, rebuilt when the source or any header is newer. Headers
# may sit one folder deeper than the sources (src/catalogue/..., ...).
sources=()
for src in src/*/*.cpp; do
  [[ $src == src/*/main.cpp ]] && continue
  sources+=("$src")
done
shopt -s nullglob
headers=(src/*/*.h src/*/*/*.h "$OUT/generated/version.h")
shopt -u nullglob
newest_header=$(ls -t "${headers[@]}" | head -n 1)
export newest_header
printf '%s\n' "${sources[@]}" | xargs -P "$JOBS" -I{} bash -c '
  src={}; obj="$OUT/obj/${src//\//_}.o"
  if [[ ! -f $obj || $src -nt $obj || $newest_header -nt $obj ]]; then
    echo "compile $src"; $CXX $FLAGS_TEXT -c "$src" -o "$obj"
  fi'

objects=()
for src in "${sources[@]}"; do objects+=("$OUT/obj/${src//\//_}.o"); done
# Objects of sources that are gone (renamed or moved) would be linked too.
for obj in "$OUT"/obj/*.o; do
  [[ " ${objects[*]} " == *" $obj "* ]] || rm -f "$obj"
done

if (($# > 0)); then
  targets=("$@")
else
  targets=()
  for f in fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
export LINK_TEXT="${objects[*]} ${LIBS[*]}"
printf '%s\n' "${targets[@]}" | xargs -P "$JOBS" -I{} bash -c '
  echo "link {}"; $CXX $FLAGS_TEXT -Ifuzz fuzz/{}.cpp $LINK_TEXT -o "$OUT/{}"'

echo "built: ${targets[*]} in $OUT/"
