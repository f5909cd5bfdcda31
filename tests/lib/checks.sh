# What the tests that run a real program share: a scratch working folder,
# counted checks and looks at pictures. Source it after script/lib/xvfb.sh if
# the test uses that; end the test with `finish`. A test adds its own cleanup
# with on_exit (script/lib/cleanup.sh), never with a trap of its own.
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

# pixel FILE X Y: prints "r g b" of one pixel.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 rgb:- | od -An -tu1 | xargs; }

# differing_pixels A B [GEOMETRY]: how many pixels of the two pictures (or of
# that part of them) differ.
differing_pixels() {
  compare -metric AE ${3:+-extract "$3"} "$1" "$2" null: 2>&1 | sed 's/[^0-9].*//'
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
