#!/usr/bin/python3
"""The browser tests' scenarios, and the figures': runs one scenario of the
page in one engine (page.py), leaving what it saw as files in OUT, then checks
them (checks.py), printing "ok: ..." and "FAIL: ..." lines and their total,
"N passed, M failed". It ends with status 1 when a check failed, or when the
scenario could not be run, and then without a total. Run with Debian's
Python, which has python3-selenium.

    drive_page.py ENGINE SITE OUT SCENARIO [ARGUMENT...]

SIMULATED is a file of the robot's simulated path (tests/lib/checks.sh's
simulated_trace); TEXTURED must be in SITE. Each scenario's function says what
it does and checks. In Chromium alone:
    demo SIMULATED          a laptop's window, from the first picture to Start again
    phone                   a phone's emulation, touch, then reduced motion
    own-robot SIMULATED BROKEN CRASHING WARNED TEXTURED SECONDS
                            models of one's own, picked and linked
    missing-texture         without data/robot_panel.bmp
    no-webgl                a Chromium without WebGL
In every engine:
    engine SIMULATED CRASHING TEXTURED SECONDS
                            what every engine must do
    figures SECONDS         start and speed (figures.txt, no checks)
    model-figures MODEL...  each model's time to the figure (figures.txt, no checks)

What the files in OUT hold is told in page.py."""
import os
import re
import signal
import sys
import time

from checks import (Checks, axe_clean, crash_reported, ended_in_view, fetched_once, no_webgl_errors,
                    picked_figure, view_moved, went_full_screen)
from figures import figures, model_figures
from page import (COMPARED_PASSES, Page, Stopped, browsers, ending, figure_picture, full_screen, new_run,
                  outcome, pick, press_escape, start_again, stop_on_signal)



def demo(page, checks, simulated):
    """The page in a laptop's window: the canvas and the trace line are in
    view; the picture shows the scene, and holding Right moves the view; the
    keys do not scroll the page; Pause holds the program; Tab reaches a
    turning control, and a click or Space held on it turns the view; axe-core
    finds nothing serious; the trace follows the robot's simulated path and
    standard output holds only the trace; each of the program's files is
    fetched once; full screen and back; Escape gives status 200, the last
    picture stays, the status line and Start again are in view, and Start
    again runs the program again."""
    with open(simulated) as file:
        trace_lines = sum(1 for _ in file)
    began = time.monotonic()
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
    press_escape(page)
    page.canvas_picture("end.png")
    ending(page, "ended.txt")
    page.save_status()
    start_again(page, "again.txt")
    page.fetches("fetches-again.txt")
    page.webgl_probe()
    page.finish()
    print(f"passes per second: {len(page.trace) / (time.monotonic() - began):.1f}")

    checks.shared("scene_drawn", "first.png")
    width, height, left, top, right, bottom, trace_bottom = checks.numbers("layout.txt")
    if left >= 0 and top >= 0 and right <= width and bottom <= height and trace_bottom <= height:
        checks.ok(f"laptop: the whole canvas ({left},{top} to {right},{bottom}) and the trace line are in the "
                  f"{width} x {height} page")
    else:
        checks.fail(f"laptop: the canvas ({left},{top} to {right},{bottom}) or the trace line (bottom "
                    f"{trace_bottom}) is out of the {width} x {height} page")
    view_moved(checks, "holding Right", "right")
    page_height, window_height = (int(value) for value in checks.lines("scroll.txt"))
    if page_height > window_height:
        checks.ok(f"the page can scroll: {page_height} pixels high in a {window_height}-pixel window")
        checks.check("the arrow, page, space and End keys do not scroll it", checks.text("scrolled.txt"), "0")
    else:
        checks.fail(f"the page cannot scroll ({page_height} pixels in a {window_height}-pixel window): "
                    "the keys' check would prove nothing")
    checks.check("Pause holds the program, Play lets it go on", checks.text("pause.txt"), "0 played")
    checks.check("Tab reaches the turning control", checks.text("tab.txt"), "reached")
    if checks.size("click-after.png"):
        view_moved(checks, "a quick click on the turning control", "click")
        view_moved(checks, "holding Space on the turning control", "space")
    axe_clean(checks, "axe-laptop.txt", "in a laptop's window")
    checks.check("first trace line", checks.line("trace.txt", 1), "0.000000 0.000000")
    checks.shared("trace_lines_only", "trace.txt")
    checks.shared("follows_simulated_path", "trace.txt", simulated)
    fetched_once(checks, "fetches.txt", "on its own")
    went_full_screen(checks, "fullscreen.txt")
    checks.check("Escape: exit status", checks.text("status.txt"), "200")
    if "letterbot has ended (exit status 200): Escape or End ended it." in checks.lines("page.txt"):
        checks.ok("the page says how it ended")
    else:
        checks.fail(f"the page says: {checks.text('page.txt')[:300]}")
    ended_in_view(checks, "ended.txt")
    colours = checks.bash("convert end.png -format %k info: 2>/dev/null").strip()
    if colours.isdigit() and int(colours) > 50:
        checks.ok(f"the last picture stays after Escape ({colours} colours)")
    else:
        checks.fail(f"the canvas is blank after Escape ({colours or '?'} colours)")
    ran = checks.line("again.txt", 1).split()
    if ran[:1] == ["ran"] and checks.line("again.txt", 2) == "canvas":
        checks.ok(f"Start again: the program runs again ({ran[1]} trace lines), the new canvas has the focus")
    else:
        checks.fail(f"Start again: {checks.text('again.txt')}")
    fetched_once(checks, "fetches-again.txt", "also after Start again")
    checks.check("nothing on standard error", checks.text("errors.txt"), "")
    no_webgl_errors(checks, page.engine, "demo", probed=True)


