#!/usr/bin/env bash
# The Windows zip under Wine, unpacked as a user would: letterbot-assets check
# on its data\, the converter (a textured model, the same files as on Linux;
# models that crash the importer, never finish or exhaust its memory; one
# refused only within a low memory limit; two conversions at once; a killed
# converter whose importer must go with it), the window and its picture with
# the converted robot, whose figure shows the model's picture, nothing on
# standard error, the console trace against the simulated run, Escape, the
# message box for a missing bitmap, and Ctrl+C.
#   LETTERBOT_SOURCE_DIR  the repository
#   LETTERBOT_TOOLS       the Linux build (robot_test, letterbot-assets)
#   LETTERBOT_ZIP         letterbot-windows-x64.zip
#   WINEPREFIX            Wine's folder, kept between runs (made on first use)
set -u
. "$LETTERBOT_SOURCE_DIR/script/lib/xvfb.sh"
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"

: "${WINEPREFIX:?set WINEPREFIX to the folder Wine may use}"
wine_loader=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
# Quiet, without the offer to install .NET and a browser engine, and without
# menu entries and file associations in the user's home.
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# Mesa's and fontconfig's caches stay with the prefix, in the build tree.
export XDG_CACHE_HOME="$WINEPREFIX/cache"
# Starts a Windows program in the background, bounded, as start_letterbot
# starts the Linux one (LETTERBOT_PID, stopped on every way out):
# wine_start SECONDS PROGRAM.exe ARGUMENTS... The Windows SDL must pick its own
# driver. The Wine server makes the folder of its socket in TMPDIR: the scratch
# folder, so that it goes with it and the socket's path stays short.
wine_start() {
  on_exit stop_letterbot
  stop_letterbot
  env -u SDL_VIDEODRIVER TMPDIR="$work" LIBGL_ALWAYS_SOFTWARE=1 timeout -k 5 "$1" "$wine_loader" "${@:2}" &
  LETTERBOT_PID=$!
}
# Runs one to its end; sets LETTERBOT_STATUS.
wine_run() { wine_start "$@"; wait_letterbot; }
# Waits (bounded) until this prefix's Wine server and its helpers are gone, so
# that nothing of Wine outlives the test or the X server it was given.
end_wine() {
  TMPDIR="$work" timeout 30 "$wineserver" -w 2>/dev/null || TMPDIR="$work" "$wineserver" -k 2>/dev/null || true
}

enter_scratch_folder
# Started now, so that on the way out Wine ends before its X server stops.
# Until the window's turn the programs run with no display (see below).
start_xvfb || { fail "Xvfb did not start"; finish; }
on_exit end_wine
cmake -E tar xf "$LETTERBOT_ZIP" || { fail "the zip does not unpack"; finish; }
package="$work/letterbot-windows-x64"
for file in letterbot.exe letterbot-assets.exe SDL.dll SDL2.dll README.txt \
            LICENSE.txt LICENSE-SDL2.txt LICENSE-sdl12-compat.txt LICENSE-assimp.txt data/robot.ase; do
  [ -f "$package/$file" ] || fail "the zip lacks $file"
done

# Without a display first: the first use of the prefix sets it up, and a
# display would let Wine show a progress window for that.
started=$(date +%s.%N)
cd "$package"
DISPLAY= wine_run 120 letterbot-assets.exe check data >"$work/check.txt" 2>&1
check "letterbot-assets.exe check data: status" "$LETTERBOT_STATUS" 0
tail -n 1 "$work/check.txt" | tr -d '\r' | grep -qx "0 problems" && ok "letterbot-assets.exe: 0 problems" \
  || fail "letterbot-assets.exe check: $(head -c 1500 "$work/check.txt")"
echo "Wine ready and the check done in $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"

# The file reader gives what it gives on Linux: a model, an empty file and a
# folder, read by both builds of the tool.
: >"$package/empty.ase"
for input in data/robot.ase empty.ase data; do
  linux=$("$LETTERBOT_TOOLS/tools/letterbot-assets" model "$input" 2>&1; echo "status $?")
  DISPLAY= wine_run 60 letterbot-assets.exe model "$input" >"$work/model.txt" 2>&1
  windows=$(tr -d '\r' <"$work/model.txt"; echo "status $LETTERBOT_STATUS")
  if [ "$linux" = "$windows" ]; then ok "letterbot-assets model $input: as on Linux"; \
    else fail "letterbot-assets model $input differs: $(diff <(echo "$linux") <(echo "$windows") | head -n 6 | tr '\n' ' ')"; fi
