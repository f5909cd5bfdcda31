#!/usr/bin/env bash
# The program in the browser: its page in headless Chromium, served from a
# free local port, with everything Chromium alone can show. In a laptop's
# window the canvas and the trace line are in view; the picture shows the
# scene, and holding Right moves the view; the keys do not scroll the page;
# Pause holds the program; Tab reaches a turning control and Space held on it
# turns the view; axe-core finds nothing serious; the trace in the browser's
# console follows the robot's simulated path and standard output holds only
# the trace; each of the program's files is fetched once; full screen and
# back; Escape gives status 200, the last picture stays, the status line and
# Start again are in view, and Start again runs the program again. In a
# phone's emulation the canvas spans the width, touch turns the camera, moves
# its robot and brings it closer, axe-core finds nothing serious there, and
# End ends the program. Models of one's own: a refusal and a crash leave the
# program running with the page saying so, a model over the size cap is
# refused, a textured one, picked or linked, becomes the figure and the robot
# walks its path from the start; a link to nothing, one that trickles and one
# too large are given up with the shipped robot running. A missing texture
# gives the "Error!" alert, then status 3; a Chromium without WebGL gives
# status 2 and its message; and no WebGL error, with a deliberate one seen.
# Needs LETTERBOT_SITE (build-web/site, with the converter), LETTERBOT_TOOLS
# (the native build, for the simulated trace), LETTERBOT_SOURCE_DIR, assimp's
# test models and the npm packages of tests/web (script/bootstrap web).
set -u
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

[ -f "$LETTERBOT_SITE/index.html" ] && [ -f "$LETTERBOT_SITE/letterbot.wasm" ] \
  || { echo "FAIL: no site in $LETTERBOT_SITE (script/web build makes it)"; exit 1; }
/usr/bin/python3 -c 'import selenium' 2>/dev/null && [ -x /usr/bin/chromium ] \
  && [ -x /usr/bin/chromedriver ] && [ -f "$LETTERBOT_SOURCE_DIR/tests/web/node_modules/axe-core/axe.min.js" ] \
  || { echo "FAIL: chromium, chromium-driver, python3-selenium and tests/web's npm packages are needed (script/bootstrap web)"; exit 1; }

enter_scratch_folder
. "$LETTERBOT_SOURCE_DIR/tests/web/page_checks.sh"

# axe_clean FINDINGS WHERE: axe-core found nothing serious or critical.
axe_clean() {
  if [ -f "$1" ] && [ ! -s "$1" ]; then ok "axe-core: nothing serious or critical, $2"
  else fail "axe-core, $2: $(head -c 600 "$1" 2>/dev/null | tr '\n' ' ')"; fi
}

simulated_trace simulated.txt
simulated_lines=$(wc -l <simulated.txt 2>/dev/null || echo 0)

