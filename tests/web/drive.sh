# Runs scenarios of drive_page.py for the page's tests in every engine. Source
# it after tests/lib/checks.sh, in the test's scratch folder.

# The driver runs in the background, so that a stopped test stops it too; it
# takes the engine and its server with it.
driver=""
on_exit 'stop_process "${driver:-}"'

# drive ENGINE SCENARIO [ARGUMENT...]: runs one scenario on the site in $site
# into the folder SCENARIO. The driver checks what it saw; its lines are
# printed here and its counts join the test's. A driver that ends without its
# total could not run the scenario, whose checks are then left out.
site=$LETTERBOT_SITE
drive() {
  local engine=$1 status=0 total
  shift
  mkdir -p "$1"
  /usr/bin/python3 "$LETTERBOT_SOURCE_DIR/tests/web/drive_page.py" "$engine" "$site" "$1" "$@" \
    >"$1/driver.txt" 2>&1 &
  driver=$!
  wait "$driver" || status=$?
  driver=""
  grep -v '^[0-9]* passed, [0-9]* failed$' "$1/driver.txt"
  total=$(grep -x '[0-9]* passed, [0-9]* failed' "$1/driver.txt" | tail -n 1)
  if [ -z "$total" ]; then
    fail "$1 in $engine could not be run (status $status), its checks are left out"
    return 1
  fi
  read -r passed _ failed _ <<<"$total"
  checks_passed=$((checks_passed + passed))
  failures=$((failures + failed))
  # A total without failures and a failed status would be a driver at odds with itself.
  [ "$status" -eq 0 ] || [ "$failed" -gt 0 ] || fail "$1 in $engine: the driver ended with status $status"
}
