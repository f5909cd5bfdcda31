// The page's controls, which hold the program's keys and mouse buttons as a
// keyboard and a mouse would, on its canvas, so that the program reads them
// as it reads those: the pad, held by a finger, the mouse or Space or Enter,
// and the gestures over the canvas. The page says which program runs
// (useProgram) and tells of each of its passes (passed).
import { byId } from "./shared.js";

const stage = byId("stage");

// The program that runs, given by the page: {canvas, ended, passes}, or null.
let currentProgram = () => null;
export function useProgram(get) {
  currentProgram = get;
}

// Held keys and buttons, counted: two controls that both hold left Shift let
// go of it only when both are let go.
const held = new Map();

// Whether a key or button is held by any control.
export const isHeld = name => (held.get(name) || 0) > 0;

function send(name, down) {
  const program = currentProgram();
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

export function hold(names, down) {
  for (const name of down ? names : [...names].reverse()) {
    const count = Math.max((held.get(name) || 0) + (down ? 1 : -1), 0);
    held.set(name, count);
    if (count === (down ? 1 : 0)) send(name, down);
  }
}

// What waits for the program to make more passes: {pass, action}.
let afterPasses = [];

export function passed() {
  const program = currentProgram();
  program.passes++;
  const due = afterPasses.filter(waiting => waiting.pass <= program.passes);
  afterPasses = afterPasses.filter(waiting => waiting.pass > program.passes);
  for (const waiting of due) waiting.action();
}

const padControls = [];

// Gestures over the canvas: one finger held to the right of where it touched
// turns the camera, to the left the other way; two fingers spread bring it
// closer, pinched take it farther. Each is a held button, as long as it lasts.
const fingers = new Map();
let gesture = [];
const TURN_PIXELS = 24;
const PINCH_RATIO = 1.15;

// Lets go of everything, gestures and controls included: the program ended
// or starts again.
export function releaseAll() {
  for (const [name, count] of held) if (count > 0) send(name, false);
  held.clear();
  afterPasses = [];
  for (const control of padControls) control.reset();
  fingers.clear();
  gesture = [];
}

// The pad: each control holds its keys and buttons while a finger, the mouse
// or Space or Enter is on it, and for at least two passes of the program, so
// that the program sees even a quick tap or click.
const MIN_PASSES = 2;
for (const element of document.querySelectorAll("[data-hold]")) {
  const names = element.dataset.hold.split(" ");
  const holders = new Set();
  let holding = false;
  let pressedAt = 0;
  let release = null;
  const control = {
    reset() {
      holders.clear();
      holding = false;
      release = null;
      element.classList.remove("holding");
    },
  };
  padControls.push(control);
  const letGoNow = () => {
    release = null;
    if (holders.size || !holding) return;
    holding = false;
    element.classList.remove("holding");
    hold(names, false);
  };
  const press = who => {
    const program = currentProgram();
    if (!program || program.ended || holders.has(who)) return;
    holders.add(who);
    if (release) {
      afterPasses = afterPasses.filter(waiting => waiting !== release);
      release = null;
    }
    if (holding) return;
    holding = true;
    pressedAt = program.passes;
    element.classList.add("holding");
    hold(names, true);
  };
  const letGo = who => {
    const program = currentProgram();
    if (!holders.delete(who) || holders.size || !holding) return;
    if (!program || program.passes >= pressedAt + MIN_PASSES) return letGoNow();
    release = { pass: pressedAt + MIN_PASSES, action: letGoNow };
    afterPasses.push(release);
  };
  element.addEventListener("pointerdown", event => {
    event.preventDefault(); // keeps the focus, and the keys, on the canvas
    element.setPointerCapture(event.pointerId);
    press(event.pointerId);
  });
  element.addEventListener("pointerup", event => letGo(event.pointerId));
  element.addEventListener("pointercancel", event => letGo(event.pointerId));
  element.addEventListener("contextmenu", event => event.preventDefault());
  // Space and Enter hold it as long as they are down; neither clicks it.
  const isHoldKey = event => event.code === "Space" || event.code === "Enter" || event.code === "NumpadEnter";
  element.addEventListener("keydown", event => {
    if (!isHoldKey(event)) return;
    event.preventDefault();
    if (!event.repeat) press(event.code);
  });
  element.addEventListener("keyup", event => {
    if (!isHoldKey(event)) return;
    event.preventDefault();
    letGo(event.code);
  });
  element.addEventListener("blur", () => {
    for (const who of [...holders]) if (typeof who === "string") letGo(who);
  });
  // A click that no pointer or key made (a screen reader's): a tap.
  element.addEventListener("click", event => {
    if (event.detail !== 0 || holders.size) return;
    press("click");
    letGo("click");
  });
}

const controlsButton = byId("controls");
controlsButton.addEventListener("click", () => {
  const shown = document.documentElement.classList.toggle("controls");
  controlsButton.setAttribute("aria-expanded", String(shown));
});

// How far apart two fingers are, for the pinch.
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
