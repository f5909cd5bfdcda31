// Your own robot in the page: a model picked, dropped (files or a folder) or
// linked (index.html?model=URL) is converted in memory by the desktop's own
// converter, `letterbot-assets convert`, compiled to WebAssembly as a second
// module that the page loads only then and runs in a worker of its own; the
// program then starts again with the result as data/robot.ase and its
// bitmaps. A model larger than 256 MiB is refused before it is read, and a
// link that stalls, trickles or takes too long is given up. The page hands it
// the way to start the program (useStart) and asks it for a linked model.
import { byId, firstLine } from "./shared.js";

// How the program starts, given by the page: startProgram(files, what, options).
let startProgram = null;
export function useStart(start) {
  startProgram = start;
}

// What the converter reads as a model; any other file is a companion (a
// glTF's buffers, an OBJ's materials, pictures).
const MODEL_EXTENSIONS = ["glb", "gltf", "obj", "fbx", "dae", "blend", "3ds", "ase", "ply", "stl"];

// The most a model with its companion files may weigh, 256 MiB: more would
// hold a phone's tab for long, or lose it.
const MAX_MODEL_BYTES = 256 * 1024 * 1024;
// A link is given up when fewer than LINK_MIN_BYTES arrive in LINK_STALL_SECONDS
// (a server that stalls, or trickles), and when it has not arrived whole in
// LINK_SECONDS.
const LINK_STALL_SECONDS = 15;
const LINK_MIN_BYTES = 1024;
const LINK_SECONDS = 60;

const ownRobot = byId("own-robot");
const report = byId("model-report");
const modelInput = byId("model-file");
const shippedButton = byId("shipped");
const fetching = byId("fetching");
const fetchProgress = byId("fetch-progress");
const fetchBytes = byId("fetch-bytes");
const cancelButton = byId("cancel");

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
    // The files' bytes move to the worker rather than being copied.
    worker.postMessage({ code, files, model }, [...new Set(files.map(file => file.bytes.buffer))]);
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
// at their relative paths) and starts the program with it (its canvas taking
// the focus, as `focus` says). The program that runs goes on unless the model
// becomes the robot.
async function convert(files, { focus = true } = {}) {
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
      say("failed", [`The importer failed on ${model} (${firstLine(answer.trap)}); the page stays as it was.`]);
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
    startProgram(answer.written, `your robot (${model})`, { focus });
  } catch (error) {
    say("failed", [`${model} could not be converted: ${error.message || error}`]);
  } finally {
    modelInput.disabled = false;
  }
}

const megabytes = bytes => `${(bytes / 1048576).toFixed(1)} MiB`;

// Reads picked or dropped files ({path, file}) into memory, unless together
// they weigh more than a model may: then says so and reads none.
async function readFiles(list) {
  const total = list.reduce((sum, { file }) => sum + file.size, 0);
  if (total > MAX_MODEL_BYTES) {
    say("refused", [`${list.map(({ path }) => path).join(", ")}: ${megabytes(total)} in all, more than ` +
                    `the ${megabytes(MAX_MODEL_BYTES)} a model may have; the page stays as it was.`]);
    return null;
  }
  return Promise.all(list.map(async ({ path, file }) =>
    ({ path, bytes: new Uint8Array(await file.arrayBuffer()) })));
}

async function convertRead(list) {
  const files = await readFiles(list);
  if (files) await convert(files);
}

modelInput.addEventListener("change", () => {
  const files = [...modelInput.files].map(file => ({ path: file.name, file }));
  modelInput.value = "";
  if (files.length) convertRead(files);
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
  if (files.length) convertRead(files);
});

shippedButton.addEventListener("click", () => {
  shippedButton.hidden = true;
  ownRobot.hidden = true;
  startProgram();
});

// Fetches a linked model with the page's limits, showing the bytes received
// and offering Cancel. Resolves with its bytes; rejects with the reason it
// was not taken, in words.
async function fetchLinked(address, url) {
  const controller = new AbortController();
  let reason = null;
  const stop = why => {
    if (!reason) reason = why;
    controller.abort();
  };
  let received = 0;
  let declared = 0;
  const show = () => {
    fetchProgress.max = declared || 1;
    if (declared) fetchProgress.value = Math.min(received, declared);
    else fetchProgress.removeAttribute("value");
    fetchBytes.textContent = `${received.toLocaleString("en")} bytes` +
      (declared ? ` of ${declared.toLocaleString("en")}` : "") + " received";
  };
  let windowStart = 0;
  const stallWatch = setInterval(() => {
    if (received - windowStart < LINK_MIN_BYTES) {
      stop(`it came too slowly (${(received - windowStart).toLocaleString("en")} bytes in the last ` +
           `${LINK_STALL_SECONDS} s); the page gave it up`);
    }
    windowStart = received;
  }, LINK_STALL_SECONDS * 1000);
  const overall = setTimeout(() => stop(`it had not arrived within ${LINK_SECONDS} s; the page gave it up`),
                             LINK_SECONDS * 1000);
  cancelButton.onclick = () => stop("fetching it was cancelled");
  fetching.hidden = false;
  show();
  try {
    const response = await fetch(address, { signal: controller.signal });
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    declared = Number(response.headers.get("Content-Length")) || 0;
    if (declared > MAX_MODEL_BYTES) {
      stop(`it is ${megabytes(declared)}, more than the ${megabytes(MAX_MODEL_BYTES)} a model may have`);
    }
    const reader = response.body.getReader();
    const chunks = [];
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      received += value.length;
      if (received > MAX_MODEL_BYTES) {
        stop(`it passed the ${megabytes(MAX_MODEL_BYTES)} a model may have`);
        break;
      }
      chunks.push(value);
      show();
    }
    if (reason) throw new Error(reason);
    const bytes = new Uint8Array(received);
    let at = 0;
    for (const chunk of chunks) {
      bytes.set(chunk, at);
      at += chunk.length;
    }
    return bytes;
  } catch (error) {
    throw new Error(reason ? `The model at ${url} was not taken: ${reason}.`
                           : `The model at ${url} could not be fetched: ${firstLine(error.message || error)}`);
  } finally {
    clearInterval(stallWatch);
    clearTimeout(overall);
    cancelButton.onclick = null;
    fetching.hidden = true;
  }
}

// The model a link names: fetched, then converted, before the program starts;
// meanwhile the page says what it waits for. Without it the shipped robot
// starts as it would.
export async function startWithLinkedModel(url) {
  say("fetching", [`Fetching the model at ${url}\u2026`]);
  byId("status").textContent = `letterbot waits for the model at ${url}; Cancel starts the shipped robot.`;
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
    bytes = await fetchLinked(address, url);
  } catch (error) {
    const message = firstLine(error.message || error);
    say("failed", [message.startsWith("The model at ") ? message
                                                      : `The model at ${url} could not be fetched: ${message}`]);
    startProgram([], undefined, { focus: false });
    return;
  }
  await convert([{ path: name || "model", bytes }], { focus: false });
  if (ownRobot.dataset.state !== "converted") startProgram([], undefined, { focus: false });
}
