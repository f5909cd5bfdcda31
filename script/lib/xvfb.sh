# Shell helpers for running letterbot in a private Xvfb, shared by script/run
# and the window tests. Source it; every wait is bounded.

# Starts Xvfb on a free display number and exports DISPLAY. Without -noreset
# the server resets whenever its last client leaves (our readiness probe, say)
# and refuses connections meanwhile, so a program started then cannot open the
# display.
start_xvfb() {
  XVFB_DISPLAY_FILE=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$XVFB_DISPLAY_FILE" >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do
    if grep -q '^[0-9]' "$XVFB_DISPLAY_FILE" 2>/dev/null; then
      export DISPLAY=":$(head -n 1 "$XVFB_DISPLAY_FILE")"
      break
    fi
    sleep 0.1
  done
  rm -f "$XVFB_DISPLAY_FILE"
  [ -n "${DISPLAY:-}" ] || { echo "Xvfb did not start" >&2; return 1; }
  for i in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb on $DISPLAY does not answer" >&2
  return 1
}

# Stops the Xvfb started above, by its process id.
stop_xvfb() {
  [ -n "${LETTERBOT_PID:-}" ] && kill "$LETTERBOT_PID" 2>/dev/null || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# Starts the program in the background with the software renderer, which
# reports every GL error on standard error (see gl_errors):
# start_letterbot BINARY STDOUT_FILE STDERR_FILE [SECONDS]. Sets LETTERBOT_PID
# (that of the timeout around it; the program is its only child).
start_letterbot() {
  SDL_VIDEODRIVER=x11 LIBGL_ALWAYS_SOFTWARE=1 MESA_DEBUG=1 timeout -k 5 "${4:-120}" "$1" >"$2" 2>"$3" &
  LETTERBOT_PID=$!
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

# Holds a key long enough for several input snapshots to see it.
press_key() {
  xdotool keydown --window "$WINDOW_ID" "$1" 2>/dev/null
  sleep "${2:-0.3}"
  # The program may end on the key (Escape): then the release finds no window,
  # and the key must still go up, or the next program starts with it held.
  xdotool keyup --window "$WINDOW_ID" "$1" 2>/dev/null || xdotool keyup "$1" 2>/dev/null || true
}
