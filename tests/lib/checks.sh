# What the tests that run a real program share: a scratch working folder,
# counted checks, and looks at pictures. Source it after script/lib/xvfb.sh;
# end the test with `finish`.

failures=0
checks_passed=0
ok() { echo "ok: $*"; checks_passed=$((checks_passed + 1)); }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if [ "$2" = "$3" ]; then ok "$1"; else fail "$1: expected '$3', got '$2'"; fi; }

# Prints the counts and ends the test, failed if any check failed.
finish() {
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
# repository's data/ into it. When the test ends, the private X server stops
# and the folder goes, after `before_cleanup` if the test defines one.
enter_scratch_folder() {
  work=$(mktemp -d)
  trap 'declare -F before_cleanup >/dev/null && before_cleanup; stop_xvfb; rm -rf "$work"' EXIT
  [ "${1:-}" = with-data ] && ln -s "$LETTERBOT_SOURCE_DIR/data" "$work/data"
  cd "$work" || exit 1
}
