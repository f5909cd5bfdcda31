"""The engines the browser test drives, behind the same few calls: Debian's
Chromium (headless, WebGL on SwiftShader) and WebKitGTK's MiniBrowser through
python3-selenium, Firefox ESR through puppeteer-core (firefox.js). Firefox and
WebKit draw WebGL only on an X display: each gets a private Xvfb of a laptop's
screen, 1366 x 768. Every process an engine starts ends with it, also when
the driver is stopped by a signal."""
import json
import os
import queue
import shutil
import signal
import subprocess
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service as ChromiumService
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.webkitgtk.options import Options as WebKitOptions

HERE = os.path.dirname(os.path.abspath(__file__))
LAPTOP = (1366, 768)
STOP_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)

# As the machine's probe starts it: no network of its own, nothing to update.
# Smooth scrolling off, so that a scroll is over when the key is.
CHROMIUM_FLAGS = [
    "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--no-sandbox", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--disable-quic",
    "--disable-smooth-scrolling",
]
# Headless Chromium takes a browser's bars off the window as a desktop one
# would: a 1366 x 768 window, a laptop's screen, leaves a 1366 x 625 page.
LAPTOP_WINDOW = f"--window-size={LAPTOP[0]},{LAPTOP[1]}"
# Chromium's phone emulation: a 390 x 844 screen at three device pixels to
# one, touch, and (pointer: coarse).
PHONE = {"deviceMetrics": {"width": 390, "height": 844, "pixelRatio": 3.0, "touch": True}}
NO_WEBGL_FLAGS = ["--disable-webgl", "--disable-3d-apis"]
MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"

# KeyboardEvent.code names, as WebDriver sends them.
SELENIUM_KEYS = {
    "ArrowUp": Keys.ARROW_UP, "ArrowDown": Keys.ARROW_DOWN, "ArrowLeft": Keys.ARROW_LEFT,
    "ArrowRight": Keys.ARROW_RIGHT, "PageUp": Keys.PAGE_UP, "PageDown": Keys.PAGE_DOWN,
    "End": Keys.END, "Space": Keys.SPACE, "Enter": Keys.ENTER, "Escape": Keys.ESCAPE,
    "Tab": Keys.TAB, "ShiftLeft": Keys.SHIFT,
}


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


def kill_pinned(pinned):
    for pidfd in pinned:
        try:
            signal.pidfd_send_signal(pidfd, signal.SIGKILL)
        except ProcessLookupError:
            pass  # it has ended
        finally:
            os.close(pidfd)


class Display:
    """A private Xvfb the size of a laptop's screen; DISPLAY names it while it runs."""

    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{LAPTOP[0]}x{LAPTOP[1]}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            number = numbers.readline().strip()
        if not number.isdigit():
            self.close()
            raise RuntimeError("Xvfb gave no display number")
        os.environ["DISPLAY"] = f":{number}"

    def close(self):
        os.environ.pop("DISPLAY", None)
        self.process.kill()
        self.process.wait()


class Selenium:
    """What Chromium and WebKit share: a WebDriver session through selenium."""

    driver = service = None

    def load(self, url):
        self.driver.get(url)

    def script(self, body, *args):
        return self.driver.execute_script(body, *args)

    def key_down(self, code):
        ActionChains(self.driver).key_down(SELENIUM_KEYS[code]).perform()

    def key_up(self, code):
        ActionChains(self.driver).key_up(SELENIUM_KEYS[code]).perform()

    def click(self, selector):
        self.driver.find_element(By.CSS_SELECTOR, selector).click()

    def choose_files(self, selector, paths):
        self.driver.find_element(By.CSS_SELECTOR, selector).send_keys("\n".join(paths))

    def engine_console(self):
        """What the engine itself reported on the page's console, where the
        driver can read it."""
        return []

    def pid(self):
        process = getattr(self.service, "process", None)
        return process.pid if process else None

    def close(self):
        pinned = pin_processes(self.pid()) if self.pid() else []
        try:
            if self.driver:
                self.driver.quit()
            elif self.pid():
                self.service.stop()
        finally:
            kill_pinned(pinned)
            if self.pid():
                self.service.process.poll()


