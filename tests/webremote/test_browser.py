#!/usr/bin/env python3
"""The web remote in a real browser: Debian's chromium, headless, driven by
chromedriver through Selenium, against a real headless desk (simulated
devices, loop-back only) running the demo show.

    test_browser.py LUMORA_HEADLESS_BIN [--screenshot FILE.png]

A wrong PIN is refused; with the right one the page signs in; Run and Take
on the page take the next screen (read back with `get` through the desk's
console); a playback fader moved on the page changes DmxFrame; a level
changed on the desk shows on the page. With --screenshot the phone-sized
page is saved.
"""
import os
import shutil
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desk_process import Desk, LOOPBACK  # noqa: E402

from selenium import webdriver  # noqa: E402
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support import expected_conditions as EC  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

HEADLESS = None
SCREENSHOT = None
PHONE = (360, 780)


def browser():
    opts = webdriver.ChromeOptions()
    opts.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
              "--no-first-run", "--disable-extensions", "--disable-background-networking",
              "--disable-component-update", "--disable-sync", "--disable-default-apps",
              "--window-size=%d,%d" % PHONE, "--force-device-scale-factor=1", "--lang=en-GB"):
        opts.add_argument(a)
    # A private profile in a temporary folder; nothing of the user's.
    service = Service(shutil.which("chromedriver") or "/usr/bin/chromedriver")
    driver = webdriver.Chrome(service=service, options=opts)
    driver.set_window_size(*PHONE)
    return driver


class InBrowser(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desk = Desk(HEADLESS, extra_args=("--demo",))
        cls.pin = cls.desk.value("Remote.Pin")
        cls.url = "http://%s:%d/" % (LOOPBACK, cls.desk.port)
        cls.driver = browser()
        cls.wait = WebDriverWait(cls.driver, 15)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.desk.close()

    def el(self, id_):
        return self.driver.find_element(By.ID, id_)

    def sign_in(self, pin):
        box = self.wait.until(EC.visibility_of_element_located((By.ID, "pin")))
        box.clear()
        box.send_keys(pin)
        self.el("signin").click()

    def test_remote_end_to_end(self):
        d = self.driver
        d.get(self.url)
        # A wrong PIN: refused, still on the sign-in form, no session.
        wrong = "%06d" % ((int(self.pin) + 1) % 1000000)
        self.sign_in(wrong)
        self.wait.until(EC.text_to_be_present_in_element((By.ID, "loginError"), "Wrong PIN."))
        self.assertFalse(self.el("remote").is_displayed())
        self.assertEqual(self.desk.value("Remote.Clients"), 0)

        # The right PIN: the remote shows and its WebSocket connects.
        self.sign_in(self.pin)
        self.wait.until(EC.visibility_of_element_located((By.ID, "remote")))
        self.wait.until(EC.text_to_be_present_in_element((By.ID, "conn"), "connected"))
        self.desk.wait_for("one client", lambda: self.desk.value("Remote.Clients") == 1)
        # The page shows the desk's current page: its 16 buttons and 12 faders.
        self.assertEqual(len(d.find_elements(By.CSS_SELECTOR, "#buttons .pb")), 16)
        self.assertEqual(len(d.find_elements(By.CSS_SELECTOR, "#faders input")), 12)
        self.wait.until(lambda _: self.el("pageTitle").text != "")
        self.assertEqual(self.el("pageTitle").text, self.desk.value("Playdesk.Page_Details").strip())

        # A playback fader moved on the page changes the frame on the wire.
        self.driver.execute_script("document.getElementById('fader0').scrollIntoView({block: 'center'})")
        slot = self.fader_with_channels()
        frame = self.desk.value("DmxFrame")
        fader = self.el("fader%d" % slot)
        start = int(fader.get_attribute("value"))
        # Drag the thumb from the bottom to the top: the level rises.
        ActionChains(d).move_to_element_with_offset(fader, 0, fader.size["height"] // 2 - 4).click_and_hold() \
            .move_by_offset(0, -(fader.size["height"] - 8)).release().perform()
        self.desk.wait_for("fader %d up" % slot, lambda: self.desk.value("PlayFaderLevel(%d)" % slot) > start + 100)
        self.desk.wait_for("DmxFrame to change", lambda: self.desk.value("DmxFrame") != frame)

        # Run mode from the page, then Take: the desk goes to the next screen.
        self.driver.execute_script("window.scrollTo(0, 0)")
        self.el("run").click()
        self.desk.wait_for("run mode", lambda: self.desk.value("RunMode") == -1)
        self.wait.until(EC.text_to_be_present_in_element((By.ID, "run"), "STOP"))
        before = self.desk.value("CurrentScreen")
        upcoming = self.desk.value("Playdesk.Run_screen_sel")
        self.wait.until(EC.text_to_be_present_in_element((By.ID, "nextNum"), str(upcoming)))
        self.wait.until(EC.element_to_be_clickable((By.ID, "take"))).click()
        self.desk.wait_for("the take to start", lambda: self.desk.value("AutotakeRunning") == -1
                           or self.desk.value("CurrentScreen") != before)
        self.desk.wait_for("screen %d" % upcoming, lambda: self.desk.value("CurrentScreen") == upcoming, timeout=30)
        self.wait.until(EC.text_to_be_present_in_element((By.ID, "liveNum"), str(upcoming)))

        # A level changed at the desk shows on the page.
        other = (slot + 1) % 12
        self.desk.ctl("set Playdesk.Slider1(%d) 55" % other)
        t0 = time.monotonic()
        WebDriverWait(d, 5, poll_frequency=0.01).until(
            lambda _: self.el("fader%d" % other).get_attribute("value") == "200")
        shown_after = time.monotonic() - t0
        self.assertLess(shown_after, 2.0)
        print("desk change shown on the page after %.0f ms (ctl round trip included)" % (shown_after * 1000))

        if SCREENSHOT:
            # The whole page at the phone's width, beyond the visible part.
            import base64
            d.execute_script("window.scrollTo(0, 0)")
            height = d.execute_script("return document.documentElement.scrollHeight")
            shot = d.execute_cdp_cmd("Page.captureScreenshot", {
                "captureBeyondViewport": True,
                "clip": {"x": 0, "y": 0, "width": PHONE[0], "height": height, "scale": 1}})
            with open(SCREENSHOT, "wb") as f:
                f.write(base64.b64decode(shot["data"]))

    def fader_with_channels(self):
        """A fader slot of the current page whose function reaches a patched channel."""
        page = self.desk.value("CurrentPage")
        for slot in range(12):
            f = page * 12 + slot
            fn = self.desk.value("FaderFunctions(%d)" % f)
            if fn.get("Function") in (0, 1):
                return slot
        self.fail("the demo show has no fader with a submix or channel function on page %d" % (page + 1))


if __name__ == "__main__":
    HEADLESS = sys.argv.pop(1)
    if "--screenshot" in sys.argv:
        i = sys.argv.index("--screenshot")
        SCREENSHOT = os.path.abspath(sys.argv[i + 1])
        del sys.argv[i:i + 2]
    unittest.main(verbosity=2)
