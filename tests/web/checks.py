"""Counted checks of what a scenario of drive_page.py left in its folder,
printed as tests/lib/checks.sh prints them ("ok: ...", "FAIL: ...", then
"N passed, M failed"), and the checks that several scenarios make. The
checks every kind of test shares (the scene, the trace, the path, the view
moved) stay written once, in tests/lib/checks.sh, and run here through bash."""
import os
import re
import subprocess

CHECKS_SH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../lib/checks.sh")
# Where only the camera changes the picture at the start: the sky and the
# district at the top right, above the robots' heads and right of their path.
CAMERA_ONLY_BOX = "250x250+774+40"


class Checks:
    def __init__(self, folder):
        self.folder = folder
        self.passed = self.failed = 0

    def ok(self, message):
        print(f"ok: {message}", flush=True)
        self.passed += 1

    def fail(self, message):
        print(f"FAIL: {message}", flush=True)
        self.failed += 1

    def check(self, what, got, expected):
        if got == expected:
            self.ok(what)
        else:
            self.fail(f"{what}: expected '{expected}', got '{got}'")

    def bash(self, command, *arguments):
        """Runs a line of bash in the folder with tests/lib/checks.sh sourced
        and ARGUMENTS as "$@"; returns what it printed."""
        return subprocess.run(["bash", "-c", f'set -u; . "$0"; {command}', CHECKS_SH, *arguments],
                              cwd=self.folder, stdout=subprocess.PIPE, text=True, check=False).stdout

    def shared(self, function, *arguments):
        """One of tests/lib/checks.sh's checks, run in the folder: its lines
        are printed as it printed them, and its counts added."""
        counted = None
        for line in self.bash('"$@"; echo "counted $checks_passed $failures"', function, *arguments).splitlines():
            if line.startswith("counted "):
                counted = [int(count) for count in line.split()[1:]]
            else:
                print(line, flush=True)
        if not counted or sum(counted) == 0:
            self.fail(f"{function} {' '.join(arguments)}: tests/lib/checks.sh ran no check")
        else:
            self.passed += counted[0]
            self.failed += counted[1]

    def shared_value(self, function, *arguments):
        """What one of tests/lib/checks.sh's functions prints, such as
        differing_pixels."""
        return self.bash('"$@"', function, *arguments).strip()

    def text(self, name):
        """A file of the folder without its last line end, or empty when
        there is no such file."""
        try:
            with open(os.path.join(self.folder, name)) as file:
                return file.read().rstrip("\n")
        except OSError:
            return ""

    def lines(self, name):
        text = self.text(name)
        return text.split("\n") if text else []

    def line(self, name, number):
        """Line NUMBER of a file of the folder, counted from 1, or empty."""
        lines = self.lines(name)
        return lines[number - 1] if number <= len(lines) else ""

    def numbers(self, name):
        """The first line of a file of the folder as whole numbers."""
        return [int(value) for value in self.line(name, 1).split()]

    def size(self, name):
        """How many bytes a file of the folder holds, or None without it."""
        try:
            return os.path.getsize(os.path.join(self.folder, name))
        except OSError:
            return None

    def total(self):
        print(f"{self.passed} passed, {self.failed} failed", flush=True)
        return self.failed == 0


def picked_figure(checks, what, picture):
    """The converted figure of PICTURE (figure_picture) differs from the
    shipped one's (shipped.png) at the camera's target, by more than a tenth of
    that box and twice what the shipped run changes there (shipped-later.png)."""
    figure = "140x260+442+300"
    idle = checks.shared_value("differing_pixels", "shipped.png", "shipped-later.png", figure)
    changed = checks.shared_value("differing_pixels", "shipped.png", picture, figure)
    if changed.isdigit() and idle.isdigit() and int(changed) > 140 * 260 // 10 and int(changed) > int(idle) * 2:
        checks.ok(f"{what}: it is the figure at the camera's target ({changed} pixels differ there, "
                  f"{idle} while the shipped run went on)")
    else:
        checks.fail(f"{what}: the figure did not change: {changed or '?'} pixels, "
                    f"{idle or '?'} while the shipped run went on")


