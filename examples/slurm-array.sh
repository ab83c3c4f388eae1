#!/usr/bin/env bash
# A Slurm job array for drought: one group of stations per array task, with
# the same per-group step that drought-batch runs under GNU parallel.
#
# 1. Make the groups (here 50 stations each, with station pages and one
#    compressed table) on a directory every node sees:
#      drought-batch --prepare -q -g 50 --report --table /shared/all.csv.gz \
#        /shared/stations /shared/out 1 < ids.txt
# 2. Submit one task per group:
#      n=$(ls -d /shared/out/g[0-9]* | wc -l)
#      sbatch --array=1-$n examples/slurm-array.sh /shared/out
#    A task ends with 0 (every station of its group succeeded), 1 (a station
#    failed), 2 (the step itself failed) or 128+N (stopped by signal N, for
#    example scancel); a group that did not end with 0 or 1 can be run again.
# 3. When every task has ended, count and list the failures, and write the
#    table and the network page /shared/out/index.html (status 0 only if
#    every station succeeded):
#      drought-batch --summary /shared/out
#    and join the collecting fort files as the README ("Many stations") shows.
#
# BATCH is drought-batch at a path every node sees: by default the one on the
# PATH (installed by cmake --install), else tools/drought-batch of the
# directory the job was submitted from (Slurm runs a copy of this script
# elsewhere). The programs and their options are those recorded by --prepare
# in /shared/out/command and /shared/out/options.
#SBATCH --job-name=drought
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --time=00:30:00
#SBATCH --output=drought-%A_%a.log
set -euo pipefail
out=${1:?usage: sbatch --array=1-N slurm-array.sh OUTDIR}
BATCH=${BATCH:-$(command -v drought-batch || echo "${SLURM_SUBMIT_DIR:-.}/tools/drought-batch")}

# Task k runs the k-th group directory, in the order of their names.
group=$(ls -d "$out"/g[0-9]* | sed -n "${SLURM_ARRAY_TASK_ID}p")
[ -n "$group" ] || { echo "no group $SLURM_ARRAY_TASK_ID in $out" >&2; exit 2; }
exec "$BATCH" --group "$group"
