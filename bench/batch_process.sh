#!/usr/bin/env bash
# Whole `tavprint batch` runs from CSV to one PDF, as a user starts them: 1,000 and 100,000 rows
# of the typical label (two texts, a Code 128, a QR code, a frame and a line), with the time and
# the peak memory of the process.
# usage: bench/batch_process.sh [BUILD_DIR]     (after scripts/build)
set -euo pipefail
build=${1:-build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$build/bin/write_typical_label" "$scratch/label.tav"
for rows in 1000 100000; do
    awk -v n="$rows" 'BEGIN {
        print "NAME,{PRICE},CODE,QR"
        for (i = 1; i <= n; i++)
            printf "Apple %d,%d.50,SF%010d,https://example.com/t/%08d\n", i, i % 100, i, i
    }' >"$scratch/rows.csv"
    /usr/bin/time -f "$rows rows: %e s, peak %M KB" \
        "$build/bin/tavprint" batch "$scratch/label.tav" --csv "$scratch/rows.csv" \
        --output "$scratch/out.pdf" 2>&1 | grep -v "^tavprint batch:"
    rm -f "$scratch/out.pdf"
done
