#!/usr/bin/env bash
# A Slurm job array for drought: one group of stations per array task, with
# the same per-group step that tools/drought-batch runs under GNU parallel.
#
# 1. Make the groups (here 50 stations each) on a directory every node sees:
#      tools/drought-batch --prepare -q -g 50 /shared/stations /shared/out 1 < ids.txt
# 2. Submit one task per group:
#      n=$(ls -d /shared/out/g[0-9]* | wc -l)
#      sbatch --array=1-$n examples/slurm-array.sh /shared/out
# 3. When every task has ended, list the failures (status 0 only if none):
#      tools/drought-batch --summary /shared/out
#    and join the collecting fort files as the README ("Many stations") shows.
#
# Submit from the source directory, or set BATCH to tools/drought-batch at a
# path every node sees (Slurm runs a copy of this script elsewhere). The
# drought program and its options are those recorded by --prepare in
# /shared/out/command.
#SBATCH --job-name=drought
#SBATCH --ntasks=1
#SBATCH --cpus-per-task=1
#SBATCH --time=00:30:00
#SBATCH --output=drought-%A_%a.log
set -euo pipefail
out=${1:?usage: sbatch --array=1-N slurm-array.sh OUTDIR}
BATCH=${BATCH:-${SLURM_SUBMIT_DIR:-.}/tools/drought-batch}

# Task k runs the k-th group directory, in the order of their names.
group=$(ls -d "$out"/g[0-9]* | sed -n "${SLURM_ARRAY_TASK_ID}p")
[ -n "$group" ] || { echo "no group $SLURM_ARRAY_TASK_ID in $out" >&2; exit 2; }
exec "$BATCH" --group "$group"
