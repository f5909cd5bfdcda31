#!/usr/bin/env bash
# letterbot-assets check: the committed data passes; a missing texture, a
# broken bitmap and a missing model are each named, with a failing status.
set -u
tool=$(realpath "$1")
data=$(realpath "$2")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$tool" check "$data" >"$work/out.txt" 2>&1 || fail "the committed data does not pass: $(cat "$work/out.txt")"
grep -q '^0 problems$' "$work/out.txt" || fail "no summary line"
grep -q '^ok .*/data/robot_panel.bmp: bitmap 32 x 32, 8 bits per pixel (texture of .*/robot.ase)$' \
  "$work/out.txt" || fail "the robot's own picture is not checked: $(cat "$work/out.txt")"

mkdir "$work/data"
cp "$data"/* "$work/data/"
# A letter whose material names an image that is not there, a bitmap with a
# header size the program does not read, and no robot.
sed -i 's/\*MATERIAL_DIFFUSE/*BITMAP "data\\walls.bmp"\n\t\t*MATERIAL_DIFFUSE/' "$work/data/T.ase"
printf 'BM\0\0\0\0\0\0\0\0\x36\0\0\0\x6c\0\0\0' >"$work/data/textura_strecha.bmp"
rm "$work/data/robot.ase"
status=0
(cd "$work" && "$tool" check) >"$work/out.txt" 2>/dev/null || status=$?
[ "$status" -ne 0 ] || fail "problems gave status 0"
grep -q '^FAIL data/robot.ase: missing' "$work/out.txt" || fail "the missing model is not named"
grep -q '^FAIL ./data/walls.bmp: missing.*texture of data/T.ase' "$work/out.txt" \
  || fail "the missing texture is not named"
grep -q '^FAIL data/textura_strecha.bmp: Unknown DIB file format.' "$work/out.txt" \
  || fail "the broken bitmap is not named"
grep -q '^3 problems$' "$work/out.txt" || fail "wrong count: $(tail -n 1 "$work/out.txt")"
[ "$failures" -eq 0 ] || cat "$work/out.txt"
echo "$failures failed"
[ "$failures" -eq 0 ]