def crash_reported(checks, name, model):
    """NAME, what the page said of MODEL (outcome()), names the importer's
    failure in one line."""
    report = checks.lines(name)
    pattern = rf"The importer failed on {re.escape(model)} \(RuntimeError: [^()]*\); the page stays as it was\."
    checks.check("a model that crashes the importer: the page says so",
                 f"{report[0] if report else ''} {sum(1 for line in report if re.fullmatch(pattern, line))} "
                 f"{len(report)}", "failed 1 2")


def ended_in_view(checks, name):
    """After the program ended, its status line and Start again are in the
    window, without scrolling the page, and Start again has the focus (NAME,
    from ending())."""
    width, height, _, top, _, bottom, _, again_top, _, again_bottom = checks.numbers(name)
    checks.check("the page is not scrolled when the program has ended", checks.line(name, 3), "0")
    if top >= 0 and bottom <= height and again_top >= 0 and again_bottom <= height:
        checks.ok(f"the status line ({top} to {bottom}) and Start again ({again_top} to {again_bottom}) "
                  f"are in the {width} x {height} window")
    else:
        checks.fail(f"the status line ({top} to {bottom}) or Start again ({again_top} to {again_bottom}) "
                    f"is out of the {width} x {height} window")
    checks.check("Start again has the focus", checks.line(name, 2), "again")


def went_full_screen(checks, name):
    """The page went full screen from its button, the canvas as large as the
    screen allows at 4:3 with the full screen bar, and back (NAME, from
    full_screen())."""
    entered = checks.line(name, 1).split()
    if len(entered) >= 7 and entered[0] == "entered":
        width, height, left, top, right, bottom = (int(value) for value in entered[1:7])
        if right <= width and bottom <= height \
                and (right - left >= width - 1 or bottom - top >= height - 1) and checks.line(name, 2) == "left":
            checks.ok(f"full screen: the canvas {left},{top} to {right},{bottom} of {width} x {height}, then back")
            return
    checks.fail(f"full screen: {checks.text(name).replace(chr(10), ' ')}")


def view_moved(checks, what, name):
    """tests/lib's view_moved on the pictures view_while() took of NAME, in
    CAMERA_ONLY_BOX."""
    checks.shared("view_moved", what, f"{name}-idle.png", f"{name}-before.png", f"{name}-after.png",
                  CAMERA_ONLY_BOX)


def fetched_once(checks, name, when):
    """The page fetched letterbot.wasm and letterbot.data once each, as the
    server counted them (NAME, from Page.fetches)."""
    requests = {fields[0]: fields[1] for fields in map(str.split, checks.lines(name)) if len(fields) > 1}
    for file in ("letterbot.wasm", "letterbot.data"):
        checks.check(f"{file} fetched once per page load, {when}", requests.get(f"/{file}", "0"), "1")


def axe_clean(checks, name, where):
    """axe-core found nothing serious or critical (NAME, from Page.axe)."""
    if checks.size(name) == 0:
        checks.ok(f"axe-core: nothing serious or critical, {where}")
    else:
        checks.fail(f"axe-core, {where}: {checks.text(name)[:600].replace(chr(10), ' ')}")


def no_webgl_errors(checks, engine, scenario, probed=False):
    """No WebGL error in the scenario, as the page's watch saw them and, in
    Chromium, as Chromium itself reported them on the console, worded its way.
    Where the scenario made the WebGL probe's deliberate error (probed), both
    saw it, so that neither check can pass on nothing."""
    checks.check(f"{scenario}: no WebGL errors", "\n".join(checks.lines("webgl-errors.txt")[:3]), "")
    if probed:
        if "webgl-probe 0x500" in checks.lines("probe.txt"):
            checks.ok(f"{scenario}: a deliberate invalid WebGL call is seen (INVALID_ENUM)")
        else:
            checks.fail(f"{scenario}: the deliberate invalid WebGL call was not seen: {checks.text('probe.txt')[:200]}")
    if engine != "chromium":
        return
    reported = re.compile("WebGL: INVALID_|GL_INVALID_")
    checks.check(f"{scenario}: Chromium reports no WebGL error on the console",
                 "\n".join([line for line in checks.lines("console.txt") if reported.search(line)][:3]), "")
    if probed:
        if any(reported.search(line) for line in checks.lines("probe-console.txt")):
            checks.ok("Chromium reports the deliberate invalid WebGL call on the console")
        else:
            checks.fail("Chromium did not report the deliberate invalid WebGL call: "
                        "its console check would pass on nothing")
