#!/usr/bin/env bash
# Takes the screenshot doc/drought-report-network.png: the network page of the
# bundled example stations (run through drought) and 400 generated stations
# (bench/make-network, in four group directories as a batch lays them out),
# in headless Chromium at 1280 pixels wide.
#
#   doc/network-screenshot.sh [BUILD_DIR]      (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd -P)
build=$(cd "${1:-$root/build}" && pwd -P)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/examples"
cp "$root"/examples/*.csv "$work/examples/"
(cd "$work/examples" &&
  printf '100111\n100112\n100113\n725030\n727930\nexit\n' | "$build/src/driver/drought" >/dev/null)
"$root/bench/make-network" --count 400 --groups 4 "$work/batch"
"$build/src/report/drought-report" --network "$work/index.html" "$work/examples" "$work/batch"
chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
  --hide-scrollbars --screenshot="$root/doc/drought-report-network.png" --window-size=1280,2000 \
  "file://$work/index.html" 2>/dev/null
echo "wrote $root/doc/drought-report-network.png"
