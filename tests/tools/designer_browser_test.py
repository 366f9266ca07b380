#!/usr/bin/env python3
"""tamrilo-host --designer in a real browser (headless Chromium driven by Selenium).

usage: designer_browser_test.py [PROGRAM ...] TAMRILO-HOST
The arguments are the command that starts tamrilo-host (for example `wine tamrilo-host.exe`);
what the library did is read from its console, which traces every call, not from the page.
"""
import http.client
import re
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

COMMAND = sys.argv[1:]
# The page must show a change this soon (milliseconds, median of several changes).
UPDATE_TARGET_MS = 100


class Designer:
    """tamrilo-host --designer, its console collected as it runs."""

    def __init__(self, command):
        self.process = subprocess.Popen(command + ["--designer"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.STDOUT, text=True)
        self.lines = []
        self.address = None
        ready = threading.Event()

        def read():
            for line in self.process.stdout:
                self.lines.append(line.rstrip("\n"))
                found = re.search(r"(http://127\.0\.0\.1:(\d+)/\?token=(\w+))", line)
                if found:
                    self.address, self.port, self.token = found.group(1), int(found.group(2)), found.group(3)
                    ready.set()
            ready.set()

        self.reader = threading.Thread(target=read, daemon=True)
        self.reader.start()
        if not ready.wait(60) or not self.address:
            raise RuntimeError("no address from tamrilo-host:\n" + "\n".join(self.lines))

    def console(self, since=0):
        return "\n".join(self.lines[since:])

    def stop(self):
        """A line on its input stops it, as a key does on a console; returns its exit code."""
        self.process.stdin.write("\n")
        self.process.stdin.close()
        code = self.process.wait(60)
        self.reader.join(10)
        self.process.stdout.close()
        return code


def stopped(effect):
    """The simulated DirectInput's record of the library stopping that effect object."""
    return "effect #%s on joystick 0 Stop() -> DI_OK" % effect


def wait_for(condition, what, timeout=20):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


class DesignerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.designer = Designer(COMMAND)
        cls.profile = tempfile.TemporaryDirectory()
        options = webdriver.ChromeOptions()
        for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--window-size=1200,1000", "--user-data-dir=" + cls.profile.name]:
            options.add_argument(flag)
        cls.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        since = len(cls.designer.lines)
        code = cls.designer.stop()
        cls.profile.cleanup()
        assert code == 0, "tamrilo-host --designer exit code %d" % code
        # Stopping the server stops every effect object the library made, in DirectInput itself.
        for effect in re.findall(r"CreateEffect\(.*-> DI_OK, effect #(\d+)", cls.designer.console()):
            assert stopped(effect) in cls.designer.console(since), cls.designer.console(since)

    def open(self, family):
        self.browser.get(self.designer.address)
        wait_for(lambda: self.browser.execute_script("return window.designerUpdates") >= 1, "the first plot")
        chooser = Select(self.browser.find_element(By.ID, "effect"))
        if chooser.first_selected_option.get_attribute("value") != family:
            chooser.select_by_value(family)
            wait_for(lambda: self.browser.execute_script("return window.designerUpdates") >= 2, "the effect's plot")

    def set_value(self, name, value):
        """Enters a value in the number field at once (as pasting does) and waits for the page's answer."""
        before = self.browser.execute_script("return window.designerUpdates")
        self.browser.execute_script("const f = document.getElementById('number-' + arguments[0]);"
                                    "f.value = arguments[1]; f.dispatchEvent(new Event('input'));", name, value)
        wait_for(lambda: self.browser.execute_script("return window.designerUpdates") > before
                 or self.message(), "the page's answer")

    def message(self):
        return self.browser.find_element(By.ID, "message").text

    def press(self, button):
        before = len(self.designer.lines)
        self.browser.find_element(By.ID, button).click()
        wait_for(lambda: self.browser.find_element(By.ID, "status").text or self.message(), "the status")
        return before

    def test_closing_the_page_stops_every_playing_effect(self):
        first_page = self.browser.current_window_handle
        self.browser.switch_to.new_window("tab")
        self.open("sine_2")
        since = len(self.designer.lines)
        # A periodic effect starts with its Play, a condition with its Define.
        for family, button, export in [("sine_2", "define", "Define_Sine_2"), ("sine_2", "start", "Play_Sine_2"),
                                       ("friction", "define", "Define_Friction")]:
            Select(self.browser.find_element(By.ID, "effect")).select_by_value(family)
            self.browser.find_element(By.ID, button).click()
            wait_for(lambda: "call " + export in self.designer.console(since), export)
        started = r"effect #(\d+) on joystick 0 (?:Start\(|SetParameters\(.*DIEP_START)"
        playing = wait_for(lambda: len(set(re.findall(started, self.designer.console(since)))) == 2
                           and set(re.findall(started, self.designer.console(since))), "both effects started")
        since = len(self.designer.lines)
        self.browser.close()
        self.browser.switch_to.window(first_page)
        wait_for(lambda: all(stopped(e) in self.designer.console(since) for e in playing), "every effect stopped")

    def test_requests_without_the_token_or_from_another_site_are_refused(self):
        cases = [  # path, Host header, status
            ("/?token=" + self.designer.token, None, 200),
            ("/effects?token=" + self.designer.token, None, 200),
            ("/", None, 403),
            ("/effects?token=0" + self.designer.token[1:], None, 403),
            ("/?token=" + self.designer.token, "attacker.example", 403),
            ("/?token=" + self.designer.token, "127.0.0.1.attacker.example:%d" % self.designer.port, 403),
            ("/package.json?token=" + self.designer.token, None, 404),
        ]
        for path, host, status in cases:
            with self.subTest(path=path, host=host):
                connection = http.client.HTTPConnection("127.0.0.1", self.designer.port, timeout=10)
                headers = {"Host": host} if host else {}
                connection.request("GET", path, headers=headers)
                response = connection.getresponse()
                body = response.read().decode()
                connection.close()
                self.assertEqual(response.status, status, body)
                if status == 403:
                    self.assertIn("refused", body)

    def test_sine_played_reaches_the_library_converted(self):
        self.open("sine_1")
        self.set_value("sine_1_hight", 4000)
        self.set_value("sine_1_hight", 5000)
        self.assertIn("dwMagnitude\n4999", self.browser.find_element(By.ID, "sent").text.replace(" ", "\n"))
        since = self.press("define")
        wait_for(lambda: "call Define_Sine_1" in self.designer.console(since), "Define_Sine_1")
        since = self.press("start")
        played = wait_for(lambda: re.search(r"call Play_Sine_1\n(?:.*\n)*?.*SetParameters\(.*dwMagnitude (\d+).*DIEP_START",
                                            self.designer.console(since)), "Play_Sine_1 with its parameters")
        self.assertEqual(played.group(1), "4999")
        wait_for(lambda: "7168 sent and started" in self.browser.find_element(By.ID, "status").text, "status 7168")

    def test_plot_follows_a_slider_within_the_target(self):
        self.open("triangle_2")
        times = []
        points = self.browser.find_element(By.CSS_SELECTOR, "#plot polyline.y").get_attribute("points")
        for magnitude in [1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000]:
            before = self.browser.execute_script("return window.designerUpdates")
            # A slider moved by the user fires "input" on each step.
            self.browser.execute_script(
                "const s = document.getElementById('slider-triangle_2_hight');"
                "s.value = arguments[0]; s.dispatchEvent(new Event('input'));", magnitude)
            wait_for(lambda: self.browser.execute_script("return window.designerUpdates") > before, "the plot")
            times.append(self.browser.execute_script("return window.designerUpdateMs"))
            changed = self.browser.find_element(By.CSS_SELECTOR, "#plot polyline.y").get_attribute("points")
            self.assertNotEqual(changed, points)
            points = changed
        median = statistics.median(times)
        print("designer update time: median %.1f ms, longest %.1f ms over %d changes" % (median, max(times), len(times)))
        self.assertLess(median, UPDATE_TARGET_MS)

    def test_out_of_range_value_is_refused_and_nothing_sent(self):
        self.open("quadrat_3")
        self.set_value("quadrat_3_hight", 12000)
        self.assertIn("quadrat_3_hight: 12000 is outside -10000 to 10000", self.message())
        since = self.press("start")
        self.assertIn("nothing was sent", self.message())
        time.sleep(0.3)
        self.assertNotIn("call Play_Quadrat_3", self.designer.console(since))

    def test_dragging_the_stick_against_the_spring_turns_its_force(self):
        self.open("placement")
        since = self.press("define")
        defined = wait_for(lambda: re.search(r"dwPositiveSaturation (\d+)", self.designer.console(since)),
                           "the spring's record")
        # The page shows the saturation the library sends: full scale, so that the spring pushes.
        self.assertEqual(defined.group(1), "10000")
        self.assertIn("dwPositiveSaturation, dwNegativeSaturation " + defined.group(1),
                      self.browser.find_element(By.ID, "sent").text)
        stick = self.browser.find_element(By.ID, "stick")
        forces = []
        for offset in [80, -80]:
            ActionChains(self.browser).move_to_element_with_offset(stick, offset, 0).click_and_hold().release().perform()
            # The stick is where the mouse put it, as Get_Joystick_State reads it.
            wait_for(lambda: re.search(r"JOY_X_A (-?\d+)", self.browser.find_element(By.ID, "stick-text").text)
                     and float(re.search(r"JOY_X_A (-?[\d.]+)", self.browser.find_element(By.ID, "stick-text").text)
                               .group(1)) * offset > 5000, "the stick's reading")
            forces.append(wait_for(lambda: self.live_force_x(offset), "the live force"))
        self.assertLess(forces[0], 0)  # right of the centre the spring pulls left …
        self.assertGreater(forces[1], 0)  # … and left of it, right

    def live_force_x(self, offset):
        force = self.browser.find_element(By.ID, "stick").get_attribute("data-force")
        x = int(force.split(",")[0]) if force else 0
        return x if x * offset < 0 else None


class SilentPageTest(unittest.TestCase):
    def test_effects_stop_when_no_page_has_asked_for_a_while(self):
        """A browser that crashed sends no close: the silence after its last request stops the effects."""
        designer = Designer(COMMAND)
        try:
            connection = http.client.HTTPConnection("127.0.0.1", designer.port, timeout=10)
            connection.request("POST", "/call?token=%s&effect=friction&action=define&friction_right_x=3000"
                               "&friction_left_x=3000&friction_up_y=3000&friction_down_y=3000" % designer.token,
                               body="")
            self.assertEqual(connection.getresponse().status, 200)
            connection.close()
            effect = wait_for(lambda: re.search(r"CreateEffect\(.*-> DI_OK, effect #(\d+)", designer.console()),
                              "the friction created").group(1)
            wait_for(lambda: stopped(effect) in designer.console(), "the friction stopped", timeout=15)
        finally:
            self.assertEqual(designer.stop(), 0)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
