#!/bin/sh
# Runs drought on every bundled example station in one program run, in the
# scratch directory given, says what to open first, then lists the files it
# wrote.
# usage: run-demo.sh <drought executable> <scratch directory> [<drought-report executable>]
set -e
exe=$1
dir=$2
cd "$dir"
stations=$(ls *_PRCP.csv | sed 's/_PRCP\.csv$//')
inputs=$(ls)
echo "== console dialogue (replies: $(echo $stations) exit)"
{ for s in $stations; do echo "$s"; done; echo exit; } | "$exe"
echo "== where to look"
echo "The results are in $dir, one set of files per station, listed below."
echo "Open first the 60-year station 100113 (synthetic, see examples/README.md):"
echo "  $dir/100113-spi-results.csv  SPI of 1 to 24 months, observed and interpolated side by side"
echo "  $dir/100113-spi-stats.csv    twelve statistics per period comparing the two"
echo "  $dir/100113-pdsi.csv         Palmer Z and X per month"
echo "The short stations (4 to 6 years) cannot fill the 24-month period: hence the"
echo "fitting messages above. 'man -l doc/drought.1' describes every file and column."
echo "== files written in $dir"
for f in $(ls); do
  case " $(echo $inputs) " in *" $f "*) ;; *) ls -l "$f" ;; esac
done
# The station reports: a page and a tidy table for every station, when the
# report program is given as the third argument.
if [ -n "$3" ]; then
  echo "== station reports"
  "$3" $stations
  ls -l *-report.html *-indices.csv
  page=100113-report.html
  [ -f "$page" ] || page=$(echo $stations | cut -d' ' -f1)-report.html
  echo "== open this page in a browser: file://$(pwd)/$page"
fi
