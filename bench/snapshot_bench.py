#!/usr/bin/python3
"""Opens an HTML snapshot in headless Chromium and times what a reader waits for.

Usage: snapshot_bench.py PAGE RUNS SEARCH
Prints "html_open_ms <median>" (from the start of the page's load until its first folder is
drawn, by the page's own mark "fi-shown"), and "html_search_ms <median>" (from Enter in the
search field for SEARCH until the page reports its hits), each the median of RUNS, every open in
a fresh load of the page; then "html_search_hits <n>".
"""

import os
import shutil
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.ui import WebDriverWait

# Types SEARCH into the field, presses Enter and waits until the status names the hits.
SEARCH = """
const [text, done] = arguments;
const field = document.getElementById('suche');
const status = document.getElementById('status');
field.value = text;
const start = performance.now();
const finished = () => /^[\\d.]+ Treffer$/.test(status.textContent);
new MutationObserver((_, observer) => {
    if (!finished())
        return;
    observer.disconnect();
    // The hits are drawn in the frame that follows.
    requestAnimationFrame(() => done([performance.now() - start, status.textContent]));
}).observe(status, {childList: true, characterData: true, subtree: true});
status.textContent = '';
field.dispatchEvent(new KeyboardEvent('keydown', {key: 'Enter', bubbles: true}));
"""


def main():
    page, runs, search = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    profile = tempfile.mkdtemp(prefix='fi-bench-chromium-')
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which('chromium') or '/usr/bin/chromium'
    for argument in ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic',
                     '--no-first-run', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', '--window-size=1400,900',
                     '--user-data-dir=' + profile]:
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service(shutil.which('chromedriver') or '/usr/bin/chromedriver'),
                              options=options)
    driver.set_script_timeout(60)
    driver.set_page_load_timeout(120)
    try:
        opens, searches, hits = [], [], ''
        for _ in range(runs + 1):
            driver.get('about:blank')
            driver.get('file://' + os.path.abspath(page))
            WebDriverWait(driver, 60).until(lambda d: d.execute_script(
                "return performance.getEntriesByName('fi-shown').length"))
            opens.append(driver.execute_script(
                "return performance.getEntriesByName('fi-shown')[0].startTime"))
            took, hits = driver.execute_async_script(SEARCH, search)
            searches.append(took)
        # The first round warms the file cache and the browser.
        print('html_open_ms %.0f' % statistics.median(opens[1:]))
        print('html_search_ms %.0f' % statistics.median(searches[1:]))
        print('html_search_hits %s' % hits.split()[0])
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == '__main__':
    main()