done
rm empty.ase

# The converter: assimp's COLLADA duck with its picture becomes the robot of a
# copy of the package, file for file as the Linux build converts it; models
# that crash the importer, never finish or exhaust its memory are refused with
# one line, and nothing is written.
duck=/usr/share/assimp/models/Collada
cp -r "$package" "$work/converted" && mkdir -p "$work/linux/data" "$work/converted/duck"
cp "$duck/duck.dae" "$duck/duckCM.tga" "$work/converted/duck/"
(cd "$work/linux" && "$LETTERBOT_TOOLS/tools/letterbot-assets" convert "$duck/duck.dae" \
  data/robot.ase --turn 90 >/dev/null)
cd "$work/converted"
DISPLAY= wine_run 120 letterbot-assets.exe convert duck/duck.dae data/robot.ase --turn 90 \
  >"$work/convert.txt" 2>&1
check "letterbot-assets.exe convert: status" "$LETTERBOT_STATUS" 0
cmp -s data/robot.ase "$work/linux/data/robot.ase" && cmp -s data/robot_1.bmp "$work/linux/data/robot_1.bmp" &&
  ok "the converted duck is the Linux build's, file for file" ||
  fail "the converted duck differs from Linux's: $(head -c 600 "$work/convert.txt")"
cp "$LETTERBOT_SOURCE_DIR/tests/data/convert/dae_accessor_wrap.dae" crash.dae
before=$(folder_state data)
DISPLAY= wine_run 120 letterbot-assets.exe convert crash.dae data/robot.ase >"$work/crash.txt" 2>&1
check "a model that crashes the importer: status" "$LETTERBOT_STATUS" 1
check "a model that crashes the importer: its line" "$(tr -d '\r' <"$work/crash.txt")" \
  "letterbot-assets: cannot convert crash.dae: the importer crashed on it (access violation, 0xC0000005)"
cp "$LETTERBOT_SOURCE_DIR/tests/data/convert/ply_header_loop.ply" loop.ply
DISPLAY= wine_run 120 letterbot-assets.exe convert loop.ply data/robot.ase --time-limit 3 \
  >"$work/loop.txt" 2>&1
check "a model the importer never finishes: its line and status" \
  "$(tr -d '\r' <"$work/loop.txt") $LETTERBOT_STATUS" \
  "letterbot-assets: cannot convert loop.ply: the importer did not finish within 3 s (--time-limit changes that) 1"
cp "$LETTERBOT_SOURCE_DIR/tests/data/convert/3ds_key_count.3ds" keys.3ds
DISPLAY= wine_run 120 letterbot-assets.exe convert keys.3ds data/robot.ase >"$work/keys.txt" 2>&1
check "a model that asks the importer for 128 GiB: its line and status" \
  "$(tr -d '\r' <"$work/keys.txt") $LETTERBOT_STATUS" \
  "letterbot-assets: cannot convert keys.3ds: the importer ran out of memory: it may use 4096 MiB (--memory-limit changes that) 1"
[ "$(folder_state data)" = "$before" ] && ok "a crashed or stopped import writes nothing" ||
  fail "a crashed or stopped import changed data\\"

# One conversion at a time writes into a folder: one stopped while it writes
# (SIGSTOP, the moment its first temporary file is there) keeps a second one
# waiting until it goes on, and the two leave one whole set, the second's.
# And the importer ends with its converter, also one killed outright: its job
# object ends it.
# Started in the background as the process itself, which a signal reaches.
wine_convert() {
  env TMPDIR="$work" DISPLAY= "$wine_loader" letterbot-assets.exe convert "$@" >/dev/null 2>&1 &
  converter=$!
  on_exit "kill -KILL $converter 2>/dev/null || true"
}
mkdir spider && cp /usr/share/assimp/models/OBJ/spider.* /usr/share/assimp/models/OBJ/*.jpg spider/
held=
for attempt in 1 2 3; do
  wine_convert spider/spider.obj data/robot.ase
  first=$converter
  until compgen -G 'data/.letterbot-convert-*.new' >/dev/null || ! kill -0 "$first" 2>/dev/null; do
    :
  done
  kill -STOP "$first" 2>/dev/null
  compgen -G 'data/.letterbot-convert-*.new' >/dev/null && held=1
  wine_convert duck/duck.dae data/robot.ase --turn 90
  second=$converter
  waited=0
  if [ -n "$held" ]; then
    sleep 10
    kill -0 "$second" 2>/dev/null && waited=1
  fi
  kill -CONT "$first"
  status=0
  wait "$first" || status=$?
  wait "$second" || status=$?
  [ -n "$held" ] && break
done
named=$(sed -n 's/.*\*BITMAP "data\\\(robot_[0-9]*\.bmp\)".*/\1/p' data/robot.ase | xargs)
there=$(cd data && ls robot_[0-9]*.bmp | xargs)
if [ -z "$held" ]; then
  fail "a conversion was never caught while it wrote"
