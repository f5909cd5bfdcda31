#!/usr/bin/python3
"""Drives letterbot's page in headless Chromium for the browser test and the
figures: serves the site from this process on a free local port, runs one
scenario and leaves what it saw as files in OUT, for the calling script to
check. Run with Debian's Python, which has python3-selenium.

    drive_page.py SITE OUT demo TRACE_LINES   the scene, Right, the trace up to
                                              TRACE_LINES path lines, Escape
    drive_page.py SITE OUT phone              touch in Chromium's phone emulation
    drive_page.py SITE OUT own-robot BROKEN CRASHING TEXTURED SECONDS
                                              models given to the page: three
                                              files, a link (TEXTURED must be
                                              in SITE), a link to nothing
    drive_page.py SITE OUT missing-texture    without data/robot_panel.bmp
    drive_page.py SITE OUT no-webgl           in a Chromium without WebGL
    drive_page.py SITE OUT figures SECONDS    first trace line (5 loads), passes
                                              a second
    drive_page.py SITE OUT model-figures MODEL...
                                              from choosing each model to the
                                              first trace line with it

Files in OUT: status.txt (the page's data-exit-status), page.txt (its status
and error.txt lines), trace.txt (console.log lines, standard output, of every
start of the program), errors.txt (console.error and console.warn lines),
console.txt (every console entry), and per scenario the canvas pictures
(*.png, the canvas's own 1024 x 768 pixels), layout.txt, scroll.txt, alert.txt,
figures.txt, or what the page said of each model (NAME.txt) and the trace of
the program with it (NAME-trace.txt). Chromium, its driver and the server end
with this process, also when it is stopped by a signal."""
import base64
import json
import os
import re
import shutil
import signal
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../script/lib"))
import serve_site  # noqa: E402

from selenium import webdriver  # noqa: E402
from selenium.common.exceptions import TimeoutException  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support import expected_conditions  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

# As the machine's probe starts it: no network of its own, nothing to update.
CHROMIUM_FLAGS = [
    "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--no-sandbox", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--disable-quic",
]
# Headless Chromium takes a browser's bars off the window as a desktop one
# would: a 1366 x 768 window, a laptop's screen, leaves a 1366 x 625 page.
LAPTOP_WINDOW = "--window-size=1366,768"
# Chromium's phone emulation: a 390 x 844 screen at three device pixels to
# one, touch, and (pointer: coarse).
PHONE = {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 3.0, "touch": True}}
NO_WEBGL_FLAGS = ["--disable-webgl", "--disable-3d-apis"]

# 'http://127.0.0.1:PORT/index.html 112:12 "0.000000 0.000000"': where the
# call was made, then its argument as JSON.
CONSOLE_ENTRY = re.compile(r'^\S+ \d+:\d+ (".*")$')

# For the figures, set up before the page's own scripts run: counts
# console.log calls, with the time of the first, and animation frames (the
# program makes one pass in each), and adds up the time the page's thread
# spends in animation-frame callbacks: the program's passes, gl4es and the
# WebGL calls, all but the drawing itself, which Chromium's GPU process does.
# Also notes when a model was last chosen (a change event), when the program
# last started (the page's console.debug line) and that run's first line.
COUNT_LINES = """
window.letterbotLines = 0;
window.letterbotFrames = 0;
window.letterbotCallbackMs = 0;
document.addEventListener("change", () => { window.letterbotChosen = performance.now(); }, true);
const pageDebug = console.debug;
console.debug = function (...args) {
  window.letterbotRunStart = performance.now();
  window.letterbotRunFirstLine = null;
  pageDebug.apply(console, args);
};
const pageLog = console.log;
console.log = function (...args) {
  if (window.letterbotLines++ === 0) window.letterbotFirstLine = performance.now();
  if (window.letterbotRunFirstLine === null) window.letterbotRunFirstLine = performance.now();
  pageLog.apply(console, args);
};
const pageFrame = window.requestAnimationFrame.bind(window);
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
"""


class Stopped(Exception):
    """A signal, or a scenario that cannot go on."""


STOP_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


def stop_on_signal(signum, frame):
    raise Stopped(f"stopped by signal {signum}")


