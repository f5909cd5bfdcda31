"""The browser test's own server for letterbot's site: serve_site.py's, plus
what a test must see or stage at the server side. It counts every request and
the bytes sent, per path; adds the test's script (page_watch.js) to
index.html before the page's own scripts; and serves two kinds of model that
no plain server makes on purpose: trickle/NAME, one byte a second for as long
as the page reads, and huge/NAME, which declares 300 MB and sends zeros until
the page stops reading. Both stop by themselves after a bounded time."""
import os
import threading
import time

import serve_site

WATCH_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "page_watch.js")
HUGE_BYTES = 300 * 1024 * 1024
TRICKLE_SECONDS = 120


class Counts:
    """Requests and body bytes per path, since the last reset."""

    def __init__(self):
        self.lock = threading.Lock()
        self.reset()

    def reset(self):
        with self.lock:
            self.requests, self.sent = {}, {}

    def add(self, path, sent=0, request=False):
        with self.lock:
            if request:
                self.requests[path] = self.requests.get(path, 0) + 1
            self.sent[path] = self.sent.get(path, 0) + sent

    def snapshot(self):
        with self.lock:
            return dict(self.requests), dict(self.sent)


class TestHandler(serve_site.SiteHandler):
    counts = None
    watch_query = ""

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        self.counts.add(path, request=True)
        if path in ("/", "/index.html"):
            return self.send_page()
        if path == "/page_watch.js":
            with open(WATCH_SCRIPT, "rb") as file:
                return self.send_bytes(file.read(), "text/javascript")
        if path.startswith("/trickle/"):
            return self.send_trickle(path)
        if path.startswith("/huge/"):
            return self.send_huge(path)
        return super().do_GET()

    def copyfile(self, source, outputfile):
        # What SimpleHTTPRequestHandler sends of a file, counted as it goes.
        path = self.path.split("?", 1)[0]
        while True:
            chunk = source.read(64 * 1024)
            if not chunk:
                return
            outputfile.write(chunk)
            self.counts.add(path, len(chunk))

    def send_bytes(self, body, kind):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
        self.counts.add(self.path.split("?", 1)[0], len(body))

    def send_page(self):
        with open(os.path.join(self.directory, "index.html"), "rb") as file:
            page = file.read()
        script = f'<script src="page_watch.js{self.watch_query}"></script>\n'.encode()
        head = page.index(b"<head>") + len(b"<head>")
        self.send_bytes(page[:head] + b"\n" + script + page[head:], "text/html; charset=utf-8")

    def send_trickle(self, path):
        self.send_response(200)
        self.send_header("Content-Type", "model/gltf-binary")
        self.send_header("Content-Length", "100000")
        self.end_headers()
        deadline = time.monotonic() + TRICKLE_SECONDS
        try:
            while time.monotonic() < deadline:
                self.wfile.write(b"\0")
                self.wfile.flush()
                self.counts.add(path, 1)
                time.sleep(1)
        except OSError:
            pass  # the page stopped reading

    def send_huge(self, path):
        self.send_response(200)
        self.send_header("Content-Type", "model/gltf-binary")
        self.send_header("Content-Length", str(HUGE_BYTES))
        self.end_headers()
        chunk = bytes(64 * 1024)
        deadline = time.monotonic() + 60
        sent = 0
        try:
            while sent < HUGE_BYTES and time.monotonic() < deadline:
                self.wfile.write(chunk)
                sent += len(chunk)
                self.counts.add(path, len(chunk))
        except OSError:
            pass  # the page stopped reading


def make_server(folder, watch_query=""):
    """A server on a free local port; its .counts are what it served."""
    counts = Counts()
    handler = type("Handler", (TestHandler,), {"quiet": True, "counts": counts,
                                                "watch_query": watch_query})
    server = serve_site.make_server(folder, 0, quiet=True, handler=handler)
    server.counts = counts
    return server
