#!/usr/bin/env bash
# letterbot-assets check: the committed data passes; a missing texture, a
# broken bitmap and a missing model are each named, with a failing status.
set -u
tool=$(realpath "$1")
data=$(realpath "$2")
. "$(dirname "$0")/../lib/checks.sh"
enter_scratch_folder

"$tool" check "$data" >out.txt 2>&1 && ok "the committed data passes" \
  || fail "the committed data does not pass: $(cat out.txt)"
grep -q '^0 problems$' out.txt && ok "summary line" || fail "no summary line"
grep -q '^ok .*/data/robot_panel.bmp: bitmap 32 x 32, 8 bits per pixel (texture of .*/robot.ase)$' out.txt \
  && ok "the robot's own picture is checked" || fail "the robot's own picture is not checked: $(cat out.txt)"

mkdir data
cp "$data"/* data/
# A letter whose material names an image that is not there, a bitmap with a
# header size the program does not read, and no robot.
sed -i 's/\*MATERIAL_DIFFUSE/*BITMAP "data\\walls.bmp"\n\t\t*MATERIAL_DIFFUSE/' data/T.ase
printf 'BM\0\0\0\0\0\0\0\0\x36\0\0\0\x6c\0\0\0' >data/textura_strecha.bmp
rm data/robot.ase
status=0
"$tool" check >out.txt 2>/dev/null || status=$?
[ "$status" -ne 0 ] && ok "problems: status $status" || fail "problems gave status 0"
grep -q '^FAIL data/robot.ase: missing' out.txt && ok "the missing model is named" \
  || fail "the missing model is not named"
grep -q '^FAIL ./data/walls.bmp: missing.*texture of data/T.ase' out.txt && ok "the missing texture is named" \
  || fail "the missing texture is not named"
grep -q '^FAIL data/textura_strecha.bmp: Unknown DIB file format.' out.txt && ok "the broken bitmap is named" \
  || fail "the broken bitmap is not named"
grep -q '^3 problems$' out.txt && ok "3 problems" || fail "wrong count: $(tail -n 1 out.txt)"
[ "$failures" -eq 0 ] || cat out.txt
finish
