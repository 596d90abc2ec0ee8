"""The booted device's page in headless Chromium, driven as a person would: clicks, a long press, the
controls beside the screen, and a command typed elsewhere while the page is open."""

import base64
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from webdriver import Browser, wait_until  # noqa: E402

SIMULATOR = os.environ.get("ORVANE_SIM", "")
# A QR code as a person would hold it up to the camera.
CODE_PICTURE = os.path.join(os.path.dirname(__file__), "..", "..", "sim", "pictures", "code.png")


class Device:
    """A device booted for one test, leased to this process, shut down at the end."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="orvane-page-")
        self.root = os.path.join(self.folder, "device")
        self.run("install")
        self.run("defaults", "write", "FUNCTION_1", "APP-WeChat")
        self.run("defaults", "write", "FUNCTION_2", "APP-Facebook")
        self.run("boot", "--lease")
        self.url = self.run("serve").strip().split()[-1]

    def run(self, *words, check=True):
        done = subprocess.run([SIMULATOR, "--device", self.root, *words], capture_output=True, text=True,
                              timeout=120)
        if check and done.returncode != 0:
            raise AssertionError(f"{' '.join(words)}: {done.returncode} {done.stdout} {done.stderr}")
        return done.stdout

    def screenshot(self):
        file = os.path.join(self.folder, "screenshot.png")
        self.run("screenshot", file)
        with open(file, "rb") as png:
            return png.read()

    def touchable(self, name):
        """The centre of what the screen in front offers the finger under that name, in points."""
        for line in self.run("touchable").splitlines():
            found = re.match(re.escape(name) + r" at ([\d.]+) ([\d.]+) ([\d.]+) ([\d.]+):", line)
            if found:
                x, y, width, height = map(float, found.groups())
                return x + width / 2, y + height / 2
        return None

    def shutdown(self):
        self.run("shutdown", check=False)
        shutil.rmtree(self.folder, ignore_errors=True)


class DevicePageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.device = Device()
        cls.browser = Browser()
        cls.browser.open(cls.device.url)
        wait_until(lambda: cls.browser.run("return window.orvane && window.orvane.frames > 0"), "the first picture")

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.device.shutdown()

    def setUp(self):
        self.device.run("close", check=False)
        self.device.run("settings", "back", check=False)
        while self.device.run("presented").strip() != "nothing presented":
            self.device.run("dismiss")

    # What the page shows.
    def page_state(self):
        return self.browser.run("return document.getElementById('state').textContent")

    def page_events(self):
        return self.browser.run("return document.getElementById('events').textContent")

    def page_picture(self):
        encoded = self.browser.run_async(
            "const done = arguments[arguments.length - 1];"
            "const reader = new FileReader();"
            "reader.onload = () => done(reader.result.split(',')[1]);"
            "reader.readAsDataURL(window.orvane.lastPicture);")
        return base64.b64decode(encoded)

    def settings_shown(self):
        return self.device.run("settings", "show")

    def wait_for_state(self, text):
        wait_until(lambda: text in self.page_state(), f"the page's state to say {text!r}", seen=self.page_state)

    def wait_for_event(self, text):
        wait_until(lambda: text in self.page_events(), f"the page's event log to show {text!r}",
                   seen=lambda: self.page_events()[-2000:])

    def wait_for_same_pixels(self):
        """The page shows what `screenshot` draws for the same state, byte for byte."""
        # Not asked too often: each screenshot is a command, after which the page draws the screen again.
        sizes = []

        def same():
            shown, drawn = self.page_picture(), self.device.screenshot()
            sizes[:] = [f"the page's picture {len(shown)} bytes, the screenshot {len(drawn)} bytes",
                        self.page_state()]
            return shown == drawn

        wait_until(same, "the page to show the screenshot", interval=0.5, seen=lambda: sizes)

    def click_on_screen(self, name, hold=False, still=True):
        point = wait_until(lambda: self.device.touchable(name), f"{name} on the screen",
                           seen=lambda: self.device.run("touchable"))
        # Where the person clicks is on what the page shows: the picture of the screen as it is now (which
        # the screenshot matches only while nothing on it moves).
        if still:
            self.wait_for_same_pixels()
        geometry = self.browser.run(
            "const s = document.getElementById('screen');"
            "return [s.clientWidth, s.naturalWidth, window.orvane.scale];")
        css_per_point = geometry[0] / geometry[1] * geometry[2]
        # A tap lifts at once, so that however slowly a loaded machine delivers it, it is no long press.
        self.browser.press("#screen", point[0] * css_per_point, point[1] * css_per_point, 800 if hold else 0)

    def open_control_center(self):
        self.browser.click("#open-cc")
        self.wait_for_state("Control Center open")
        self.wait_for_same_pixels()

    def test_1_a_missing_application_is_offered_and_ok_opens_its_page(self):
        self.open_control_center()
        self.click_on_screen("button 1")
        self.wait_for_state("presented: UIAlertController")
        self.wait_for_same_pixels()
        self.click_on_screen('action "OK"')
        self.wait_for_event("springboard.openURL url=https://apps.apple.com/app/wechat/id414478124")
        self.wait_for_state("presented: nothing")

    def test_2_a_long_press_opens_the_menu_and_its_item_launches(self):
        self.open_control_center()
        self.click_on_screen("button 2", hold=True)
        self.wait_for_state("presented: UIAlertController")
        self.wait_for_same_pixels()
        before = self.page_events().count("com.facebook.Facebook")
        self.click_on_screen('action "Launch"')
        wait_until(lambda: self.page_events().count("com.facebook.Facebook") > before, "the launch in the events")
        self.assertIn("springboard.activateApplication bundle=com.facebook.Facebook", self.page_events())

    def test_3_a_function_picked_in_settings_shows_in_the_row(self):
        self.browser.click("#open-settings")
        wait_until(lambda: self.browser.run("return document.body.dataset.front") == "settings", "Settings in front")
        self.click_on_screen('row "Orvane"')
        self.click_on_screen('row "Button 3"')
        wait_until(lambda: "WhatsApp  (icon" in self.device.run("settings", "show"), "the list with icons",
                   seen=self.settings_shown)
        self.click_on_screen('row "WhatsApp"')
        wait_until(lambda: "WhatsApp  (icon 29 x 29)  (chosen)" in self.device.run("settings", "show"), "the choice",
                   seen=self.settings_shown)
        self.click_on_screen('button "\u2039 Orvane"')
        wait_until(lambda: "Button 3 = WhatsApp" in self.device.run("settings", "show"), "the page one back",
                   seen=self.settings_shown)
        self.open_control_center()
        self.assertIn("FUNCTION_3 = \"APP-WhatsApp\"", self.device.run("defaults", "read"))
        # Slot 3 of the picture the page shows holds WhatsApp's green.
        x, y = self.device.touchable("button 3")
        green = self.browser.run_async(
            "const [x, y, done] = arguments; const s = document.getElementById('screen');"
            "const c = document.createElement('canvas'); c.width = s.naturalWidth; c.height = s.naturalHeight;"
            "const g = c.getContext('2d'); g.drawImage(s, 0, 0);"
            "const k = window.orvane.scale; const d = g.getImageData((x - 20) * k, (y - 20) * k, 40 * k, 40 * k).data;"
            "let n = 0; for (let i = 0; i < d.length; i += 4) if (d[i + 1] > 150 && d[i] < 120 && d[i + 2] < 140) n++;"
            "done(n);", x, y)
        self.assertGreater(green, 200)

    def test_4_a_command_typed_elsewhere_shows_on_the_open_page(self):
        self.open_control_center()
        self.browser.run("window.stillTheSamePage = true")
        self.device.run("tap", "1")
        self.wait_for_state("presented: UIAlertController")
        self.wait_for_same_pixels()
        self.assertTrue(self.browser.run("return window.stillTheSamePage === true"), "no reload")
        self.device.run("choose", "Cancel")

    def test_6_cancel_on_the_scanners_bar_and_a_code_dropped_on_the_screen(self):
        self.device.run("defaults", "write", "FUNCTION_3", "SYS-Photo")
        self.device.run("defaults", "write", "DEFAULT_ACTION_SYS-Photo", "Scan")
        self.open_control_center()
        self.click_on_screen("button 3")
        self.wait_for_state("presented: UINavigationController")
        self.click_on_screen('button "Cancel"', still=False)
        self.wait_for_event("uikit.dismissed controller=UINavigationController")
        self.wait_for_state("presented: nothing")

        self.click_on_screen("button 3")
        self.wait_for_state("presented: UINavigationController")
        with open(CODE_PICTURE, "rb") as picture:
            encoded = base64.b64encode(picture.read()).decode()
        self.browser.run(
            "const bytes = Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0));"
            "const held = new DataTransfer(); held.items.add(new File([bytes], 'code.png', {type: 'image/png'}));"
            "document.getElementById('screen').dispatchEvent("
            "  new DragEvent('drop', {dataTransfer: held, bubbles: true, cancelable: true}));", encoded)
        self.wait_for_event('title="Scan Result"')
        # The camera sees the file under the name it was dropped with.
        self.wait_for_state("camera sees code.png")
        self.wait_for_state("presented: UIAlertController")
        self.device.run("choose", "Cancel")

    def test_5_a_foreign_page_is_refused_and_changes_nothing(self):
        port = int(re.search(r":(\d+)/", self.device.url).group(1))
        before = self.device.run("events")
        for origin, cookie in (("http://attacker.example", "orvane-token=" + self.device.url.split("token=")[1]),
                               (f"http://127.0.0.1:{port}", "")):
            with socket.create_connection(("127.0.0.1", port), timeout=10) as raw:
                request = (f"GET /socket HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                           "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                           f"Sec-WebSocket-Version: 13\r\nOrigin: {origin}\r\nCookie: {cookie}\r\n\r\n")
                raw.sendall(request.encode())
                self.assertRegex(raw.recv(4096), rb"^HTTP/1\.[01] 403 ")
        self.assertEqual(self.device.run("events"), before)
        self.assertIn("Control Center closed", self.device.run("describe"))


if __name__ == "__main__":
    if len(sys.argv) > 1:
        SIMULATOR = sys.argv.pop(1)
    unittest.main(verbosity=2)
