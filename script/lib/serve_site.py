#!/usr/bin/env python3
"""Serves a folder, such as letterbot's build-web/site/, on 127.0.0.1 with the
media types a browser needs to compile WebAssembly as it arrives.

    serve_site.py FOLDER [PORT]     PORT 0 takes a free one; Ctrl+C stops.

The browser test imports make_server to serve the site from its own process,
with a handler of its own (tests/web/page_server.py)."""
import functools
import http.server
import sys


class SiteHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".data": "application/octet-stream",
        ".js": "text/javascript",
    }
    quiet = False

    def end_headers(self):
        # A rebuilt site is what the next load gets.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, format, *args):
        if not self.quiet:
            super().log_message(format, *args)


def make_server(folder, port=0, quiet=False, handler=SiteHandler):
    handler = type("Handler", (handler,), {"quiet": quiet})
    return http.server.ThreadingHTTPServer(
        ("127.0.0.1", port), functools.partial(handler, directory=folder))


def main():
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and not sys.argv[2].isdigit()):
        print("usage: serve_site.py FOLDER [PORT]", file=sys.stderr)
        return 2
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8000
    try:
        server = make_server(folder, port)
    except OSError as error:
        print(f"serve_site.py: cannot serve on 127.0.0.1:{port}: {error.strerror}", file=sys.stderr)
        return 1
    print(f"letterbot: http://127.0.0.1:{server.server_address[1]}/ serves {folder} "
          "(Ctrl+C stops)", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
