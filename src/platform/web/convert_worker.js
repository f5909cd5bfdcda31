// The converter's own thread, one model per worker: the page hands it the
// compiled converter and the files, it runs `letterbot-assets convert` on
// them and answers once, and the page then ends it. Whatever the importer does
// to the converter's memory or time, a trap, a crash or a loop, stays here:
// the page ends a worker that takes too long, as the desktop ends its child.
"use strict";

importScripts("letterbot-assets.js");

onmessage = async ({ data: { code, files, model } }) => {
  const printed = [];
  const errorLines = [];
  const converter = await createLetterbotAssets({
    print: line => printed.push(line),
    printErr: line => errorLines.push(line),
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(code, imports).then(instance => receive(instance, code));
      return {};
    },
  });
  const fs = converter.FS;
  for (const file of files) {
    fs.mkdirTree(file.path.slice(0, file.path.lastIndexOf("/")));
    fs.writeFile(file.path, file.bytes);
  }
  fs.mkdirTree("/out/data");
  fs.chdir("/out");
  let status;
  try {
    status = converter.callMain(["convert", model, "data/robot.ase"]);
  } catch (trap) {
    postMessage({ trap: String(trap) });
    return;
  }
  const written = status !== 0 ? [] : fs.readdir("/out/data")
    .filter(name => name !== "." && name !== "..")
    .map(name => ({ path: `/data/${name}`, bytes: fs.readFile(`/out/data/${name}`) }));
  postMessage({ status, printed, errorLines, written }, written.map(file => file.bytes.buffer));
};
