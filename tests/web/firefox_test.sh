#!/usr/bin/env bash
# The page in Debian's Firefox ESR, launched and driven over its WebDriver BiDi
# agent by puppeteer-core (firefox.js), in a private Xvfb: what every engine
# must do (every_engine.sh). Firefox refuses full screen to a click that comes
# through BiDi, which does not give its window the focus.
engine=firefox
. "$LETTERBOT_SOURCE_DIR/tests/web/every_engine.sh"
