"""The booted device's page in headless Chromium: from a click on the screen to the updated picture shown
in the browser, p50 and p95 over a run of taps that each change the screen, then the device's CPU while
the page is open and nothing happens."""

import argparse
import os
import re
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tests", "browser"))
from device_page_test import Device  # noqa: E402
import device_page_test  # noqa: E402
from webdriver import Browser, wait_until  # noqa: E402


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(share * (len(ordered) - 1))))]


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def device_pids(device):
    return [int(pid) for pid in re.findall(r"pid (\d+)", device.run("status"))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("simulator")
    parser.add_argument("--taps", type=int, default=50)
    parser.add_argument("--idle", type=float, default=10)
    options = parser.parse_args()
    device_page_test.SIMULATOR = options.simulator
    device = Device()
    browser = None
    try:
        device.run("open")
        browser = Browser()
        browser.open(device.url)
        wait_until(lambda: browser.run("return window.orvane.frames > 0"), "the first picture")
        wait_until(lambda: "Control Center open" in browser.run("return document.getElementById('state').textContent"),
                   "Control Center on the page")
        geometry = browser.run("const s = document.getElementById('screen');"
                               "return [s.clientWidth, s.naturalWidth, window.orvane.scale];")
        latencies = []
        for tap in range(options.taps):
            # Alternately the row's first button (the prompt appears) and the prompt's Cancel (it goes).
            name = "button 1" if tap % 2 == 0 else 'action "Cancel"'
            x, y = wait_until(lambda: device.touchable(name), name)
            frames = browser.run("window.orvane.latencies = []; return window.orvane.frames")
            ratio = geometry[0] / geometry[1] * browser.run("return window.orvane.scale")
            browser.press("#screen", x * ratio, y * ratio, 30)
            wait_until(lambda: browser.run("return window.orvane.frames") > frames, "the updated picture")
            latencies.append(browser.run("return window.orvane.latencies[0]"))
        pids = device_pids(device)
        before = sum(cpu_seconds(pid) for pid in pids)
        time.sleep(options.idle)
        busy = sum(cpu_seconds(pid) for pid in pids) - before
        with open("/proc/loadavg") as load:
            loadavg = " ".join(load.read().split()[:3])
        print(f"click to updated screen in the browser over {len(latencies)} taps: "
              f"p50 {percentile(latencies, 0.5):.1f} ms, p95 {percentile(latencies, 0.95):.1f} ms "
              f"(target p95 <= 100 ms)")
        print(f"the device's processes over {options.idle:g} s with the page open and nothing happening: "
              f"{100 * busy / options.idle:.2f}% of one core (target < 2%)")
        print(f"load average {loadavg}")
    finally:
        if browser:
            browser.quit()
        device.shutdown()


if __name__ == "__main__":
    main()
