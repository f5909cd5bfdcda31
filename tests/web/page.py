"""A page of letterbot's in one engine, for drive_page.py's scenarios: the site
served from this process on a free local port (page_server.py), the engine
(browsers.py), the console read as the program runs, and what a person does
with the page, each leaving what it saw as a file in the scenario's folder.

The files: status.txt (the page's data-exit-status), page.txt (its status
and error.txt lines), trace.txt (console.log lines, standard output, of every
start of the program), errors.txt (console.error and console.warn lines and
uncaught errors), console.txt (every console entry, and in Chromium what
Chromium itself reported there), webgl-errors.txt (every WebGL error the
page's contexts reported, "CANVAS_ID 0xCODE"), engine.txt (Firefox's and
WebKit's own output), and per scenario the canvas pictures (*.png, the canvas's
own 1024 x 768 pixels), layout.txt, scroll.txt, alert.txt, fetches.txt,
figures.txt, axe-*.txt, or what the page said of each model (NAME.txt) and the
trace of the program with it (NAME-trace.txt). The engine, its driver and the
server end with this process, also when it is stopped by a signal."""
import base64
import os
import signal
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../script/lib"))
import browsers  # noqa: E402
import page_server  # noqa: E402

AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules/axe-core/axe.min.js")

# Passes of the program over which a view is compared: the same number
# idling and with a key or control held.
COMPARED_PASSES = 30


class Stopped(Exception):
    """A signal, or a scenario that cannot go on."""


def stop_on_signal(signum, frame):
    raise Stopped(f"stopped by signal {signum}")


