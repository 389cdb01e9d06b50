#!/usr/bin/env python3
"""Serves FOLDER (build-web/page/) on PORT (8000; 0: any free one) until Ctrl+C,
cross-origin isolated, so that the page's clock reads finer than a millisecond,
and prints its address. It listens on 127.0.0.1, this machine alone, unless
--address names another IPv4 address (0.0.0.0: all), open to the network."""
import argparse
import functools
import http.server
import ipaddress
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


class Parser(argparse.ArgumentParser):
    def error(self, message):
        self.exit(2, f"{self.prog}: {message}; --help says what it takes\n")


def main():
    parser = Parser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder", metavar="FOLDER", nargs="?", default="build-web/page")
    parser.add_argument("port", metavar="PORT", nargs="?", type=int, default=8000)
    parser.add_argument("--address", type=ipaddress.IPv4Address, default="127.0.0.1")
    args = parser.parse_args()
    if not args.address.is_loopback:
        print(f"serve_web.py: the page is open to the network at {args.address}", file=sys.stderr)
    handler = functools.partial(IsolatedHandler, directory=args.folder)
    with http.server.ThreadingHTTPServer((str(args.address), args.port), handler) as server:
        print(f"serving {args.folder} at http://{args.address}:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()
