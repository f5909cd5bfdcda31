# What the tests that run a real program share: a scratch working folder,
# counted checks, looks at pictures and the check of the robot's path. Source
# it after script/lib/xvfb.sh if the test uses that; end the test with
# `finish`. A test adds its own cleanup with on_exit (script/lib/cleanup.sh),
# never with a trap of its own.
. "$(dirname "${BASH_SOURCE[0]}")/../../script/lib/cleanup.sh"

failures=0
checks_passed=0
ok() { echo "ok: $*"; checks_passed=$((checks_passed + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: expected '$3', got '$2'"; fi; }

# Prints the counts and ends the test, failed if any check failed.
finish() {
  cleanup_in_place || fail "a trap of the test's own took the place of the cleanup; add to it with on_exit"
  echo "$checks_passed passed, $failures failed"
  [ "$failures" -eq 0 ]
  exit
}

# folder_state DIR: what DIR holds, names, sizes, times and contents, to tell
# that nothing in it changed (-A: without . and .., whose times change with
# the folders around it).
folder_state() { (cd "$1" && ls -lA && md5sum ./*); }

# grid_ply N: prints a PLY model in text, a grid of N x N vertices in two
# triangles a square, whose import takes memory many times its size.
grid_ply() {
  awk -v n="$1" 'BEGIN {
    printf "ply\nformat ascii 1.0\nelement vertex %d\nproperty float x\nproperty float y\n", n * n
    printf "property float z\nelement face %d\nproperty list uchar int vertex_indices\nend_header\n",
      2 * (n - 1) * (n - 1)
    for (i = 0; i < n; i++) for (j = 0; j < n; j++) printf "%d %d %d\n", i, (i * j) % 7, j
    for (i = 0; i < n - 1; i++) for (j = 0; j < n - 1; j++) {
      a = i * n + j
      printf "3 %d %d %d\n3 %d %d %d\n", a, a + 1, a + n, a + 1, a + n + 1, a + n
    } }'
}

# pixel FILE X Y: prints "r g b" of one pixel.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 rgb:- | od -An -tu1 | xargs; }

# differing_pixels A B [GEOMETRY]: how many pixels of the two pictures (or of
# that part of them) differ.
differing_pixels() {
  compare -metric AE ${3:+-extract "$3"} "$1" "$2" null: 2>&1 | sed 's/[^0-9].*//'
}

# view_moved WHAT IDLE BEFORE AFTER [BOX]: one check that WHAT, done from
# BEFORE to AFTER, changed the view inside BOX where an interval of as many
# passes, IDLE to BEFORE, did not: more than a twelfth of the box, and ten
# times what the interval before changed there. The walking robot and the
# blocks never enter BOX, by default the towers above the horizon at the right
# of the program's first view, so only the camera can change it.
view_moved() {
  local idle moved box=${5:-220x250+800+30} area
  area=$(( ${box%%x*} * $(echo "${box#*x}" | sed 's/+.*//') ))
  idle=$(differing_pixels "$2" "$3" "$box")
  moved=$(differing_pixels "$3" "$4" "$box")
  if [ -n "$moved" ] && [ -n "$idle" ] && [ $((moved * 12)) -ge "$area" ] && [ "$moved" -gt $((10 * idle)) ]; then
    ok "$1 moves the view ($moved pixels changed in $box where only the camera can change them, $idle idle)"
  else
    fail "$1 did not move the view: ${moved:-?} pixels changed in $box, ${idle:-?} idle"
  fi
}

# held_key_moves_view WHAT KEY: in the running program's window, an interval
# with a key the program does not use, then one as long holding KEY, each
# ending with a picture of a frame drawn after it; view_moved on them.
held_key_moves_view() {
  local key
  screenshot idle.png
  for key in Shift_R "$2"; do
    press_key "$key" 1
    wait_for_passes 1
    screenshot "$key.png" || fail "a screenshot failed"
  done
  view_moved "$1" idle.png Shift_R.png "$2.png"
}

# scene_drawn PICTURE: the first picture of the program's window shows the
# black sky, the green ground, the district at the right and the blue robots
# and blocks in the middle.
scene_drawn() {
  local r g b blue
  check "top left is the black sky" "$(pixel "$1" 5 5)" "0 0 0"
  read -r r g b <<<"$(pixel "$1" 100 500)"
  if [ "$g" -gt 40 ] && [ "$g" -gt "$r" ] && [ "$g" -gt "$b" ]; then ok "the ground below is green"
  else fail "the ground below is not green: $r $g $b"; fi
  read -r r g b <<<"$(pixel "$1" 900 200)"
  if [ "$r" -gt 40 ] || [ "$b" -gt 40 ]; then ok "the district stands at the right"
  else fail "no building at the right: $r $g $b"; fi
  blue=$(convert "$1" -crop 600x250+212+300 -fx '(b>2*r && b>2*g && b>0.3) ? 1 : 0' \
    -format '%[fx:round(mean*150000)]' info: 2>/dev/null || echo 0)
  [ "$blue" -gt 1000 ] && ok "the blue robots and blocks stand in the middle ($blue pixels)" \
    || fail "hardly anything blue in the middle: $blue pixels"
}

# trace_lines_only TRACE: standard output holds trace lines, the robot's two
# headings (or a heading that is no number), and nothing else; Windows' line
# ends are no part of a line.
trace_lines_only() {
  local pattern='^-?[0-9]+\.[0-9]{6} (-?[0-9]+\.[0-9]{6}|-?nan)$'
  if [ ! -s "$1" ]; then
    fail "nothing on standard output"
  elif tr -d '\r' <"$1" | grep -qvE "$pattern"; then
    fail "standard output holds more than the trace: $(tr -d '\r' <"$1" | grep -vE "$pattern" | head -n 1)"
  else
    ok "$(wc -l <"$1") lines on standard output, each a trace line"
  fi
}

# picture_of_the_figure NAME PICTURE: runs the program in the current folder
# (after script/lib/xvfb.sh's start_xvfb), takes picture_held_clear, ends the
# program with Escape and checks its status and GL errors. The trace stays in
# trace.txt.
picture_of_the_figure() {
  start_letterbot "$LETTERBOT" trace.txt err.txt 120
  if ! wait_for_window; then
    fail "$1: the window did not appear; stderr: $(head -c 2000 err.txt)"
    return 1
  fi
  picture_held_clear "$1" "$2"
  press_key Escape
  wait_letterbot
  check "$1: exit status" "$LETTERBOT_STATUS" 200
  check "$1: no GL errors" "$(gl_errors err.txt)" 0
}

# picture_held_clear NAME PICTURE: holds Up, which carries the camera-target
# figure, facing the camera, past everything else in the scene, and saves the
# view once a frame has been drawn since as PICTURE.
picture_held_clear() {
  press_key Up 4
  wait_for_passes 1 || fail "$1: the program stopped drawing"
  screenshot "$2" || fail "$1: the screenshot failed"
}

# figure_wears_its_picture REAL WHITE: the checks that the figure, pictured by
# picture_held_clear with its converted bitmap (REAL) and with a white one of
# the same size (WHITE), shows the picture: the views differ on the figure
# (the box of a 1 x 1 x 1 model at distance 5 spans about x 440 to 584 and
# y 340 to 484) and not in the sky above it.
figure_wears_its_picture() {
  if [ ! -f "$1" ] || [ ! -f "$2" ]; then
    fail "the pictures of the figure to compare are missing"
    return 1
  fi
  local box sky
  box=$(differing_pixels "$1" "$2" 100x100+462+362)
  sky=$(differing_pixels "$1" "$2" 300x100+362+100)
  echo "differing pixels: ${box:-?} of 10000 on the figure, ${sky:-?} of 30000 above it"
  if [ -n "$box" ] && [ "$box" -gt 2000 ]; then
    ok "the figure shows the converted picture"
  else
    fail "the figure looks the same with a white picture"
  fi
  if [ -n "$sky" ] && [ "$sky" -le 20 ]; then
    ok "the rest of the view is unchanged"
  else
    fail "the view above the figure differs between the two runs"
  fi
}

# Makes a scratch working folder $work and enters it; `with-data` links the
# repository's data/ into it. The folder goes on every way out, after
# `before_cleanup` if the test defines one. The test's own display, if it was
# started from one, is forgotten here: a test presses keys only in its private
# X server.
enter_scratch_folder() {
  unset DISPLAY
  make_scratch_folder
  on_exit 'declare -F before_cleanup >/dev/null && before_cleanup'
  [ "${1:-}" = with-data ] && ln -s "$LETTERBOT_SOURCE_DIR/data" "$work/data"
  cd "$work" || exit 1
}

# The robot's path as robot_test simulates the whole demonstration, one trace
# line per step up to the start of the patrol, written to OUT:
# simulated_trace OUT. Needs LETTERBOT_TOOLS, the Linux build that holds
# tests/robot_test. A failed check when it was not written.
simulated_trace() {
  LETTERBOT_SIMULATED_TRACE_OUT="$1" \
    "$LETTERBOT_TOOLS/tests/robot_test" --gtest_filter='*WholeDemonstration*' >/dev/null 2>&1
  [ -s "$1" ] || { fail "the simulated trace was not written"; return 1; }
}

# follows_simulated_path TRACE SIMULATED [LINES]: one check that the program's
# trace, folded, follows the simulated path: all of it, or, with LINES, as far
# as the trace goes, which must be at least LINES steps.
follows_simulated_path() {
  local compared steps
  compared=$(wc -l <"$2")
  steps=$(fold_trace "$1" | wc -l)
  [ -n "${3:-}" ] && [ "$steps" -lt "$compared" ] && compared=$steps
  if [ "$compared" -lt "${3:-1}" ]; then
    fail "the trace holds $compared steps of the path, fewer than ${3:-1}"
  elif cmp -s <(fold_trace "$1" | head -n "$compared") <(head -n "$compared" "$2"); then
    ok "the robot followed the simulated path for $compared steps"
  else
    fail "the path differs from the simulated one within $compared steps: $(diff <(fold_trace "$1" | head -n "$compared") <(head -n "$compared" "$2") | head -n 6 | tr '\n' ' ')"
  fi
}

# The path in a trace: its lines without Windows line ends, each only once
# where passes repeat it.
fold_trace() { tr -d '\r' <"$1" | uniq; }
