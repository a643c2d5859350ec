#!/usr/bin/env python3
"""Loopback servers for the network tests.

  netserver.py http LOG [--tls [--names SAN]] [--v6]   web server with well-behaved and hostile routes; /files/ serves
                                   the folder of LOG
  netserver.py smtp LOG [--tls] [--auth USER:PASS]   aiosmtpd; each message appended to LOG
  netserver.py smtp554 LOG                    answers 554 to everything
  netserver.py multiline LOG                  answers "250-a", "250-b", "250 c" to everything
  netserver.py silent LOG                     accepts and never answers

Prints "PORT n" on its first line once it listens on 127.0.0.1. LOG receives what
the clients sent, so that the tests can read it. With --tls a certificate for
localhost and 127.0.0.1 is made in the folder of LOG (cert.pem).
"""
import http.server
import json
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading
import time


def make_cert(folder, names="DNS:localhost,IP:127.0.0.1"):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    if not os.path.exists(cert):
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                        "-nodes", "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=lectra-test",
                        "-addext", "subjectAltName=" + names],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def announce(port):
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()


def log_append(path, record):
    with open(path, "a", encoding="utf-8") as f:
        f.write(json.dumps(record) + "\n")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    log_path = None
    folder = None

    def log_message(self, *args):
        pass

    def record(self, body=b""):
        log_append(self.log_path, {"line": self.requestline, "headers": list(self.headers.items()),
                                   "body": body.decode("latin-1")})

    def send_plain(self, code, body, extra=()):
        self.send_response(code)
        self.send_header("Content-Length", str(len(body)))
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_HEAD(self):
        self.do_GET()

    def do_POST(self):
        n = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(n)
        self.record(body)
        self.send_plain(200, b"grazie")

    def do_GET(self):
        self.record()
        p = self.path
        if p.startswith("/files/"):
            name = os.path.basename(p[len("/files/"):])
            full = os.path.join(self.folder, name)
            if not os.path.isfile(full):
                return self.send_plain(404, b"<html>non trovato</html>", [("X-Note", "missing")])
            with open(full, "rb") as f:
                data = f.read()
            return self.send_plain(200, data)
        if p.startswith("/redirect/"):
            # /redirect/<host:port>/<rest>: an absolute location elsewhere
            rest = p[len("/redirect/"):]
            scheme = "https" if rest.startswith("s/") else "http"
            if rest.startswith("s/"):
                rest = rest[2:]
            return self.send_plain(302, b"", [("Location", "%s://%s" % (scheme, rest))])
        if p == "/relative":
            return self.send_plain(302, b"", [("Location", "/files/a.txt")])
        if p.startswith("/loop"):
            port = self.server.server_address[1]
            return self.send_plain(302, b"", [("Location", "http://127.0.0.1:%d/loop" % port)])
        if p == "/endless-headers":
            self.send_response(200)
            try:
                for i in range(10 ** 6):
                    self.wfile.write(b"X-Filler-%d: %s\r\n" % (i, b"y" * 40))
            except OSError:
                pass
            return
        if p == "/long-line":
            self.wfile.write(b"HTTP/1.0 200 OK\r\nX-Long: " + b"z" * 100000 + b"\r\n\r\n")
            return
        if p.startswith("/close-mid-body"):
            self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n" + b"MAVO" + b"x" * 996)
            self.wfile.flush()
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if p.startswith("/huge"):
            self.wfile.write(b"HTTP/1.0 200 OK\r\nContent-Length: 2147483648\r\n\r\nMAVO")
            self.wfile.flush()
            time.sleep(30)
            return
        if p.startswith("/stall-head"):
            self.wfile.write(b"HTTP/1.0 200 OK\r\n")
            self.wfile.flush()
            time.sleep(30)
            return
        if p.startswith("/trickle"):
            self.wfile.write(b"HTTP/1.0 200 OK\r\n")
            try:
                for _ in range(300):
                    self.wfile.write(b"X")
                    self.wfile.flush()
                    time.sleep(0.1)
            except OSError:
                pass
            return
        if p == "/badstatus":
            self.wfile.write(b"HTTP/1.0 2x0 Strano\r\n\r\n")
            return
        self.send_plain(404, b"nessuna via")


class ThreadingServer(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


class ThreadingServer6(ThreadingServer):
    address_family = socket.AF_INET6


def run_http(log, folder, certdir, v6, names):
    Handler.log_path, Handler.folder = log, folder
    server = ThreadingServer6(("::1", 0), Handler) if v6 else ThreadingServer(("127.0.0.1", 0), Handler)
    if certdir:
        cert, key = make_cert(certdir, *([names] if names else []))
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(cert, key)
        server.socket = ctx.wrap_socket(server.socket, server_side=True)
    announce(server.server_address[1])
    server.serve_forever()


def run_raw(log, answer):
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", 0))
    s.listen(16)
    announce(s.getsockname()[1])

    def serve(c):
        try:
            if answer:
                c.sendall(answer + b"\r\n")
                f = c.makefile("rb")
                for line in f:
                    log_append(log, {"line": line.decode("latin-1").rstrip("\r\n")})
                    c.sendall(answer + b"\r\n")
            else:
                time.sleep(60)
        except OSError:
            pass

    while True:
        c, _ = s.accept()
        threading.Thread(target=serve, args=(c,), daemon=True).start()


def run_smtp(log, certdir, auth):
    from aiosmtpd.controller import Controller
    from aiosmtpd.smtp import AuthResult

    class Keep:
        async def handle_DATA(self, server, session, envelope):
            log_append(log, {"from": envelope.mail_from, "to": envelope.rcpt_tos,
                             "data": envelope.content.decode("latin-1"),
                             "tls": session.ssl is not None, "auth": bool(session.authenticated)})
            return "250 OK"

    kwargs = {}
    if certdir:
        cert, key = make_cert(certdir)
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(cert, key)
        kwargs.update(tls_context=ctx, require_starttls=False)
    if auth:
        user, password = auth.split(":", 1)

        def check(server, session, envelope, mechanism, data):
            ok = data.login.decode() == user and data.password.decode() == password
            return AuthResult(success=ok)

        kwargs.update(authenticator=check, auth_require_tls=True)
    sock = socket.socket()
    sock.bind(("127.0.0.1", 0))
    port = sock.getsockname()[1]
    sock.close()
    controller = Controller(Keep(), hostname="127.0.0.1", port=port, **kwargs)
    controller.start()
    announce(port)
    while True:
        time.sleep(3600)


def main():
    mode, log = sys.argv[1], sys.argv[2]
    args = sys.argv[3:]
    here = os.path.dirname(os.path.abspath(log))
    certdir = here if "--tls" in args else None
    auth = args[args.index("--auth") + 1] if "--auth" in args else None
    if mode == "http":
        names = args[args.index("--names") + 1] if "--names" in args else None
        run_http(log, here, certdir, "--v6" in args, names)
    elif mode == "smtp":
        run_smtp(log, certdir, auth)
    elif mode == "smtp554":
        run_raw(log, b"554 Servizio non disponibile")
    elif mode == "multiline":
        run_raw(log, b"250-a\r\n250-b\r\n250 c")
    elif mode == "silent":
        run_raw(log, None)


if __name__ == "__main__":
    main()
