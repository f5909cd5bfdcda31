#!/usr/bin/env bash
# script/fuzz --classify on reports the converter's fuzzer saved: a crash, a
# timeout and an exhausted memory inside assimp are the importer's; an
# overflow in our code over a buffer that assimp allocated is ours, although
# the allocation's stack is assimp's. One line a report with the deciding
# frame, and status 1 when any is ours.
set -u
. "$(dirname "$0")/../lib/checks.sh"
fuzz="$(cd "$(dirname "$0")/../.." && pwd)/script/fuzz"
reports="$(cd "$(dirname "$0")/../data/fuzz_reports" && pwd)"
make_scratch_folder

# Report, owner, the function of the deciding frame.
cases=(
  "crash-ase.txt|the importer's|Assimp::ASEImporter::BuildUniqueRepresentation"
  "timeout-ply.txt|the importer's|Assimp::PLY::"
  "oom-3ds.txt|the importer's|Assimp::Discreet3DSImporter::ParseHierarchyChunk"
  "crash-ours-over-assimp-buffer.txt|ours|(anonymous namespace)::addInstance"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r report owner frame <<<"$entry"
  status=0
  line=$("$fuzz" --classify "$reports/$report") || status=$?
  expected=0
  [ "$owner" = ours ] && expected=1
  case "$line" in
    "$reports/$report: $owner ("*"), at #"[0-9]*" "*"$frame"*) ok "$report: $owner, at $frame" ;;
    *) fail "$report: expected $owner at $frame, got: $line" ;;
  esac
  check "$report: status" "$status" "$expected"
done

# Several at once: a line each, and ours among them fails the whole.
: >"$work/empty.txt"
status=0
"$fuzz" --classify "$reports"/*.txt "$work/empty.txt" >"$work/all.txt" || status=$?
check "all reports and an empty one: lines" "$(wc -l <"$work/all.txt")" $((${#cases[@]} + 1))
check "all reports and an empty one: status" "$status" 1
check "an empty report" "$(tail -n 1 "$work/all.txt")" "$work/empty.txt: ours: the report is empty"
status=0
"$fuzz" --classify "$reports/crash-ase.txt" "$reports/timeout-ply.txt" >/dev/null || status=$?
check "the importer's alone: status" "$status" 0
finish
