#!/usr/bin/python3
"""Drives letterbot's page for the browser tests and the figures: serves the
site from this process on a free local port (page_server.py), runs one
scenario in one engine (browsers.py) and leaves what it saw as files in OUT,
for the calling script to check. Run with Debian's Python, which has
python3-selenium.

    drive_page.py ENGINE SITE OUT SCENARIO [ARGUMENT...]

In Chromium:
    demo TRACE_LINES        the scene, Right, Pause, a turning control from the
                            keyboard, axe-core, the trace up to TRACE_LINES path
                            lines, full screen, Escape, Start again
    phone                   touch in Chromium's phone emulation, axe-core there,
                            then reduced motion
    own-robot BROKEN CRASHING WARNED TEXTURED SECONDS
                            models given to the page: three files, one over the
                            size cap, one whose picture is missing, a link
                            (TEXTURED must be in SITE), a link to nothing, one
                            that trickles, one that is too large
    missing-texture         without data/robot_panel.bmp
    no-webgl                in a Chromium without WebGL
    model-figures MODEL...  from choosing each model to the first trace line
                            with it
In every engine:
    engine CRASHING TEXTURED SECONDS
                            what every engine must do: the scene, the trace for
                            SECONDS and more (shipped-trace.txt), Right, a model
                            that crashes the importer and a textured one picked,
                            each file fetched once, full screen where the engine
                            allows it, Escape
    figures SECONDS         first trace line (5 loads), passes a second, bytes
                            fetched for one load
    model-figures MODEL...  (as above)

Files in OUT: status.txt (the page's data-exit-status), page.txt (its status
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
        self.status_saved = False
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
        its console said."""
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


def demo(page, trace_lines):
    if not page.wait(30, lambda: page.trace):
        raise Stopped("no trace line within 30 s")
    page.wait_passes(20)
    page.canvas_picture("first.png")
    page.layout("layout.txt")
    page.browser.click("#canvas")
    page.view_while("right", lambda: page.browser.key_down("ArrowRight"),
                    lambda: page.browser.key_up("ArrowRight"))
    # The keys could not scroll a page that cannot scroll at all.
    page.write("scroll.txt", page.script("return [document.documentElement.scrollHeight, window.innerHeight]"))
    before = page.script("return window.scrollY")
    for key in ("PageDown", "ArrowDown", "Space", "End"):
        page.browser.key_down(key)
        page.browser.key_up(key)
    page.wait_passes(2)
    page.write("scrolled.txt", [page.script("return window.scrollY") - before])

    # Pause holds the main loop, Play lets it go on: no pass in a second,
    # once a pass under way when Pause was clicked is over.
    page.browser.click("#pause")
    time.sleep(0.3)
    page.read_console()
    paused_at = len(page.trace)
    time.sleep(1)
    page.read_console()
    paused_lines = len(page.trace) - paused_at
    page.browser.click("#pause")
    played = page.wait(10, lambda: len(page.trace) > paused_at + paused_lines + 5)
    page.write("pause.txt", [f"{paused_lines} {'played' if played else 'stayed'}"])

    # The keyboard alone: Tab to the turning control (Controls shows the pad),
    # then Space held on it.
    page.browser.click("#canvas")
    reached = False
    for _ in range(30):
        page.browser.key_down("Tab")
        page.browser.key_up("Tab")
        focused = page.script("""const element = document.activeElement;
            return element ? [element.id, element.dataset.hold || "", element.getAttribute("aria-expanded")] : []""")
        if focused[1] == "button0":
            reached = True
            break
        if focused[0] == "controls" and focused[2] == "false":
            page.browser.key_down("Enter")
            page.browser.key_up("Enter")
    page.write("tab.txt", ["reached" if reached else "not reached"])
    if reached:
        # A click, shorter than a pass, on the turning control still turns the
        # camera, a little; then Space held on it turns the district out of view.
        page.view_while("click", lambda: page.browser.click('[data-hold="button0"]'), lambda: None)
        page.view_while("space", lambda: page.browser.key_down("Space"),
                        lambda: page.browser.key_up("Space"))
    page.axe("axe-laptop.txt")

    # The robot's path up to its patrol: it walks by the clock, not by frames.
    page.wait(180, lambda: page.path_lines() > trace_lines)
    page.fetches("fetches.txt")
    full_screen(page, "fullscreen.txt")
    # Escape where a person would press it, the page at its top.
    page.script("window.scrollTo(0, 0); return null")
    page.browser.click("#canvas")
    page.browser.key_down("Escape")
    page.wait(20, page.exit_status)
    page.browser.key_up("Escape")
    page.canvas_picture("end.png")
    ending(page, "ended.txt")
    page.save_status()
    start_again(page, "again.txt")
    page.fetches("fetches-again.txt")
    page.webgl_probe()


