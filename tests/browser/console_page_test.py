#!/usr/bin/python3
"""The settings console in a real browser, used as a user would use it.

Starts `sensorctl serve` on a fresh sample camera disk, opens its page in
headless Chromium, and checks that the tabs and settings are the tailored
style's (a setting the sensor narrows offers only the accepted choices), that
moving the brightness slider reaches the processor, that Save writes the
file, and that a night report moves a day/night-mode camera to scheme 1 after
a tick. Saves a screenshot of the page. Exits 77 (skipped) when the browser
or its driver is not installed.
"""
import argparse
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import urllib.request
import xml.etree.ElementTree as ElementTree

SKIPPED = 77

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("python3-selenium is not installed: skipped")
    sys.exit(SKIPPED)


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def start_server(sensorctl, disk):
    server = subprocess.Popen(
        [sensorctl, "--root", disk, "serve", "--listen", "127.0.0.1:0"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    check(line.startswith("serving http://127.0.0.1:"), "serve said: " + line)
    return server, line.split()[1]


def api(address, path):
    opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
    with opener.open(address + path.lstrip("/"), timeout=30) as answer:
        return json.load(answer)


def saved_value(path, key):
    data = open(path, "rb").read()
    for at in range(0, len(data) - 7, 8):
        k, v = struct.unpack_from("<Ii", data, at)
        if k == key:
            return v
    return None


def browser():
    driver_path = shutil.which("chromedriver")
    chromium = shutil.which("chromium")
    if not driver_path or not chromium:
        print("chromium or chromium-driver is not installed: skipped")
        sys.exit(SKIPPED)
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--window-size=1400,1000", "--no-proxy-server"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(driver_path), options=options)


def check_tabs_and_settings(driver, address, raw_style):
    style = api(address, "/api/style")
    tabs = [b.text for b in driver.find_elements(By.CSS_SELECTOR, "nav#tabs button")]
    check(tabs == [t["label"] for t in style["tabs"]], "tabs %s" % tabs)
    for tab in style["tabs"]:
        driver.find_element(By.ID, "tab-" + tab["key"]).click()
        for item in tab["items"]:
            row = driver.find_element(By.ID, "row-%d" % item["id"])
            check(row.is_displayed() == (item["type"] != "hidden"),
                  "setting %d shown %s" % (item["id"], row.is_displayed()))
            text = row.get_attribute("textContent")
            check(item["label"] in text, "label of %d: %s" % (item["id"], text))
    # The sensor narrows max shutter (49): the page offers what the tailored
    # style keeps, fewer than the device family's document lists.
    driver.find_element(By.ID, "tab-exposure").click()
    offered = [int(o.get_attribute("value"))
               for o in Select(driver.find_element(By.ID, "ctl-49")).options]
    tailored = [c["value"] for t in style["tabs"] for i in t["items"] if i["id"] == 49
                for c in i["choices"]]
    family = [int(o.get("index")) for o in
              ElementTree.parse(raw_style).getroot().iter("Item") if o.get("id") == "49"
              for o in o.iter("Option")]
    check(offered == tailored, "shutter offers %s, the tailored style %s" % (offered, tailored))
    check(len(offered) < len(family), "the sensor narrows the shutter: %s" % offered)
    driver.find_element(By.ID, "show-hidden").click()
    driver.find_element(By.ID, "tab-image").click()
    check(driver.find_element(By.ID, "row-2436").is_displayed(), "hidden settings on request")


def move_brightness(driver, wait):
    driver.find_element(By.ID, "tab-image").click()
    slider = driver.find_element(By.ID, "ctl-34")
    start = int(slider.get_attribute("value"))
    for _ in range(5):
        slider.send_keys(Keys.ARROW_RIGHT)
    wanted = "ch0 34 set in=%d out=" % (start + 5)
    wait.until(lambda d: wanted in d.find_element(By.ID, "log-processor").text)
    check(driver.find_element(By.ID, "num-34").get_attribute("value") == str(start + 5),
          "the number box follows the slider")
    return start + 5


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--sensorctl", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--style", required=True, help="the box family's style document")
    parser.add_argument("--screenshot", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    disk = os.path.join(args.work, "disk")
    driver = browser()
    server, address = start_server(args.sensorctl, disk)
    try:
        driver.get(address)
        wait = WebDriverWait(driver, 30)
        wait.until(lambda d: d.find_element(By.TAG_NAME, "body").get_attribute("data-ready"))
        check_tabs_and_settings(driver, address, args.style)
        brightness = move_brightness(driver, wait)

        driver.find_element(By.ID, "save").click()
        wait.until(lambda d: d.find_element(By.ID, "save-result").text == "saved")
        saved = saved_value(os.path.join(disk, "mnt/mtd/code/config_file/sensor0.cfg"), 34)
        check(saved == brightness, "sensor0.cfg holds brightness %s" % saved)

        driver.find_element(By.ID, "tab-scheme").click()
        Select(driver.find_element(By.ID, "ctl-8000")).select_by_value("2")
        wait.until(lambda d: d.find_element(By.ID, "scheme-mode").text == "daynight")
        check(driver.find_element(By.ID, "scheme-current").text == "0", "day: scheme 0")
        Select(driver.find_element(By.ID, "sim-dn")).select_by_value("1")
        driver.find_element(By.ID, "tick").click()
        wait.until(lambda d: d.find_element(By.ID, "scheme-current").text == "1")
        check("current" in driver.find_element(By.ID, "scheme-1").get_attribute("class"),
              "the scheme bar marks scheme 1")

        driver.find_element(By.ID, "day-draw").click()
        wait.until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#day-strip rect")) == 96)
        legend = driver.find_element(By.ID, "day-legend").text
        check("scheme 0" in legend and "scheme 1" in legend, "the night strip: " + legend)
        driver.find_element(By.ID, "tab-image").click()
        driver.save_screenshot(args.screenshot)
    finally:
        driver.quit()
        server.send_signal(signal.SIGINT)
        status = server.wait(timeout=30)
    check(status == 0, "serve ended with %d" % status)
    print("console page: every check passed; screenshot in " + args.screenshot)


if __name__ == "__main__":
    main()
