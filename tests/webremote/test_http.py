#!/usr/bin/env python3
"""The web remote's refusals, seen by a plain HTTP client against a real
headless desk on loop-back: no PIN, a wrong PIN, a foreign origin, requests
that are too large or malformed, paths that try to leave the page, too many
pages, and messages the desk must never see.

    test_http.py LUMORA_HEADLESS_BIN
"""
import base64
import http.client
import json
import os
import socket
import struct
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desk_process import Desk, LOOPBACK  # noqa: E402

HEADLESS = None


def request(desk, method, path, body=None, headers=None):
    c = http.client.HTTPConnection(LOOPBACK, desk.port, timeout=10)
    c.request(method, path, body=body, headers=headers or {})
    r = c.getresponse()
    data = r.read()
    c.close()
    return r, data


def raw(desk, data, read_timeout=5):
    """Sends bytes as they are; returns what comes back until the server closes."""
    with socket.create_connection((LOOPBACK, desk.port), timeout=read_timeout) as s:
        try:
            s.sendall(data)
        except (BrokenPipeError, ConnectionResetError):
            pass
        out = b""
        try:
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                out += chunk
                if b"\r\n\r\n" in out and b"Content-Length: 0" in out:
                    break
        except (socket.timeout, ConnectionResetError):
            pass
    return out


class WebSocket:
    """A minimal client, enough to see what the server does with a handshake."""

    def __init__(self, desk, origin=None, cookie=None, path="/ws"):
        self.s = socket.create_connection((LOOPBACK, desk.port), timeout=10)
        key = base64.b64encode(os.urandom(16)).decode()
        host = "%s:%d" % (LOOPBACK, desk.port)
        lines = ["GET %s HTTP/1.1" % path, "Host: " + host, "Upgrade: websocket", "Connection: Upgrade",
                 "Sec-WebSocket-Key: " + key, "Sec-WebSocket-Version: 13"]
        if origin is not None:
            lines.append("Origin: " + origin)
        if cookie:
            lines.append("Cookie: " + cookie)
        self.s.sendall(("\r\n".join(lines) + "\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.s.recv(1)
            if not chunk:
                break
            head += chunk
        self.status = int(head.split(b" ")[1]) if head else 0

    def send(self, text, opcode=1):
        payload = text.encode() if isinstance(text, str) else text
        mask = os.urandom(4)
        n = len(payload)
        if n < 126:
            header = struct.pack("!BB", 0x80 | opcode, 0x80 | n)
        elif n < 65536:
            header = struct.pack("!BBH", 0x80 | opcode, 0x80 | 126, n)
        else:
            header = struct.pack("!BBQ", 0x80 | opcode, 0x80 | 127, n)
        self.s.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload)))

    def _exact(self, n):
        out = b""
        while len(out) < n:
            chunk = self.s.recv(n - len(out))
            if not chunk:
                raise ConnectionError("closed")
            out += chunk
        return out

    def receive(self):
        """(opcode, payload) of the next frame."""
        b0, b1 = self._exact(2)
        n = b1 & 0x7F
        if n == 126:
            n = struct.unpack("!H", self._exact(2))[0]
        elif n == 127:
            n = struct.unpack("!Q", self._exact(8))[0]
        return b0 & 0x0F, self._exact(n)

    def close_code(self):
        """The code of the server's close frame (skipping state messages)."""
        while True:
            op, payload = self.receive()
            if op == 8:
                return struct.unpack("!H", payload[:2])[0], payload[2:].decode()

    def close(self):
        self.s.close()


