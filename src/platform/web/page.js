// letterbot's page: starts the program (letterbot.js) on a fresh canvas, shows
// its console and how it ended, and gives it full screen and touch. A touch
// control holds keys and mouse buttons as the keyboard and mouse would, on the
// program's canvas, so the program reads them as it reads those.
"use strict";

// What an exit status means, as far as a page can end (the README's table).
const MEANINGS = {
  200: "it ended with Escape",
  1: "\"error.txt\" could not be created",
  2: "its video could not start: this browser gives the page no WebGL",
  3: "a texture bitmap is missing or cannot be decoded",
};
const MAX_ERROR_LINES = 20;

const byId = id => document.getElementById(id);
const play = byId("play");
const stage = byId("stage");
const trace = byId("trace");
const errors = byId("errors");
const statusLine = byId("status");
const errorLog = byId("error-log");
const note = byId("note");

// The program now running: its Module, its canvas, and whether it has ended.
let program = null;
// The page's own canvas, which the first start takes: it has no context yet.
let unusedCanvas = byId("canvas");

function showError(line) {
  const div = document.createElement("div");
  div.textContent = line;
  errors.append(div);
  while (errors.childElementCount > MAX_ERROR_LINES) errors.firstElementChild.remove();
}

function ended(module, status) {
  releaseAll();
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  statusLine.dataset.exitStatus = String(status);
  const meaning = MEANINGS[status];
  statusLine.textContent = `letterbot ended with status ${status}` + (meaning ? `: ${meaning}.` : ".");
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
    note.textContent = `(${path.slice(1)} was taken away before the start)`;
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
function stopProgram() {
  const old = program;
  program = null;
  if (!old) return;
  old.canvas.remove();
  if (old.ended) loseContext(old.canvas);
  else if (old.module._letterbot_stop) old.module._letterbot_stop();
}

// Starts the program on a fresh canvas (a second WebGL context on the same
// canvas would be the first one, with its state). Each of `files`, {path,
// bytes}, is written over the packed data before main runs.
function startProgram(files = [], what = "the shipped robot") {
  stopProgram();
  releaseAll();
  const canvas = unusedCanvas || document.createElement("canvas");
  unusedCanvas = null;
  canvas.id = "canvas";
  canvas.width = 1024;
  canvas.height = 768;
  canvas.tabIndex = 0;
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
    },
    printErr(line) {
      if (!current()) return;
      console.error(line);
      showError(line);
    },
    onRuntimeInitialized() {
      if (!current()) {
        module._letterbot_stop(); // replaced while it loaded
        return;
      }
      for (const file of files) module.FS.writeFile(file.path, file.bytes);
      removeAskedAsset(module.FS);
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
      if (current()) statusLine.textContent = `letterbot stopped: ${what}`;
    },
  };
  program = { module, canvas, ended: false };
  trace.textContent = "(loading)";
  errors.replaceChildren();
  note.textContent = "";
  errorLog.hidden = true;
  delete statusLine.dataset.exitStatus;
  statusLine.textContent = "Loading letterbot\u2026";
  // Where one run's trace ends and the next begins, for whoever reads the console.
  console.debug(`letterbot: started with ${what}`);
  createLetterbot(module);
}

// Held keys and buttons, counted: two controls that both hold left Shift let
// go of it only when both are let go.
const held = new Map();

function send(name, down) {
  const canvas = program && !program.ended ? program.canvas : null;
  if (!canvas) return;
  const button = /^button(\d)$/.exec(name);
  if (button) {
    const box = canvas.getBoundingClientRect();
    canvas.dispatchEvent(new MouseEvent(down ? "mousedown" : "mouseup", {
      bubbles: true, button: Number(button[1]),
      clientX: box.left + box.width / 2, clientY: box.top + box.height / 2,
    }));
  } else {
    canvas.dispatchEvent(new KeyboardEvent(down ? "keydown" : "keyup", { bubbles: true, code: name }));
  }
}

function hold(names, down) {
  for (const name of down ? names : [...names].reverse()) {
    const count = Math.max((held.get(name) || 0) + (down ? 1 : -1), 0);
    held.set(name, count);
    if (count === (down ? 1 : 0)) send(name, down);
  }
}

