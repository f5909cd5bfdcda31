#!/usr/bin/env bash
# The program in the browser: its page in headless Chromium, served from a
# free local port. In a laptop's window the canvas and the trace line are in
# view; the picture shows the scene and holding Right changes the view; the
# trace in the browser's console follows the robot's simulated path;
# standard output holds only the trace; Escape gives status 200 and the last
# picture stays; a missing texture gives the "Error!" alert, then status 3;
# a Chromium without WebGL gives status 2 and its message; in a phone's
# emulation the canvas spans the width, and touch turns the camera, moves its
# robot, brings it closer and ends the program; a model of one's own that the
# converter refuses leaves the program running with the refusal on the page,
# a textured one, picked or linked, becomes the figure and the robot walks its
# path from the start, and a link to nothing says so; and Chromium reports no
# WebGL error. Needs LETTERBOT_SITE (build-web/site, with the converter),
# LETTERBOT_TOOLS (the native build, for the simulated trace),
# LETTERBOT_SOURCE_DIR, and assimp's test models.
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

[ -f "$LETTERBOT_SITE/index.html" ] && [ -f "$LETTERBOT_SITE/letterbot.wasm" ] \
  || { echo "FAIL: no site in $LETTERBOT_SITE (script/web build makes it)"; exit 1; }
/usr/bin/python3 -c 'import selenium' 2>/dev/null && [ -x /usr/bin/chromium ] \
  && [ -x /usr/bin/chromedriver ] \
  || { echo "FAIL: chromium, chromium-driver and python3-selenium are needed (script/bootstrap web)"; exit 1; }

enter_scratch_folder
# The driver runs in the background, so that a stopped test stops it too; it
# takes Chromium and its server with it.
driver=""
on_exit 'stop_process "${driver:-}"'

# held_moves_the_view WHAT NAME: one check that holding WHAT for a second,
# from NAME-before.png to NAME-after.png, changed the view more than a second
# of the robot's own motion did, from NAME-idle.png to NAME-before.png.
held_moves_the_view() {
  local idle moved
  idle=$(differing_pixels "$2-idle.png" "$2-before.png")
  moved=$(differing_pixels "$2-before.png" "$2-after.png")
  if [ -n "$moved" ] && [ -n "$idle" ] && [ "$moved" -gt "$idle" ]; then
    ok "$1 moves the view ($moved pixels changed, $idle idle)"
  else
    fail "$1 did not change the view more than idling did: ${moved:-?} pixels, ${idle:-?} idle"
  fi
}

# drive SCENARIO [ARGUMENT...]: runs one scenario on the site in $site into
# the folder SCENARIO, and fails when the driver does: that scenario's checks
# are then left out, since what they read was never written.
site=$LETTERBOT_SITE
drive() {
  local status=0
  mkdir -p "$1"
  /usr/bin/python3 "$LETTERBOT_SOURCE_DIR/tests/web/drive_page.py" "$site" "$1" "$@" \
    >"$1/driver.txt" 2>&1 &
  driver=$!
  wait "$driver" || status=$?
  driver=""
  [ "$status" -eq 0 ] && return 0
  fail "$1: the driver failed, its checks are left out: $(tail -n 5 "$1/driver.txt" | tr '\n' ' ')"
  return 1
}

simulated_trace simulated.txt
simulated_lines=$(wc -l <simulated.txt 2>/dev/null || echo 0)