class Page:
    """One engine with the page loaded, and the console read as it goes."""

    def __init__(self, engine, site, out, query="", figures=False, **options):
        self.out = out
        self.server = self.serving = self.browser = None
        self.trace, self.errors, self.console, self.starts, self.webgl_errors = [], [], [], [], []
        self.status_saved = self.finished = False
        # Where the WebGL probe's errors and console lines begin, once it ran.
        self.probe_from = None
        # Whatever was started before a failure (the engine or its driver does
        # not start, the first load raises, a signal) goes.
        try:
            self.server = page_server.make_server(site, "?figures" if figures else "")
            self.serving = threading.Thread(target=self.server.serve_forever, daemon=True)
            self.serving.start()
            self.browser = browsers.ENGINES[engine](out, **options)
            self.load(query)
        except BaseException:
            self.close()
            raise

    @property
    def engine(self):
        return self.browser.name

    def base(self):
        return f"http://127.0.0.1:{self.server.server_address[1]}/index.html"

    def load(self, query=""):
        """Loads the page afresh; the server's counts start again with it."""
        if self.trace or self.starts:
            self.read_console()
        self.server.counts.reset()
        self.browser.load(self.base() + query)

    def script(self, body, *args):
        return self.browser.script(body, *args)

    def read_console(self):
        lines, webgl_errors = self.script(
            "return window.letterbotConsole ? [letterbotConsole.splice(0), letterbotWebGLErrors.splice(0)]"
            " : [[], []]")
        for level, text in lines:
            self.console.append(f"{level} {text}")
            if level == "log":
                self.trace.append(text)
            elif level == "debug":
                # The page's own line at each start of the program.
                self.starts.append(len(self.trace))
            else:
                self.errors.append(text)
        self.webgl_errors.extend(webgl_errors)
        self.console.extend(self.browser.engine_console())

    def path_lines(self):
        """How many lines the trace has without its repeats: the robot's path."""
        count, last = 0, None
        for line in self.trace:
            if line != last:
                count, last = count + 1, line
        return count

    def wait(self, seconds, until):
        """Reads the console until `until()` holds or the time is up."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.read_console()
            if until():
                return True
            time.sleep(0.1)
        self.read_console()
        return until()

    def wait_passes(self, passes, seconds=60):
        """Waits until the program has made `passes` more passes (trace lines)."""
        wanted = len(self.trace) + passes
        if not self.wait(seconds, lambda: len(self.trace) >= wanted):
            raise Stopped(f"the program made fewer than {passes} passes in {seconds} s")

    def exit_status(self):
        return self.script('return document.getElementById("status").dataset.exitStatus || ""')

    def canvas_picture(self, name):
        """The canvas's own pixels, 1024 x 768 at any size it is shown at (it
        keeps its last frame's buffer)."""
        url = self.script('return document.getElementById("canvas").toDataURL("image/png")')
        with open(os.path.join(self.out, name), "wb") as file:
            file.write(base64.b64decode(url.split(",", 1)[1]))

    def boxes(self, *selectors):
        """The window's width and height, then each element's left, top,
        right and bottom, in CSS pixels, rounded."""
        return [round(value) for value in self.script("""
            const found = [innerWidth, innerHeight];
            for (const selector of arguments) {
              const box = document.querySelector(selector).getBoundingClientRect();
              found.push(box.left, box.top, box.right, box.bottom);
            }
            return found;""", *selectors)]

    def layout(self, name):
        """Where the canvas and the trace line are in the window: its width
        and height, the canvas's left, top, right and bottom, the trace line's
        bottom, in CSS pixels."""
        values = self.boxes("#canvas", "#trace")
        self.write(name, [" ".join(str(value) for value in values[:6] + values[9:10])])

    def centre(self, selector):
        return self.script("""
            const box = document.querySelector(arguments[0]).getBoundingClientRect();
            return [box.left + box.width / 2, box.top + box.height / 2];""", selector)

    def hold_for_passes(self, key, passes):
        """Holds a key (a KeyboardEvent.code) while the program makes `passes` passes."""
        self.browser.key_down(key)
        try:
            self.wait_passes(passes)
        finally:
            self.browser.key_up(key)

    def view_while(self, name, hold, let_go):
        """NAME-idle.png, NAME-before.png COMPARED_PASSES passes later, and
        NAME-after.png as many passes after `hold()`; then `let_go()`."""
        self.canvas_picture(f"{name}-idle.png")
        self.wait_passes(COMPARED_PASSES)
        self.canvas_picture(f"{name}-before.png")
        hold()
        try:
            self.wait_passes(COMPARED_PASSES)
            self.canvas_picture(f"{name}-after.png")
        finally:
            let_go()

    def fetches(self, name):
        """What the server sent since the page was loaded: per path, requests
        and bytes."""
        requests, sent = self.server.counts.snapshot()
        self.write(name, [f"{path} {requests.get(path, 0)} {sent.get(path, 0)}"
                          for path in sorted(set(requests) | set(sent))])

    def axe(self, name):
        """axe-core's serious and critical findings on the page as it is:
        one line each, rule, impact and the elements."""
        with open(AXE) as file:
            self.script(file.read() + "; return null")
        findings = self.script("""
            window.axeFindings = null;
            axe.run(document, { resultTypes: ["violations"] }).then(
              result => { window.axeFindings = result.violations
                .filter(found => found.impact === "serious" || found.impact === "critical")
                .map(found => `${found.id} ${found.impact}: ${found.nodes.map(node => node.target.join(" ")).join(", ")}`); },
              error => { window.axeFindings = [`axe-core failed: ${error}`]; });
            return null;""")
        if not self.wait(60, lambda: self.script("return window.axeFindings") is not None):
            raise Stopped("axe-core gave no answer within 60 s")
        findings = self.script("return window.axeFindings")
        self.write(name, findings)

    def webgl_probe(self):
        """One invalid WebGL call on a canvas of its own, so that each run
        shows that the page's WebGL errors are seen: what was reported after
        it goes to probe.txt and probe-console.txt, apart from the program's."""
        self.read_console()
        self.probe_from = (len(self.webgl_errors), len(self.console))
        self.script("""
            const canvas = document.createElement("canvas");
            canvas.id = "webgl-probe";
            const context = canvas.getContext("webgl");
            if (context) context.enable(0xDEAD);
            return null;""")
        self.wait(10, lambda: len(self.webgl_errors) > self.probe_from[0])

    def write(self, name, lines):
        with open(os.path.join(self.out, name), "w") as file:
            file.writelines(f"{line}\n" for line in lines)

    def save_status(self):
        """Writes how the program ended, as the page says it."""
        status = self.exit_status()
        self.write("status.txt", [status] if status else [])
        page = [self.script('return document.getElementById("status").textContent')]
        if self.script('return !document.getElementById("error-log").hidden'):
            page.append(self.script('return document.getElementById("error-log").textContent'))
        self.write("page.txt", page)
        self.status_saved = True

    def finish(self):
        """Writes what the page shows, unless the scenario saved it, and what
        its console said; once, before the checks read it."""
        if self.finished:
            return
        self.finished = True
        try:
            self.read_console()
            if not self.status_saved:
                self.save_status()
        finally:
            self.write("trace.txt", self.trace)
            self.write("errors.txt", self.errors)
            errors_end, console_end = self.probe_from or (len(self.webgl_errors), len(self.console))
            self.write("webgl-errors.txt", self.webgl_errors[:errors_end])
            self.write("console.txt", self.console[:console_end])
            if self.probe_from:
                self.write("probe.txt", self.webgl_errors[errors_end:])
                self.write("probe-console.txt", self.console[console_end:])

    def close(self):
        """Ends the engine, its driver and the server. A signal waits until
        that is done."""
        signal.pthread_sigmask(signal.SIG_BLOCK, browsers.STOP_SIGNALS)
        try:
            if self.browser:
                self.browser.close()
        except Exception as error:  # noqa: BLE001 - what is left is stopped below
            print(f"drive_page.py: the engine did not stop: {error}", file=sys.stderr)
        finally:
            browsers.kill_pinned(browsers.pin_processes(os.getpid(), include_root=False))
            if self.serving:
                self.server.shutdown()
            if self.server:
                self.server.server_close()