// Lets go of everything, gestures included: the program ended or starts again.
function releaseAll() {
  for (const [name, count] of held) if (count > 0) send(name, false);
  held.clear();
  fingers.clear();
  gesture = [];
}

// The pad: each control holds its keys and buttons while a finger is on it.
for (const control of document.querySelectorAll("[data-hold]")) {
  const names = control.dataset.hold.split(" ");
  const touching = new Set();
  control.addEventListener("pointerdown", event => {
    event.preventDefault(); // keeps the focus, and the keys, on the canvas
    if (touching.has(event.pointerId)) return;
    touching.add(event.pointerId);
    control.setPointerCapture(event.pointerId);
    hold(names, true);
  });
  const letGo = event => {
    if (touching.delete(event.pointerId)) hold(names, false);
  };
  control.addEventListener("pointerup", letGo);
  control.addEventListener("pointercancel", letGo);
  control.addEventListener("contextmenu", event => event.preventDefault());
}

// Gestures over the canvas: one finger held to the right of where it touched
// turns the camera, to the left the other way; two fingers spread bring it
// closer, pinched take it farther. Each is a held button, as long as it lasts.
const fingers = new Map();
let gesture = [];
const TURN_PIXELS = 24;
const PINCH_RATIO = 1.15;

function spread() {
  const [a, b] = [...fingers.values()];
  return Math.hypot(a.x - b.x, a.y - b.y) || 1;
}

function followGesture() {
  let wanted = [];
  const points = [...fingers.values()];
  if (points.length === 1) {
    const moved = points[0].x - points[0].startX;
    if (moved > TURN_PIXELS) wanted = ["button0"];
    else if (moved < -TURN_PIXELS) wanted = ["ShiftLeft", "button0"];
  } else if (points.length === 2) {
    const ratio = spread() / fingers.startSpread;
    if (ratio > PINCH_RATIO) wanted = ["button1"];
    else if (ratio < 1 / PINCH_RATIO) wanted = ["ShiftLeft", "button1"];
  }
  if (wanted.join() === gesture.join()) return;
  hold(gesture, false);
  hold(wanted, true);
  gesture = wanted;
}

// A finger more or less starts the gesture again from where the fingers are.
function restartGesture() {
  for (const point of fingers.values()) point.startX = point.x;
  if (fingers.size === 2) fingers.startSpread = spread();
  followGesture();
}

stage.addEventListener("pointerdown", event => {
  if (event.target.tagName !== "CANVAS" || event.pointerType !== "touch") return;
  event.preventDefault(); // no mouse events made up from the touch
  event.target.setPointerCapture(event.pointerId);
  fingers.set(event.pointerId, { x: event.clientX, y: event.clientY });
  restartGesture();
});
stage.addEventListener("pointermove", event => {
  const point = fingers.get(event.pointerId);
  if (!point) return;
  point.x = event.clientX;
  point.y = event.clientY;
  followGesture();
});
for (const type of ["pointerup", "pointercancel"]) {
  stage.addEventListener(type, event => {
    if (fingers.delete(event.pointerId)) restartGesture();
  });
}

// The right button's menu stays off the picture, and any button gives it the
// keys (the middle one would not by itself: the program keeps it from
// starting the browser's autoscroll).
stage.addEventListener("contextmenu", event => {
  if (event.target.tagName === "CANVAS") event.preventDefault();
});
stage.addEventListener("mousedown", event => {
  if (event.target.tagName === "CANVAS") event.target.focus();
});

// End: Escape, held until the program has ended (pressed again if End is, in
// case the program was still loading the first time).
function endProgram() {
  if (!program || program.ended) return;
  if (held.get("Escape")) hold(["Escape"], false);
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

// The start, once the page's other scripts have run: with the model a link
// names (index.html?model=URL; own_robot.js), or with the shipped robot.
document.addEventListener("DOMContentLoaded", () => {
  const linked = new URLSearchParams(location.search).get("model");
  if (typeof createLetterbot !== "function") statusLine.textContent = "letterbot.js could not be loaded.";
  else if (linked) startWithLinkedModel(linked);
  else startProgram();
});
