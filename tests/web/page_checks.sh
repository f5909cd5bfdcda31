# What the page's tests in every engine share: running a scenario of
# drive_page.py, and the checks of what it left. Source it after
# tests/lib/checks.sh, in the test's scratch folder.

# The driver runs in the background, so that a stopped test stops it too; it
# takes the engine and its server with it.
driver=""
on_exit 'stop_process "${driver:-}"'

# drive ENGINE SCENARIO [ARGUMENT...]: runs one scenario on the site in $site
# into the folder SCENARIO, and fails when the driver does: that scenario's
# checks are then left out, since what they read was never written.
site=$LETTERBOT_SITE
drive() {
  local engine=$1 status=0
  shift
  mkdir -p "$1"
  /usr/bin/python3 "$LETTERBOT_SOURCE_DIR/tests/web/drive_page.py" "$engine" "$site" "$1" "$@" \
    >"$1/driver.txt" 2>&1 &
  driver=$!
  wait "$driver" || status=$?
  driver=""
  [ "$status" -eq 0 ] && return 0
  fail "$1: the driver failed, its checks are left out: $(tail -n 5 "$1/driver.txt" | tr '\n' ' ')"
  return 1
}

# enter FOLDER: a scenario's folder; a test that cannot enter it fails there.
enter() { cd "$1" || { fail "cannot enter $1"; finish; }; }

# Where only the camera changes the picture at the start: the sky and the
# district at the top right, above the robots' heads and right of their path.
CAMERA_ONLY_BOX=250x250+774+40

# page_view_moved WHAT NAME: view_moved on the pictures a scenario took of
# NAME (NAME-idle.png, NAME-before.png, NAME-after.png), in CAMERA_ONLY_BOX.
page_view_moved() { view_moved "$1" "$2-idle.png" "$2-before.png" "$2-after.png" "$CAMERA_ONLY_BOX"; }

# fetched_once FETCHES WHEN: the page fetched letterbot.wasm and letterbot.data
# once each, as the server counted them.
fetched_once() {
  local file counts
  for file in letterbot.wasm letterbot.data; do
    counts=$(awk -v path="/$file" '$1 == path { print $2 }' "$1" 2>/dev/null)
    check "$file fetched once per page load, $2" "${counts:-0}" 1
  done
}

# ended_in_view ENDED: after the program ended, its status line and Start again
# are in the window, without scrolling the page, and Start again has the focus.
ended_in_view() {
  local width height left top right bottom again_left again_top again_right again_bottom focused
  read -r width height left top right bottom again_left again_top again_right again_bottom <"$1"
  focused=$(sed -n 2p "$1")
  check "the page is not scrolled when the program has ended" "$(sed -n 3p "$1")" 0
  if [ "${top:--1}" -ge 0 ] && [ "${bottom:-99999}" -le "${height:-0}" ] \
     && [ "${again_top:--1}" -ge 0 ] && [ "${again_bottom:-99999}" -le "${height:-0}" ]; then
    ok "the status line (${top} to ${bottom}) and Start again (${again_top} to ${again_bottom}) are in the ${width:-?} x ${height:-?} window"
  else
    fail "the status line (${top:-?} to ${bottom:-?}) or Start again (${again_top:-?} to ${again_bottom:-?}) is out of the ${width:-?} x ${height:-?} window"
  fi
  check "Start again has the focus" "$focused" again
}

# picked_figure NAME PICTURE: the converted figure at the camera's target,
# carried clear of the scene, differs from the shipped one's picture by more
# than a tenth of that box and twice what the shipped run changes there.
picked_figure() {
  local figure=140x260+442+300 idle changed
  idle=$(differing_pixels shipped.png shipped-later.png "$figure")
  changed=$(differing_pixels shipped.png "$2" "$figure")
  [ -n "$changed" ] && [ -n "$idle" ] && [ "$changed" -gt $((140 * 260 / 10)) ] \
    && [ "$changed" -gt $((idle * 2)) ] \
    && ok "$1: it is the figure at the camera's target ($changed pixels differ there, $idle while the shipped run went on)" \
    || fail "$1: the figure did not change: ${changed:-?} pixels, ${idle:-?} while the shipped run went on"
}

# crash_reported REPORT MODEL: the page names the importer's failure on MODEL
# in one line.
crash_reported() {
  check "a model that crashes the importer: the page says so" \
    "$(sed -n 1p "$1") $(grep -c "^The importer failed on $2 (RuntimeError: [^()]*); the page stays as it was\.$" "$1") $(wc -l <"$1")" \
    "failed 1 2"
}

# full_screen FULLSCREEN: the page went full screen from its button, the
# canvas as large as the screen allows at 4:3 with the full screen bar, and
# back.
full_screen() {
  local word width height left top right bottom
  read -r word width height left top right bottom _ <"$1"
  if [ "$word" = entered ] && [ "$right" -le "$width" ] && [ "$bottom" -le "$height" ] \
     && { [ $((right - left)) -ge $((width - 1)) ] || [ $((bottom - top)) -ge $((height - 1)) ]; } \
     && [ "$(sed -n 2p "$1")" = left ]; then
    ok "full screen: the canvas ${left},${top} to ${right},${bottom} of ${width} x ${height}, then back"
  else
    fail "full screen: $(tr '\n' ' ' <"$1")"
  fi
}

# no_webgl_errors: no WebGL error in any scenario that ran, and in each the
# WebGL probe's deliberate error was seen, so that the check could fail.
no_webgl_errors() {
  local errors probes
  errors=$(cat ./*/webgl-errors.txt 2>/dev/null | head -n 3)
  check "no WebGL errors ($(ls ./*/webgl-errors.txt 2>/dev/null | wc -l) scenarios)" "$errors" ""
  for probes in ./*/probe.txt; do
    [ -f "$probes" ] || { fail "the WebGL probe did not run"; continue; }
    grep -q '^webgl-probe 0x500$' "$probes" \
      && ok "${probes%/probe.txt}: a deliberate invalid WebGL call is seen (INVALID_ENUM)" \
      || fail "${probes%/probe.txt}: the deliberate invalid WebGL call was not seen: $(head -c 200 "$probes")"
  done
}