def children(pid):
    """The ids of a process's descendants, from the parent ids in /proc."""
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                # The name, in parentheses, may hold blanks: the fields follow it.
                parents[int(entry)] = int(stat.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            pass
    found, wanted = [], [pid]
    while wanted:
        parent = wanted.pop()
        for child, its_parent in parents.items():
            if its_parent == parent:
                found.append(child)
                wanted.append(child)
    return found


def pin_processes(root, include_root=True):
    """Process file descriptors of a process and its descendants: a signal
    sent through one reaches that process or none, even once its id is free
    again. Each is checked to be a descendant still once it is held."""
    pinned = []
    for pid in ([root] if include_root else []) + children(root):
        try:
            pidfd = os.pidfd_open(pid)
        except OSError:
            continue
        if pid == root or pid in children(root):
            pinned.append(pidfd)
        else:
            os.close(pidfd)
    return pinned


class Page:
    """One Chromium with the page loaded, and the console read as it goes."""

    def __init__(self, site, out, flags, query="", count_lines=False, phone=False):
        self.out = out
        self.server = self.serving = self.profile = self.service = self.driver = None
        self.trace, self.errors, self.console, self.starts = [], [], [], []
        # Whatever was started or made before a failure (Chromium or its driver
        # does not start, a CDP call or the first load raises, a signal) goes.
        try:
            self.server = serve_site.make_server(site, 0, quiet=True)
            self.serving = threading.Thread(target=self.server.serve_forever, daemon=True)
            self.serving.start()
            self.profile = tempfile.mkdtemp(prefix="letterbot-chromium-")
            options = webdriver.ChromeOptions()
            options.binary_location = "/usr/bin/chromium"
            for flag in CHROMIUM_FLAGS + flags + [f"--user-data-dir={self.profile}"]:
                options.add_argument(flag)
            if phone:
                options.add_experimental_option("mobileEmulation", PHONE)
            options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
            # An alert stays up until the scenario answers it.
            options.set_capability("unhandledPromptBehavior", "ignore")
            self.service = Service("/usr/bin/chromedriver")
            self.driver = webdriver.Chrome(service=self.service, options=options)
            if count_lines:
                self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                            {"source": COUNT_LINES})
            self.started = time.monotonic()
            port = self.server.server_address[1]
            self.driver.get(f"http://127.0.0.1:{port}/index.html{query}")
        except BaseException:
            self.close()
            raise

    def driver_pid(self):
        process = getattr(self.service, "process", None)
        return process.pid if process else None

    def read_console(self):
        for entry in self.driver.get_log("browser"):
            message = entry["message"]
            self.console.append(f'{entry["level"]} {entry["source"]} {message}')
            match = CONSOLE_ENTRY.match(message)
            if entry["source"] != "console-api" or not match:
                continue
            text = json.loads(match.group(1))
            if entry["level"] == "INFO":
                self.trace.append(text)
            elif entry["level"] == "DEBUG":
                # The page's own line at each start of the program.
                self.starts.append(len(self.trace))
            else:
                self.errors.append(text)

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
            time.sleep(0.25)
        self.read_console()
        return until()

    def exit_status(self):
        return self.driver.find_element(By.ID, "status").get_attribute("data-exit-status")

    def canvas_picture(self, name):
        """The canvas's own pixels, 1024 x 768 at any size it is shown at (it
        keeps its last frame's buffer)."""
        url = self.driver.execute_script(
            'return document.getElementById("canvas").toDataURL("image/png")')
        with open(os.path.join(self.out, name), "wb") as file:
            file.write(base64.b64decode(url.split(",", 1)[1]))

    def layout(self, name):
        """Where the canvas and the trace line are in the window: its width
        and height, the canvas's left, top, right and bottom, the trace line's
        bottom, in CSS pixels."""
        self.write(name, [" ".join(str(round(value)) for value in self.driver.execute_script("""
            const box = id => document.getElementById(id).getBoundingClientRect();
            const canvas = box("canvas");
            return [innerWidth, innerHeight, canvas.left, canvas.top, canvas.right, canvas.bottom,
                    box("trace").bottom];"""))])

    def centre(self, selector):
        return self.driver.execute_script("""
            const box = document.querySelector(arguments[0]).getBoundingClientRect();
            return [box.left + box.width / 2, box.top + box.height / 2];""", selector)

    def touch(self, kind, points):
        """touchStart, touchMove or touchEnd, with fingers at these points."""
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [
            {"x": x, "y": y, "id": finger} for finger, (x, y) in enumerate(points)]})

    def hold_key(self, key, seconds):
        ActionChains(self.driver).key_down(key).pause(seconds).key_up(key).perform()

    def write(self, name, lines):
        with open(os.path.join(self.out, name), "w") as file:
            file.writelines(f"{line}\n" for line in lines)

    def finish(self):
        """Writes what the page shows and what its console said."""
        try:
            self.read_console()
            status = self.exit_status() or ""
            self.write("status.txt", [status] if status else [])
            page = [self.driver.find_element(By.ID, "status").text]
            log = self.driver.find_element(By.ID, "error-log")
            if log.is_displayed():
                page.append(log.text)
            self.write("page.txt", page)
        finally:
            self.write("trace.txt", self.trace)
            self.write("errors.txt", self.errors)
            self.write("console.txt", self.console)

    def close(self):
        """Ends Chromium, its driver and the server, and removes the profile.
        A signal waits until that is done."""
        signal.pthread_sigmask(signal.SIG_BLOCK, STOP_SIGNALS)
        # Held before quit(), so that what is stopped afterwards is the
        # process that was found, never a later one given the same id.
        pinned = pin_processes(self.driver_pid()) if self.driver_pid() else []
        try:
            if self.driver:
                self.driver.quit()
            elif self.driver_pid():
                self.service.stop()
        except Exception as error:  # noqa: BLE001 - what is left is stopped below
            print(f"drive_page.py: Chromium's driver did not stop: {error}", file=sys.stderr)
        finally:
            for pidfd in pinned + pin_processes(os.getpid(), include_root=False):
                try:
                    signal.pidfd_send_signal(pidfd, signal.SIGKILL)
                except ProcessLookupError:
                    pass  # it has ended
                finally:
                    os.close(pidfd)
            if self.driver_pid():
                self.service.process.poll()
            if self.serving:
                self.server.shutdown()
            if self.server:
                self.server.server_close()
            if self.profile:
                shutil.rmtree(self.profile, ignore_errors=True)


