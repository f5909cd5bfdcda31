// letterbot's page: starts the program (letterbot.js) on a fresh canvas, shows
// its console and how it ended, offers to start it again, holds and resumes
// its main loop, and gives it full screen; its controls (controls.js) give it
// touch and the keyboard alone, and own_robot.js a model of one's own.
import { byId, firstLine } from "./shared.js";
import { hold, isHeld, passed, releaseAll, useProgram } from "./controls.js";
import { startWithLinkedModel, useStart } from "./own_robot.js";

// What an exit status means, as far as a page can end (the README's table).
const MEANINGS = {
  200: "Escape or End ended it",
  1: "it could not create \"error.txt\"",
  2: "it could not start its video: this browser gives the page no WebGL",
  3: "a texture bitmap is missing or cannot be decoded",
};
const MAX_ERROR_LINES = 20;

const play = byId("play");
const stage = byId("stage");
const trace = byId("trace");
const errors = byId("errors");
const statusLine = byId("status");
const errorLog = byId("error-log");
const note = byId("note");
const consoleLines = byId("console-lines");
const againButton = byId("again");
const pauseButton = byId("pause");
const playOver = byId("play-over");

// The program now running: its Module, its canvas, the passes it has made
// (one trace line each), and whether it has ended.
let program = null;
// The page's own canvas, which the first start takes: it has no context yet.
// Every later canvas gets its name and description.
let unusedCanvas = byId("canvas");
const CANVAS_ATTRIBUTES = ["role", "aria-label", "aria-describedby"]
  .map(name => [name, unusedCanvas.getAttribute(name)]);
// What the last start ran with, for Start again.
let lastStart = { files: [], what: "the shipped robot" };
// The page holds the program's main loop while paused; with reduced motion
// asked for, the program waits for Play before its first pass.
let paused = matchMedia("(prefers-reduced-motion: reduce)").matches;

function showError(line) {
  const div = document.createElement("div");
  div.textContent = line;
  errors.append(div);
  while (errors.childElementCount > MAX_ERROR_LINES) errors.firstElementChild.remove();
  consoleLines.hidden = false;
}

function showNote(text) {
  note.textContent = text;
  consoleLines.hidden = !text && !errors.childElementCount;
}

// The program is over, however it ended: the page offers it again, with the
// focus there.
function offerStartAgain() {
  pauseButton.disabled = true;
  playOver.hidden = true;
  againButton.hidden = false;
  againButton.focus();
}

function ended(module, status) {
  releaseAll();
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  statusLine.dataset.exitStatus = String(status);
  const meaning = MEANINGS[status];
  statusLine.textContent = `letterbot has ended (exit status ${status})` + (meaning ? `: ${meaning}.` : ".");
  offerStartAgain();
  if (status === 200) return;
  try {
    const text = module.FS.readFile("/error.txt", { encoding: "utf8" });
    if (text) {
      errorLog.textContent = `error.txt: ${text}`;
      errorLog.hidden = false;
    }
  } catch (error) {
    // No error.txt: the program ended before it could make one.
  }
}

// Takes away the asset that ?without= names (a path below data/), once the
// data is in the in-memory file system and before the program starts.
function removeAskedAsset(fs) {
  const asked = new URLSearchParams(location.search).get("without");
  if (!asked) return;
  const path = "/" + asked.replace(/^\/+/, "");
  if (!path.startsWith("/data/") || path.includes("/../")) {
    showError(`?without=${asked}: only a file below data/ can be taken away`);
    return;
  }
  try {
    fs.unlink(path);
    showNote(`(${path.slice(1)} was taken away before the start)`);
  } catch (error) {
    showError(`?without=${asked}: there is no such file`);
  }
}

// A stopped program's WebGL context goes at once, not whenever the browser
// collects it: a page holds only a few.
function loseContext(canvas) {
  const context = canvas.getContext("webgl");
  const extension = context && context.getExtension("WEBGL_lose_context");
  if (extension) extension.loseContext();
}

// Stops the program that runs (or is still loading) and takes its canvas away.
// One still loading cannot be called yet (its exports are not there): it
// stops itself once it is ready, seeing that it is no longer the program.
function stopProgram() {
  const old = program;
  program = null;
  if (!old) return;
  old.canvas.remove();
  if (old.ended) loseContext(old.canvas);
  else if (old.started) old.module._letterbot_stop();
}

// The program's code and data, fetched once per page load and used by every
// start of the program: letterbot.wasm compiled as it arrives, letterbot.data
// whole. A failed fetch is tried again at the next start.
let programFiles = null;

function fetched(url) {
  return fetch(url).then(response => {
    if (!response.ok) throw new Error(`${url}: ${response.status} ${response.statusText}`);
    return response;
  });
}

function loadProgramFiles() {
  if (!programFiles) {
    const code = fetched("letterbot.wasm").then(response => {
      // A server that does not call it application/wasm still serves it.
      const whole = response.clone();
      return WebAssembly.compileStreaming(response)
        .catch(() => whole.arrayBuffer().then(bytes => WebAssembly.compile(bytes)));
    });
    const data = fetched("letterbot.data").then(response => response.arrayBuffer());
    programFiles = Promise.all([code, data]);
    programFiles.catch(() => { programFiles = null; });
  }
  return programFiles;
}
loadProgramFiles();

