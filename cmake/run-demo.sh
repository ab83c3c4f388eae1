#!/bin/sh
# Runs drought on every bundled example station in one program run, in the
# scratch directory given, then lists the files it wrote.
# usage: run-demo.sh <drought executable> <scratch directory>
set -e
exe=$1
dir=$2
cd "$dir"
stations=$(ls *_PRCP.csv | sed 's/_PRCP\.csv$//')
inputs=$(ls)
echo "== console dialogue (replies: $(echo $stations) exit)"
{ for s in $stations; do echo "$s"; done; echo exit; } | "$exe"
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
  first=$(echo $stations | cut -d' ' -f1)
  echo "== open this page in a browser: file://$(pwd)/$first-report.html"
fi