class Refusals(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desk = Desk(HEADLESS)
        cls.pin = cls.desk.value("Remote.Pin")
        cls.origin = "http://%s:%d" % (LOOPBACK, cls.desk.port)

    @classmethod
    def tearDownClass(cls):
        cls.desk.close()

    def sign_in(self):
        r, _ = request(self.desk, "POST", "/login", json.dumps({"pin": self.pin}),
                       {"Content-Type": "application/json", "Origin": self.origin})
        self.assertEqual(r.status, 200)
        cookie = r.getheader("Set-Cookie")
        return cookie.split(";")[0]

    def test_page_is_served_and_the_desk_is_not_without_a_pin(self):
        self.assertRegex(self.pin, r"^[0-9]{6}$")
        r, body = request(self.desk, "GET", "/")
        self.assertEqual(r.status, 200)
        self.assertIn(b"<title>Lumora Remote</title>", body)
        self.assertIn("default-src 'self'", r.getheader("Content-Security-Policy"))
        r, body = request(self.desk, "GET", "/remote.js")
        self.assertEqual((r.status, r.getheader("Content-Type")), (200, "text/javascript; charset=utf-8"))
        self.assertNotIn(self.pin.encode(), body)
        for path in ("/state", "/session"):
            r, _ = request(self.desk, "GET", path)
            self.assertEqual(r.status, 401, path)
            r, _ = request(self.desk, "GET", path, headers={"Cookie": "lumora_remote=" + "ab" * 32})
            self.assertEqual(r.status, 401, path)
        ws = WebSocket(self.desk, origin=self.origin)
        self.assertEqual(ws.status, 401)
        ws.close()

    def test_sign_in_gives_a_session_cookie_only_for_the_right_pin(self):
        wrong = "%06d" % ((int(self.pin) + 1) % 1000000)
        r, _ = request(self.desk, "POST", "/login", json.dumps({"pin": wrong}), {"Content-Type": "application/json"})
        self.assertEqual(r.status, 401)
        self.assertIsNone(r.getheader("Set-Cookie"))
        for body in ("", "pin=" + self.pin, json.dumps({"pin": int(self.pin)}), "{"):
            r, _ = request(self.desk, "POST", "/login", body)
            self.assertEqual(r.status, 400, body)
        # A page of another site may not sign in through the operator's browser.
        r, _ = request(self.desk, "POST", "/login", json.dumps({"pin": self.pin}),
                       {"Origin": "http://evil.example"})
        self.assertEqual(r.status, 403)
        r, _ = request(self.desk, "GET", "/login")
        self.assertEqual((r.status, r.getheader("Allow")), (405, "POST"))
        r, _ = request(self.desk, "POST", "/login", json.dumps({"pin": self.pin}), {"Origin": self.origin})
        self.assertEqual(r.status, 200)
        cookie = r.getheader("Set-Cookie")
        self.assertRegex(cookie, r"^lumora_remote=[0-9a-f]{64}; Path=/; HttpOnly; SameSite=Strict$")
        r, body = request(self.desk, "GET", "/state", headers={"Cookie": cookie.split(";")[0]})
        self.assertEqual(r.status, 200)
        self.assertIn("faders", json.loads(body))

    def test_wrong_pins_from_one_address_are_paused(self):
        # Its own desk: the pause would refuse the other tests' sign-ins.
        desk = Desk(HEADLESS)
        try:
            pin = desk.value("Remote.Pin")
            wrong = "%06d" % ((int(pin) + 7) % 1000000)
            codes = [request(desk, "POST", "/login", json.dumps({"pin": wrong}))[0].status for _ in range(6)]
            self.assertEqual(codes, [401] * 5 + [429])
            r, _ = request(desk, "POST", "/login", json.dumps({"pin": pin}))
            self.assertEqual((r.status, r.getheader("Retry-After")), (429, "60"))
        finally:
            desk.close()

    def test_paths_outside_the_page_are_not_found(self):
        for path in ("/../../../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/..%2f..%2fetc%2fpasswd",
                     "//etc/passwd", "/remote.js/../../etc/passwd", "/webremote/index.html", "/index.html%00.js",
                     "/favicon.ico", "/state/..", "/.%2e/.%2e/etc/shadow", "/%252e%252e/etc/passwd"):
            r, body = request(self.desk, "GET", path)
            self.assertIn(r.status, (404,), path)
            self.assertNotIn(b"root:", body, path)

    def test_methods_other_than_the_pages_are_refused(self):
        for method in ("PUT", "DELETE", "POST"):
            r, _ = request(self.desk, method, "/", body="x")
            self.assertEqual((r.status, r.getheader("Allow")), (405, "GET"), method)
        r, _ = request(self.desk, "GET", "/ws")
        self.assertEqual(r.status, 426)
        # A request line that is not HTTP/1.x: refused before the HTTP layer.
        self.assertTrue(raw(self.desk, b"GET / HTTP/9.9\r\n\r\n").startswith(b"HTTP/1.1 505"))

    def test_too_large_requests_are_refused(self):
        r, _ = request(self.desk, "POST", "/login", body="{" + " " * 4000 + "}")
        self.assertEqual(r.status, 413)
        r, _ = request(self.desk, "GET", "/" + "a" * 2000)
        self.assertEqual(r.status, 414)
        r, _ = request(self.desk, "GET", "/", headers={"X-Filler-%d" % i: "v" * 200 for i in range(60)})
        self.assertEqual(r.status, 431)
        # More than a request's worth of bytes before the request ends.
        out = raw(self.desk, b"POST /login HTTP/1.1\r\nHost: x\r\nContent-Length: 900000\r\n\r\n" + b"7" * 200000)
        self.assertTrue(out.startswith(b"HTTP/1.1 413"), out[:80])
        # The desk still serves.
        self.assertEqual(request(self.desk, "GET", "/")[0].status, 200)

    def test_malformed_requests_never_reach_the_desk(self):
        before = self.desk.value("PlayFaderLevel")
        for junk in (b"\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03" + b"\0" * 64, b"GARBAGE\r\n\r\n",
                     b"GET\r\n\r\n", b"GET  / HTTP/1.1\r\n\r\n", b"GET http://x/ HTTP/1.1\r\n\r\n",
                     b"get / HTTP/1.1\r\n\r\n", b"GET /\x01 HTTP/1.1\r\n\r\n", b"\r\n" * 100):
            out = raw(self.desk, junk, read_timeout=3)
            self.assertTrue(out.startswith(b"HTTP/1.1 400 Bad Request"), (junk[:20], out[:60]))
        # Malformed after a good request line: the HTTP layer drops it, nothing is answered.
        out = raw(self.desk, b"POST /login HTTP/1.1\r\nContent-Length: -5\r\n\r\n", read_timeout=3)
        self.assertFalse(out.startswith(b"HTTP/1.1 200"), out[:60])
        self.assertEqual(self.desk.value("PlayFaderLevel"), before)
        self.assertEqual(request(self.desk, "GET", "/")[0].status, 200)

    def test_websocket_needs_a_session_and_the_pages_own_origin(self):
        cookie = self.sign_in()
        for origin in ("http://evil.example", "null", "http://127.0.0.1:1", "https://%s:%d" % (LOOPBACK, self.desk.port),
                       None):
            ws = WebSocket(self.desk, origin=origin, cookie=cookie)
            self.assertEqual(ws.status, 403, origin)
            self.assertEqual(ws.s.recv(100), b"{\"error\":403}")
            self.assertEqual(ws.s.recv(100), b"")  # closed: no upgrade follows
            ws.close()
        ws = WebSocket(self.desk, origin=self.origin, cookie=cookie, path="/other")
        self.assertEqual(ws.status, 404)
        ws.close()
        self.assertEqual(self.desk.value("Remote.Clients"), 0)

    def test_bad_messages_are_answered_and_never_reach_the_desk(self):
        cookie = self.sign_in()
        ws = WebSocket(self.desk, origin=self.origin, cookie=cookie)
        self.assertEqual(ws.status, 101)
        op, first = ws.receive()
        self.assertEqual(op, 1)
        self.assertIn("faders", json.loads(first))
        before = self.desk.value("PlayFaderLevel")
        for bad in ('{"op":"fader","slot":12,"value":9}', '{"op":"set","address":"DmxFrame(0)","value":9}',
                    "not json", '{"op":"fader","slot":0,"value":300}', "[]"):
            ws.send(bad)
            while True:
                op, payload = ws.receive()
                msg = json.loads(payload)
                if "error" in msg:
                    break
        self.assertEqual(self.desk.value("PlayFaderLevel"), before)
        # A good one does reach it.
        ws.send('{"op":"fader","slot":5,"value":77}')
        self.desk.wait_for("fader 5 at 77", lambda: self.desk.value("PlayFaderLevel(5)") == 77)
        ws.send('{"op":"fader","slot":5,"value":0}')
        self.desk.wait_for("fader 5 at 0", lambda: self.desk.value("PlayFaderLevel(5)") == 0)
        # Too long: closed with "message too big".
        ws.send('{"op":"take"' + " " * 5000 + "}")
        self.assertEqual(ws.close_code()[0], 1009)
        ws.close()

    def test_binary_frames_close_the_socket(self):
        ws = WebSocket(self.desk, origin=self.origin, cookie=self.sign_in())
        ws.send(b"\x00\x01", opcode=2)
        self.assertEqual(ws.close_code()[0], 1003)
        ws.close()

    def test_at_most_eight_pages_and_a_page_that_floods_is_held_back(self):
        cookie = self.sign_in()
        sockets = [WebSocket(self.desk, origin=self.origin, cookie=cookie) for _ in range(8)]
        for s in sockets:
            self.assertEqual(s.receive()[0], 1)  # the state: accepted
        self.desk.wait_for("8 clients", lambda: self.desk.value("Remote.Clients") == 8)
        ninth = WebSocket(self.desk, origin=self.origin, cookie=cookie)
        self.assertEqual(ninth.status, 503)
        ninth.close()
        # A flood: the burst goes through, then "too fast", then the socket closes.
        flood = sockets[0]
        for _ in range(400):
            try:
                flood.send('{"op":"page","value":-1}')
            except OSError:
                break
        errors = 0
        while True:
            try:
                op, payload = flood.receive()
            except (ConnectionError, OSError):
                break
            if op == 8:
                self.assertEqual(struct.unpack("!H", payload[:2])[0], 1008)
                break
            if b"too fast" in payload:
                errors += 1
        self.assertGreater(errors, 0)
        for s in sockets:
            s.close()
        self.desk.wait_for("no clients", lambda: self.desk.value("Remote.Clients") == 0)

    def test_switching_off_ends_every_session(self):
        desk = Desk(HEADLESS)
        try:
            pin = desk.value("Remote.Pin")
            r, _ = request(desk, "POST", "/login", json.dumps({"pin": pin}))
            cookie = r.getheader("Set-Cookie").split(";")[0]
            self.assertEqual(request(desk, "GET", "/state", headers={"Cookie": cookie})[0].status, 200)
            self.assertEqual(desk.ctl("set Remote.Enabled false"), "ok")
            self.assertEqual(desk.value("Remote.Pin"), "")
            self.assertEqual(desk.ctl("set Remote.Enabled true"), "ok")
            desk.wait_for("server", desk._port_open)
            self.assertEqual(request(desk, "GET", "/state", headers={"Cookie": cookie})[0].status, 401)
            self.assertNotEqual(desk.value("Remote.Pin"), "")
            # Nothing the desk logged shows a PIN.
            log = desk.log_text()
            self.assertNotIn(pin, log)
            self.assertNotIn(desk.value("Remote.Pin"), log)
        finally:
            desk.close()


class QtOnlyWhenSwitchedOn(unittest.TestCase):
    def test_headless_desk_maps_qt_only_while_the_remote_is_wanted(self):
        desk = Desk(HEADLESS, remote=False)
        try:
            self.assertFalse(desk.maps_qt())
            self.assertEqual(desk.ctl("set Remote.Port %d" % desk.port), "ok")
            self.assertEqual(desk.ctl("set Remote.Enabled true"), "ok")
            desk.wait_for("server", desk._port_open)
            self.assertTrue(desk.maps_qt())
            self.assertEqual(request(desk, "GET", "/")[0].status, 200)
        finally:
            desk.close()


if __name__ == "__main__":
    HEADLESS = sys.argv.pop(1)
    unittest.main(verbosity=2)