def demo(page, trace_lines):
    if not page.wait(30, lambda: page.trace):
        raise Stopped("no trace line within 30 s")
    time.sleep(2)
    page.canvas_picture("first.png")
    page.canvas_picture("idle.png")
    time.sleep(1)
    page.canvas_picture("before.png")
    page.layout("layout.txt")
    page.driver.find_element(By.ID, "canvas").click()
    page.hold_key(Keys.ARROW_RIGHT, 1)
    page.canvas_picture("after.png")
    # The keys could not scroll a page that cannot scroll at all.
    page.write("scroll.txt", page.driver.execute_script(
        "return [document.documentElement.scrollHeight, window.innerHeight]"))
    scrolled = "return window.scrollY"
    before = page.driver.execute_script(scrolled)
    for key in (Keys.PAGE_DOWN, Keys.ARROW_DOWN, Keys.SPACE, Keys.END):
        page.hold_key(key, 0.05)
    time.sleep(0.3)
    page.write("scrolled.txt", [page.driver.execute_script(scrolled) - before])
    # The robot's path up to its patrol: it walks by the clock, not by frames.
    page.wait(180, lambda: page.path_lines() > trace_lines)
    page.hold_key(Keys.ESCAPE, 0.2)
    page.wait(20, page.exit_status)
    time.sleep(0.5)
    page.canvas_picture("end.png")


def phone(page):
    """Touch: the turning control, the pad's Right and a pinch, each held for
    a second with pictures a second before (NAME-idle.png), then just before
    (NAME-before.png) and at the end (NAME-after.png); then End."""
    if not page.wait(30, lambda: page.trace):
        raise Stopped("no trace line within 30 s")
    time.sleep(2)
    page.layout("layout.txt")
    x, y = page.centre("#canvas")
    for name, fingers, moved in [
            ("turn", [page.centre('[data-hold="button0"]')], None),
            ("pad", [page.centre('[data-hold="ArrowRight"]')], None),
            ("pinch", [(x - 20, y), (x + 20, y)], [(x - 90, y), (x + 90, y)])]:
        page.canvas_picture(f"{name}-idle.png")
        time.sleep(1)
        page.canvas_picture(f"{name}-before.png")
        page.touch("touchStart", fingers)
        if moved:
            page.touch("touchMove", moved)
        time.sleep(1)
        page.canvas_picture(f"{name}-after.png")
        page.touch("touchEnd", [])
    page.touch("touchStart", [page.centre("#end")])
    page.touch("touchEnd", [])
    page.wait(20, page.exit_status)