started=$(date +%s)
if drive chromium demo "$simulated_lines"; then
  enter demo
  if [ -f first.png ]; then
    scene_drawn first.png
    read -r width height left top right bottom trace_bottom <layout.txt
    if [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$width" ] && [ "$bottom" -le "$height" ] \
       && [ "$trace_bottom" -le "$height" ]; then
      ok "laptop: the whole canvas (${left},${top} to ${right},${bottom}) and the trace line are in the ${width} x ${height} page"
    else
      fail "laptop: the canvas (${left},${top} to ${right},${bottom}) or the trace line (bottom ${trace_bottom}) is out of the ${width} x ${height} page"
    fi
    page_view_moved "holding Right" right
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
  check "Pause holds the program, Play lets it go on" "$(cat pause.txt 2>/dev/null)" "0 played"
  check "Tab reaches the turning control" "$(cat tab.txt 2>/dev/null)" reached
  [ -f space-after.png ] && page_view_moved "holding Space on the turning control" space
  [ -f click-after.png ] && page_view_moved "a quick click on the turning control" click
  axe_clean axe-laptop.txt "in a laptop's window"
  check "first trace line" "$(head -n 1 trace.txt)" "0.000000 0.000000"
  trace_lines_only trace.txt
  follows_simulated_path trace.txt ../simulated.txt
  echo "passes per second: $(($(wc -l <trace.txt) / ($(date +%s) - started + 1)))"
  fetched_once fetches.txt "on its own"
  full_screen fullscreen.txt
  check "Escape: exit status" "$(cat status.txt)" 200
  grep -q '^letterbot has ended (exit status 200): Escape or End ended it\.$' page.txt \
    && ok "the page says how it ended" || fail "the page says: $(head -c 300 page.txt)"
  ended_in_view ended.txt
  colours=$(convert end.png -format %k info: 2>/dev/null || echo 0)
  [ "$colours" -gt 50 ] && ok "the last picture stays after Escape ($colours colours)" \
    || fail "the canvas is blank after Escape ($colours colours)"
  read -r ran lines <again.txt
  [ "$ran" = ran ] && [ "$(sed -n 2p again.txt)" = canvas ] \
    && ok "Start again: the program runs again ($lines trace lines), the new canvas has the focus" \
    || fail "Start again: $(tr '\n' ' ' <again.txt)"
  fetched_once fetches-again.txt "also after Start again"
  check "nothing on standard error" "$(cat errors.txt)" ""
  cd ..
fi

if drive chromium phone; then
  enter phone
  read -r width height left top right bottom trace_bottom <layout.txt
  [ "$left" -eq 0 ] && [ "$right" -eq "$width" ] && [ "$trace_bottom" -le "$height" ] \
    && ok "phone: the canvas spans the ${width}-pixel width, the trace line is in view" \
    || fail "phone: the canvas spans ${left} to ${right} of ${width} pixels, the trace line ends at ${trace_bottom} of ${height}"
  page_view_moved "phone: a touch held on the turning control" turn
  page_view_moved "phone: a touch held on the pad's right arrow" pad
  page_view_moved "phone: two fingers spread" pinch
  axe_clean axe-phone.txt "in a phone's emulation"
  check "phone: End, touched, ends the program as Escape does" "$(cat status.txt)" 200
  check "reduced motion: no pass before Play, which is shown, and Play lets it go on" \
    "$(cat reduced-motion.txt 2>/dev/null)" "0 shown played"
  cd ..
fi

# Models of one's own, from assimp's test models: a textured one, one that the
# converter refuses, and one whose picture is not given, which it converts with
# a warning; and one that crashes assimp (a trap in WebAssembly). The link's
# model is served beside the site.
models=/usr/share/assimp/models/glTF2
textured=$models/BoxTextured-glTF-Binary/BoxTextured.glb
broken=$models/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb
warned=/usr/share/assimp/models/3DS/cubes_with_alpha.3DS
crashing=$LETTERBOT_SOURCE_DIR/tests/data/convert/dae_accessor_wrap.dae
if [ ! -f "$LETTERBOT_SITE/letterbot-assets.wasm" ]; then
  fail "the site has no converter (letterbot-assets.js and .wasm)"
elif [ ! -f "$textured" ] || [ ! -f "$broken" ] || [ ! -f "$warned" ]; then
  fail "assimp's test models are needed (Debian: assimp-testmodels; script/bootstrap test)"
else
  mkdir own-site && ln -s "$LETTERBOT_SITE"/* own-site/ && cp "$textured" own-site/
  if site=$work/own-site drive chromium own-robot "$broken" "$crashing" "$warned" "$textured" 8; then
    enter own-robot
    check "a broken model: the page shows the converter's refusal" \
      "$(sed -n 1p broken.txt) $(sed -n '2,$p' broken.txt | grep -c "^letterbot-assets: cannot convert /in/${broken##*/}: ")" "refused 1"
    crash_reported crashing.txt "${crashing##*/}"
    grep -q '^oversized.glb: 300.0 MiB in all, more than the 256.0 MiB a model may have' oversized.txt \
      && ok "a model over the size cap, picked: refused before it is read" \
      || fail "a model over the size cap, picked: the page says $(tr '\n' ' ' <oversized.txt | head -c 300)"
    read -r lines state <broken-after.txt
    [ "${lines:-0}" -gt 0 ] && [ "$state" = running ] && ok "after all three, the program runs on" \
      || fail "after all three, the program did not run on (${lines:-?} more trace lines, ${state:-?})"
    check "a model whose picture is missing: converted" "$(sed -n 1p warned.txt)" converted
    grep -q '^warning: material "01 - Default" names the picture "BERETTA_.JPG", which is not there' \
      warned.txt && ok "a model whose picture is missing: the warning is with the report" \
      || fail "a model whose picture is missing: the page says $(tr '\n' ' ' <warned.txt | head -c 300)"
    check "then a textured .glb picked: converted" "$(sed -n 1p own.txt)" converted
    sed -n 2p own.txt | grep -q '^data/robot.ase: 1 object, [0-9]* triangles, .*, 1 texture$' \
      && grep -q '^placed: ' own.txt && ok "a textured .glb picked: the converter's report is on the page" \
      || fail "a textured .glb picked: the page says $(tr '\n' ' ' <own.txt | head -c 300)"
    picked_figure "a textured .glb picked" own.png
    check "a textured .glb picked: the first trace line" "$(head -n 1 own-trace.txt 2>/dev/null)" "0.000000 0.000000"
    follows_simulated_path own-trace.txt ../simulated.txt 50
    check "the shipped robot started twice, the second while the first loads: it runs" \
      "$(cat shipped-again.txt)" ran
    check "a model by a link: converted" "$(sed -n 1p link.txt)" converted
    check "a model by a link: the first trace line" "$(head -n 1 link-trace.txt 2>/dev/null)" "0.000000 0.000000"
    follows_simulated_path link-trace.txt ../simulated.txt 20
    picked_figure "a model by a link" link.png
    grep -q "^The model at no-such-model.glb could not be fetched: 404" missing-link.txt \
      && [ -s missing-link-trace.txt ] && ok "a link to nothing: the page says so, and the shipped robot runs" \
      || fail "a link to nothing: the page says $(tr '\n' ' ' <missing-link.txt | head -c 300)"
    seconds=$(cat trickle-seconds.txt 2>/dev/null)
    grep -q "^The model at trickle/slow.glb was not taken: it came too slowly" trickle.txt \
      && [ -s trickle-trace.txt ] && [ "${seconds:-99}" -lt 60 ] \
      && ok "a link that trickles a byte a second: given up after ${seconds} s, within the limit, and the shipped robot runs" \
      || fail "a link that trickles: after ${seconds:-?} s the page says $(tr '\n' ' ' <trickle.txt | head -c 300)"
    sent=$(awk '$1 == "/huge/large.glb" { print $3 }' huge-fetches.txt)
    grep -q "^The model at huge/large.glb was not taken: it is 300.0 MiB, more than the 256.0 MiB" huge.txt \
      && [ -s huge-trace.txt ] && [ "${sent:-999999999}" -lt $((32 * 1024 * 1024)) ] \
      && ok "a link to a model over the size cap: refused after ${sent} of its 314,572,800 bytes, and the shipped robot runs" \
      || fail "a link to a model over the size cap: ${sent:-?} bytes sent, the page says $(tr '\n' ' ' <huge.txt | head -c 300)"
    check "models of one's own: nothing on standard error" "$(cat errors.txt)" ""
    cd ..
  fi
