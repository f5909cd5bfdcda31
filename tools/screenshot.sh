#!/usr/bin/env bash
# Takes the README's picture: letterbot in a private Xvfb after SECONDS seconds
# (default 20), saved to doc/screenshot.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-20}"
"$root/script/build" >/dev/null
. "$root/script/lib/xvfb.sh"
cd "$root"
start_xvfb
trap stop_xvfb EXIT
start_letterbot "$root/build/letterbot" /dev/null /dev/null 300
wait_for_window
sleep "$seconds"
mkdir -p doc
screenshot doc/screenshot.png
press_key Escape
wait_letterbot >/dev/null
echo "doc/screenshot.png"