def own_robot(page, broken, crashing, textured, seconds):
    """A broken model, one that crashes the importer, then a textured one,
    through the file input; then the textured one by a link, and a link to a
    model that is not there. Pictures of the shipped and the converted figure
    carried clear of the scene (shipped.png, own.png; shipped-later.png half a
    second after shipped.png); per model what the page says
    (NAME.txt: its state, then its report), and per converted robot its trace
    from its start (NAME-trace.txt), SECONDS long."""
    state = 'const own = document.getElementById("own-robot"); return own.hidden ? "" : own.dataset.state'
    def figure_picture(name):
        # Up carries the camera's figure, facing the camera, past everything
        # else, so that the walking robot is never beside it in the picture.
        page.driver.find_element(By.ID, "canvas").click()
        page.hold_key(Keys.ARROW_UP, 4)
        time.sleep(0.5)
        page.canvas_picture(name)

    page.wait(30, lambda: page.trace)
    figure_picture("shipped.png")
    time.sleep(0.5)
    page.canvas_picture("shipped-later.png")

    # Every state the page shows, in order: a model picked after another must
    # not be judged by the state the one before it left.
    states_seen = """const own = document.getElementById("own-robot");
        if (!window.ownStates) {
          window.ownStates = [];
          new MutationObserver(() => window.ownStates.push(own.dataset.state))
            .observe(own, {attributes: true, attributeFilter: ["data-state"]});
        }
        return window.ownStates.slice(arguments[0]);"""

    def outcome(name, states, seen=None):
        if seen is None:
            page.wait(120, lambda: page.driver.execute_script(state) in states)
        else:
            page.wait(120, lambda: any(s in states for s in
                                       page.driver.execute_script(states_seen, seen)))
        page.write(f"{name}.txt", [page.driver.execute_script(state),
                                   page.driver.find_element(By.ID, "model-report").text])

    def pick(path, name, states):
        seen = len(page.driver.execute_script(states_seen, 0))
        choose.send_keys(path)
        outcome(name, states, seen)

    def converted_run(name, seconds):
        started = len(page.starts)
        outcome(name, ("converted", "refused", "failed"))
        if page.wait(60, lambda: len(page.starts) > started and len(page.trace) > page.starts[-1]):
            time.sleep(seconds)
            page.read_console()
            page.write(f"{name}-trace.txt", page.trace[page.starts[-1]:])

    choose = page.driver.find_element(By.ID, "model-file")
    pick(broken, "broken", ("refused", "failed", "converted"))
    pick(crashing, "crashing", ("failed", "refused", "converted"))
    lines = len(page.trace)
    page.wait(5, lambda: len(page.trace) > lines + 20)
    page.write("broken-after.txt", [f"{len(page.trace) - lines} {page.exit_status() or 'running'}"])

    started = len(page.starts)
    pick(textured, "own", ("converted", "refused", "failed"))
    if page.wait(60, lambda: len(page.starts) > started and len(page.trace) > page.starts[-1]):
        figure_picture("own.png")
        time.sleep(max(seconds - 4.5, 0))
        page.read_console()
        page.write("own-trace.txt", page.trace[page.starts[-1]:])

    base = page.driver.current_url.split("?")[0]
    page.driver.get(f"{base}?model={os.path.basename(textured)}")
    converted_run("link", 3)
    page.driver.get(f"{base}?model=no-such-model.glb")
    converted_run("missing-link", 1)


def missing_texture(page):
    try:
        alert = WebDriverWait(page.driver, 30).until(expected_conditions.alert_is_present())
    except TimeoutException:
        return
    page.write("alert.txt", [alert.text])
    alert.accept()
    page.wait(20, page.exit_status)


