# Cleanup on every way out, shared by the scripts and the tests. Source it
# before starting anything. Steps added with on_exit run when the shell exits,
# also through `set -e`, and when SIGINT, SIGTERM or SIGHUP ends it: once
# each, the last added first, every one even if another fails. After a
# signal the shell ends by that same signal (status 128 + N), as it would
# without a trap. Add cleanup with on_exit only: a `trap ... EXIT` of one's
# own would drop every step. Subshells run none of them.

declare -F on_exit >/dev/null && return 0
cleanup_steps=()

# on_exit STEP: STEP is a command line, evaluated when the cleanup runs, so it
# sees variables as they are then; write ${name:-} for any that may be unset.
# Adding a step that is already there does nothing.
on_exit() {
  local step
  for step in "${cleanup_steps[@]}"; do
    [ "$step" = "$1" ] && return 0
  done
  cleanup_steps+=("$1")
}

run_cleanup() {
  local i
  # A second Ctrl+C must not cut the cleanup short; every step is bounded.
  trap '' INT TERM HUP
  for ((i = ${#cleanup_steps[@]} - 1; i >= 0; i--)); do
    eval "${cleanup_steps[i]}" || true
  done
  cleanup_steps=()
}

trap run_cleanup EXIT
for cleanup_signal in INT TERM HUP; do
  trap "run_cleanup; trap - $cleanup_signal EXIT; kill -s $cleanup_signal \$\$" "$cleanup_signal"
done
unset cleanup_signal
cleanup_traps=$(trap -p EXIT INT TERM HUP)

# True while no trap of one's own has taken the place of those above.
cleanup_in_place() { [ "$(trap -p EXIT INT TERM HUP)" = "$cleanup_traps" ]; }

# stop_process PID [group]: stops a process this shell started, by its id
# (with `group`, the process group it leads: a job started under `set -m`):
# SIGTERM, then SIGKILL if it is still there 5 s later; then reaps it. Never
# fails, so that it can run under `set -e`.
stop_process() {
  local pid=${1:-} target i
  [ -n "$pid" ] || return 0
  target=$pid
  [ "${2:-}" = group ] && target=-$pid
  if kill -TERM -- "$target" 2>/dev/null; then
    for i in $(seq 50); do
      kill -0 -- "$target" 2>/dev/null || break
      sleep 0.1
    done
    kill -KILL -- "$target" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}

# Makes a scratch folder that goes on every way out, and sets work to its path.
make_scratch_folder() {
  on_exit '[ -z "${work:-}" ] || rm -rf "$work"'
  work=$(mktemp -d)
}