def phone(page):
    """Touch: the pad's Right, a pinch and the turning control, each held for
    as many passes as the view idled before (NAME-idle.png, NAME-before.png,
    NAME-after.png); axe-core; then End; then the page again, asking for
    reduced motion, and its Play."""
    if not page.wait(30, lambda: page.trace):
        raise Stopped("no trace line within 30 s")
    page.wait_passes(20)
    page.layout("layout.txt")
    x, y = page.centre("#canvas")

    def touch(kind, points):
        """touchStart, touchMove or touchEnd, with fingers at these points."""
        page.browser.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": finger} for finger, (x, y) in enumerate(points)]})

    # Turning last: until then the district stays where only the camera moves it.
    for name, fingers, moved in [
            ("pad", [page.centre('[data-hold="ArrowRight"]')], None),
            ("pinch", [(x - 20, y), (x + 20, y)], [(x - 90, y), (x + 90, y)]),
            ("turn", [page.centre('[data-hold="button0"]')], None)]:
        def hold():
            touch("touchStart", fingers)
            if moved:
                touch("touchMove", moved)
        page.view_while(name, hold, lambda: touch("touchEnd", []))
    page.axe("axe-phone.txt")
    touch("touchStart", [page.centre("#end")])
    touch("touchEnd", [])
    page.wait(20, page.exit_status)
    page.save_status()

    # Where reduced motion is asked for, the program waits for Play: no pass
    # in two seconds after it has loaded, then passes once Play is touched.
    page.browser.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
        "features": [{"name": "prefers-reduced-motion", "value": "reduce"}]})
    page.load()
    page.wait(30, lambda: page.script('return !document.getElementById("play-over").hidden'
                                      ' && document.getElementById("status").textContent.includes("running")'))
    lines = len(page.trace)
    time.sleep(2)
    page.read_console()
    waited = len(page.trace) - lines
    shown = page.script('return !document.getElementById("play-over").hidden')
    touch("touchStart", [page.centre("#play-over")])
    touch("touchEnd", [])
    played = page.wait(20, lambda: len(page.trace) > lines + waited + 20)
    page.write("reduced-motion.txt", [f"{waited} {'shown' if shown else 'hidden'} {'played' if played else 'stayed'}"])


def own_robot(page, broken, crashing, warned, textured, seconds):
    """A broken model, one that crashes the importer, one over the size cap,
    one whose picture is missing, then a textured one, through the file input; then the textured one by a
    link, a link to a model that is not there, one that trickles and one too
    large. Pictures of the shipped and the converted figure carried clear of
    the scene (shipped.png, own.png; shipped-later.png as many passes after
    shipped.png as the comparisons take); per model what the page says
    (NAME.txt: its state, then its report), per converted robot its trace
    from its start (NAME-trace.txt), SECONDS long; what the server sent of
    the links (trickle-fetches.txt, huge-fetches.txt)."""
    page.wait(30, lambda: page.trace)
    figure_picture(page, "shipped.png")
    page.wait_passes(COMPARED_PASSES)
    page.canvas_picture("shipped-later.png")

    pick(page, [broken], "broken", ("refused", "failed", "converted"))
    pick(page, [crashing], "crashing", ("failed", "refused", "converted"))
    # A model over the cap: a file that says it is 300 MB, with no bytes on disk.
    oversized = os.path.abspath(os.path.join(page.out, "oversized.glb"))
    with open(oversized, "wb") as file:
        file.truncate(300 * 1024 * 1024)
    pick(page, [oversized], "oversized", ("refused", "failed", "converted"))
    os.remove(oversized)
    lines = len(page.trace)
    page.wait(5, lambda: len(page.trace) > lines + 20)
    page.write("broken-after.txt", [f"{len(page.trace) - lines} {page.exit_status() or 'running'}"])

    started = len(page.starts)
    pick(page, [warned], "warned", ("converted", "refused", "failed"))
    new_run(page, started)
    started = len(page.starts)
    pick(page, [textured], "own", ("converted", "refused", "failed"))
    if new_run(page, started):
        figure_picture(page, "own.png")
        time.sleep(max(seconds - 4.5, 0))
        page.read_console()
        page.write("own-trace.txt", page.trace[page.starts[-1]:])
    # The shipped robot again, started a second time while the first is still
    # loading: the second runs, and nothing goes wrong on the way.
    started = len(page.starts)
    page.script('const shipped = document.getElementById("shipped"); shipped.click(); shipped.click(); return null')
    page.write("shipped-again.txt", ["ran" if new_run(page, started + 1) else "did not run"])

    def linked(name, query, seconds, states=("converted", "refused", "failed"), picture=False):
        started = len(page.starts)
        page.load(f"?model={query}")
        began = time.monotonic()
        outcome(page, name, states)
        took = time.monotonic() - began
        if new_run(page, started):
            page.wait(seconds, lambda: False)
            page.write(f"{name}-trace.txt", page.trace[page.starts[-1]:])
            if picture:
                figure_picture(page, f"{name}.png")
        page.fetches(f"{name}-fetches.txt")
        return took

    linked("link", os.path.basename(textured), 3, picture=True)
    linked("missing-link", "no-such-model.glb", 1)
    took = linked("trickle", "trickle/slow.glb", 1, ("failed", "refused", "converted"))
    page.write("trickle-seconds.txt", [f"{took:.0f}"])
    linked("huge", "huge/large.glb", 1, ("failed", "refused", "converted"))


