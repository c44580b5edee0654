#!/usr/bin/env bash
# Writes the reference runs that ReferenceRunsTest compares with: for every
# example task and seeds 1 to 5 the results file and the console lines of
# dovra-batch (the wall-time figures of the closing line masked), the task as
# "Save As" writes it, and the run of the lowpass task with each design method.
# Run it from a build of the commit whose behaviour is the reference:
#   tests/data/runs/generate.sh build/batch/dovra-batch
set -euo pipefail
batch=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
examples="$here/../../../examples"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mask() { sed -E 's/, [0-9.]+ s, [0-9]+ evaluations\/s(;.*)?$/, T s, R evaluations\/s\1/'; }

for task in "$examples"/*.cfg; do
    name=$(basename "$task" .cfg)
    for seed in 1 2 3 4 5; do
        set +e
        "$batch" --seed "$seed" -o "$here/$name-seed$seed.out" "$task" >"$tmp/log" 2>&1
        echo "exit $?" >>"$tmp/log"
        set -e
        mask <"$tmp/log" >"$here/$name-seed$seed.console"
    done
    "$batch" --dry-run --save-config "$here/$name.saved.cfg" "$task" >"$here/$name.dry-run" 2>&1
done

# Design methods 1 to 7 on the lowpass task: each ends as the method decides
# (its results file is kept when the run writes one).
for method in 1 2 3 4 5 6 7; do
    sed '$ s/.*/'"$method"'/' "$examples/lowpass.cfg" >"$tmp/method.cfg"
    set +e
    "$batch" --seed 1 -o "$tmp/method.out" "$tmp/method.cfg" >"$tmp/log" 2>&1
    echo "exit $?" >>"$tmp/log"
    set -e
    mask <"$tmp/log" >"$here/lowpass-method$method.console"
    if [ -f "$tmp/method.out" ]; then
        mv "$tmp/method.out" "$here/lowpass-method$method.out"
    fi
done
