#!/usr/bin/env bash
# Regenerates the asset files into a temporary directory and checks that data/
# holds exactly those files, byte for byte.
# Usage: regenerate_test.sh <make_assets binary> <data directory>
set -euo pipefail
generator="$1"
data="$2"
fresh="$(mktemp -d)"
trap 'rm -rf "$fresh"' EXIT

"$generator" "$fresh" >/dev/null

status=0
for file in "$fresh"/*; do
    name="$(basename "$file")"
    if [[ ! -f "$data/$name" ]]; then
        echo "missing from data/: $name"
        status=1
    elif ! cmp -s "$file" "$data/$name"; then
        echo "differs from a fresh run: data/$name"
        status=1
    fi
done
for file in "$data"/*; do
    name="$(basename "$file")"
    if [[ ! -e "$fresh/$name" ]]; then
        echo "not written by make_assets: data/$name"
        status=1
    fi
done
if [[ $status -eq 0 ]]; then
    echo "data/ matches make_assets: $(ls "$fresh" | wc -l) files"
fi
exit $status
