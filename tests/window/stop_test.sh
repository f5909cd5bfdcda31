#!/usr/bin/env bash
# How the running program ends from outside, in a real X server: the window's
# close button leaves it running, SIGINT, SIGTERM and SIGHUP end it at once as
# they end any program, and losing the display ends it within a second with
# status 4 and one line on standard error.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

enter_scratch_folder with-data
start_xvfb || exit 1

# Starts the program and waits for its window; the program itself is the only
# child of the timeout that start_letterbot puts around it.
start_running() {
  start_letterbot "$LETTERBOT" out.txt err.txt 60
  wait_for_window || { fail "the window did not appear: $(head -c 1000 err.txt)"; return 1; }
  PROGRAM_PID=$(pgrep -P "$LETTERBOT_PID" | head -n 1)
  [ -n "$PROGRAM_PID" ] || { fail "the program's process was not found"; return 1; }
}

# Waits at most SECONDS for the program to end; prints how long it took (ms).
ended_within() {
  local started i
  started=$(date +%s%N)
  for i in $(seq $(($1 * 20))); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || { echo $((($(date +%s%N) - started) / 1000000)); return 0; }
    sleep 0.05
  done
  return 1
}

if start_running; then
  "$SEND_CLOSE_REQUEST" "$WINDOW_ID" || fail "could not send the close request"
  wait_for_passes 2
  kill -0 "$PROGRAM_PID" 2>/dev/null && ok "a close request leaves it running" \
    || fail "the close request ended the program"
  press_key Escape
  wait_letterbot
  check "Escape after the close request: exit status" "$LETTERBOT_STATUS" 200
fi

# The shell reports a program ended by signal N with status 128 + N.
for signal in INT:130 TERM:143 HUP:129; do
  name=${signal%:*}
  start_running || continue
  kill "-$name" "$PROGRAM_PID"
  if took=$(ended_within 2); then
    ok "SIG$name ended it in $took ms"
  else
    fail "SIG$name did not end it within 2 s"
  fi
  wait_letterbot
  check "SIG$name: exit status" "$LETTERBOT_STATUS" "${signal#*:}"
  check "SIG$name: error.txt stays empty" "$(stat -c %s error.txt)" 0
  check "SIG$name: no GL errors" "$(gl_errors err.txt)" 0
done

if start_running; then
  wait_for_passes 1
  kill -KILL "$XVFB_PID"
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
  if took=$(ended_within 2); then
    ok "losing the display ended it in $took ms"
  else
    fail "losing the display did not end it within 2 s"
  fi
  wait_letterbot
  check "display lost: exit status" "$LETTERBOT_STATUS" 4
  check "display lost: standard error" "$(grep -v '^Mesa' err.txt)" \
    "letterbot: the connection to the display was lost"
  [ -s out.txt ] && [ "$(tail -c 1 out.txt | od -An -c | tr -d ' ')" = '\n' ] \
    && ok "display lost: the trace ends with a whole line" \
    || fail "display lost: the trace was cut: $(tail -c 80 out.txt)"
fi

finish
