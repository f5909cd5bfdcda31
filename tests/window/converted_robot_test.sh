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

# The simulated run, folded (see scene_test.sh): the path the robot must take.
LETTERBOT_SIMULATED_TRACE_OUT="$work/simulated.txt" \
  "$LETTERBOT_TOOLS/tests/robot_test" --gtest_filter='*WholeDemonstration*' >/dev/null 2>&1
[ -s simulated.txt ] || fail "the simulated trace was not written"

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
  start_letterbot "$LETTERBOT" trace.txt err.txt 120
  if ! wait_for_window; then
    fail "$copy: the window did not appear; stderr: $(head -c 2000 err.txt)"
    continue
  fi
  press_key Up 4
  sleep 0.5
  screenshot "$work/$copy.png"
  press_key Escape
  wait_letterbot
  check "$copy: exit status" "$LETTERBOT_STATUS" 200
  check "$copy: no GL errors" "$(gl_errors err.txt)" 0
  passes=$(uniq trace.txt | wc -l)
  if [ "$passes" -gt 10 ] && cmp -s <(uniq trace.txt | head -n "$passes") \
    <(head -n "$passes" "$work/simulated.txt"); then
    ok "$copy: the robot took its usual path ($passes steps)"
  else
    fail "$copy: the robot's path differs from the simulated one"
  fi
done
cd "$work" || exit 1

if [ -f real.png ] && [ -f white.png ]; then
  # At distance 5 the box's front spans about x 440 to 584 and y 340 to 484;
  # the sky above it is the same in both.
  box=$(differing_pixels real.png white.png 100x100+462+362)
  sky=$(differing_pixels real.png white.png 300x100+362+100)
  echo "differing pixels: ${box:-?} of 10000 on the box, ${sky:-?} of 30000 above it"
  if [ -n "$box" ] && [ "$box" -gt 2000 ]; then
    ok "the figure shows the converted picture"
  else
    fail "the figure looks the same with a white picture"
  fi
  if [ -n "$sky" ] && [ "$sky" -le 20 ]; then
    ok "the rest of the view is unchanged"
  else
    fail "the view above the figure differs between the two runs"
  fi
fi

finish