def missing_texture(page):
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        try:
            alert = page.browser.driver.switch_to.alert
            text = alert.text
            break
        except Exception:  # noqa: BLE001 - no alert yet
            time.sleep(0.1)
    else:
        return
    page.write("alert.txt", [text])
    alert.accept()
    page.wait(20, page.exit_status)


def engine(page, crashing, textured, seconds):
    """What every engine must do with the page."""
    if not page.wait(60, lambda: page.trace):
        raise Stopped("no trace line within 60 s")
    page.wait_passes(20)
    page.canvas_picture("first.png")
    page.layout("layout.txt")
    page.wait(seconds, lambda: False)
    page.browser.click("#canvas")
    page.view_while("right", lambda: page.browser.key_down("ArrowRight"),
                    lambda: page.browser.key_up("ArrowRight"))
    pick(page, [crashing], "crashing", ("failed", "refused", "converted"))
    page.fetches("fetches.txt")
    page.read_console()
    page.write("shipped-trace.txt", page.trace)
    figure_picture(page, "shipped.png")
    page.wait_passes(COMPARED_PASSES)
    page.canvas_picture("shipped-later.png")
    started = len(page.starts)
    pick(page, [textured], "own", ("converted", "refused", "failed"))
    if new_run(page, started):
        figure_picture(page, "own.png")
        page.read_console()
        page.write("own-trace.txt", page.trace[page.starts[-1]:])
    full_screen(page, "fullscreen.txt")
    # Escape where a person would press it, the page at its top.
    page.script("window.scrollTo(0, 0); return null")
    page.browser.click("#canvas")
    page.browser.key_down("Escape")
    page.wait(20, page.exit_status)
    page.browser.key_up("Escape")
    ending(page, "ended.txt")
    page.save_status()
    page.fetches("fetches-again.txt")
    page.webgl_probe()


def processor_seconds(root):
    """Processor time so far of the engine's processes by their type (in
    Chromium the GPU process, the page's renderer, ...), from /proc."""
    ticks = os.sysconf("SC_CLK_TCK")
    seconds = {}
    for pid in browsers.children(root):
        try:
            with open(f"/proc/{pid}/cmdline") as cmdline:
                line = cmdline.read().replace("\0", " ")
            with open(f"/proc/{pid}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        kind = next((word[len("--type="):] for word in line.split() if word.startswith("--type=")),
                    "browser")
        seconds[kind] = seconds.get(kind, 0) + (int(fields[11]) + int(fields[12])) / ticks
    return seconds


