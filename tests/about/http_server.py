#!/usr/bin/env python3
"""The maker's web server as the about tests see it, on loopback only.

    http_server.py ROOT LOG

Listens on 127.0.0.1 at a port of the system's choosing and prints that
port on its first line of output. Every request line is appended to LOG
before the request is answered, so a client that has its answer finds its
request in the log. Paths:

  /silent/...     accepts and never answers (until the client gives up)
  /trickle/...    announces a megabyte, then sends one byte every 50 ms
  /truncated/...  announces 1000 bytes, sends 10 and closes
  anything else   the file under ROOT at that path, or 404
"""
import http.server
import os
import posixpath
import sys
import time
import urllib.parse

ROOT = os.path.realpath(sys.argv[1])
LOG = sys.argv[2]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def do_GET(self):
        with open(LOG, "a", encoding="utf-8") as log:
            log.write(self.requestline + "\n")
        path = urllib.parse.urlsplit(self.path).path
        if path.startswith("/silent/"):
            self.connection.settimeout(None)
            while self.connection.recv(4096):
                pass
            return
        if path.startswith("/trickle/"):
            self.send_response(200)
            self.send_header("Content-Length", "1000000")
            self.end_headers()
            try:
                for _ in range(1000000):
                    self.wfile.write(b"x")
                    self.wfile.flush()
                    time.sleep(0.05)
            except OSError:
                pass
            return
        if path.startswith("/truncated/"):
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.wfile.flush()
            self.close_connection = True
            return
        relative = posixpath.normpath(urllib.parse.unquote(path)).lstrip("/")
        file = os.path.realpath(os.path.join(ROOT, relative))
        if not file.startswith(ROOT + os.sep) or not os.path.isfile(file):
            self.send_error(404)
            return
        with open(file, "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
