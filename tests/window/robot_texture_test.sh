#!/usr/bin/env bash
# The robot's chest panel really shows its picture: the same view with the real
# bitmap and with a plain white one of the same size differs on the panel and
# nowhere else on the robot.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

enter_scratch_folder
start_xvfb || exit 1

mkdir real white
cp -r "$LETTERBOT_SOURCE_DIR/data" real/data
cp -r "$LETTERBOT_SOURCE_DIR/data" white/data
size=$(identify -format '%wx%h' real/data/robot_panel.bmp)
convert -size "$size" xc:white -type truecolor BMP3:white/data/robot_panel.bmp

# The camera-target robot stands at the centre of the view facing the camera.
# Holding Up carries it (and the camera) well past everything the other robot
# and the blocks ever reach, so only the figure, the sky and the ground remain
# around the centre, whatever the timing.
for copy in real white; do
  cd "$work/$copy" || exit 1
  picture_of_the_figure "$copy" "$work/$copy.png"
done
cd "$work" || exit 1

if [ -f real.png ] && [ -f white.png ]; then
  # Inside the panel, and inside the head just above it (at distance 5 the
  # panel spans about x 487 to 537 and y 405 to 424, the head y 356 to 385).
  panel=$(differing_pixels real.png white.png 40x12+492+409)
  head=$(differing_pixels real.png white.png 36x20+494+360)
  echo "differing pixels: ${panel:-?} of 480 on the panel, ${head:-?} of 720 on the head"
  if [ -n "$panel" ] && [ "$panel" -gt 100 ]; then
    ok "the panel shows its picture"
  else
    fail "the panel looks the same with a white picture"
  fi
  # The camera stops at a slightly different place in each run; rounding may
  # move an edge of the eyes by a pixel, nothing more.
  if [ -n "$head" ] && [ "$head" -le 20 ]; then
    ok "the rest of the robot is unchanged"
  else
    fail "the robot's head differs between the two runs, so the view was not the same"
  fi
else
  fail "the pictures of the robot to compare are missing"
fi

finish
