#!/usr/bin/env bash
# letterbot-assets convert over assimp's own test models (Debian's
# assimp-testmodels) in the nine formats it documents, outside invalid/:
# how many convert, how many of those with a warning, how many are refused,
# the refusals grouped by reason (quoted names and numbers left out), and the
# time to convert the largest model that converts. Prints figures; passes or fails nothing.
#   bench/convert_survey.sh TOOL [MODELS]
set -uo pipefail
tool=$(realpath "$1")
models=${2:-/usr/share/assimp/models}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t files < <(find "$models" -path "$models/invalid" -prune -o -type f \
  \( -iname '*.glb' -o -iname '*.gltf' -o -iname '*.obj' -o -iname '*.fbx' -o -iname '*.dae' \
  -o -iname '*.3ds' -o -iname '*.ase' -o -iname '*.ply' -o -iname '*.stl' -o -iname '*.blend' \) \
  -print | sort)

converted=0 warned=0 refused=0 largest=
: >"$work/reasons"
for model in "${files[@]}"; do
  rm -rf "$work/run" && mkdir -p "$work/run/data"
  if (cd "$work/run" && "$tool" convert "$model" data/robot.ase >/dev/null 2>err.txt); then
    converted=$((converted + 1))
    [ -z "$largest" ] || [ "$(stat -c %s "$model")" -gt "$(stat -c %s "$largest")" ] && largest=$model
    grep -q '^letterbot-assets: warning: ' "$work/run/err.txt" && warned=$((warned + 1))
  else
    refused=$((refused + 1))
    sed -n 's/^letterbot-assets: cannot convert [^:]*: //p' "$work/run/err.txt" | head -n 1 |
      sed -e 's/"[^"]*"/"…"/g' -e 's/[0-9][0-9.]*/N/g' -e 's/(\/[^)]*)/(…)/g' >>"$work/reasons"
  fi
done
echo "models: ${#files[@]} ($models, outside invalid/)"
echo "converted: $converted ($warned of them with a warning)"
echo "refused: $refused"
sort "$work/reasons" | uniq -c | sort -rn | sed 's/^/  /'

rm -rf "$work/run" && mkdir -p "$work/run/data"
start=$(date +%s%N)
(cd "$work/run" && "$tool" convert "$largest" data/robot.ase >out.txt 2>&1)
status=$?
echo "largest: ${largest#"$models"/} ($(stat -c %s "$largest") bytes): status $status," \
  "$((($(date +%s%N) - start) / 1000000)) ms; $(head -n 1 "$work/run/out.txt")"
