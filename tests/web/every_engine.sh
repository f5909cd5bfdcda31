# What every engine must do with the page, for the tests of the engines beside
# Chromium (firefox_test.sh, webkit_test.sh), which set $engine and source
# this: drive_page.py's engine scenario, which acts and checks, with a model
# that crashes the importer and a textured one. Chromium does all this and
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
. "$LETTERBOT_SOURCE_DIR/tests/web/drive.sh"
simulated_trace "$work/simulated.txt"
drive "$engine" engine "$work/simulated.txt" "$crashing" "$textured" 10
finish