else
  [ "$waited" = 1 ] && [ "$status" -eq 0 ] && [ "$named" = "robot_1.bmp" ] && [ "$there" = "$named" ] &&
    ! ls -A data | grep -q '^\.letterbot-convert' && ok "a second conversion waits for the first" ||
    fail "two conversions at once: waited $waited, status $status, named '$named', there '$there'"
fi
wine_convert loop.ply data/robot.ase --time-limit 100
parent=$converter
# The importer is the program started again; its command line names this
# scratch folder, which no other run shares.
importer() { pgrep -f "import-child loop.ply" | while read -r pid; do
  tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "${work##*/}" && echo "$pid"; done; }
child=
for _ in $(seq 300); do
  child=$(importer)
  [ -n "$child" ] && break
  sleep 0.1
done
kill -KILL "$parent" 2>/dev/null
{ wait "$parent"; } 2>/dev/null
for _ in $(seq 100); do
  [ -z "$(importer)" ] && break
  sleep 0.1
done
if [ -n "$child" ] && [ -z "$(importer)" ]; then
  ok "the importer ends with its converter"
else
  fail "the importer (${child:-not seen}) outlived its converter"
  [ -n "$(importer)" ] && kill -KILL $(importer)
fi
# A model that converts within the default memory limit is refused within a
# low one: the importer's limit holds.
mkdir -p "$work/memory/data" && cd "$work/memory"
grid_ply 300 >grid.ply
DISPLAY= wine_run 120 "$package/letterbot-assets.exe" convert grid.ply data/robot.ase \
  >"$work/memory.txt" 2>&1
[ "$LETTERBOT_STATUS" -eq 0 ] && ok "a 4 MB model converts within the default memory limit" ||
  fail "a 4 MB model within the default memory limit: $(tr -d '\r' <"$work/memory.txt" | head -c 300)"
DISPLAY= wine_run 120 "$package/letterbot-assets.exe" convert grid.ply data/robot.ase \
  --memory-limit 32 >"$work/memory.txt" 2>&1
check "the same model within 32 MiB: its line and status" \
  "$(tr -d '\r' <"$work/memory.txt") $LETTERBOT_STATUS" \
  "letterbot-assets: cannot convert grid.ply: the importer ran out of memory: it may use 32 MiB (--memory-limit changes that) 1"
cd "$work"
end_wine

simulated_trace "$work/simulated.txt"

# A missing bitmap: the message box, closed with Return, then status 3.
cp -r "$package" nobitmap
rm nobitmap/data/textura_okna1.bmp
cd nobitmap
wine_start 120 letterbot.exe >out.txt 2>err.txt
cd "$work"
box=""
for i in $(seq 600); do
  box=$(xdotool search --onlyvisible --name '^Error!$' 2>/dev/null | head -n 1 || true)
  [ -n "$box" ] && break
  kill -0 "$LETTERBOT_PID" 2>/dev/null || break
  sleep 0.1
done
if [ -n "$box" ]; then
  ok "missing bitmap: a message box with the caption \"Error!\""
  # A box just shown may not take keys yet: Return until it has gone.
  for i in $(seq 60); do
    timeout 10 xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key Return
    xdotool search --onlyvisible --name '^Error!$' >/dev/null 2>&1 || break
    sleep 0.5
  done
else
  fail "missing bitmap: no message box \"Error!\""
fi
wait_letterbot
check "missing bitmap: exit status after the box" "$LETTERBOT_STATUS" 3
check "missing bitmap: error.txt" "$(cat nobitmap/error.txt 2>/dev/null)" "Couldn't find a texture!"

