#!/usr/bin/env bash
# letterbot-assets convert on assimp's own test models (Debian's
# assimp-testmodels): each converted model reads back with as many triangles
# as assimp's own command finds in the scene (an .ase file: as the program's
# reader finds), stands at the asked height on the robot's ground, reports what
# `model` finds and passes `check`; what the figure can go without (a picture,
# a part without triangles, a height) is only warned about; each broken model,
# and each that crashes the importer or exceeds its limits, is refused with
# one line, status 1, and nothing written. Pictures come only from the
# model's folder. The converter never replaces or removes a file it did not
# write, and a stop at any step of its swap, or two runs at once, leave one
# whole set: SWAP_FAULTS holds stand-ins for rename() and fsync() that stop it.
#   convert_test.sh TOOL DATA SWAP_FAULTS [sanitized]
set -u
tool=$(realpath "$1")
data=$(realpath "$2")
swap_faults=$(realpath "$3")
sanitized=${4:-}
inputs="$(cd "$(dirname "$0")/../data/convert" && pwd)"
models=/usr/share/assimp/models
. "$(dirname "$0")/../lib/checks.sh"
if [ ! -d "$models/glTF2" ] || ! command -v assimp >/dev/null; then
  echo "FAIL: assimp's test models or its command are not installed; script/bootstrap test" \
    "installs them (assimp-testmodels, assimp-utils)"
  exit 1
fi
make_scratch_folder

# The triangles of the whole scene as `assimp info` reports it: the faces of
# every mesh of triangles, once for each node that shows the mesh.
assimp_triangles() {
  assimp info "$1" | awk '
    /^Meshes:  \(name\)/ { meshes = 1; next }
    meshes && /^$/ { meshes = 0 }
    meshes { s = $0; sub(/.*\[/, "", s); split(s, p, " ")
             faces[$1] = p[7] == "triangle]" ? p[5] : 0 }
    /^Node hierarchy:/ { nodes = 1; next }
    nodes && /\(mesh [0-9, ]+\)$/ { s = $0; sub(/.*\(mesh /, "", s); sub(/\)$/, "", s)
             n = split(s, m, ", "); for (i = 1; i <= n; i++) total += faces[m[i]] }
    END { print total + 0 }'
}

# From `letterbot-assets model`: "objects triangles lowest-y highest-y".
model_facts() {
  "$tool" model "$1" | awk '
    /"objectCount"/ { gsub(/[^0-9]/, ""); objects = $0 }
    /"faceCount"/ { s = $0; sub(/.*"faceCount": /, "", s); triangles += s + 0
                    s = $0; sub(/.*"min": \[[^,]*, /, "", s); y = s + 0
                    if (!seen || y < low) low = y
                    s = $0; sub(/.*"max": \[[^,]*, /, "", s); y = s + 0
                    if (!seen || y > high) high = y; seen = 1 }
    END { printf "%d %d %.4f %.4f\n", objects, triangles, low, high }'
}

milliseconds() { echo $(($(date +%s%N) / 1000000)); }

# Format, model, options, whether it has textures.
good=(
  "glTF 2 binary|glTF2/BoxTextured-glTF-Binary/BoxTextured.glb||textured"
  "glTF 2|glTF2/BoxTextured-glTF/BoxTextured.gltf|--height 0.5|textured"
  "OBJ and MTL|OBJ/spider.obj|--height 2|textured"
  "Collada|Collada/duck.dae|--turn 90|textured"
  "Collada, instanced nodes|Collada/teapot_instancenodes.DAE||plain"
  "3DS|3DS/cube_with_diffuse_texture.3DS||textured"
  "FBX|FBX/huesitos.fbx||plain"
  "PLY|PLY/Wuson.ply|--height 3|plain"
  "STL|STL/Spider_binary.stl||plain"
  "Blender|BLEND/Suzanne_248.blend||plain"
  "ASE|ASE/ThreeCubesGreen.ASE||plain"
)
for entry in "${good[@]}"; do
  IFS='|' read -r format model options kind <<<"$entry"
  failed_before=$failures
  folder="$work/$(basename "$model")"
  mkdir -p "$folder/data"
  cp "$data"/* "$folder/data/"
  height=$(echo "$options" | sed -n 's/.*--height \([0-9.]*\).*/\1/p')
  height=${height:-1.4}
  start=$(milliseconds)
  # shellcheck disable=SC2086 # the options are words
  if ! (cd "$folder" && "$tool" convert "$models/$model" data/robot.ase $options \
    >out.txt 2>err.txt); then
    fail "$format ($model): $(cat "$folder/err.txt")"
    continue
  fi
  took=$(($(milliseconds) - start))
  summary=$(head -n 1 "$folder/out.txt")
  expected=$(assimp_triangles "$models/$model")
  read -r objects triangles low high <<<"$(model_facts "$folder/data/robot.ase")"
  echo "$format: $model $options: ${summary#*: } (assimp: $expected triangles), ${took} ms"
  [ "$triangles" -eq "$expected" ] ||
    fail "$model: $triangles triangles read back, assimp finds $expected"
  case "$summary" in
    *": $objects object"*", $triangles triangle"*) ;;
    *) fail "$model: the summary says '$summary'; the reader finds $objects objects," \
      "$triangles triangles" ;;
  esac
  awk -v low="$low" -v high="$high" -v h="$height" 'BEGIN { tall = high - low
    exit !(low > -1.0002 && low < -0.9998 && tall > h - 0.0003 && tall < h + 0.0003) }' ||
    fail "$model: stands from y = $low to $high, not $height tall from -1"
  textures=$(grep -c '^data/robot_[0-9]*\.bmp: ' "$folder/out.txt")
  if [ "$kind" = textured ] && [ "$textures" -eq 0 ]; then
    fail "$model: no texture written"
  fi
  (cd "$folder" && "$tool" check data >check.txt 2>&1) ||
    fail "$model: check does not pass: $(grep -v '^ok' "$folder/check.txt")"
  [ "$failures" -eq "$failed_before" ] && ok "$format converts"
