"""A WebDriver client in the standard library only, enough to drive headless Chromium as a person would."""

import base64
import json
import os
import socket
import subprocess
import time
import urllib.error
import urllib.request

ELEMENT = "element-6066-11e4-a52e-4f735466cecf"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Browser:
    """Headless Chromium through chromedriver, which this object starts and stops."""

    def __init__(self, width=1280, height=1600):
        self.port = free_port()
        self.driver = subprocess.Popen(
            ["/usr/bin/chromedriver", f"--port={self.port}"],
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        self.base = f"http://127.0.0.1:{self.port}"
        deadline = time.monotonic() + 30
        while True:
            try:
                self._call("GET", "/status")
                break
            except (urllib.error.URLError, ConnectionError):
                if time.monotonic() > deadline:
                    self.driver.kill()
                    raise
                time.sleep(0.1)
        options = {
            "binary": "/usr/bin/chromium",
            "args": ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     f"--window-size={width},{height}"],
        }
        capabilities = {"capabilities": {"alwaysMatch": {"browserName": "chrome", "goog:chromeOptions": options}}}
        self.session = self._call("POST", "/session", capabilities)["sessionId"]

    def _call(self, method, path, body=None):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(request, timeout=120) as response:
            return json.load(response)["value"]

    def _session(self, method, path, body=None):
        return self._call(method, f"/session/{self.session}{path}", body)

    def open(self, url):
        self._session("POST", "/url", {"url": url})

    def run(self, script, *arguments):
        return self._session("POST", "/execute/sync", {"script": script, "args": list(arguments)})

    def run_async(self, script, *arguments):
        return self._session("POST", "/execute/async", {"script": script, "args": list(arguments)})

    def element(self, css):
        return self._session("POST", "/element", {"using": "css selector", "value": css})[ELEMENT]

    def click(self, css):
        self._session("POST", f"/element/{self.element(css)}/click", {})

    def press(self, css, x, y, milliseconds=50):
        """A mouse press at (x, y) CSS pixels from the element's top left corner, held that long."""
        element = self.element(css)
        box = self.run("const r = arguments[0].getBoundingClientRect(); return [r.width, r.height];",
                       {ELEMENT: element})
        moves = [
            {"type": "pointerMove", "origin": {ELEMENT: element},
             "x": int(round(x - box[0] / 2)), "y": int(round(y - box[1] / 2))},
            {"type": "pointerDown", "button": 0},
            {"type": "pause", "duration": milliseconds},
            {"type": "pointerUp", "button": 0},
        ]
        actions = [{"type": "pointer", "id": "finger", "parameters": {"pointerType": "mouse"}, "actions": moves}]
        self._session("POST", "/actions", {"actions": actions})
        self._session("DELETE", "/actions")

    def screenshot(self, file):
        with open(file, "wb") as out:
            out.write(base64.b64decode(self._session("GET", "/screenshot")))

    def quit(self):
        try:
            self._session("DELETE", "")
        except (urllib.error.URLError, ConnectionError, OSError):
            pass
        self.driver.terminate()
        try:
            self.driver.wait(10)
        except subprocess.TimeoutExpired:
            self.driver.kill()


def wait_until(condition, what, timeout=60, interval=0.05, seen=None):
    """The condition's first true value, asked until it has one; past the timeout (long enough for a loaded
    machine), a failure that says what was seen last (`seen()`, else the condition's last value)."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            last = seen() if seen else value
            raise AssertionError(f"timed out after {timeout} s waiting for {what}; last seen: {last!r}")
        time.sleep(interval)
