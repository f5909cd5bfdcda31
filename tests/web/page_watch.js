// The browser test's watch on letterbot's page, which the test's server puts
// before the page's own scripts (page_server.py), so that every engine is read
// alike: the console's lines kept for the driver, uncaught errors among them;
// WebGL errors, asked of every WebGL context of the page once a frame (the
// engines word their own reports differently, and WebKit's driver shows none);
// and for the figures, the trace lines and frames counted with their times.
// With ?figures it asks no errors, which would slow the frames it counts.
"use strict";
(() => {
  const figures = new URLSearchParams(document.currentScript.src.split("?")[1] || "").has("figures");

  // [level, text] for every console line, taken by the driver as it reads them.
  const lines = window.letterbotConsole = [];
  for (const level of ["log", "debug", "info", "warn", "error"]) {
    const original = console[level];
    console[level] = function (...args) {
      lines.push([level, args.map(String).join(" ")]);
      if (level === "log") countLine();
      if (level === "debug") startedRun();
      return original.apply(console, args);
    };
  }
  addEventListener("error", event => lines.push(["uncaught", String(event.message)]));
  addEventListener("unhandledrejection", event =>
    lines.push(["uncaught", `unhandled rejection: ${event.reason && (event.reason.message || event.reason)}`]));

  // "CANVAS_ID 0xCODE" for every error a WebGL context reported.
  const contexts = [];
  window.letterbotWebGLErrors = [];
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
    const context = getContext.call(this, type, ...rest);
    if (context && /webgl/i.test(type) && !contexts.some(known => known.context === context)) {
      contexts.push({ canvas: this, context });
    }
    return context;
  };
  const pageFrame = window.requestAnimationFrame.bind(window);
  if (!figures) {
    pageFrame(function askErrors() {
      for (const { canvas, context } of contexts) {
        for (let asked = 0; asked < 8; asked++) {
          const error = context.getError();
          if (error === context.NO_ERROR || error === context.CONTEXT_LOST_WEBGL) break;
          window.letterbotWebGLErrors.push(`${canvas.id || "(no id)"} 0x${error.toString(16)}`);
        }
      }
      pageFrame(askErrors);
    });
  }

  // The figures: console.log calls (the trace), the time of the first; frames
  // (the program makes one pass in each); the time the page's thread spends in
  // animation-frame callbacks; when a model was last chosen, when the program
  // last started (the page's console.debug line) and that run's first line.
  window.letterbotLines = 0;
  window.letterbotFrames = 0;
  window.letterbotCallbackMs = 0;
  function countLine() {
    if (window.letterbotLines++ === 0) window.letterbotFirstLine = performance.now();
    if (window.letterbotRunFirstLine === null) window.letterbotRunFirstLine = performance.now();
  }
  function startedRun() {
    window.letterbotRunStart = performance.now();
    window.letterbotRunFirstLine = null;
  }
  document.addEventListener("change", () => { window.letterbotChosen = performance.now(); }, true);
  window.requestAnimationFrame = function (callback) {
    return pageFrame(function (time) {
      const start = performance.now();
      try {
        callback(time);
      } finally {
        window.letterbotCallbackMs += performance.now() - start;
      }
    });
  };
  pageFrame(function count() {
    window.letterbotFrames++;
    pageFrame(count);
  });
})();
