# Shell helpers for running letterbot in a private Xvfb, shared by script/run,
# script/record and the tests. Source it before starting anything: what these
# start is stopped on every way out (see cleanup.sh), and every wait is bounded.
. "$(dirname "${BASH_SOURCE[0]}")/cleanup.sh"

# Starts Xvfb on a free display number and exports DISPLAY, or says why not
# and returns 1, leaving nothing running. An inherited DISPLAY is dropped
# first: it is the screen of whoever started us, never one to press keys on,
# and it must not pass for ours if Xvfb fails. Without -noreset the server
# resets whenever its last client leaves (our readiness probe, say) and refuses
# connections meanwhile, so a program started then cannot open the display.
start_xvfb() {
  local i number=""
  unset DISPLAY
  on_exit stop_xvfb
  XVFB_DISPLAY_FILE=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$XVFB_DISPLAY_FILE" >/dev/null 2>&1 &
  XVFB_PID=$!
  for i in $(seq 100); do
    number=$(grep -m 1 '^[0-9][0-9]*$' "$XVFB_DISPLAY_FILE" 2>/dev/null || true)
    [ -n "$number" ] && break
    xvfb_running || return 1
    sleep 0.1
  done
  rm -f "$XVFB_DISPLAY_FILE"
  XVFB_DISPLAY_FILE=""
  if [ -z "$number" ]; then
    echo "Xvfb gave no display number within 10 s" >&2
    stop_xvfb
    return 1
  fi
  export DISPLAY=":$number"
  local deadline=$((SECONDS + 15))
  while [ "$SECONDS" -lt "$deadline" ]; do
    # A server that takes the connection but never replies must not hold us.
    timeout 3 xdpyinfo >/dev/null 2>&1 && return 0
    xvfb_running || return 1
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  stop_xvfb
  return 1
}

# While start_xvfb waits: true while its Xvfb runs; otherwise says so, cleans
# up and returns 1.
xvfb_running() {
  kill -0 "$XVFB_PID" 2>/dev/null && return 0
  local status=0
  wait "$XVFB_PID" 2>/dev/null || status=$?
  XVFB_PID=""
  echo "Xvfb ended with status $status while starting" >&2
  stop_xvfb
  return 1
}

# Stops the Xvfb started above, by its process id, and forgets its display.
stop_xvfb() {
  stop_process "${XVFB_PID:-}"
  XVFB_PID=""
  [ -z "${XVFB_DISPLAY_FILE:-}" ] || rm -f "$XVFB_DISPLAY_FILE"
  XVFB_DISPLAY_FILE=""
  unset DISPLAY
}

# Starts the program in the background with the software renderer, which
# reports every GL error on standard error (see gl_errors):
# start_letterbot BINARY STDOUT_FILE STDERR_FILE [SECONDS]. Sets LETTERBOT_PID,
# that of the timeout around it, which passes a SIGTERM on to the program and
# so stops it, and LETTERBOT_TRACE, the full path of its standard output (see
# wait_for_passes). One still running from an earlier start is stopped first.
start_letterbot() {
  on_exit stop_letterbot
  stop_letterbot
  LETTERBOT_TRACE=$(realpath -m "$2")
  SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1 MESA_DEBUG=1 timeout -k 5 "${4:-120}" "$1" >"$2" 2>"$3" &
  LETTERBOT_PID=$!
}

# run_letterbot BINARY DIR SECONDS: runs the program as start_letterbot does,
# in the working directory DIR, to its end (at most SECONDS), with its output
# in DIR/out.txt and DIR/err.txt. Sets LETTERBOT_STATUS.
run_letterbot() {
  local back=$PWD
  cd "$2" || return 1
  start_letterbot "$1" out.txt err.txt "$3"
  cd "$back" || return 1
  wait_letterbot
}

# Stops the program if it still runs.
stop_letterbot() {
  stop_process "${LETTERBOT_PID:-}"
  LETTERBOT_PID=""
}

# The GL errors Mesa reported in a program's standard error: prints how many.
gl_errors() { grep -c '^Mesa: User error' "$1" || true; }

# Waits for the program to end and sets LETTERBOT_STATUS to its exit status.
# Call it in the shell that started the program, never inside $(...): a
# subshell cannot wait for its parent's child, and would not wait at all.
wait_letterbot() {
  LETTERBOT_STATUS=0
  wait "$LETTERBOT_PID" 2>/dev/null || LETTERBOT_STATUS=$?
  LETTERBOT_PID=""
}

# Waits (at most 60 s) until the program's window is mapped; sets WINDOW_ID.
# Gives up at once if the program has already ended.
wait_for_window() {
  local i
  for i in $(seq 600); do
    WINDOW_ID=$(xdotool search --onlyvisible --name '^letterbot$' 2>/dev/null | head -n 1 || true)
    [ -n "$WINDOW_ID" ] && return 0
    if [ -n "${LETTERBOT_PID:-}" ] && ! kill -0 "$LETTERBOT_PID" 2>/dev/null; then
      local status=0
      wait "$LETTERBOT_PID" || status=$?
      LETTERBOT_PID=""
      echo "letterbot ended with status $status before its window appeared" >&2
      return 1
    fi
    sleep 0.1
  done
  return 1
}

# Saves a picture of the program's window.
screenshot() { import -window "$WINDOW_ID" "$1"; }

# wait_for_passes N [SECONDS]: waits (at most SECONDS, default 60) until the
# program has begun at least N passes of its main loop since the call, as its
# trace (LETTERBOT_TRACE) shows, one line a pass. The lines that first appear
# may come from a pass begun before the call, or have waited in the output's
# buffer; of those written after them, each but the first belongs to a pass
# begun since. Returns 1 when the program has ended or the time is up.
wait_for_passes() {
  local deadline=$((SECONDS + ${2:-60})) start first="" lines
  start=$(wc -l <"$LETTERBOT_TRACE" 2>/dev/null || echo 0)
  for (( ; ; )); do
    lines=$(wc -l <"$LETTERBOT_TRACE" 2>/dev/null || echo 0)
    [ -z "$first" ] && [ "$lines" -gt "$start" ] && first=$lines
    [ -n "$first" ] && [ "$lines" -gt $((first + $1)) ] && return 0
    [ -n "${LETTERBOT_PID:-}" ] && kill -0 "$LETTERBOT_PID" 2>/dev/null || return 1
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

# press_key KEY [SECONDS]: holds a key for SECONDS (default 0.3) and until the
# program has begun two passes since it went down, since it takes one event
# a pass: a slow pass must not miss it. When the window has gone, says so on
# standard error and returns 1.
press_key() {
  if ! xdotool keydown --window "$WINDOW_ID" "$1" 2>/dev/null; then
    echo "press_key $1: the window ${WINDOW_ID:-} has gone" >&2
    return 1
  fi
  sleep "${2:-0.3}" &
  local timer=$!
  [ -z "${LETTERBOT_TRACE:-}" ] || wait_for_passes 2 || true
  wait "$timer"
  # The program may end on the key (Escape): then the release finds no window,
  # and the key must still go up, or the next program starts with it held.
  xdotool keyup --window "$WINDOW_ID" "$1" 2>/dev/null || xdotool keyup "$1" 2>/dev/null || true
}