def phone(page, checks):
    """In a phone's emulation the canvas spans the width and the trace line is
    in view; touch on the pad's Right, two fingers spread and the turning
    control move the view, each held for as many passes as the view idled
    before; axe-core finds nothing serious; End, touched, ends the program.
    Then the page again, asking for reduced motion: it waits for Play."""
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
    page.finish()

    width, height, left, _, right, _, trace_bottom = checks.numbers("layout.txt")
    if left == 0 and right == width and trace_bottom <= height:
        checks.ok(f"phone: the canvas spans the {width}-pixel width, the trace line is in view")
    else:
        checks.fail(f"phone: the canvas spans {left} to {right} of {width} pixels, the trace line ends at "
                    f"{trace_bottom} of {height}")
    view_moved(checks, "phone: a touch held on the turning control", "turn")
    view_moved(checks, "phone: a touch held on the pad's right arrow", "pad")
    view_moved(checks, "phone: two fingers spread", "pinch")
    axe_clean(checks, "axe-phone.txt", "in a phone's emulation")
    checks.check("phone: End, touched, ends the program as Escape does", checks.text("status.txt"), "200")
    checks.check("reduced motion: no pass before Play, which is shown, and Play lets it go on",
                 checks.text("reduced-motion.txt"), "0 shown played")
    no_webgl_errors(checks, page.engine, "phone")


