#!/bin/sh
# Regenerates tests/e2e/expected/ from the current program. Run it by hand only,
# and only after a deliberate change of an output; then review the new files
# (python3 tests/e2e/review.py tests/e2e/expected examples) and look at the diff
# before committing them. The end-to-end test never runs this script.
#
#   tests/e2e/update_expected.sh [path/to/drought]
#
# The run is the one the test makes: the ten example station files copied into
# a fresh directory, one program run with the replies below (727930 twice, so the
# collecting fort files hold ten SPI runs), standard output kept as console.txt.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=${1:-$root/build/src/driver/drought}
[ -x "$exe" ] || { echo "no drought executable at $exe (build it first or pass its path)" >&2; exit 1; }
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root"/examples/*.csv "$work"/

printf '100111\n727930\n725030\n100112\n727930\nexit\n' >"$work/.replies"
(cd "$work" && "$exe" <.replies >.console 2>.errors) || { echo "drought failed:" >&2; cat "$work/.errors" >&2; exit 1; }
[ ! -s "$work/.errors" ] || { echo "drought wrote to standard error:" >&2; cat "$work/.errors" >&2; exit 1; }

rm -rf "$here/expected"
mkdir "$here/expected"
mv "$work/.console" "$here/expected/console.txt"
for f in "$work"/*; do
  name=$(basename "$f")
  [ -e "$root/examples/$name" ] || cp "$f" "$here/expected/$name"
done
echo "wrote $(ls "$here/expected" | wc -l) files to $here/expected"