fi

if drive chromium missing-texture; then
  check "missing texture: the alert" "$(cat missing-texture/alert.txt 2>/dev/null)" \
    "$(printf "Error!\n\nCouldn't find a texture!")"
  check "missing texture: exit status" "$(cat missing-texture/status.txt)" 3
  check "missing texture: standard error names it" "$(cat missing-texture/errors.txt)" \
    "Unable to find or open the texture: data/robot_panel.bmp"
  grep -qx "error.txt: Couldn't find a texture!" missing-texture/page.txt \
    && ok "missing texture: the page shows error.txt" \
    || fail "missing texture: the page says $(head -c 300 missing-texture/page.txt)"
fi

if drive chromium no-webgl; then
  check "no WebGL: exit status" "$(cat no-webgl/status.txt)" 2
  check "no WebGL: the message on standard output" "$(cat no-webgl/trace.txt)" "SDL_SetVideoMode == NULL"
  grep -qx "error.txt: SDL_SetVideoMode == NULL" no-webgl/page.txt \
    && ok "no WebGL: the page shows error.txt" \
    || fail "no WebGL: the page says $(head -c 300 no-webgl/page.txt)"
fi

no_webgl_errors
# Chromium's own reports of WebGL errors on the console, worded its way: none
# for the program, and the probe's deliberate one among them.
pattern='WebGL: INVALID_|GL_INVALID_'
check "Chromium reports no WebGL error on the console" "$(cat ./*/console.txt | grep -E "$pattern" | head -n 3)" ""
grep -qE "$pattern" demo/probe-console.txt 2>/dev/null \
  && ok "Chromium reports the deliberate invalid WebGL call on the console" \
  || fail "Chromium did not report the deliberate invalid WebGL call: its console check would pass on nothing"
finish