class Chromium(Selenium):
    name = "chromium"

    def __init__(self, out, phone=False, no_webgl=False):
        self.profile = tempfile.mkdtemp(prefix="letterbot-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        flags = CHROMIUM_FLAGS + ([] if phone else [LAPTOP_WINDOW])
        for flag in flags + (NO_WEBGL_FLAGS if no_webgl else []) + [f"--user-data-dir={self.profile}"]:
            options.add_argument(flag)
        if phone:
            options.add_experimental_option("mobileEmulation", PHONE)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        # An alert stays up until the scenario answers it.
        options.set_capability("unhandledPromptBehavior", "ignore")
        self.service = ChromiumService("/usr/bin/chromedriver")
        self.driver = webdriver.Chrome(service=self.service, options=options)

    def engine_console(self):
        return [f'{entry["level"]} {entry["source"]} {entry["message"]}'
                for entry in self.driver.get_log("browser")]

    def close(self):
        try:
            super().close()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)


class WebKit(Selenium):
    name = "webkit"

    def __init__(self, out):
        self.display = Display()
        try:
            options = WebKitOptions()
            options.binary_location = MINIBROWSER
            options.add_argument("--automation")
            # Selenium 4.8 starts WebKitWebDriver itself; what it cannot end
            # if the session fails, the driver's close does.
            self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options,
                                              service_log_path=os.path.join(out, "engine.txt"))
            self.service = self.driver.service
            self.driver.set_window_rect(0, 0, *LAPTOP)
        except BaseException:
            self.close()
            raise

    def close(self):
        try:
            super().close()
        finally:
            self.display.close()


class Firefox:
    """Firefox ESR over WebDriver BiDi, through firefox.js: each call is one
    request to it and waits for its answer."""

    name = "firefox"

    def __init__(self, out):
        self.process = None
        self.display = Display()
        try:
            self.log = open(os.path.join(out, "engine.txt"), "w")
            self.process = subprocess.Popen(
                ["node", os.path.join(HERE, "firefox.js"), str(LAPTOP[0]), str(LAPTOP[1])],
                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self.log, text=True)
            self.answers = queue.Queue()
            threading.Thread(target=self.read, daemon=True).start()
        except BaseException:
            self.close()
            raise

    def read(self):
        for line in self.process.stdout:
            if line.startswith("answer: "):
                self.answers.put(json.loads(line[len("answer: "):]))
            elif line.strip():
                self.log.write(line)
        self.answers.put({"error": "firefox.js ended"})

    def ask(self, op, seconds=120, **request):
        self.process.stdin.write(json.dumps({"op": op, **request}) + "\n")
        self.process.stdin.flush()
        try:
            answer = self.answers.get(timeout=seconds)
        except queue.Empty:
            raise RuntimeError(f"firefox.js did not answer {op} within {seconds} s") from None
        if "error" in answer:
            raise RuntimeError(f"firefox.js: {op}: {answer['error']}")
        return answer["value"]

    def load(self, url):
        self.ask("load", url=url)

    def script(self, body, *args):
        return self.ask("script", body=body, args=list(args))

    def key_down(self, code):
        self.ask("keydown", key=code)

    def key_up(self, code):
        self.ask("keyup", key=code)

    def click(self, selector):
        self.ask("click", selector=selector)

    def choose_files(self, selector, paths):
        self.ask("files", selector=selector, paths=list(paths))

    def engine_console(self):
        return []

    def pid(self):
        return self.process.pid if self.process else None

    def close(self):
        pinned = pin_processes(self.pid()) if self.pid() else []
        try:
            if self.process:
                self.process.stdin.close()
                self.process.wait(timeout=20)
        except (OSError, subprocess.TimeoutExpired):
            pass  # what is left is stopped below
        finally:
            kill_pinned(pinned)
            if self.process:
                self.process.wait()
            self.display.close()
            if getattr(self, "log", None):
                self.log.close()


ENGINES = {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}


def hold_key(browser, code, seconds):
    browser.key_down(code)
    try:
        time.sleep(seconds)
    finally:
        browser.key_up(code)