def own_robot(page, checks, simulated, broken, crashing, warned, textured, seconds):
    """Models of one's own, through the file input: a refusal, a crash and a
    model over the size cap leave the program running with the page saying
    so; one whose picture is missing converts with the warning shown; a
    textured one becomes the figure and the robot walks its path from the
    start. Then by a link: the textured one again, and a link to nothing, one
    that trickles and one too large, given up with the shipped robot running.
    The figure is pictured carried clear of the scene (shipped.png, own.png,
    link.png; shipped-later.png as many passes after shipped.png as the
    comparisons take); per model what the page says (NAME.txt: its state,
    then its report), per robot that ran its trace from its start
    (NAME-trace.txt, SECONDS long for the picked one); what the server sent
    of each link (NAME-fetches.txt)."""
    seconds = float(seconds)
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
    page.finish()

    def says(what, name, start):
        """NAME.txt, what the page said of a model, has a line that begins with START."""
        if any(line.startswith(start) for line in checks.lines(name)):
            checks.ok(what)
        else:
            checks.fail(f"{what}: the page says {checks.text(name).replace(chr(10), ' ')[:300]}")

    refusal = f"letterbot-assets: cannot convert /in/{os.path.basename(broken)}: "
    refusals = sum(line.startswith(refusal) for line in checks.lines("broken.txt"))
    checks.check("a broken model: the page shows the converter's refusal",
                 f"{checks.line('broken.txt', 1)} {refusals}", "refused 1")
    crash_reported(checks, "crashing.txt", os.path.basename(crashing))
    says("a model over the size cap, picked: refused before it is read", "oversized.txt",
         "oversized.glb: 300.0 MiB in all, more than the 256.0 MiB a model may have")
    after = checks.line("broken-after.txt", 1).split()
    if len(after) == 2 and int(after[0]) > 0 and after[1] == "running":
        checks.ok("after all three, the program runs on")
    else:
        checks.fail(f"after all three, the program did not run on ({checks.text('broken-after.txt')})")
    checks.check("a model whose picture is missing: converted", checks.line("warned.txt", 1), "converted")
    says("a model whose picture is missing: the warning is with the report", "warned.txt",
         'warning: material "01 - Default" names the picture "BERETTA_.JPG", which is not there')
    checks.check("then a textured .glb picked: converted", checks.line("own.txt", 1), "converted")
    if re.fullmatch(r"data/robot\.ase: 1 object, [0-9]* triangles, .*, 1 texture", checks.line("own.txt", 2)) \
            and any(line.startswith("placed: ") for line in checks.lines("own.txt")):
        checks.ok("a textured .glb picked: the converter's report is on the page")
    else:
        checks.fail(f"a textured .glb picked: the page says {checks.text('own.txt').replace(chr(10), ' ')[:300]}")
    picked_figure(checks, "a textured .glb picked", "own.png")
    checks.check("a textured .glb picked: the first trace line", checks.line("own-trace.txt", 1), "0.000000 0.000000")
    checks.shared("follows_simulated_path", "own-trace.txt", simulated, "50")
    checks.check("the shipped robot started twice, the second while the first loads: it runs",
                 checks.text("shipped-again.txt"), "ran")
    checks.check("a model by a link: converted", checks.line("link.txt", 1), "converted")
    checks.check("a model by a link: the first trace line", checks.line("link-trace.txt", 1), "0.000000 0.000000")
    checks.shared("follows_simulated_path", "link-trace.txt", simulated, "20")
    picked_figure(checks, "a model by a link", "link.png")
    for name, what, start in [
            ("missing-link", "a link to nothing: the page says so",
             "The model at no-such-model.glb could not be fetched: 404"),
            ("trickle", "a link that trickles a byte a second: given up",
             "The model at trickle/slow.glb was not taken: it came too slowly"),
            ("huge", "a link to a model over the size cap: refused",
             "The model at huge/large.glb was not taken: it is 300.0 MiB, more than the 256.0 MiB")]:
        says(what, f"{name}.txt", start)
        checks.check(f"{name}: then the shipped robot runs", bool(checks.size(f"{name}-trace.txt")), True)
    if took < 60:
        checks.ok(f"a link that trickles: given up after {took:.0f} s, within the limit")
    else:
        checks.fail(f"a link that trickles: given up only after {took:.0f} s")
    sent = next((int(fields[2]) for fields in map(str.split, checks.lines("huge-fetches.txt"))
                 if fields[:1] == ["/huge/large.glb"]), None)
    if sent is not None and sent < 32 * 1024 * 1024:
        checks.ok(f"a link to a model over the size cap: given up after {sent} of its 314,572,800 bytes")
    else:
        checks.fail(f"a link to a model over the size cap: {sent} bytes sent")
    checks.check("models of one's own: nothing on standard error", checks.text("errors.txt"), "")
    no_webgl_errors(checks, page.engine, "own-robot")


