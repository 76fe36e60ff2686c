"""A headless desk with the web remote on a free loop-back port, its console
on a Unix socket, for the web remote's HTTP and browser tests. Loop-back
only: nothing here reaches the host's network."""
import os
import shutil
import socket
import subprocess
import tempfile
import time

LOOPBACK = "127.0.0.1"


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind((LOOPBACK, 0))
        return s.getsockname()[1]


class Desk:
    def __init__(self, headless_bin, extra_args=(), remote=True):
        self.dir = tempfile.mkdtemp(prefix="lumora-remote-")
        self.sock = os.path.join(self.dir, "console.sock")
        self.port = free_port()
        env = dict(os.environ)
        # A private home: no autosave or settings of the user's are touched;
        # Art-Net stays on its loop-back twin.
        env.update(HOME=self.dir, XDG_STATE_HOME=self.dir, XDG_CONFIG_HOME=self.dir, LUMORA_ARTNET_SIMULATE="1")
        self.log = open(os.path.join(self.dir, "desk.log"), "w+")
        self.proc = subprocess.Popen(
            [headless_bin, "--sim", "--quiet", "--console-socket", self.sock,
             *(["--remote", str(self.port)] if remote else []), *extra_args],
            stdout=self.log, stderr=subprocess.STDOUT, env=env)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:
                raise RuntimeError("desk ended at start: " + self.log_text())
            if os.path.exists(self.sock) and (not remote or self._port_open()):
                return
            time.sleep(0.05)
        raise RuntimeError("desk did not start: " + self.log_text())

    def _port_open(self):
        try:
            with socket.create_connection((LOOPBACK, self.port), timeout=0.5):
                return True
        except OSError:
            return False

    def maps_qt(self):
        with open("/proc/%d/maps" % self.proc.pid) as f:
            return "libQt6" in f.read()

    def log_text(self):
        self.log.flush()
        self.log.seek(0)
        return self.log.read()

    def ctl(self, command):
        """One console command; returns the final reply line."""
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(10)
            s.connect(self.sock)
            s.sendall((command + "\n").encode())
            data = b""
            while True:
                chunk = s.recv(65536)
                if not chunk:
                    break
                data += chunk
                lines = data.decode().split("\n")
                if any(l.startswith("ok") or l.startswith("err") for l in lines):
                    break
        for line in data.decode().split("\n"):
            if line.startswith("ok") or line.startswith("err"):
                return line
        raise RuntimeError("no reply to " + command)

    def value(self, address):
        import json
        reply = self.ctl("get " + address)
        if not reply.startswith("ok "):
            raise RuntimeError(address + ": " + reply)
        return json.loads(reply[3:])

    def wait_for(self, what, check, timeout=15):
        deadline = time.monotonic() + timeout
        last = None
        while time.monotonic() < deadline:
            last = check()
            if last:
                return last
            time.sleep(0.05)
        raise AssertionError("timed out waiting for " + what + " (last: %r)" % (last,))

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=15)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)
