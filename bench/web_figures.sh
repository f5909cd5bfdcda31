#!/usr/bin/env bash
# Figures of the browser's page in Chromium, Firefox and WebKit beside the
# desktop program, in one run on this machine: the size of the site's files
# (bytes and gzip -9), of the page without a model and of the converter it
# loads only for a model of one's own; for each engine the time from
# navigation to the first trace line, the passes per second and the bytes one
# load of the page fetches (headless Chromium draws WebGL with SwiftShader,
# Firefox and WebKit with Mesa's llvmpipe in Xvfb), and in Chromium the same
# for the baseline page, which only clears and presents, and where the time
# goes: how long a pass takes on the page's thread, and how busy Chromium's
# GPU process (where SwiftShader draws) and the page's renderer keep the
# processor; the native program's passes per second under Xvfb (llvmpipe).
# All of them draw in software on the same processor. Then, for textured .glb
# models of about 12,000 triangles in every engine and 250,000 in Chromium
# (bench/textured_glb.py), the time from choosing one to the program's first
# trace line with it, with the converter cold and warm.
#   bench/web_figures.sh [SECONDS]   (default 10)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-10}"
cd "$root"
# What this starts stops on every way out, the scratch folder last.
. script/lib/xvfb.sh
make_scratch_folder
driver=""
on_exit 'stop_process "${driver:-}"'

"$root/script/bootstrap" web
"$root/script/build" --web letterbot empty_loop letterbot-assets
"$root/script/build" letterbot

# sizes TITLE FILE...: each file of the site, in bytes and gzip -9, then their
# sum under TITLE.
sizes() {
  local title=$1 file bytes packed total=0 total_gzip=0
  shift
  for file in "$@"; do
    bytes=$(stat -c %s "build-web/site/$file")
    packed=$(gzip -9c "build-web/site/$file" | wc -c)
    total=$((total + bytes))
    total_gzip=$((total_gzip + packed))
    printf '  %-24s %9d bytes %9d gzip\n' "$file" "$bytes" "$packed"
  done
  printf '%-26s %9d bytes %9d gzip\n' "$title" "$total" "$total_gzip"
}
echo "== the site: build-web/site/"
sizes "the page without a model" index.html page.js own_robot.js letterbot.js letterbot.wasm \
  letterbot.data
sizes "the converter" convert_worker.js letterbot-assets.js letterbot-assets.wasm
sizes "the notices" $(cd build-web/site && echo LICENSE-*.txt)

# page ENGINE SITE NAME: the first trace line, the passes per second and the
# bytes of one load, of one page in one engine.
page() {
  mkdir -p "$work/$3"
  /usr/bin/python3 tests/web/drive_page.py "$1" "$2" "$work/$3" figures "$seconds" \
    >"$work/$3.log" 2>&1 &
  driver=$!
  wait "$driver" || { echo "$3: the page could not be measured: $(tail -n 3 "$work/$3.log")" >&2; exit 1; }
  driver=""
  awk -v name="$3" -v engine="$1" '{ value[$1] = $2 }
    END {
      printf "%-18s %5.1f passes per second", name, value["frames_per_second"]
      if (value["lines_per_second"] > 0)
        printf " (%.1f trace lines a second); first trace line %d ms after navigation (the middle of 5 loads, %d to %d); %d bytes fetched for one load",
               value["lines_per_second"], value["first_trace_line_ms"],
               value["first_trace_line_ms_least"], value["first_trace_line_ms_most"], value["bytes_per_load"]
      printf "\n%-18s a pass takes %.2f ms on the page'"'"'s thread (the program, gl4es, the WebGL calls)\n",
             "", value["callback_ms_per_frame"]
      if (engine == "chromium")
        printf "%-18s processor cores kept busy: %.2f by the GPU process (SwiftShader draws and composites), %.2f by the page'"'"'s renderer, %.2f by the browser\n",
               "", value["cores_gpu-process"], value["cores_renderer"], value["cores_browser"]
    }' "$work/$3/figures.txt"
}
echo "== the page in each engine, ${seconds} s each"
for engine in chromium firefox webkit; do
  page "$engine" build-web/site "letterbot-$engine"
done
page chromium build-web/baseline baseline-chromium

echo "== your own robot: from choosing a model to the first trace line with it"
"$root/bench/textured_glb.py" 12000 "$work/sphere-12k.glb"
"$root/bench/textured_glb.py" 250000 "$work/sphere-250k.glb"
for engine in chromium firefox webkit; do
  models=("$work/sphere-12k.glb")
  [ "$engine" = chromium ] && models+=("$work/sphere-250k.glb")
  mkdir -p "$work/models-$engine"
  /usr/bin/python3 tests/web/drive_page.py "$engine" build-web/site "$work/models-$engine" model-figures \
    "${models[@]}" >"$work/models-$engine.log" 2>&1 &
  driver=$!
  wait "$driver" || { echo "$engine: the models could not be measured: $(tail -n 3 "$work/models-$engine.log")" >&2; exit 1; }
  driver=""
  awk -v engine="$engine" '{ printf "%-9s %-16s %-4s %6d ms, %6d ms of them before the program starts (loading the converter, converting)\n",
               engine, $2, $3, $4, $5 }' "$work/models-$engine/figures.txt"
done

echo "== the native program under Xvfb, ${seconds} s"
start_xvfb
cd "$work"
ln -s "$root/data" data
# Line by line, so that the count at each moment is the passes made.
printf '#!/bin/sh\nexec stdbuf -oL "%s"\n' "$root/build/letterbot" >native
chmod +x native
start_letterbot ./native trace.txt err.txt $((seconds + 60))
wait_for_window || { echo "the native window did not appear: $(head -c 500 err.txt)" >&2; exit 1; }
sleep 2
before=$(wc -l <trace.txt)
sleep "$seconds"
after=$(wc -l <trace.txt)
press_key Escape
wait_letterbot
awk -v n=$((after - before)) -v s="$seconds" \
  'BEGIN { printf "%-20s %5.1f passes per second (llvmpipe)\n", "letterbot", n / s }'