OWN_STATE = 'const own = document.getElementById("own-robot"); return own.hidden ? "" : own.dataset.state'
# Every state the own robot's report shows, in order: a model picked after
# another must not be judged by the state the one before it left.
STATES_SEEN = """const own = document.getElementById("own-robot");
    if (!window.ownStates) {
      window.ownStates = [];
      new MutationObserver(() => window.ownStates.push(own.dataset.state))
        .observe(own, {attributes: true, attributeFilter: ["data-state"]});
    }
    return window.ownStates.slice(arguments[0]);"""


def outcome(page, name, states, seen=None):
    """Waits for one of `states` of the own robot's report (seen after the
    first `seen` states, if given) and writes NAME.txt: the state, then the
    report."""
    if seen is None:
        page.wait(120, lambda: page.script(OWN_STATE) in states)
    else:
        page.wait(120, lambda: any(s in states for s in page.script(STATES_SEEN, seen)))
    page.write(f"{name}.txt", [page.script(OWN_STATE),
                               page.script('return document.getElementById("model-report").textContent')])


def pick(page, paths, name, states):
    seen = len(page.script(STATES_SEEN, 0))
    page.browser.choose_files("#model-file", paths)
    outcome(page, name, states, seen)


def figure_picture(page, name):
    """Up, held for as many passes as four seconds make in Chromium, carries
    the camera's figure, facing the camera, past everything else, so that the
    walking robot is never beside it in the picture."""
    page.browser.click("#canvas")
    page.hold_for_passes("ArrowUp", 150)
    page.wait_passes(5)
    page.canvas_picture(name)


def new_run(page, started, seconds=60):
    """Waits until the program has started again after `started` starts and
    printed its first line."""
    return page.wait(seconds, lambda: len(page.starts) > started and len(page.trace) > page.starts[-1])


def ending(page, name):
    """After the program has ended: where the status line and Start again are
    in the window, which element has the focus, and how far the page is
    scrolled, which the focus may have done (NAME.txt)."""
    values = page.boxes("#status", "#again")
    focused = page.script("return document.activeElement ? document.activeElement.id : ''")
    scrolled = page.script("return Math.round(window.scrollY)")
    page.write(name, [" ".join(str(value) for value in values), focused or "(none)", scrolled])


def press_escape(page):
    """Escape where a person would press it, on the canvas with the page at
    its top, held until the program has ended (at most 20 s)."""
    page.script("window.scrollTo(0, 0); return null")
    page.browser.click("#canvas")
    page.browser.key_down("Escape")
    page.wait(20, page.exit_status)
    page.browser.key_up("Escape")


def start_again(page, name):
    """Enter on Start again, which has the focus: NAME.txt says whether a new
    run started and printed, and which element then has the focus."""
    started = len(page.starts)
    page.browser.key_down("Enter")
    page.browser.key_up("Enter")
    ran = new_run(page, started) and page.wait(30, lambda: len(page.trace) > page.starts[-1] + 20)
    focused = page.script("return document.activeElement ? document.activeElement.id : ''")
    page.write(name, [f"{'ran' if ran else 'did not run'} {len(page.trace) - page.starts[-1]}",
                      focused or "(none)"])


def full_screen(page, name):
    """Full screen from the page's button and back: NAME.txt says what the
    engine did, and where the canvas was meanwhile."""
    page.browser.click("#fullscreen")
    entered = page.wait(10, lambda: page.script(
        "return document.fullscreenElement ? document.fullscreenElement.id : ''") == "play")
    if not entered:
        refused = page.script('return document.getElementById("errors").textContent')
        page.write(name, [f"refused {refused}"])
        return
    values = page.boxes("#canvas", "#fullscreen-bar")
    page.browser.click("[data-action=leave]")
    left = page.wait(10, lambda: not page.script("return document.fullscreenElement"))
    page.write(name, ["entered " + " ".join(str(value) for value in values),
                      "left" if left else "stayed"])

