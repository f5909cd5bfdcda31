#!/usr/bin/env bash
# The whole demonstration in a real X server: the first picture, the robot's
# trace against the simulated run, the camera target under the arrow keys,
# Escape, and working directories without data or without the robot's picture.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

enter_scratch_folder
start_xvfb || exit 1

# Without data/ the first texture is missing: status 3 and the message.
mkdir nodata
run_letterbot "$LETTERBOT" nodata 60
check "no data: exit status" "$LETTERBOT_STATUS" 3
grep -q "Couldn't find a texture!" nodata/err.txt && ok "no data: message on standard error" \
  || fail "no data: message missing from standard error: $(head -c 500 nodata/err.txt)"
check "no data: error.txt" "$(cat nodata/error.txt)" "Couldn't find a texture!"
grep -q "robot.ase" nodata/err.txt && ok "no data: the missing model is reported first" \
  || fail "no data: the missing robot model was not reported"

# The robot's material names its own picture: without it the program ends
# while it reads the robot, naming the file.
mkdir nopanel
cp -r "$LETTERBOT_SOURCE_DIR/data" nopanel/data
rm nopanel/data/robot_panel.bmp
run_letterbot "$LETTERBOT" nopanel 60
check "no panel picture: exit status" "$LETTERBOT_STATUS" 3
grep -qx "Unable to find or open the texture: data/robot_panel.bmp" nopanel/err.txt \
  && grep -qx "Error!: Couldn't find a texture!" nopanel/err.txt \
  && ok "no panel picture: the message names the file" \
  || fail "no panel picture: standard error: $(head -c 500 nopanel/err.txt)"
check "no panel picture: error.txt" "$(cat nopanel/error.txt)" "Couldn't find a texture!"

# The simulated path, up to the start of the patrol.
simulated_trace simulated.txt
simulated_lines=$(wc -l <simulated.txt)

ln -s "$LETTERBOT_SOURCE_DIR/data" data
started=$(date +%s.%N)
start_letterbot "$LETTERBOT" trace.txt err.txt 200
wait_for_window || { fail "the window did not appear; stdout: $(head -c 300 trace.txt); stderr: $(head -c 2000 err.txt)"; finish; }
wait_for_passes 1 || fail "the program stopped before its first pictures"
screenshot first.png || fail "the first screenshot failed"
scene_drawn first.png

# Wait (at most 90 s from the start) for the patrol, then compare the paths.
deadline=$(( $(date +%s) + 90 ))
while [ "$(date +%s)" -lt "$deadline" ]; do
  [ "$(fold_trace trace.txt | wc -l)" -gt "$simulated_lines" ] && break
  sleep 1
done
follows_simulated_path trace.txt simulated.txt
passes=$(wc -l <trace.txt)
echo "passes per second: $(awk -v n="$passes" -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.0f", n / (b - a) }')"

# During the patrol, the other way round from robot_view_test.sh.
held_key_moves_view "holding Left" Left

press_key Escape
wait_letterbot
check "Escape: exit status" "$LETTERBOT_STATUS" 200
trace_lines_only trace.txt
check "no GL errors" "$(( $(gl_errors err.txt) + $(gl_errors nodata/err.txt) + $(gl_errors nopanel/err.txt) ))" 0
finish
