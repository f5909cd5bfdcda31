#!/usr/bin/env bash
# The browser's converter (the site's letterbot-assets module, run by node as
# the page runs it: files in its memory, then callMain) against the desktop's:
# the same files, byte for byte, for models with embedded and with separate
# pictures, the same refusal with status 1, and a model that crashes the
# importer natively traps it, which the caller sees as an exception.
#   LETTERBOT_SOURCE_DIR  the repository
#   LETTERBOT_TOOLS       the Linux build (letterbot-assets)
#   LETTERBOT_SITE        the browser's site (letterbot-assets.js and .wasm)
set -u
. "$LETTERBOT_SOURCE_DIR/tests/lib/checks.sh"
models=/usr/share/assimp/models
make_scratch_folder

# node convert.js MODEL_FOLDER MODEL OPTIONS...: converts MODEL with every
# file of its folder beside it, writes the results into ./web/data and prints
# the status, or "trap: MESSAGE".
cat >"$work/convert.js" <<'EOF'
const fs = require('fs'), path = require('path');
const [folder, model, ...options] = process.argv.slice(2);
const create = require(path.resolve(process.env.LETTERBOT_SITE, 'letterbot-assets.js'));
create({print: () => {}, printErr: line => console.log(line)}).then(m => {
  m.FS.mkdir('/in');
  for (const name of fs.readdirSync(folder))
    if (fs.statSync(path.join(folder, name)).isFile())
      m.FS.writeFile('/in/' + name, fs.readFileSync(path.join(folder, name)));
  m.FS.mkdir('/out'); m.FS.mkdir('/out/data'); m.FS.chdir('/out');
  try {
    console.log('status ' + m.callMain(['convert', '/in/' + model, 'data/robot.ase', ...options]));
  } catch (e) {
    console.log('trap: ' + e.message);
    return;
  }
  fs.mkdirSync('web/data', {recursive: true});
  for (const name of m.FS.readdir('/out/data'))
    if (name[0] !== '.') fs.writeFileSync('web/data/' + name, m.FS.readFile('/out/data/' + name));
});
EOF

# Converts in both; compares what they write, or the line they refuse with.
both() {
  local folder=$1 model=$2
  shift 2
  rm -rf "$work/native" "$work/web" && mkdir -p "$work/native/data"
  (cd "$work/native" && "$LETTERBOT_TOOLS/tools/letterbot-assets" convert "$folder/$model" \
    data/robot.ase "$@" >/dev/null 2>err.txt; echo "status $?" >>err.txt)
  (cd "$work" && LETTERBOT_SITE="$LETTERBOT_SITE" node --no-experimental-fetch convert.js \
    "$folder" "$model" "$@" >web.txt 2>&1)
}

# Each model converts on the desktop (status 0) into the files named, and the
# browser's converter writes the same files, byte for byte.
for entry in "glTF2/BoxTextured-glTF-Binary|BoxTextured.glb||robot.ase robot_1.bmp" \
  "Collada|duck.dae|--turn 90|robot.ase robot_1.bmp" \
  "OBJ|spider.obj|--height 2|robot.ase robot_1.bmp robot_2.bmp robot_3.bmp robot_4.bmp robot_5.bmp"; do
  IFS='|' read -r folder model options expected <<<"$entry"
  # shellcheck disable=SC2086 # the options are words
  both "$models/$folder" "$model" $options
  written=$(LC_ALL=C ls "$work/native/data" | xargs)
  if ! grep -qx "status 0" "$work/native/err.txt" || [ "$written" != "$expected" ]; then
    fail "$model: the desktop's converter did not write $expected: $written; $(head -c 400 "$work/native/err.txt")"
  elif grep -qx "status 0" "$work/web.txt" && diff -r "$work/native/data" "$work/web/data" >/dev/null; then
    ok "$model: the browser's converter writes the desktop's files, $(ls "$work/web/data" | wc -l) of them"
  else
    fail "$model: the browser's converter differs: $(head -c 400 "$work/web.txt")"
  fi
done

# A broken model: both refuse it, with status 1 and one "cannot convert" line
# that says the same.
both "$models/invalid" malformed.obj
refusal="^letterbot-assets: cannot convert DIR/malformed.obj: "
check "a broken model: both refuse it with status 1" \
  "$(tail -n 1 "$work/native/err.txt"), $(tail -n 1 "$work/web.txt"), $(sed "s|$models/invalid/|DIR/|" "$work/native/err.txt" | grep -c "$refusal"), $(sed 's|/in/|DIR/|' "$work/web.txt" | grep -c "$refusal")" \
  "status 1, status 1, 1, 1"
check "a broken model: the same refusal" "$(sed 's|/in/|DIR/|' "$work/web.txt")" \
  "$(sed "s|$models/invalid/|DIR/|" "$work/native/err.txt")"

both "$LETTERBOT_SOURCE_DIR/tests/data/convert" dae_accessor_wrap.dae
check "a model that crashes the importer traps the browser's" "$(cat "$work/web.txt")" \
  "trap: memory access out of bounds"
finish
