#!/usr/bin/env bash
# A textured model from assimp's test models, converted with letterbot-assets
# convert, as data/robot.ase: the program starts, draws the model's picture on
# the camera-target figure (the same view with the converted bitmap and with a
# plain white one differs on the figure and hardly anywhere else), the robot
# goes its usual way, and Escape ends the program with 200.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

# A box of 1 x 1 x 1 with a picture on every side.
model=/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb

enter_scratch_folder
if [ ! -f "$model" ]; then
  fail "$model is not there; script/bootstrap test installs assimp's test models"
  finish
fi
start_xvfb || exit 1

# The path the robot must take, whatever figure it wears.
simulated_trace "$work/simulated.txt"

for copy in real white; do
  mkdir "$copy"
  cp -r "$LETTERBOT_SOURCE_DIR/data" "$copy/data"
  (cd "$copy" && "$LETTERBOT_TOOLS/tools/letterbot-assets" convert "$model" data/robot.ase \
    >convert.txt 2>&1) || fail "$copy: the conversion failed: $(cat "$copy/convert.txt")"
done
size=$(identify -format '%wx%h' real/data/robot_1.bmp)
convert -size "$size" xc:white -type truecolor BMP3:white/data/robot_1.bmp

# As in robot_texture_test.sh: holding Up carries the camera-target figure,
# which faces the camera, past everything else in the scene.
for copy in real white; do
  cd "$work/$copy" || exit 1
  picture_of_the_figure "$copy" "$work/$copy.png" || continue
  follows_simulated_path trace.txt "$work/simulated.txt" 10
done
cd "$work" || exit 1

figure_wears_its_picture real.png white.png

finish
