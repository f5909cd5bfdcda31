#!/usr/bin/env bash
# The recording helpers of script/record on a short run: three seconds of the
# window become a video of the window's size, 30 frames a second, showing the
# scene.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"
. "$LETTERBOT_SOURCE_DIR/script/lib/recording.sh"

command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null \
  || { echo "FAIL: ffmpeg is not installed (script/bootstrap test installs it)"; exit 1; }

enter_scratch_folder with-data
start_xvfb || exit 1

start_letterbot "$LETTERBOT" trace.txt err.txt 120
if ! wait_for_window; then
  fail "the window did not appear; stderr: $(head -c 2000 err.txt)"
  finish
fi
started=$(date +%s.%N)
if start_recording short.mp4 3 && wait_recording 60; then
  ok "the recording ended by itself"
else
  fail "the recording failed: $(head -c 1000 short.mp4.log)"
fi
echo "recording three seconds took $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
press_key Escape
wait_letterbot
check "Escape: exit status" "$LETTERBOT_STATUS" 200
check "no GL errors" "$(gl_errors err.txt)" 0

# stream=width,height,r_frame_rate,nb_read_frames, one value a line
read -r -d '' width height rate frames < <(ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=width,height,r_frame_rate,nb_read_frames -of default=noprint_wrappers=1:nokey=1 \
  short.mp4)
check "video size" "${width:-?}x${height:-?}" "1024x768"
check "frame rate" "${rate:-?}" "30/1"
if [ -n "${frames:-}" ] && [ "$frames" -ge 60 ]; then
  ok "$frames frames"
else
  fail "fewer than 60 frames: ${frames:-none}"
fi

# The last frame shows the scene, not an empty part of the screen.
ffmpeg -nostdin -v error -sseof -0.5 -i short.mp4 -frames:v 1 -y last.png
colours=$(convert last.png -format %k info: 2>/dev/null || echo 0)
[ "$colours" -gt 50 ] && ok "the last frame shows the scene ($colours colours)" \
  || fail "the last frame looks blank ($colours colours)"

finish
