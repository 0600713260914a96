#!/usr/bin/env python3
"""serve.py -- serves the built page's folder on the loopback and prints its address.

Usage: serve.py FOLDER [PORT] (PORT 0, the default, takes a free one). Any static web server can
host the folder as well; this one only sees that WebAssembly goes out as application/wasm.
"""
import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.data': 'application/octet-stream',
                      '.js': 'text/javascript', '.html': 'text/html'}

    def log_message(self, format, *args):
        pass   # quiet: the address is all a player needs to read


def main():
    folder = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    server = http.server.ThreadingHTTPServer(('127.0.0.1', port),
                                             functools.partial(Handler, directory=folder))
    print(f'http://127.0.0.1:{server.server_address[1]}/', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    main()
