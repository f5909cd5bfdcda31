#!/usr/bin/env bash
# The program in the browser: its page in headless Chromium, served from a
# free local port, with everything Chromium alone can show, each scenario
# acted and checked by drive_page.py: a laptop's window (demo), a phone's
# emulation with touch and reduced motion (phone), models of one's own picked
# and linked (own-robot), a missing texture (missing-texture) and a Chromium
# without WebGL (no-webgl). Needs LETTERBOT_SITE (build-web/site, with the
# converter), LETTERBOT_TOOLS (the native build, for the simulated trace),
# LETTERBOT_SOURCE_DIR, assimp's test models and the npm packages of tests/web
# (script/bootstrap web).
set -u
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

[ -f "$LETTERBOT_SITE/index.html" ] && [ -f "$LETTERBOT_SITE/letterbot.wasm" ] \
  || { echo "FAIL: no site in $LETTERBOT_SITE (script/web build makes it)"; exit 1; }
/usr/bin/python3 -c 'import selenium' 2>/dev/null && [ -x /usr/bin/chromium ] \
  && [ -x /usr/bin/chromedriver ] && [ -f "$LETTERBOT_SOURCE_DIR/tests/web/node_modules/axe-core/axe.min.js" ] \
  || { echo "FAIL: chromium, chromium-driver, python3-selenium and tests/web's npm packages are needed (script/bootstrap web)"; exit 1; }

enter_scratch_folder
. "$LETTERBOT_SOURCE_DIR/tests/web/drive.sh"
simulated_trace "$work/simulated.txt"

drive chromium demo "$work/simulated.txt"
drive chromium phone

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
  site=$work/own-site drive chromium own-robot "$work/simulated.txt" "$broken" "$crashing" "$warned" "$textured" 8
fi

drive chromium missing-texture
drive chromium no-webgl
finish