# Ctrl+C: Wine hands SIGINT to a console program as Ctrl+C; the program ends at
# once with the status Windows gives it (0xC000013A, of which Wine's exit
# status keeps the low byte, 0x3A). The signal goes to Wine's process itself,
# inside the timeout (which starts it with SIGINT at its default, where a
# background job of this shell would have it ignored), and only once the trace
# shows the program in its main loop, as a person would press it. Sent at the
# first trace line, it left the program hung in 3 of 16 runs here, most
# likely because Wine makes its Ctrl+C thread inside its SIGINT handler while
# the program's start may still be making threads of its own (Mesa's).
cd "$package"
wine_start 120 letterbot.exe >"$work/ctrl-c.txt" 2>/dev/null
for i in $(seq 600); do
  [ "$(wc -l <"$work/ctrl-c.txt")" -ge 30 ] && break
  kill -0 "$LETTERBOT_PID" 2>/dev/null || break
  sleep 0.1
done
program=$(pgrep -P "$LETTERBOT_PID" | head -n 1)
if [ "$(wc -l <"$work/ctrl-c.txt")" -ge 30 ] && [ -n "$program" ]; then
  kill -INT "$program"
  for i in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$program" 2>/dev/null && fail "Ctrl+C: still running 10 s later" && kill -KILL "$program"
  wait_letterbot
  check "Ctrl+C: exit status" "$LETTERBOT_STATUS" 58
else
  fail "Ctrl+C: the program did not reach its main loop: $(wc -l <"$work/ctrl-c.txt") trace lines"
fi

# A normal run, with the converted duck as both figures: window, picture,
# trace, the figure carried clear of the scene, Escape, nothing on standard
# error. Then the same with a white picture for the duck, which must change
# the figure's look.
size=$(identify -format '%wx%h' "$work/converted/data/robot_1.bmp")
cp -r "$work/converted" "$work/white"
convert -size "$size" xc:white -type truecolor "BMP3:$work/white/data/robot_1.bmp"
cd "$work/converted"
printf 'old message' >error.txt
wine_start 200 letterbot.exe >trace.txt 2>err.txt
LETTERBOT_TRACE=$PWD/trace.txt
started=$(date +%s.%N)
if ! wait_for_window; then
  fail "the window did not appear; stdout: $(head -c 300 trace.txt); stderr: $(head -c 2000 err.txt)"
  finish
fi
echo "window after $(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
check "window size" "$(xdotool getwindowgeometry "$WINDOW_ID" | sed -n 's/.*Geometry: //p')" "1024x768"
check "error.txt is emptied at start" "$(stat -c %s error.txt)" 0
wait_for_passes 1 || fail "the program stopped before its first pictures"
screenshot "$work/first.png" || fail "the first screenshot failed"
scene_drawn "$work/first.png"

# Let the robot get well into its work: at least 200 distinct trace lines.
deadline=$(( $(date +%s) + 60 ))
while [ "$(tr -d '\r' <trace.txt | uniq | wc -l)" -lt 200 ] && [ "$(date +%s)" -lt "$deadline" ]; do
  sleep 1
done
picture_held_clear "the duck" "$work/real.png"
press_key Escape
wait_letterbot
check "Escape: exit status" "$LETTERBOT_STATUS" 200
check "Escape: error.txt stays empty" "$(stat -c %s error.txt)" 0
check "nothing on standard error" "$(head -c 2000 err.txt)" ""
passes_run=$(wc -l <trace.txt)
echo "passes per second under Wine: $(awk -v n="$passes_run" -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.0f", n / (b - a) }')"

cd "$work/white"
wine_start 200 letterbot.exe >trace.txt 2>err.txt
LETTERBOT_TRACE=$PWD/trace.txt
if wait_for_window; then
  picture_held_clear "the white duck" "$work/white.png"
  press_key Escape
  wait_letterbot
  check "the white duck: exit status" "$LETTERBOT_STATUS" 200
else
  fail "the white duck: the window did not appear; stderr: $(head -c 2000 err.txt)"
fi
figure_wears_its_picture "$work/real.png" "$work/white.png"
cd "$work/converted"

trace_lines_only trace.txt
follows_simulated_path trace.txt "$work/simulated.txt" 200
finish