started=$(date +%s)
if drive demo "$simulated_lines"; then
  cd demo || finish
  if [ -f first.png ]; then
    check "top left is the black sky" "$(pixel first.png 5 5)" "0 0 0"
    read -r r g b <<<"$(pixel first.png 100 500)"
    if [ "$g" -gt 40 ] && [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ]; then ok "the ground below is green"
    else fail "the ground below is not green: $r $g $b"; fi
    read -r r g b <<<"$(pixel first.png 900 200)"
    if [ "$r" -gt 40 ] || [ "$b" -gt 40 ]; then ok "the district stands at the right"
    else fail "no building at the right: $r $g $b"; fi
    blue=$(convert first.png -crop 600x250+212+300 -fx '(b>2*r && b>2*g && b>0.3) ? 1 : 0' \
      -format '%[fx:round(mean*150000)]' info: 2>/dev/null || echo 0)
    [ "$blue" -gt 1000 ] && ok "the blue robots and blocks stand in the middle ($blue pixels)" \
      || fail "hardly anything blue in the middle: $blue pixels"
    read -r width height left top right bottom trace_bottom <layout.txt
    if [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$width" ] && [ "$bottom" -le "$height" ] \
       && [ "$trace_bottom" -le "$height" ]; then
      ok "laptop: the whole canvas (${left},${top} to ${right},${bottom}) and the trace line are in the ${width} x ${height} page"
    else
      fail "laptop: the canvas (${left},${top} to ${right},${bottom}) or the trace line (bottom ${trace_bottom}) is out of the ${width} x ${height} page"
    fi
    holding_right_moves_the_view idle.png before.png after.png
    read -r page_height window_height <<<"$(tr '\n' ' ' <scroll.txt 2>/dev/null)"
    if [ "${page_height:-0}" -gt "${window_height:-0}" ]; then
      ok "the page can scroll: ${page_height} pixels high in a ${window_height}-pixel window"
      check "the arrow, page, space and End keys do not scroll it" "$(cat scrolled.txt 2>/dev/null)" 0
    else
      fail "the page cannot scroll (${page_height:-?} pixels in a ${window_height:-?}-pixel window): the keys' check would prove nothing"
    fi
  else
    fail "no picture of the canvas"
  fi
  check "first trace line" "$(head -n 1 trace.txt)" "0.000000 0.000000"
  if [ ! -s trace.txt ]; then
    fail "nothing on standard output"
  elif grep -qvE '^-?[0-9]+\.[0-9]{6} (-?[0-9]+\.[0-9]{6}|-?nan)$' trace.txt; then
    fail "standard output holds more than the trace: $(grep -vE '^-?[0-9]+\.[0-9]{6} ' trace.txt | head -n 1)"
  else
    ok "$(wc -l <trace.txt) lines on standard output, each a trace line"
  fi
  follows_simulated_path trace.txt ../simulated.txt
  echo "passes per second: $(($(wc -l <trace.txt) / ($(date +%s) - started + 1)))"
  check "Escape: exit status" "$(cat status.txt)" 200
  grep -q '^letterbot ended with status 200: it ended with Escape\.$' page.txt \
    && ok "the page says how it ended" || fail "the page says: $(head -c 300 page.txt)"
  colours=$(convert end.png -format %k info: 2>/dev/null || echo 0)
  [ "$colours" -gt 50 ] && ok "the last picture stays after Escape ($colours colours)" \
    || fail "the canvas is blank after Escape ($colours colours)"
  check "nothing on standard error" "$(cat errors.txt)" ""
  cd ..
fi

if drive phone; then
  cd phone || finish
  read -r width height left top right bottom trace_bottom <layout.txt
  [ "$left" -eq 0 ] && [ "$right" -eq "$width" ] && [ "$trace_bottom" -le "$height" ] \
    && ok "phone: the canvas spans the ${width}-pixel width, the trace line is in view" \
    || fail "phone: the canvas spans ${left} to ${right} of ${width} pixels, the trace line ends at ${trace_bottom} of ${height}"
  held_moves_the_view "phone: a touch held on the turning control" turn
  held_moves_the_view "phone: a touch held on the pad's right arrow" pad
  held_moves_the_view "phone: two fingers spread" pinch
  check "phone: End, touched, ends the program as Escape does" "$(cat status.txt)" 200
  cd ..
fi

# Models of one's own, from assimp's test models: a textured one, and one that
# the converter refuses; and one that crashes assimp (a trap in WebAssembly).
# The link's model is served beside the site.
models=/usr/share/assimp/models/glTF2
textured=$models/BoxTextured-glTF-Binary/BoxTextured.glb
broken=$models/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb
crashing=$LETTERBOT_SOURCE_DIR/tests/data/convert/dae_accessor_wrap.dae
if [ ! -f "$LETTERBOT_SITE/letterbot-assets.wasm" ]; then
  fail "the site has no converter (letterbot-assets.js and .wasm)"
elif [ ! -f "$textured" ] || [ ! -f "$broken" ]; then
  fail "assimp's test models are needed (Debian: assimp-testmodels; script/bootstrap test)"
else
  mkdir own-site && ln -s "$LETTERBOT_SITE"/* own-site/ && cp "$textured" own-site/
  if site=$work/own-site drive own-robot "$broken" "$crashing" "$textured" 8; then
    cd own-robot || finish
    check "a broken model: the page shows the converter's refusal" \
      "$(sed -n 1p broken.txt) $(sed -n '2,$p' broken.txt | grep -c "^letterbot-assets: cannot convert /in/${broken##*/}: ")" "refused 1"
    check "a model that crashes the importer: the page says so" \
      "$(sed -n 1p crashing.txt) $(grep -c "^The importer failed on ${crashing##*/} (RuntimeError: " crashing.txt)" \
      "failed 1"
    read -r lines state <broken-after.txt
    [ "${lines:-0}" -gt 0 ] && [ "$state" = running ] && ok "after both, the program runs on" \
      || fail "after both, the program did not run on (${lines:-?} more trace lines, ${state:-?})"
    check "then a textured .glb picked: converted" "$(sed -n 1p own.txt)" converted
    sed -n 2p own.txt | grep -q '^data/robot.ase: 1 object, [0-9]* triangles, .*, 1 texture$' \
      && grep -q '^placed: ' own.txt && ok "a textured .glb picked: the converter's report is on the page" \
      || fail "a textured .glb picked: the page says $(tr '\n' ' ' <own.txt | head -c 300)"
    # Where the camera's figure stands, carried clear of the scene: more than a
    # tenth of that box differs from the shipped figure's picture, and more than
    # twice what half a second of the shipped run changes there.
    figure=140x260+442+300
    idle=$(differing_pixels shipped.png shipped-later.png "$figure")
    changed=$(differing_pixels shipped.png own.png "$figure")
    [ -n "$changed" ] && [ -n "$idle" ] && [ "$changed" -gt $((140 * 260 / 10)) ] \
      && [ "$changed" -gt $((idle * 2)) ] \
      && ok "a textured .glb picked: it is the figure at the camera's target ($changed pixels differ there, $idle in half a second of the shipped run)" \
      || fail "a textured .glb picked: the figure did not change: ${changed:-?} pixels, ${idle:-?} in half a second of the shipped run"
    check "a textured .glb picked: the first trace line" "$(head -n 1 own-trace.txt 2>/dev/null)" "0.000000 0.000000"
    follows_simulated_path own-trace.txt ../simulated.txt 50
    check "a model by a link: converted" "$(sed -n 1p link.txt)" converted
    check "a model by a link: the first trace line" "$(head -n 1 link-trace.txt 2>/dev/null)" "0.000000 0.000000"
    follows_simulated_path link-trace.txt ../simulated.txt 20
    grep -q "^The model at no-such-model.glb could not be fetched: 404" missing-link.txt \
      && [ -s missing-link-trace.txt ] && ok "a link to nothing: the page says so, and the shipped robot runs" \
      || fail "a link to nothing: the page says $(tr '\n' ' ' <missing-link.txt | head -c 300)"
    check "models of one's own: nothing on standard error" "$(cat errors.txt)" ""
    cd ..
  fi
fi

if drive missing-texture; then
  check "missing texture: the alert" "$(cat missing-texture/alert.txt 2>/dev/null)" \
    "$(printf "Error!\n\nCouldn't find a texture!")"
  check "missing texture: exit status" "$(cat missing-texture/status.txt)" 3
  check "missing texture: standard error names it" "$(cat missing-texture/errors.txt)" \
    "Unable to find or open the texture: data/robot_panel.bmp"
  grep -qx "error.txt: Couldn't find a texture!" missing-texture/page.txt \
    && ok "missing texture: the page shows error.txt" \
    || fail "missing texture: the page says $(head -c 300 missing-texture/page.txt)"
fi

if drive no-webgl; then
  check "no WebGL: exit status" "$(cat no-webgl/status.txt)" 2
  check "no WebGL: the message on standard output" "$(cat no-webgl/trace.txt)" "SDL_SetVideoMode == NULL"
  grep -qx "error.txt: SDL_SetVideoMode == NULL" no-webgl/page.txt \
    && ok "no WebGL: the page shows error.txt" \
    || fail "no WebGL: the page says $(head -c 300 no-webgl/page.txt)"
fi

consoles=(./*/console.txt)
if [ -f "${consoles[0]}" ]; then
  webgl_errors=$(cat "${consoles[@]}" | grep -E 'WebGL: INVALID_|GL_INVALID_' | head -n 3)
  check "no WebGL errors in the console (${#consoles[@]} scenarios)" "$webgl_errors" ""
fi
finish
