# What every engine must do with the page, for the tests of the engines beside
# Chromium (firefox_test.sh, webkit_test.sh), which set $engine and source
# this: the scene is drawn; the trace follows the robot's simulated path and
# standard output holds only the trace; holding Right moves the view; a model
# that crashes the importer is reported in one line and the page stays usable;
# a picked textured .glb becomes the figure; each of the program's files is
# fetched once per page load; full screen, where the engine allows it from
# automation; Escape gives status 200 with the status line and Start again in
# view; no WebGL error, with a deliberate one seen. Chromium does all this and
# more (browser_test.sh). Needs LETTERBOT_SITE (build-web/site, with the
# converter), LETTERBOT_TOOLS (the native build, for the simulated trace),
# LETTERBOT_SOURCE_DIR, and assimp's test models.
set -u
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

[ -f "$LETTERBOT_SITE/index.html" ] && [ -f "$LETTERBOT_SITE/letterbot-assets.wasm" ] \
  || { echo "FAIL: no site with its converter in $LETTERBOT_SITE (script/web build makes it)"; exit 1; }
case "$engine" in
  firefox) needed=(/usr/bin/firefox-esr "$LETTERBOT_SOURCE_DIR/tests/web/node_modules/puppeteer-core") ;;
  webkit) needed=(/usr/bin/WebKitWebDriver) ;;
esac
for path in "${needed[@]}" /usr/bin/Xvfb; do
  [ -e "$path" ] || { echo "FAIL: $path is needed (script/bootstrap web)"; exit 1; }
done
textured=/usr/share/assimp/models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb
crashing=$LETTERBOT_SOURCE_DIR/tests/data/convert/dae_accessor_wrap.dae
[ -f "$textured" ] || { echo "FAIL: assimp's test models are needed (Debian: assimp-testmodels; script/bootstrap test)"; exit 1; }

enter_scratch_folder
. "$LETTERBOT_SOURCE_DIR/tests/web/page_checks.sh"
simulated_trace simulated.txt

if drive "$engine" engine "$crashing" "$textured" 10; then
  enter engine
  scene_drawn first.png
  check "$engine: first trace line" "$(head -n 1 trace.txt)" "0.000000 0.000000"
  trace_lines_only trace.txt
  follows_simulated_path shipped-trace.txt ../simulated.txt 100
  page_view_moved "$engine: holding Right" right
  crash_reported crashing.txt "${crashing##*/}"
  fetched_once fetches.txt "with a model converted"
  check "$engine: then a textured .glb picked: converted" "$(sed -n 1p own.txt)" converted
  picked_figure "$engine: a textured .glb picked" own.png
  check "$engine: its first trace line" "$(head -n 1 own-trace.txt 2>/dev/null)" "0.000000 0.000000"
  if grep -q '^refused' fullscreen.txt; then
    echo "$engine does not go full screen from automation: $(cut -c 9- fullscreen.txt)"
  else
    full_screen fullscreen.txt
  fi
  check "$engine: Escape: exit status" "$(cat status.txt)" 200
  ended_in_view ended.txt
  fetched_once fetches-again.txt "after the program ended"
  check "$engine: nothing on standard error" "$(cat errors.txt)" ""
  cd ..
fi
no_webgl_errors
finish