// Starts the program on a fresh canvas (a second WebGL context on the same
// canvas would be the first one, with its state). Each of `files`, {path,
// bytes}, is written over the packed data before main runs. The new canvas
// takes the focus, but at the page's own first start.
function startProgram(files = [], what = "the shipped robot", { focus = true } = {}) {
  stopProgram();
  releaseAll();
  lastStart = { files, what };
  const canvas = unusedCanvas || document.createElement("canvas");
  unusedCanvas = null;
  canvas.id = "canvas";
  canvas.width = 1024;
  canvas.height = 768;
  canvas.tabIndex = 0;
  for (const [name, value] of CANVAS_ATTRIBUTES) canvas.setAttribute(name, value);
  stage.prepend(canvas);
  // A program stopped for the next one says and shows nothing more.
  const current = () => program !== null && program.module === module;
  const module = {
    canvas,
    // Each line of standard output reaches the browser's console unchanged,
    // and the newest one is shown; standard error goes to console.error.
    print(line) {
      if (!current()) return;
      console.log(line);
      trace.textContent = line;
      passed();
    },
    printErr(line) {
      if (!current()) return;
      console.error(line);
      showError(line);
    },
    // The code and data this page has already fetched.
    instantiateWasm(imports, receive) {
      loadProgramFiles()
        .then(([code]) => WebAssembly.instantiate(code, imports).then(instance => receive(instance, code)))
        .catch(error => failedToLoad(error));
      return {};
    },
    getPreloadedPackage() {
      return program && current() ? program.data.slice(0) : null;
    },
    onRuntimeInitialized() {
      if (!current()) {
        module._letterbot_stop(); // replaced while it loaded
        return;
      }
      for (const file of files) module.FS.writeFile(file.path, file.bytes);
      removeAskedAsset(module.FS);
      module._letterbot_pause(paused ? 1 : 0);
      program.started = true;
      showPaused();
      statusLine.textContent = `letterbot is running with ${what}.`;
    },
    onExit(status) {
      if (current()) {
        program.ended = true;
        ended(module, status);
      } else {
        loseContext(canvas);
      }
    },
    onAbort(what) {
      if (!current()) return;
      program.ended = true;
      releaseAll();
      statusLine.textContent = `letterbot stopped: ${firstLine(what)}`;
      offerStartAgain();
    },
  };
  const failedToLoad = error => {
    if (!current() || program.ended) return;
    program.ended = true;
    statusLine.textContent = `letterbot could not be loaded: ${firstLine(error.message || error)}`;
    offerStartAgain();
  };
  program = { module, canvas, ended: false, started: false, passes: 0, data: null };
  trace.textContent = "(loading)";
  errors.replaceChildren();
  showNote("");
  errorLog.hidden = true;
  againButton.hidden = true;
  pauseButton.disabled = false;
  delete statusLine.dataset.exitStatus;
  statusLine.textContent = "Loading letterbot\u2026";
  showPaused();
  if (focus) canvas.focus();
  // Where one run's trace ends and the next begins, for whoever reads the console.
  console.debug(`letterbot: started with ${what}`);
  loadProgramFiles().then(([, data]) => {
    if (!current()) return;
    program.data = data;
    createLetterbot(module);
  }, failedToLoad);
}

// Pause holds the program's main loop and Play lets it go on (the platform's
// letterbot_pause); a program still loading starts as the page says.
function showPaused() {
  pauseButton.textContent = paused ? "Play" : "Pause";
  playOver.hidden = !paused || !program || program.ended;
}

function setPaused(value) {
  paused = value;
  if (program && program.started && !program.ended) program.module._letterbot_pause(paused ? 1 : 0);
  showPaused();
}
pauseButton.addEventListener("click", () => setPaused(!paused));
playOver.addEventListener("click", () => {
  setPaused(false);
  if (program) program.canvas.focus();
});

againButton.addEventListener("click", () => startProgram(lastStart.files, lastStart.what));

// The right button's menu stays off the picture, and any button gives it the
// keys (the middle one would not by itself: the program keeps it from
// starting the browser's autoscroll); the buttons the pad holds for it leave
// the focus on the pad.
stage.addEventListener("contextmenu", event => {
  if (event.target.tagName === "CANVAS") event.preventDefault();
});
stage.addEventListener("mousedown", event => {
  if (event.isTrusted && event.target.tagName === "CANVAS") event.target.focus();
});

// End: Escape, held until the program has ended (pressed again if End is, in
// case the program was still loading the first time); a paused program goes
// on to see it.
function endProgram() {
  if (!program || program.ended) return;
  if (paused) setPaused(false);
  if (isHeld("Escape")) hold(["Escape"], false);
  hold(["Escape"], true);
}
for (const button of document.querySelectorAll("#end, [data-action=end]")) {
  button.addEventListener("click", endProgram);
}

// The canvas's height leaves room for the bar above it, however many lines
// its buttons take.
const bar = document.querySelector("header");
new ResizeObserver(() => {
  document.documentElement.style.setProperty("--above", `${bar.offsetHeight}px`);
}).observe(bar);

// Full screen shows the canvas and the pad alone; the browser keeps Escape to
// leave it, so a bar there says so and offers End.
document.querySelector("[data-action=leave]").addEventListener("click", () => {
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
});
const fullscreenButton = byId("fullscreen");
fullscreenButton.hidden = !document.fullscreenEnabled;
fullscreenButton.addEventListener("click", () => {
  play.requestFullscreen().then(() => program && program.canvas.focus(),
    error => showError(`Full screen: ${error.message}`));
});

useStart(startProgram);
useProgram(() => program);

// The start, once the page's other scripts have run: with the model a link
// names (index.html?model=URL; own_robot.js), or with the shipped robot.
document.addEventListener("DOMContentLoaded", () => {
  const linked = new URLSearchParams(location.search).get("model");
  if (typeof createLetterbot !== "function") statusLine.textContent = "letterbot.js could not be loaded.";
  else if (linked) startWithLinkedModel(linked);
  else startProgram([], undefined, { focus: false });
});
