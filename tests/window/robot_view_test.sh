#!/usr/bin/env bash
# The robot and the camera in a real X server: the robot's first trace line,
# the view following the camera target under the Right arrow, and Escape.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

enter_scratch_folder with-data
start_xvfb || exit 1

start_letterbot "$LETTERBOT" trace.txt err.txt 120
if ! wait_for_window; then
  fail "the window did not appear; stdout: $(head -c 300 trace.txt); stderr: $(head -c 2000 err.txt)"
  finish
fi
wait_for_passes 1 || fail "the program stopped before its first pictures"

held_key_moves_view "holding Right" Right

press_key Escape
wait_letterbot
check "Escape: exit status" "$LETTERBOT_STATUS" 200
check "no GL errors" "$(gl_errors err.txt)" 0
check "first trace line" "$(head -n 1 trace.txt)" "0.000000 0.000000"
if grep -qvE '^-?[0-9]+\.[0-9]{6} (-?[0-9]+\.[0-9]{6}|-?nan)$' trace.txt; then
  fail "a trace line is not two numbers: $(grep -vE '^-?[0-9]+\.[0-9]{6} ' trace.txt | head -n 1)"
else
  ok "$(wc -l <trace.txt) trace lines, each two numbers"
fi

finish
