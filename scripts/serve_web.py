#!/usr/bin/env python3
"""Serves a folder (build-web/page/ by default) on 127.0.0.1, cross-origin
isolated, so that the page's clock reads finer than a millisecond.

Usage: serve_web.py [FOLDER] [PORT]; port 0 takes any free port. Prints
the page's address once it listens, and serves until Ctrl+C.
"""
import functools
import http.server
import sys


class IsolatedHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript",
                      ".webmanifest": "application/manifest+json"}

    def end_headers(self):
        # Browsers keep performance.now() coarse on pages that are not
        # cross-origin isolated.
        self.send_header("Cross-Origin-Opener-Policy", "same-origin")
        self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        # Asked again each time, so that a new build shows at once; not
        # no-store, which keeps the page out of the back/forward cache.
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()

    def log_message(self, format, *args):
        pass


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "build-web/page"
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8000
    handler = functools.partial(IsolatedHandler, directory=folder)
    with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
        print(f"serving {folder} at http://127.0.0.1:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
