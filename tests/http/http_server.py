#!/usr/bin/env python3
"""Loopback HTTP(S) server and proxy for the HTTP client tests.

Binds 127.0.0.1 on a free port, prints the port on the first line of standard output, then
serves until it is killed. Every request is appended to the log file (--log) as
"METHOD TARGET auth=yes|no proxy-auth=yes|no ua=USER-AGENT".

Server paths:
  /                      200 "root"
  /small                 200 "hello, quillion"
  /large?size=N[&chunked=1]
                         200, N bytes: SHA-256("q2:" + k) for k = 0, 1, ... concatenated,
                         with Content-Length, or chunked
  /status/NNN            status NNN with a short body
  /auth                  Basic authentication (juan / s3creto), else 401 with a Basic challenge
  /redirect[?to=URL]     302 to URL, /small by default
  /silent                reads the request and never answers
  /truncated             announces 100000 bytes, sends 50000 and closes the connection
  /echo                  200, body: the request headers ("Name: value" lines), an empty
                         line, then the request body as received
  /files/NAME            with --files DIR: 200 and the bytes of DIR/NAME, 404 when there is
                         no such file (NAME is one file name, no folders)
With --proxy every request is answered by the proxy itself: 200, body "proxied " + request
line (+ "\n" + the request body when there is one), except CONNECT, which opens a tunnel to
the host and port asked for; with --proxy-auth USER:PASSWORD a request without those Basic
proxy credentials gets 407 with a Basic challenge.
"""
import argparse
import base64
import hashlib
import os
import selectors
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

USER, PASSWORD = "juan", "s3creto"


def pattern(size):
    out = bytearray()
    k = 0
    while len(out) < size:
        out += hashlib.sha256(b"q2:%d" % k).digest()
        k += 1
    return bytes(out[:size])


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    options = None
    log_lock = threading.Lock()

    def log_message(self, *args):
        pass

    def record(self):
        if not self.options.log:
            return
        line = "%s %s auth=%s proxy-auth=%s ua=%s\n" % (
            self.command, self.path,
            "yes" if self.headers.get("Authorization") else "no",
            "yes" if self.headers.get("Proxy-Authorization") else "no",
            self.headers.get("User-Agent", ""))
        with self.log_lock:
            with open(self.options.log, "a") as f:
                f.write(line)

    def body(self):
        length = int(self.headers.get("Content-Length", "0"))
        return self.rfile.read(length) if length > 0 else b""

    def send(self, status, payload, extra=()):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        self.wfile.write(payload)

    def do_GET(self):
        self.handle_any()

    def do_POST(self):
        self.handle_any()

    def do_CONNECT(self):
        self.handle_any()

    def handle_any(self):
        self.record()
        if self.options.proxy:
            self.handle_proxy()
        else:
            self.handle_server()

    def handle_proxy(self):
        data = self.body()
        expected = "Basic " + base64.b64encode(self.options.proxy_auth.encode()).decode() \
            if self.options.proxy_auth else None
        if expected and self.headers.get("Proxy-Authorization") != expected:
            self.send(407, b"proxy credentials needed",
                      [("Proxy-Authenticate", 'Basic realm="q2proxy"')])
            return
        if self.command == "CONNECT":
            self.tunnel()
            return
        payload = b"proxied " + self.requestline.encode()
        if data:
            payload += b"\n" + data
        self.send(200, payload)

    def tunnel(self):
        host, port = self.path.rsplit(":", 1)
        upstream = socket.create_connection((host, int(port)))
        self.send_response(200, "Connection established")
        self.end_headers()
        self.wfile.flush()
        selector = selectors.DefaultSelector()
        selector.register(self.connection, selectors.EVENT_READ, upstream)
        selector.register(upstream, selectors.EVENT_READ, self.connection)
        open_ends = True
        while open_ends:
            for key, _ in selector.select():
                chunk = key.fileobj.recv(65536)
                if not chunk:
                    open_ends = False
                    break
                key.data.sendall(chunk)
        upstream.close()
        self.close_connection = True

    def handle_server(self):
        url = urlsplit(self.path)
        query = parse_qs(url.query)
        data = self.body()
        if url.path == "/":
            self.send(200, b"root")
        elif url.path == "/small":
            self.send(200, b"hello, quillion")
        elif url.path == "/large":
            payload = pattern(int(query["size"][0]))
            if query.get("chunked") == ["1"]:
                self.send_response(200)
                self.send_header("Transfer-Encoding", "chunked")
                self.end_headers()
                step = 65536
                for i in range(0, len(payload), step):
                    piece = payload[i:i + step]
                    self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                self.wfile.write(b"0\r\n\r\n")
            else:
                self.send(200, payload)
        elif url.path.startswith("/status/"):
            code = int(url.path[len("/status/"):])
            self.send(code, b"status %d" % code)
        elif url.path == "/auth":
            expected = "Basic " + base64.b64encode(("%s:%s" % (USER, PASSWORD)).encode()).decode()
            if self.headers.get("Authorization") == expected:
                self.send(200, b"welcome " + USER.encode())
            else:
                self.send(401, b"who are you?", [("WWW-Authenticate", 'Basic realm="q2"')])
        elif url.path == "/redirect":
            to = parse_qs(url.query).get("to", ["/small"])[0]
            self.send(302, b"moved", [("Location", to)])
        elif url.path == "/truncated":
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(pattern(50000))
            self.wfile.flush()
            self.close_connection = True
        elif url.path == "/silent":
            time.sleep(3600)
        elif url.path.startswith("/files/") and self.options.files:
            name = url.path[len("/files/"):]
            path = os.path.join(self.options.files, name)
            if "/" in name or name in ("", ".", "..") or not os.path.isfile(path):
                self.send(404, b"no such file")
            else:
                with open(path, "rb") as f:
                    self.send(200, f.read())
        elif url.path == "/echo":
            head = "".join("%s: %s\n" % (k, v) for k, v in self.headers.items())
            self.send(200, head.encode() + b"\n" + data)
        else:
            self.send(404, b"no such thing")


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass  # clients that give up (time-outs, failed TLS checks) are expected here


def exit_with_parent(parent):
    """Ends the server when the test that started it is gone (a crashed or killed test never
    reaps it, and the server would keep the test's output open)."""
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--proxy", action="store_true")
    parser.add_argument("--proxy-auth")
    parser.add_argument("--log")
    parser.add_argument("--files")
    options = parser.parse_args()
    Handler.options = options
    server = Server(("127.0.0.1", 0), Handler)
    if options.tls:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(options.tls[0], options.tls[1])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    print(server.server_address[1], flush=True)
    threading.Thread(target=exit_with_parent, args=(os.getppid(),), daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
