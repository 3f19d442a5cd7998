#!/usr/bin/env python3
"""A web server on loopback for the tests of downloads and sources.

Serves the files below ROOT (a folder's listing as HTML), with an ETag and Last-Modified, HEAD,
and byte ranges ("bytes=N-"). Paths that misbehave on purpose:
  /redirect/N/PATH   redirects (302) to /PATH, or to the URL in ROOT/redirects/N when it exists
  /slow/PATH         sends PATH a kilobyte every 0.2 s
  /truncated/PATH    promises all of PATH, sends half of it and closes
  /flaky/PATH        the first GET of PATH stops half-way; later ones honour a range
  /endless           sends without end
  /nohead/PATH       refuses HEAD (405)
  /status/N          answers with status N
Writes the port it listens on to PORTFILE. Usage: loopback_server.py ROOT PORTFILE
"""
import hashlib
import http.server
import os
import socketserver
import sys
import time

ROOT = os.path.abspath(sys.argv[1])
FLAKY_SEEN = set()


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=ROOT, **kwargs)

    def log_message(self, *args):
        pass

    def file_bytes(self, path):
        full = os.path.join(ROOT, path.lstrip("/"))
        if not os.path.isfile(full):
            return None, None
        with open(full, "rb") as f:
            return f.read(), full

    def send_file(self, data, full, head, start=0):
        status = 206 if start else 200
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("ETag", '"%s"' % hashlib.sha256(data).hexdigest()[:16])
        self.send_header("Last-Modified", self.date_time_string(int(os.path.getmtime(full))))
        self.send_header("Accept-Ranges", "bytes")
        if start:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, len(data) - 1, len(data)))
        self.send_header("Content-Length", str(len(data) - start))
        self.end_headers()
        if not head:
            self.wfile.write(data[start:])

    def range_start(self):
        r = self.headers.get("Range", "")
        if r.startswith("bytes=") and r.endswith("-"):
            try:
                return int(r[6:-1])
            except ValueError:
                return 0
        return 0

    def answer(self, head):
        path = self.path.split("?", 1)[0]
        if path.startswith("/status/"):
            code = int(path.split("/")[2])
            body = b'{"message": "API rate limit exceeded"}' if code in (403, 429) else b"no"
            self.send_response(code)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if not head:
                self.wfile.write(body)
            return
        if path.startswith("/redirect/"):
            parts = path.split("/", 3)
            target = "/" + (parts[3] if len(parts) > 3 else "")
            special = os.path.join(ROOT, "redirects", parts[2])
            if os.path.isfile(special):
                with open(special) as f:
                    target = f.read().strip()
            self.send_response(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if path == "/endless":
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(b"x" * 65536)
            except (BrokenPipeError, ConnectionResetError):
                return
        for prefix in ("/slow/", "/truncated/", "/flaky/", "/nohead/"):
            if path.startswith(prefix):
                data, full = self.file_bytes(path[len(prefix) - 1:])
                if data is None:
                    self.send_error(404)
                    return
                if prefix == "/nohead/":
                    if head:
                        self.send_response(405)
                        self.send_header("Content-Length", "0")
                        self.end_headers()
                    else:
                        self.send_file(data, full, False, self.range_start())
                    return
                if prefix == "/slow/":
                    self.send_response(200)
                    self.send_header("Content-Length", str(len(data)))
                    self.end_headers()
                    try:
                        for i in range(0, len(data), 1024):
                            self.wfile.write(data[i:i + 1024])
                            self.wfile.flush()
                            time.sleep(0.2)
                    except (BrokenPipeError, ConnectionResetError):
                        pass
                    return
                if prefix == "/flaky/" and (path in FLAKY_SEEN or head):
                    self.send_file(data, full, head, self.range_start())
                    return
                FLAKY_SEEN.add(path)
                self.send_response(200)
                self.send_header("Content-Length", str(len(data)))
                self.send_header("Accept-Ranges", "bytes")
                self.end_headers()
                self.wfile.write(data[: len(data) // 2])
                self.wfile.flush()
                self.close_connection = True
                return
        data, full = self.file_bytes(path)
        if data is not None:
            self.send_file(data, full, head, self.range_start() if not head else 0)
            return
        if head:
            return super().do_HEAD()
        return super().do_GET()

    def do_GET(self):
        self.answer(False)

    def do_HEAD(self):
        self.answer(True)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


server = Server(("127.0.0.1", 0), Handler)
with open(sys.argv[2] + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(sys.argv[2] + ".tmp", sys.argv[2])
server.serve_forever()
