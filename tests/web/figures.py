"""The figures of the page, for bench/web_figures.sh through drive_page.py:
how soon the program starts and how fast it runs in an engine, and how long a
model of one's own takes from choosing it to the program running with it."""
import os
import time

from page import Stopped, browsers


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


def figures(page, checks, seconds, loads=5):
    """The time from navigation to the first trace line over several loads
    (one varies much on a busy machine), the bytes the first load fetched,
    then the rates over SECONDS."""
    seconds = float(seconds)
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


def model_figures(page, checks, *models):
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
