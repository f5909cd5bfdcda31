#!/usr/bin/env bash
# The page in WebKitGTK's MiniBrowser, driven by WebKitWebDriver through
# python3-selenium, in a private Xvfb: what every engine must do
# (every_engine.sh). WebKit is the engine of every browser on an iPhone.
engine=webkit
. "$LETTERBOT_SOURCE_DIR/tests/web/every_engine.sh"
