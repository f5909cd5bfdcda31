#!/usr/bin/env bash
# The application shell in a real X server: exit statuses, the error log and
# the window size.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

enter_scratch_folder with-data

# No display at all: SDL would fall back to an invisible window.
printf 'old message' >error.txt
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 30 "$LETTERBOT" >out.txt 2>err.txt || status=$?
check "no display: exit status" "$status" 2
check "no display: console" "$(cat out.txt)" "SDL_Init(SDL_INIT_VIDEO) == -1"
check "no display: console line end" "$(tail -c 1 out.txt | od -An -c | tr -d ' ')" '\n'
check "no display: error.txt" "$(cat error.txt)" "SDL_Init(SDL_INIT_VIDEO) == -1"
check "no display: error.txt size" "$(stat -c %s error.txt)" 30

# A video driver without OpenGL.
status=0
SDL_VIDEODRIVER=dummy timeout 30 "$LETTERBOT" >out.txt 2>err.txt || status=$?
check "dummy driver: exit status" "$status" 2
check "dummy driver: console" "$(cat out.txt)" "SDL_SetVideoMode == NULL"
check "dummy driver: error.txt" "$(cat error.txt)" "SDL_SetVideoMode == NULL"
check "dummy driver: error.txt size" "$(stat -c %s error.txt)" 24

start_xvfb || exit 1

# The check for GL errors sees one: a helper makes one invalid GL call under
# the same settings as the program's runs.
run_letterbot "$INVALID_GL_CALL" . 30
check "one invalid GL call: exit status and what GL recorded" \
  "$LETTERBOT_STATUS $(cat out.txt)" "0 glGetError: 0x0500"
check "one invalid GL call: the check for GL errors counts it" "$(gl_errors err.txt)" 1

# error.txt cannot be created (as root a read-only folder would not stop us),
# and no window opens meanwhile, however briefly: xev reports every window
# made on the display from the moment a property it watches changes.
mkdir -p unwritable/error.txt
ln -s "$LETTERBOT_SOURCE_DIR/data" unwritable/data
xev -root -event substructure -event property >xev.txt 2>&1 &
watcher=$!
on_exit 'stop_process "${watcher:-}"'
for i in $(seq 200); do
  xprop -root -f LETTERBOT_WATCHED 8s -set LETTERBOT_WATCHED "$i"
  grep -q PropertyNotify xev.txt && break
  sleep 0.05
done
run_letterbot "$LETTERBOT" unwritable 30
stop_process "$watcher"
check "unwritable log: exit status" "$LETTERBOT_STATUS" 1
check "unwritable log: console" "$(cat unwritable/out.txt)" ""
grep -q PropertyNotify xev.txt || fail "unwritable log: xev did not watch the display"
check "unwritable log: no window while it ran" "$(grep -c '^CreateNotify' xev.txt)" 0

# A normal run: the window, then Escape.
printf 'old message' >error.txt
start_letterbot "$LETTERBOT" out.txt err.txt 120
if wait_for_window; then
  check "window size" "$(xdotool getwindowgeometry "$WINDOW_ID" | sed -n 's/.*Geometry: //p')" "1024x768"
  check "error.txt is emptied at start" "$(stat -c %s error.txt)" 0
  press_key Escape
  wait_letterbot
  check "Escape: exit status" "$LETTERBOT_STATUS" 200
  check "Escape: error.txt stays empty" "$(stat -c %s error.txt)" 0
  check "no GL errors" "$(gl_errors err.txt)" 0
else
  fail "the window did not appear; stdout: $(head -c 300 out.txt); stderr: $(head -c 2000 err.txt)"
fi

finish