def figures(page, seconds, loads=5):
    """The time from navigation to the first trace line over several loads
    (one varies much on a busy machine), the bytes the first load fetched,
    then the rates over SECONDS."""
    firsts = []
    for load in range(loads):
        if load:
            page.load()
        page.wait(60, lambda: page.script("return window.letterbotLines > 0 || window.letterbotFrames > 60"))
        firsts.append(page.script("return window.letterbotFirstLine") or 0)
        if load == 0:
            _, sent = page.server.counts.snapshot()
            first_load_bytes = sum(count for path, count in sent.items() if path != "/page_watch.js")
    firsts.sort()
    counts = "return [window.letterbotLines, window.letterbotFrames, window.letterbotCallbackMs]"
    lines, frames, callback_ms = page.script(counts)
    busy = processor_seconds(page.browser.pid())
    start = time.monotonic()
    time.sleep(seconds)
    lines_after, frames_after, callback_ms_after = page.script(counts)
    elapsed = time.monotonic() - start
    busy_after = processor_seconds(page.browser.pid())
    passes = frames_after - frames
    page.write("figures.txt", [
        f"first_trace_line_ms {firsts[len(firsts) // 2]:.0f}",
        f"first_trace_line_ms_least {firsts[0]:.0f}",
        f"first_trace_line_ms_most {firsts[-1]:.0f}",
        f"bytes_per_load {first_load_bytes}",
        f"lines_per_second {(lines_after - lines) / elapsed:.1f}",
        f"frames_per_second {passes / elapsed:.1f}",
        f"callback_ms_per_frame {(callback_ms_after - callback_ms) / max(passes, 1):.2f}",
    ] + [f"cores_{kind} {(busy_after[kind] - busy.get(kind, 0)) / elapsed:.2f}"
         for kind in sorted(busy_after)])


def model_figures(page, models):
    """For each model: the time from choosing it to the program's first trace
    line with it (and to the program's start, the conversion's share), with the
    converter cold (a fresh page that has loaded nothing of it, and a server
    that lets nothing be cached) and warm (the same model again)."""
    rows = []
    state = 'return document.getElementById("own-robot").dataset.state'
    for model in models:
        for temperature in ("cold", "warm"):
            if temperature == "cold":
                page.load()
                page.wait(60, lambda: page.script("return window.letterbotLines > 0"))
            page.script("window.letterbotChosen = window.letterbotRunStart = null;"
                        "window.letterbotRunFirstLine = undefined; return null")
            page.browser.choose_files("#model-file", [model])
            times = ("return [window.letterbotChosen, window.letterbotRunStart, "
                     "window.letterbotRunFirstLine]")
            page.wait(600, lambda: page.script(times)[2] or page.script(state) in ("refused", "failed"))
            chosen, started, first = page.script(times)
            if not first:
                report = page.script('return document.getElementById("model-report").textContent')
                raise Stopped(f"{model}: {report}")
            rows.append(f"model {os.path.basename(model)} {temperature} {first - chosen:.0f} "
                        f"{started - chosen:.0f}")
    page.write("figures.txt", rows)


SCENARIOS = {
    # name: (function, how many arguments, the engine's options, the page's query)
    "demo": (lambda page, args: demo(page, int(args[0])), 1, {}, ""),
    "phone": (lambda page, args: phone(page), 0, {"phone": True}, ""),
    "own-robot": (lambda page, args: own_robot(page, *args[:4], float(args[4])), 5, {}, ""),
    "missing-texture": (lambda page, args: missing_texture(page), 0, {}, "?without=data/robot_panel.bmp"),
    "no-webgl": (lambda page, args: page.wait(30, page.exit_status), 0, {"no_webgl": True}, ""),
    "engine": (lambda page, args: engine(page, args[0], args[1], float(args[2])), 3, {}, ""),
    "figures": (lambda page, args: figures(page, float(args[0])), 1, {}, ""),
    "model-figures": (lambda page, args: model_figures(page, args), None, {}, ""),
}
# What only Chromium can do: emulate a phone and touch, run without WebGL,
# answer an alert.
CHROMIUM_ONLY = ("demo", "phone", "own-robot", "missing-texture", "no-webgl")


def main():
    if len(sys.argv) < 5 or sys.argv[1] not in browsers.ENGINES or sys.argv[4] not in SCENARIOS:
        print(__doc__, file=sys.stderr)
        return 2
    name, site, out, scenario = sys.argv[1:5]
    args = sys.argv[5:]
    run, count, options, query = SCENARIOS[scenario]
    if (count is not None and len(args) != count) or (scenario in CHROMIUM_ONLY and name != "chromium"):
        print(__doc__, file=sys.stderr)
        return 2
    for signum in browsers.STOP_SIGNALS:
        signal.signal(signum, stop_on_signal)
    page = None
    try:
        page = Page(name, site, out, query, figures=scenario.endswith("figures"), **options)
        run(page, args)
        page.finish()
        return 0
    except Exception as error:  # noqa: BLE001 - the calling script reports what is missing
        print(f"drive_page.py: {name} {scenario}: {error}", file=sys.stderr)
        if page:
            try:
                page.finish()
            except Exception as unreadable:  # noqa: BLE001
                print(f"drive_page.py: the page could not be read: {unreadable}", file=sys.stderr)
        return 1
    finally:
        if page:
            page.close()


if __name__ == "__main__":
    sys.exit(main())