done

# Broken models: one line saying why, status 1, and data/ as it was. A model
# path starts in assimp's models, or in tests/data/convert (convert/...). A
# sanitized build reports a crash, and an allocation beyond any memory, as the
# sanitizer's: it has no memory limit of its own, since AddressSanitizer needs
# the address space the limit would take.
crashed="the importer crashed on it (Segmentation fault)"
exhausted="the importer ran out of memory: it may use 256 MiB"
if [ -n "$sanitized" ]; then
  crashed="the importer tripped a sanitizer"
  exhausted="the importer tripped a sanitizer"
fi
broken=(
  "glTF2/MissingBin/BoxTextured.gltf||could not open referenced file"
  "glTF2/IndexOutOfRange/IndexOutOfRange.gltf||out-of-range indices"
  "glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf||has no faces"
  "glTF2/IncorrectVertexArrays/Cube.gltf||Some vertices were dropped"
  "invalid/malformed.obj||Invalid face index"
  "glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb||not a finite number"
  "OBJ/testpoints.obj||it holds no triangles"
  "invalid/empty.obj||too small"
  "no/such/model.glb||there is no such file"
  "convert/dae_accessor_wrap.dae||$crashed"
  "convert/ase_unique_representation.ase||it holds no triangles"
  "convert/uv_tiling_nan.ase||with its material's tiling, is not a finite number"
  "convert/ply_header_loop.ply|--time-limit 2|the importer did not finish within 2 s"
  "convert/3ds_key_count.3ds|--memory-limit 256|$exhausted"
)
folder="$work/broken"
mkdir -p "$folder/data"
cp "$data"/* "$folder/data/"
before=$(folder_state "$folder/data")
for entry in "${broken[@]}"; do
  IFS='|' read -r model options reason <<<"$entry"
  failed_before=$failures
  path="$models/$model"
  [ "${model%%/*}" = convert ] && path="$inputs/${model#convert/}"
  status=0
  # shellcheck disable=SC2086 # the options are words
  (cd "$folder" && "$tool" convert "$path" data/robot.ase $options >out.txt 2>err.txt) || status=$?
  line="letterbot-assets: cannot convert $path: "
  echo "broken: $model $options: $(cat "$folder/err.txt")"
  [ "$status" -eq 1 ] || fail "$model: status $status"
  [ "$(wc -l <"$folder/err.txt")" -eq 1 ] && grep -qF "$line" "$folder/err.txt" &&
    grep -qF "$reason" "$folder/err.txt" ||
    fail "$model: not the one line expected: $(cat "$folder/err.txt")"
  [ -s "$folder/out.txt" ] && fail "$model: printed $(cat "$folder/out.txt")"
  [ "$(folder_state "$folder/data")" = "$before" ] || fail "$model: data/ changed"
  [ "$failures" -eq "$failed_before" ] && ok "$model $options is refused"
done

# What the figure can go without is only warned about: each converts with
# its warnings on standard error and in the report, with the triangles that
# assimp's command or the program's reader finds, without a *BITMAP for a
# picture it did not write, and passes `check`. A model path starts in
# assimp's models, in tests/data (data/...) or in the scratch folder
# (work/...), where an STL file holds an empty solid beside a real one and an
# .ase file names a texture vertex it lacks, which crashes assimp's ASE
# importer while the program's reader leaves that face out.
mkdir -p "$work/made"
printf 'solid emptySolid\nendsolid emptySolid\nsolid real\nfacet normal 0 0 1\nouter loop\n%s\n%s\n%s\nendloop\nendfacet\nendsolid real\n' \
  'vertex 0 0 0' 'vertex 1 0 0' 'vertex 0 1 1' >"$work/made/mixed.stl"
sed 's/MESH_TFACE 1 3 4 5/MESH_TFACE 1 3 4 9/' "$inputs/texture_seam.ase" >"$work/made/uv_face.ase"
cp "$data/robot_panel.bmp" "$work/made/panel.bmp"
# Model, the triangles (a number, or assimp or reader for what they find in
# it), the textures written, and the warnings' words, ';' between them.
warned=(
  "3DS/cubes_with_alpha.3DS|assimp|0|names the picture \"BERETTA_.JPG\", which is not there"
  "work/mixed.stl|1|0|left out mesh 0 (emptySolid), which is empty"
  "work/uv_face.ase|reader|1|"
  "ASE/ThreeCubesGreen_UTF16LE.ASE|36|0|"
  "data/ase/uv_textured.ASE|reader|0|names the picture;it is flat, with no height to scale"
)
for entry in "${warned[@]}"; do
  IFS='|' read -r model expected textures words <<<"$entry"
  failed_before=$failures
  case "${model%%/*}" in
    work) path="$work/made/${model#work/}" ;;
    data) path="$(dirname "$inputs")/${model#data/}" ;;
    *) path="$models/$model" ;;
  esac
  folder="$work/warned/$(basename "$model")"
  mkdir -p "$folder/data"
  cp "$data"/* "$folder/data/"
  status=0
  (cd "$folder" && "$tool" convert "$path" data/robot.ase >out.txt 2>err.txt) || status=$?
  echo "warned: $model: $(head -n 1 "$folder/out.txt") $(cat "$folder/err.txt")"
  [ "$status" -eq 0 ] || fail "$model: status $status"
  [ "$expected" = assimp ] && expected=$(assimp_triangles "$path")
  [ "$expected" = reader ] && expected=$(model_facts "$path" | cut -d' ' -f2)
  read -r _ triangles _ <<<"$(model_facts "$folder/data/robot.ase")"
  [ "$triangles" = "$expected" ] || fail "$model: $triangles triangles read back, $expected expected"
  check "$model: textures written" "$(grep -c '^data/robot_[0-9]*\.bmp: ' "$folder/out.txt")" \
    "$textures"
  check "$model: bitmaps named" "$(grep -c '\*BITMAP "' "$folder/data/robot.ase")" "$textures"
  IFS=';' read -r -a each <<<"$words"
  check "$model: warnings" "$(grep -c "^letterbot-assets: warning: $path: " "$folder/err.txt")" \
    "${#each[@]}"
  for word in "${each[@]}"; do
    grep -qF "$word" "$folder/err.txt" && grep -q "^warning: .*$word" "$folder/out.txt" ||
      fail "$model: no warning that $word"
  done
  (cd "$folder" && "$tool" check data >check.txt 2>&1) ||
    fail "$model: check does not pass: $(grep -v '^ok' "$folder/check.txt")"
  [ "$failures" -eq "$failed_before" ] && ok "$model converts with what it has"
done
status=0
(cd "$work/warned" && "$tool" convert "$models/3DS/cubes_with_alpha.3DS" robot.ase --strict \
  >out.txt 2>err.txt) || status=$?
[ "$status" -eq 1 ] && grep -q 'which is not there.*(--strict)$' "$work/warned/err.txt" &&
  [ ! -e "$work/warned/robot.ase" ] && ok "--strict refuses what is only warned about" ||
  fail "--strict: status $status, $(cat "$work/warned/err.txt")"

# A model that converts within the default memory limit, 4 MB of text whose
# import takes over 100 MB, is refused within a low one. A sanitized build has
# no memory limit.
folder="$work/memory"
mkdir -p "$folder/data"
grid_ply 300 >"$folder/grid.ply"
(cd "$folder" && "$tool" convert grid.ply data/robot.ase >out.txt 2>err.txt) &&
  ok "a 4 MB model converts within the default memory limit" ||
  fail "a 4 MB model within the default memory limit: $(cat "$folder/err.txt")"
if [ -z "$sanitized" ]; then
  status=0
  (cd "$folder" && "$tool" convert grid.ply data/robot.ase --memory-limit 32 >out.txt 2>err.txt) ||
    status=$?
  check "the same model within 32 MiB: status and line" "$status $(cat "$folder/err.txt")" \
    "1 letterbot-assets: cannot convert grid.ply: the importer ran out of memory: it may use 32 MiB (--memory-limit changes that)"
fi

# Pictures named outside the model's folder, by a climb, an absolute path or
# a link, are not taken from there; one of the same name beside it is.
folder="$work/outside"
mkdir -p "$folder/model/data" "$folder/elsewhere"
cp "$data/robot_panel.bmp" "$folder/elsewhere/secret.bmp"
ln -s ../elsewhere/secret.bmp "$folder/model/linked.bmp"
for reference in ../elsewhere/secret.bmp %2E%2E/elsewhere/secret.bmp "$folder/elsewhere/secret.bmp" \
  linked.bmp; do
  printf 'newmtl m\nmap_Kd %s\n' "$reference" >"$folder/model/box.mtl"
  printf 'mtllib box.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nusemtl m\nf 1/1 2/2 3/3\n' \
    >"$folder/model/box.obj"
  status=0
  (cd "$folder/model" && "$tool" convert box.obj data/robot.ase >out.txt 2>err.txt) || status=$?
  [ "$status" -eq 0 ] && grep -qF "which is not there" "$folder/model/err.txt" &&
    [ ! -e "$folder/model/data/robot_1.bmp" ] && ok "a picture named $reference is not taken" ||
    fail "a picture named $reference: status $status, $(cat "$folder/model/err.txt")"
done
cp "$data/robot_panel.bmp" "$folder/model/secret.bmp"
printf 'newmtl m\nmap_Kd %s\n' "$folder/elsewhere/secret.bmp" >"$folder/model/box.mtl"
if (cd "$folder/model" && "$tool" convert box.obj data/robot.ase >out.txt 2>err.txt) &&
  grep -q "texture of material \"m\", from secret.bmp$" "$folder/model/out.txt"; then
  ok "a picture named by an absolute path is taken by its name beside the model"
else
  fail "a picture beside the model: $(cat "$folder/model/err.txt" "$folder/model/out.txt")"
fi

# whole_set DIR: DIR holds one converted set, robot.ase naming every
# robot_N.bmp there and only bitmaps that are there, and nothing of a swap.
whole_set() {
  local named there
  named=$(sed -n 's/.*\*BITMAP "data\\\(robot_[0-9]*\.bmp\)"/\1/p' "$1/robot.ase" | sort | xargs)
  there=$(cd "$1" && ls robot_[0-9]*.bmp 2>/dev/null | sort | xargs)
  [ -n "$named" ] && [ "$named" = "$there" ] && ! ls -A "$1" | grep -q '^\.letterbot-convert-'
}
spider="$models/OBJ/spider.obj" duck="$models/Collada/duck.dae"
box="$models/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"
preload=(env LD_PRELOAD="$swap_faults" ASAN_OPTIONS=verify_asan_link_order=0)

# A conversion with fewer textures than the last removes exactly the bitmaps
# that the last one's model named.
folder="$work/fewer"
mkdir -p "$folder/data"
(cd "$folder" && "$tool" convert "$spider" data/robot.ase >/dev/null)
check "bitmaps after five textures" "$(cd "$folder/data" && echo *)" \
  "robot.ase robot_1.bmp robot_2.bmp robot_3.bmp robot_4.bmp robot_5.bmp"
(cd "$folder" && "$tool" convert "$box" data/robot.ase >/dev/null)
check "bitmaps after five textures, then one" "$(cd "$folder/data" && echo *)" "robot.ase robot_1.bmp"

# A model's own pictures, named as the output's bitmaps would be, and a
# person's own file of such a name stay as they are: the bitmaps take other
# names, and a later conversion with fewer textures removes none of them.
folder="$work/car"
mkdir -p "$folder"
cp "$data/robot_panel.bmp" "$folder/car_1.bmp"
cp "$data/textura_okna1.bmp" "$folder/car_2.bmp"
cp "$data/textura_strecha.bmp" "$folder/car_3.bmp"
printf 'newmtl first\nmap_Kd car_2.bmp\nnewmtl second\nmap_Kd car_1.bmp\n' >"$folder/car.mtl"
printf 'mtllib car.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n%s\n' \
  'usemtl first' 'f 1/1 2/2 3/3' 'usemtl second' 'f 2/1 4/2 3/3' >"$folder/car.obj"
own=$(cd "$folder" && md5sum car_1.bmp car_2.bmp car_3.bmp)
(cd "$folder" && "$tool" convert car.obj car.ase >out.txt 2>&1 && "$tool" convert car.obj car.ase \
  >>out.txt 2>&1 && "$tool" convert "$box" car.ase >>out.txt 2>&1) ||
  fail "the car: $(cat "$folder/out.txt")"
check "the car's own pictures" "$(cd "$folder" && md5sum car_1.bmp car_2.bmp car_3.bmp)" "$own"
check "the car's folder" "$(cd "$folder" && echo *)" \
  "car.ase car.mtl car.obj car_1.bmp car_2.bmp car_3.bmp car_4.bmp out.txt"

# Output that a stop or a second run must not mix: a stop at each rename of a
# swap. SIGTERM is held off until the set is whole and then ends the run
# (143); SIGKILL cannot be, and the next run finishes the swap first. Either
# way one whole set stays, and nothing of the swap.
folder="$work/stops"
mkdir -p "$folder/data"
cp "$data"/* "$folder/data/"
for signal in TERM KILL; do
  for at in $(seq 1 12); do
    (cd "$folder" && "$tool" convert "$spider" data/robot.ase >/dev/null)
    status=0
    # The braces keep the shell's own line about the stopped run.
    { (cd "$folder" && exec "${preload[@]}" LETTERBOT_RENAME_FAULT_AT="$at" \
      LETTERBOT_FAULT_SIGNAL="$(kill -l "$signal")" \
      "$tool" convert "$duck" data/robot.ase >/dev/null 2>&1) || status=$?; } 2>/dev/null
    [ "$status" -eq 0 ] && break # fewer renames than that
    if [ "$signal" = TERM ]; then
      [ "$status" -eq 143 ] && whole_set "$folder/data" &&
        [ "$(grep -c '\*BITMAP "' "$folder/data/robot.ase")" -eq 1 ] ||
        fail "SIGTERM after rename $at: status $status, $(ls -A "$folder/data" | xargs)"
    else
      (cd "$folder" && "$tool" convert "$box" data/robot.ase >/dev/null) && whole_set "$folder/data" ||
        fail "SIGKILL after rename $at, then a run: $(ls -A "$folder/data" | xargs)"
    fi
  done
  [ "$at" -gt 3 ] && ok "SIG$signal after each of $((at - 1)) renames leaves one whole set" ||
    fail "SIG$signal: only $at renames"
done
# SIGTERM once the third temporary file is written: the run removes its
# temporary files itself, and the earlier set stays as it was.
before=$(folder_state "$folder/data")
status=0
{ (cd "$folder" && exec "${preload[@]}" LETTERBOT_FSYNC_FAULT_AT=3 LETTERBOT_FAULT_SIGNAL=15 \
  "$tool" convert "$spider" data/robot.ase >/dev/null 2>&1) || status=$?; } 2>/dev/null
[ "$status" -eq 143 ] && [ "$(folder_state "$folder/data")" = "$before" ] &&
  ok "SIGTERM while writing leaves the earlier set and nothing else" ||
  fail "SIGTERM while writing: status $status, $(ls -A "$folder/data" | xargs)"
(cd "$folder" && "$tool" check data >check.txt 2>&1) ||
  fail "check after the stops: $(grep -v '^ok' "$folder/check.txt")"
for round in 1 2 3; do
  (cd "$folder" && "${preload[@]}" LETTERBOT_RENAME_DELAY_MS=40 \
    "$tool" convert "$spider" data/robot.ase >/dev/null 2>&1) &
  first=$!
  sleep 0.05
  (cd "$folder" && "${preload[@]}" LETTERBOT_RENAME_DELAY_MS=40 \
    "$tool" convert "$duck" data/robot.ase >/dev/null 2>&1) &
  second=$!
  wait "$first" && wait "$second" && whole_set "$folder/data" ||
    fail "two runs at once, round $round: $(ls -A "$folder/data" | xargs)"
done
ok "two runs at once leave one whole set"

# The importer does not outlive the converter.
"$tool" convert "$inputs/ply_header_loop.ply" "$work/orphan.ase" --time-limit 200 >/dev/null 2>&1 &
parent=$!
child=
for _ in $(seq 200); do
  child=$(pgrep -P "$parent")
  [ -n "$child" ] && break
  sleep 0.05
done
kill -KILL "$parent"
wait "$parent" 2>/dev/null
gone() { ! ps -o stat= -p "$1" | grep -q '^[^Z]'; }
for _ in $(seq 100); do
  gone "$child" && break
  sleep 0.05
done
if [ -n "$child" ] && gone "$child"; then
  ok "the importer ends with its parent"
else
  fail "the importer (${child:-not seen}) outlived its parent"
  [ -n "$child" ] && kill -KILL "$child"
fi

# New files get a new file's mode, never that of what a link leads to.
ln -s /tmp "$work/linked.ase"
(cd "$work" && umask 022 && "$tool" convert "$models/PLY/Wuson.ply" linked.ase >/dev/null 2>&1)
check "the mode of a model written where a link to /tmp stood" \
  "$(stat -c '%F %a' "$work/linked.ase")" "regular file 644"

# Arguments and messages: the reason a file cannot be read, an output folder
# that is not there noticed before the import (which would take 200 s), a
# name of the longest length a file may have, `--`, and the argument a usage
# error is about.
long=$(printf 'm%.0s' $(seq 300))
name=$(printf 'n%.0s' $(seq 251)).ase
cp "$models/PLY/Wuson.ply" "$work/-dash.ply"
messages=(
  "1|$work/$long.glb|x.ase|it cannot be read: File name too long"
  "1|$inputs/ply_header_loop.ply|missing/robot.ase --time-limit 200|the output folder missing/ is not there"
  "1|$box|robot.ase|robot.ase is a folder"
  "0|$models/PLY/Wuson.ply|$name|"
  "0|--|-dash.ply robot2.ase|"
  "2|$box|x.ase --hieght 2|no such option: '--hieght'"
  "2|$box|x.ase extra|one argument too many: 'extra'"
  "2|$box|x.ase --turn|--turn needs a value"
)
mkdir "$work/robot.ase"
for entry in "${messages[@]}"; do
  IFS='|' read -r expected first rest words <<<"$entry"
  status=0
  # shellcheck disable=SC2086 # the arguments are words
  (cd "$work" && timeout 60 "$tool" convert "$first" $rest >out.txt 2>err.txt) || status=$?
  [ "$status" -eq "$expected" ] && { [ -z "$words" ] || grep -qF -- "$words" "$work/err.txt"; } &&
    ok "convert $(basename -- "${first:0:60}") ${rest:0:40}: status $status" ||
    fail "convert $first $rest: status $status, $(cat "$work/err.txt")"
done
[ -e "$work/missing" ] && fail "an output folder was created"
[ -e "$work/robot_1.bmp" ] && fail "a bitmap was written beside a folder"

finish
