# Shell helpers that record the program's window as a video with ffmpeg's X11
# screen capture, shared by script/record and the window tests. Source it after
# script/lib/xvfb.sh; start recording once the window is up (WINDOW_ID). A
# recording is stopped on every way out, and every wait is bounded.

# Starts recording the window at 30 frames per second into FILE (.mp4, H.264):
# start_recording FILE [SECONDS]. Without SECONDS it records until
# stop_recording. ffmpeg's messages go to FILE.log. Sets RECORDER_PID.
start_recording() {
  local file=$1 seconds=${2:-} geometry x y width height
  geometry=$(xdotool getwindowgeometry --shell "$WINDOW_ID") || return 1
  x=$(sed -n 's/^X=//p' <<<"$geometry")
  y=$(sed -n 's/^Y=//p' <<<"$geometry")
  width=$(sed -n 's/^WIDTH=//p' <<<"$geometry")
  height=$(sed -n 's/^HEIGHT=//p' <<<"$geometry")
  on_exit stop_recording
  # ultrafast keeps the encoder from taking the processor the software
  # renderer needs; the picture quality comes from the constant rate factor.
  ffmpeg -nostdin -hide_banner -loglevel error -y \
    -f x11grab -draw_mouse 0 -framerate 30 -video_size "${width}x${height}" -i "$DISPLAY+$x,$y" \
    ${seconds:+-t "$seconds"} -c:v libx264 -preset ultrafast -crf 16 -pix_fmt yuv420p \
    "$file" 2>"$file.log" &
  RECORDER_PID=$!
}

# Waits (at most SECONDS, default 60) for a recording started with a length to
# end by itself. Returns ffmpeg's status, or 1 when it had to be stopped.
wait_recording() {
  local i status=0
  for i in $(seq $((${1:-60} * 10))); do
    kill -0 "$RECORDER_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$RECORDER_PID" 2>/dev/null; then
    stop_recording
    return 1
  fi
  wait "$RECORDER_PID" || status=$?
  RECORDER_PID=""
  return "$status"
}

# Ends the recording. An interrupt lets ffmpeg finish the file; one that does
# not end within 10 s is killed, and then the status is 1.
stop_recording() {
  [ -n "${RECORDER_PID:-}" ] || return 0
  local i
  kill -INT "$RECORDER_PID" 2>/dev/null || true
  for i in $(seq 100); do
    kill -0 "$RECORDER_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$RECORDER_PID" 2>/dev/null; then
    kill -KILL "$RECORDER_PID" 2>/dev/null || true
    wait "$RECORDER_PID" 2>/dev/null || true
    RECORDER_PID=""
    return 1
  fi
  wait "$RECORDER_PID" 2>/dev/null || true
  RECORDER_PID=""
}