def missing_texture(page, checks):
    """Without data/robot_panel.bmp: the "Error!" alert, then status 3, the
    missing file named on standard error and error.txt on the page."""
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        try:
            alert = page.browser.driver.switch_to.alert
            text = alert.text
            break
        except Exception:  # noqa: BLE001 - no alert yet
            time.sleep(0.1)
    else:
        raise Stopped("no alert within 30 s")
    page.write("alert.txt", [text])
    alert.accept()
    page.wait(20, page.exit_status)
    page.finish()

    checks.check("missing texture: the alert", checks.text("alert.txt"), "Error!\n\nCouldn't find a texture!")
    checks.check("missing texture: exit status", checks.text("status.txt"), "3")
    checks.check("missing texture: standard error names it", checks.text("errors.txt"),
                 "Unable to find or open the texture: data/robot_panel.bmp")
    checks.check("missing texture: the page shows error.txt",
                 "error.txt: Couldn't find a texture!" in checks.lines("page.txt"), True)
    no_webgl_errors(checks, page.engine, "missing-texture")


def no_webgl(page, checks):
    """In a Chromium without WebGL: status 2, its message on standard output
    and on the page."""
    page.wait(30, page.exit_status)
    page.finish()
    checks.check("no WebGL: exit status", checks.text("status.txt"), "2")
    checks.check("no WebGL: the message on standard output", checks.text("trace.txt"), "SDL_SetVideoMode == NULL")
    checks.check("no WebGL: the page shows error.txt",
                 "error.txt: SDL_SetVideoMode == NULL" in checks.lines("page.txt"), True)


def engine(page, checks, simulated, crashing, textured, seconds):
    """What every engine must do with the page: the scene is drawn; the trace
    follows the robot's simulated path and standard output holds only the
    trace; holding Right moves the view; a model that crashes the importer is
    reported in one line and the page stays usable; a picked textured .glb
    becomes the figure; each of the program's files is fetched once per page
    load; full screen, where the engine allows it from automation; Escape
    gives status 200 with the status line and Start again in view."""
    seconds = float(seconds)
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
    press_escape(page)
    ending(page, "ended.txt")
    page.save_status()
    page.fetches("fetches-again.txt")
    page.webgl_probe()
    page.finish()

    name = page.engine
    checks.shared("scene_drawn", "first.png")
    checks.check(f"{name}: first trace line", checks.line("trace.txt", 1), "0.000000 0.000000")
    checks.shared("trace_lines_only", "trace.txt")
    checks.shared("follows_simulated_path", "shipped-trace.txt", simulated, "100")
    view_moved(checks, f"{name}: holding Right", "right")
    crash_reported(checks, "crashing.txt", os.path.basename(crashing))
    fetched_once(checks, "fetches.txt", "with a model converted")
    checks.check(f"{name}: then a textured .glb picked: converted", checks.line("own.txt", 1), "converted")
    picked_figure(checks, f"{name}: a textured .glb picked", "own.png")
    checks.check(f"{name}: its first trace line", checks.line("own-trace.txt", 1), "0.000000 0.000000")
    if checks.line("fullscreen.txt", 1).startswith("refused"):
        print(f"{name} does not go full screen from automation: {checks.line('fullscreen.txt', 1)[8:]}")
    else:
        went_full_screen(checks, "fullscreen.txt")
    checks.check(f"{name}: Escape: exit status", checks.text("status.txt"), "200")
    ended_in_view(checks, "ended.txt")
    fetched_once(checks, "fetches-again.txt", "after the program ended")
    checks.check(f"{name}: nothing on standard error", checks.text("errors.txt"), "")
    no_webgl_errors(checks, name, name, probed=True)


SCENARIOS = {
    # name: (function, how many arguments, the engine's options, the page's query)
    "demo": (demo, 1, {}, ""),
    "phone": (phone, 0, {"phone": True}, ""),
    "own-robot": (own_robot, 6, {}, ""),
    "missing-texture": (missing_texture, 0, {}, "?without=data/robot_panel.bmp"),
    "no-webgl": (no_webgl, 0, {"no_webgl": True}, ""),
    "engine": (engine, 4, {}, ""),
    "figures": (figures, 1, {}, ""),
    "model-figures": (model_figures, None, {}, ""),
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
        checks = Checks(out)
        run(page, checks, *args)
        return 0 if scenario.endswith("figures") or checks.total() else 1
    except Exception as error:  # noqa: BLE001 - the calling script reports that the scenario did not run
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
