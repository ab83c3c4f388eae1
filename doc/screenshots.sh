#!/bin/sh
# Re-takes the screenshots of the station page in doc/: the bundled 60-year
# station 100113 run through drought --extended, its page made by
# drought-report with a fixed SOURCE_DATE_EPOCH, and headless Chromium at
# 1280 and 420 pixels wide.
#   usage: doc/screenshots.sh [BUILD_DIR]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
chromium=${CHROMIUM:-chromium}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
id=100113
cp "$root/examples/$id.csv" "$root/examples/${id}_PRCP.csv" "$work/"
cd "$work"
"$build/src/driver/drought" --extended "$id" > drought.out
SOURCE_DATE_EPOCH=1780000000 "$build/src/report/drought-report" "$id"
shoot() {  # width height output
  "$chromium" --headless --no-sandbox --disable-gpu --no-first-run \
    --disable-background-networking --hide-scrollbars --screenshot="$3" \
    --window-size="$1,$2" "file://$work/$id-report.html" 2> /dev/null
}
shoot 1280 2000 "$root/doc/drought-report-1280.png"
shoot 420 2000 "$root/doc/drought-report-420.png"
echo "wrote doc/drought-report-1280.png and doc/drought-report-420.png"