def processor_seconds(root):
    """Processor time so far of Chromium's processes by their type (the GPU
    process, the page's renderer, ...), from /proc."""
    ticks = os.sysconf("SC_CLK_TCK")
    seconds = {}
    for pid in children(root):
        try:
            with open(f"/proc/{pid}/cmdline") as cmdline:
                # Chromium rewrites its command line into one blank-separated string.
                kind = re.search(r"--type=(\S+)", cmdline.read().replace("\0", " "))
            with open(f"/proc/{pid}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        name = kind.group(1) if kind else "browser"
        seconds[name] = seconds.get(name, 0) + (int(fields[11]) + int(fields[12])) / ticks
    return seconds


def figures(page, seconds, loads=5):
    """The time from navigation to the first trace line over several loads
    (one varies much on a busy machine), then the rates over SECONDS."""
    firsts = []
    for load in range(loads):
        if load:
            page.driver.get(page.driver.current_url)
        page.wait(30, lambda: page.driver.execute_script(
            "return window.letterbotLines > 0 || window.letterbotFrames > 60"))
        firsts.append(page.driver.execute_script("return window.letterbotFirstLine") or 0)
    firsts.sort()
    counts = "return [window.letterbotLines, window.letterbotFrames, window.letterbotCallbackMs]"
    lines, frames, callback_ms = page.driver.execute_script(counts)
    busy = processor_seconds(page.driver_pid())
    start = time.monotonic()
    time.sleep(seconds)
    lines_after, frames_after, callback_ms_after = page.driver.execute_script(counts)
    elapsed = time.monotonic() - start
    busy_after = processor_seconds(page.driver_pid())
    passes = frames_after - frames
    page.write("figures.txt", [
        f"first_trace_line_ms {firsts[len(firsts) // 2]:.0f}",
        f"first_trace_line_ms_least {firsts[0]:.0f}",
        f"first_trace_line_ms_most {firsts[-1]:.0f}",
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
                page.driver.get(page.driver.current_url)
                page.wait(30, lambda: page.driver.execute_script("return window.letterbotLines > 0"))
            page.driver.execute_script("window.letterbotChosen = window.letterbotRunStart = null;"
                                       "window.letterbotRunFirstLine = undefined;")
            page.driver.find_element(By.ID, "model-file").send_keys(model)
            times = ("return [window.letterbotChosen, window.letterbotRunStart, "
                     "window.letterbotRunFirstLine]")
            page.wait(600, lambda: page.driver.execute_script(times)[2]
                      or page.driver.execute_script(state) in ("refused", "failed"))
            chosen, started, first = page.driver.execute_script(times)
            if not first:
                raise Stopped(f"{model}: {page.driver.find_element(By.ID, 'model-report').text}")
            rows.append(f"model {os.path.basename(model)} {temperature} {first - chosen:.0f} "
                        f"{started - chosen:.0f}")
    page.write("figures.txt", rows)


def main():
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    site, out, scenario = sys.argv[1:4]
    for signum in STOP_SIGNALS:
        signal.signal(signum, stop_on_signal)
    flags = [LAPTOP_WINDOW] + (NO_WEBGL_FLAGS if scenario == "no-webgl" else [])
    query = "?without=data/robot_panel.bmp" if scenario == "missing-texture" else ""
    page = None
    try:
        page = Page(site, out, [] if scenario == "phone" else flags, query,
                    count_lines=scenario.endswith("figures"), phone=scenario == "phone")
        if scenario == "demo":
            demo(page, int(sys.argv[4]))
        elif scenario == "phone":
            phone(page)
        elif scenario == "own-robot":
            own_robot(page, *sys.argv[4:7], float(sys.argv[7]))
        elif scenario == "missing-texture":
            missing_texture(page)
        elif scenario == "no-webgl":
            page.wait(30, page.exit_status)
        elif scenario == "figures":
            figures(page, float(sys.argv[4]))
        elif scenario == "model-figures":
            model_figures(page, sys.argv[4:])
        else:
            raise Stopped(f"no scenario {scenario}")
        page.finish()
        return 0
    except Exception as error:  # noqa: BLE001 - the calling script reports what is missing
        print(f"drive_page.py: {scenario}: {error}", file=sys.stderr)
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
