// Your own robot in the page: a model picked, dropped (files or a folder) or
// linked (index.html?model=URL) is converted in memory by the desktop's own
// converter, `letterbot-assets convert`, compiled to WebAssembly as a second
// module that the page loads only then and runs in a worker of its own; the
// program then starts again with the result as data/robot.ase and its
// bitmaps. Uses startProgram from page.js.
"use strict";

// What the converter reads as a model; any other file is a companion (a
// glTF's buffers, an OBJ's materials, pictures).
const MODEL_EXTENSIONS = ["glb", "gltf", "obj", "fbx", "dae", "blend", "3ds", "ase", "ply", "stl"];

const ownRobot = byId("own-robot");
const report = byId("model-report");
const modelInput = byId("model-file");
const shippedButton = byId("shipped");

function say(state, lines) {
  ownRobot.dataset.state = state;
  ownRobot.hidden = false;
  report.textContent = lines.join("\n");
}

// The converter's compiled code, fetched and compiled once, and handed to a
// fresh worker for every model (convert_worker.js). A worker serves one
// model: a trap inside it leaves its memory in an unknown state.
let converterCode = null;

// The longest a conversion may take before the page ends it, as the desktop
// converter's --time-limit does.
const CONVERT_SECONDS = 120;

function compileConverter() {
  if (!converterCode) {
    const url = "letterbot-assets.wasm";
    converterCode = WebAssembly.compileStreaming(fetch(url))
      .catch(() => fetch(url).then(response => response.arrayBuffer()).then(WebAssembly.compile));
    converterCode.catch(() => { converterCode = null; });
  }
  return converterCode;
}

// Runs the converter on `files` ({path, bytes}, paths inside its /in/) in a
// worker of its own. Resolves with its answer: {status, printed, errorLines,
// written}, {trap} or {timeout}; rejects when the worker cannot run at all.
async function runConverter(files, model) {
  const code = await compileConverter();
  return new Promise((resolve, reject) => {
    const worker = new Worker("convert_worker.js");
    const finish = (settle, value) => {
      clearTimeout(timer);
      worker.terminate();
      settle(value);
    };
    const timer = setTimeout(() => finish(resolve, { timeout: true }), CONVERT_SECONDS * 1000);
    worker.onmessage = ({ data }) => finish(resolve, data);
    worker.onerror = event => {
      event.preventDefault();
      finish(reject, new Error(event.message || "the converter's worker failed"));
    };
    worker.postMessage({ code, files, model });
  });
}

function extension(path) {
  const dot = path.lastIndexOf(".");
  return dot < 0 ? "" : path.slice(dot + 1).toLowerCase();
}

// A path inside the converter's /in/: relative, without "." or "..".
function inPath(path) {
  return "/in/" + path.split("/").filter(part => part && part !== "." && part !== "..").join("/");
}

// Converts the model among `files` ({path, bytes}: one model, any companions
// at their relative paths) and starts the program with it. The program that
// runs goes on unless the model becomes the robot.
async function convert(files) {
  // A hidden file (a name that starts with a dot, such as a Mac's "._NAME")
  // is never the model.
  const models = files.filter(file => MODEL_EXTENSIONS.includes(extension(file.path)) &&
                                      !file.path.split("/").pop().startsWith("."));
  if (models.length !== 1) {
    say("refused", [models.length === 0
      ? `No model among ${files.map(file => file.path).join(", ")}: give a ` +
        `${MODEL_EXTENSIONS.map(e => "." + e).join(", ")} file, with its companion files`
      : `More than one model among the files (${models.map(file => file.path).join(", ")}): give one at a time`]);
    return;
  }
  const model = models[0].path;
  say("converting", [`Converting ${model}\u2026`]);
  modelInput.disabled = true;
  try {
    const inFiles = files.map(file => ({ path: inPath(file.path), bytes: file.bytes }));
    const answer = await runConverter(inFiles, inPath(model));
    if (answer.trap) {
      say("failed", [`The importer failed on ${model} (${answer.trap}); the page stays as it was.`]);
      return;
    }
    if (answer.timeout) {
      say("failed", [`The importer did not finish ${model} within ${CONVERT_SECONDS} s; ` +
                     "the page stays as it was."]);
      return;
    }
    if (answer.status !== 0) {
      say("refused", answer.errorLines.length ? answer.errorLines
                                              : [`The converter ended with status ${answer.status}.`]);
      return;
    }
    say("converted", answer.printed);
    shippedButton.hidden = false;
    startProgram(answer.written, `your robot (${model})`);
  } catch (error) {
    say("failed", [`${model} could not be converted: ${error.message || error}`]);
  } finally {
    modelInput.disabled = false;
  }
}

async function readFiles(list) {
  return Promise.all(list.map(async ({ path, file }) =>
    ({ path, bytes: new Uint8Array(await file.arrayBuffer()) })));
}

modelInput.addEventListener("change", async () => {
  const files = [...modelInput.files].map(file => ({ path: file.name, file }));
  modelInput.value = "";
  if (files.length) convert(await readFiles(files));
});

// Every file of a dropped folder, with its path inside the drop.
async function entryFiles(entry) {
  if (entry.isFile) {
    const file = await new Promise((resolve, reject) => entry.file(resolve, reject));
    return [{ path: entry.fullPath.replace(/^\/+/, ""), file }];
  }
  const reader = entry.createReader();
  const found = [];
  for (;;) {
    const batch = await new Promise((resolve, reject) => reader.readEntries(resolve, reject));
    if (!batch.length) return found;
    for (const child of batch) found.push(...await entryFiles(child));
  }
}

document.addEventListener("dragover", event => {
  if (!event.dataTransfer.types.includes("Files")) return;
  event.preventDefault();
  document.body.classList.add("dropping");
});
document.addEventListener("dragleave", event => {
  if (!event.relatedTarget) document.body.classList.remove("dropping");
});
document.addEventListener("drop", async event => {
  event.preventDefault();
  document.body.classList.remove("dropping");
  if (modelInput.disabled) return; // a conversion is under way
  const entries = [...event.dataTransfer.items].map(item => item.webkitGetAsEntry && item.webkitGetAsEntry());
  let files;
  try {
    files = entries.length && entries.every(Boolean)
      ? (await Promise.all(entries.map(entryFiles))).flat()
      : [...event.dataTransfer.files].map(file => ({ path: file.name, file }));
  } catch (error) {
    say("failed", [`The dropped files could not be read: ${error.message || error}`]);
    return;
  }
  if (files.length) convert(await readFiles(files));
});

shippedButton.addEventListener("click", () => {
  shippedButton.hidden = true;
  ownRobot.hidden = true;
  startProgram();
});

// The model a link names: fetched, then converted, before the program starts;
// without it the shipped robot starts as it would.
async function startWithLinkedModel(url) {
  say("fetching", [`Fetching ${url}\u2026`]);
  let bytes, name;
  try {
    const address = new URL(url, location.href);
    // The model's name, which tells the converter its format, is the last part of the path.
    name = address.pathname.split("/").pop();
    try {
      name = decodeURIComponent(name);
    } catch (malformed) {
      // kept as it is written
    }
    const response = await fetch(address);
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    bytes = new Uint8Array(await response.arrayBuffer());
  } catch (error) {
    say("failed", [`The model at ${url} could not be fetched: ${error.message || error}`]);
    startProgram();
    return;
  }
  await convert([{ path: name || "model", bytes }]);
  if (ownRobot.dataset.state !== "converted") startProgram();
}
