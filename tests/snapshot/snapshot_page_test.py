#!/usr/bin/python3
"""The HTML snapshot in a real browser: folderinventory-cli --format html writes the page of a
tree with hostile names, and headless Chromium opens it from a file:// address. The page must
show the folders' totals as the file system sums them, browse to a deep folder by keys and by
its address, show a file's digest, sort, find a deep file by the search, run none of the names,
and make no request.

Usage: snapshot_page_test.py FOLDERINVENTORY_CLI
Exit status 77 (skipped) when Chromium, its driver or Selenium is missing.
"""

import hashlib
import os
import re
import shutil
import stat
import subprocess
import sys
import tempfile
import unittest
import urllib.parse

try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None

CHROMIUM = shutil.which('chromium') or '/usr/bin/chromium'
DRIVER = shutil.which('chromedriver') or '/usr/bin/chromedriver'
CLI = sys.argv[1] if len(sys.argv) > 1 else 'folderinventory-cli'

IMG_NAME = '<img src=x onerror=alert(1)>'
# A name cannot hold "/": this one is a path of three names that reads as the whole tag.
SCRIPT_PATH = ['<', 'script><script>alert(2)<', 'script>']
DEEP = ['tief', 'tiefer', 'noch tiefer', 'Ünterste Ebene', 'ganz unten']
DEEP_FILE = 'gesuchte-Datei_42.txt'
MANY = 3000


def build_tree(root):
    """A tree of hostile, odd and deep names; returns nothing, the test sums it itself."""
    def write(path, size):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(b'x' * size)
    write(os.path.join(root, IMG_NAME), 11)
    write(os.path.join(root, *SCRIPT_PATH), 7)
    write(os.path.join(root, '<!--<script>'), 3)
    write(os.fsdecode(os.path.join(os.fsencode(root), b'bad\xffname.txt')), 5)
    write(os.path.join(root, 'ctl\x01name.txt'), 2)
    write(os.path.join(root, *DEEP, DEEP_FILE), 4242)
    write(os.path.join(root, *DEEP[:2], 'mittel.TXT'), 300)
    for i in range(MANY):
        write(os.path.join(root, 'viele', 'datei-%04d.dat' % i), (i * 7919) % 5000)
    os.symlink('nirgendwo', os.path.join(root, 'tief', 'verweis'))
    os.makedirs(os.path.join(root, 'leer'))


def sums(folder):
    """Files and apparent bytes below `folder`, as du -b --apparent-size counts files: every
    entry that is not a folder, a link by its own size."""
    files = size = 0
    for dirpath, dirnames, filenames in os.walk(folder):
        for name in filenames + [d for d in dirnames if os.path.islink(os.path.join(dirpath, d))]:
            st = os.lstat(os.path.join(dirpath, name))
            if not stat.S_ISDIR(st.st_mode):
                files += 1
                size += st.st_size
    return files, size


def grouped(n):
    return '{:,}'.format(n).replace(',', '.')


def chrome_options(user_data, javascript=True):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic',
                     '--no-first-run', '--disable-background-networking',
                     '--disable-component-update', '--disable-sync', '--window-size=1280,800',
                     '--user-data-dir=' + user_data]:
        options.add_argument(argument)
    options.set_capability('goog:loggingPrefs', {'performance': 'ALL', 'browser': 'ALL'})
    if not javascript:
        options.add_experimental_option(
            'prefs', {'profile.managed_default_content_settings.javascript': 2})
    return options


ROWS = """return [...document.querySelectorAll(arguments[0] + ' .zeile:not([hidden])')]
    .map(r => [...r.children].filter(c => !c.hidden).map(c => c.textContent));"""


class SnapshotPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix='fi-snapshot-')
        cls.tree = os.path.join(cls.work, 'baum')
        build_tree(cls.tree)
        cls.page = os.path.join(cls.work, 'übersicht.html')
        subprocess.run([CLI, '--format', 'html', '--hash', 'sha256', '-o', cls.page, cls.tree],
                       check=True)
        cls.url = 'file://' + urllib.parse.quote(cls.page)
        cls.driver = webdriver.Chrome(service=Service(DRIVER),
                                      options=chrome_options(os.path.join(cls.work, 'profil')))
        # Records every alert a name might call, before any script of the page runs.
        cls.driver.execute_cdp_cmd('Page.addScriptToEvaluateOnNewDocument', {'source':
            'window.__alerts = []; window.alert = (x) => window.__alerts.push(String(x));'})
        cls.driver.get(cls.url)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        shutil.rmtree(cls.work, ignore_errors=True)

    def wait(self, condition, message):
        WebDriverWait(self.driver, 10).until(lambda d: condition(), message)

    def rows(self, box='#eintraege'):
        return self.driver.execute_script(ROWS, box)

    def open_address(self, *names):
        path = '/'.join([self.tree] + list(names))
        self.driver.get(self.url + '#' + urllib.parse.quote(path))
        self.wait(lambda: self.path_text() == ' / '.join([self.tree] + list(names)),
                  'the address opens ' + path)

    def path_text(self):
        return ' / '.join(b.text for b in self.driver.find_elements(By.CSS_SELECTOR, '#pfad button'))

    def search(self, text):
        field = self.driver.find_element(By.ID, 'suche')
        field.clear()
        field.send_keys(text + Keys.ENTER)
        self.wait(lambda: re.fullmatch(r'[\d.]+ Treffer',
                                       self.driver.find_element(By.ID, 'status').text),
                  'the search for %s ends' % text)
        return self.rows()

    def hit_count(self):
        return int(self.driver.find_element(By.ID, 'status').text.split()[0].replace('.', ''))

    def test_folder_totals_are_the_file_systems_sums(self):
        places = [[], ['tief'], DEEP, SCRIPT_PATH[:2], ['viele'], ['leer']]
        for names in places:
            files, size = sums(os.path.join(self.tree, *names))
            self.open_address(*names)
            summary = self.driver.find_element(By.ID, 'summe').text
            self.assertIn('Mit Unterverzeichnissen %s Dateien, %s Bytes' % (grouped(files), grouped(size)),
                          summary, names)
        files, size = sums(self.tree)
        self.assertIn('%s Dateien in' % grouped(files), self.driver.find_element(By.ID, 'insgesamt').text)
        self.assertIn('%s Bytes' % grouped(size), self.driver.find_element(By.ID, 'insgesamt').text)

    def test_keys_browse_to_a_deep_folder_and_its_address_opens_it(self):
        self.open_address()
        tree = self.driver.find_element(By.ID, 'baum')
        self.driver.execute_script('arguments[0].focus()', tree)
        # Down to "tief" (the top folder's subfolders come in the listing's order), then right
        # opens each level and steps into it; Enter shows the folder in the list.
        names = [row[0].lstrip('▸▾') for row in self.rows('#baum')]
        for _ in range(names.index('tief')):
            tree.send_keys(Keys.ARROW_DOWN)
        for _ in DEEP[1:]:
            tree.send_keys(Keys.ARROW_RIGHT, Keys.ARROW_RIGHT)
        tree.send_keys(Keys.ENTER)
        self.wait(lambda: self.path_text() == ' / '.join([self.tree] + DEEP), 'Enter opens ganz unten')
        # The file's row: name, size, time and its digest in the column the run added.
        [(name, size, _, digest)] = self.rows()
        self.assertEqual((name, size, digest),
                         (DEEP_FILE, '4.242', hashlib.sha256(b'x' * 4242).hexdigest()))
        self.assertEqual(self.driver.switch_to.active_element.get_attribute('id'), 'eintraege')
        address = self.driver.execute_script('return location.hash')
        # Backspace steps up; the list's cursor stands on the folder it came from.
        self.driver.switch_to.active_element.send_keys(Keys.BACKSPACE)
        self.wait(lambda: self.path_text().endswith('Ünterste Ebene'), 'Backspace goes up')
        self.driver.switch_to.active_element.send_keys(Keys.ENTER)
        self.wait(lambda: self.path_text().endswith('ganz unten'), 'Enter opens the subfolder')
        # The address alone opens the folder in a fresh load.
        self.driver.get('about:blank')
        self.driver.get(self.url + address)
        self.wait(lambda: self.path_text() == ' / '.join([self.tree] + DEEP), 'the address opens it')
        # "/" goes to the search field from anywhere but a text field.
        self.driver.find_element(By.ID, 'eintraege').send_keys('/')
        self.assertEqual(self.driver.switch_to.active_element.get_attribute('id'), 'suche')
        self.assertEqual(self.driver.find_element(By.ID, 'suche').get_attribute('value'), '')

    def test_sorting_by_size_and_back(self):
        self.open_address('viele')
        sizes = [(i * 7919) % 5000 for i in range(MANY)]
        header = self.driver.find_element(By.XPATH, "//div[@id='spalten']/button[starts-with(., 'Größe')]")
        header.click()
        shown = [int(row[1].replace('.', '')) for row in self.rows()]
        self.assertEqual(shown, sorted(sizes)[:len(shown)])
        header = self.driver.find_element(By.XPATH, "//div[@id='spalten']/button[starts-with(., 'Größe')]")
        header.click()
        shown = [int(row[1].replace('.', '')) for row in self.rows()]
        self.assertEqual(shown, sorted(sizes, reverse=True)[:len(shown)])
        # Only the rows in view are drawn; the end of the list scrolls into view.
        self.assertLess(len(self.rows()), 100)
        box = self.driver.find_element(By.ID, 'eintraege')
        box.click()
        box.send_keys(Keys.END)
        self.wait(lambda: self.rows()[-1][1] == '0', 'End shows the smallest file')

    def test_search_finds_a_deep_file_and_opens_its_folder(self):
        self.open_address()
        hits = self.search('GESUCHTE-datei')
        self.assertEqual([hit[:3] for hit in hits], [[DEEP_FILE, '/'.join([self.tree] + DEEP), '4.242']])
        self.driver.find_element(By.CSS_SELECTOR, '#eintraege .zeile').click()
        self.wait(lambda: self.path_text() == ' / '.join([self.tree] + DEEP), 'the hit opens its folder')
        # Wildcards span the whole name, letter case does not count.
        txt = sorted(row[0] for row in self.search('*.txt'))
        self.assertEqual(txt, sorted([DEEP_FILE, 'bad\ufffdname.txt', 'ctl?name.txt', 'mittel.TXT']))
        self.search('datei-00??.dat')
        self.assertEqual(self.hit_count(), 100)
        self.assertEqual(sorted(row[0] for row in self.search('*<*')),
                         sorted(['<!--<script>', IMG_NAME, '<', 'script><script>alert(2)<']))

    def test_hostile_names_show_as_text_and_run_nothing(self):
        self.open_address()
        names = [row[0] for row in self.rows()]
        self.assertIn(IMG_NAME, names)
        self.assertIn('<!--<script>', names)
        self.open_address(*SCRIPT_PATH[:2])
        self.assertEqual([row[0] for row in self.rows()], [SCRIPT_PATH[2]])
        self.assertEqual(self.path_text(), ' / '.join([self.tree] + SCRIPT_PATH[:2]))
        self.assertEqual(self.driver.execute_script(
            "return document.querySelectorAll('img, #eintraege script, #baum script').length"), 0)
        self.assertEqual(self.driver.execute_script('return window.__alerts'), [])
        with self.assertRaises(NoAlertPresentException):
            self.driver.switch_to.alert.text

    def test_zz_no_request_leaves_the_page(self):
        # Runs last: after every other test has browsed, sorted and searched. The browser's own
        # start page loads chrome:// resources of its own; the snapshot asks only for itself.
        requests = [m['params'] for m in self.network_events()
                    if m['method'] == 'Network.requestWillBeSent']
        own = {r['request']['url'].split('#')[0] for r in requests
               if r['documentURL'].split('#')[0] == self.url}
        self.assertEqual(own, {self.url})
        self.assertEqual(self.outside(requests), [])
        self.assertEqual([e for e in self.driver.get_log('browser') if e['level'] == 'SEVERE'], [])
        # The policy forbids what a name could ask for: an image from elsewhere is refused before
        # it is sent (the browser reports it as a request that failed for the policy).
        self.driver.execute_script("const i = document.createElement('img');"
                                   "i.src = 'http://127.0.0.1:9/x.png'; document.body.append(i);")
        self.wait(lambda: any('Content Security Policy' in e['message']
                              for e in self.driver.get_log('browser')), 'the policy refuses it')
        events = self.network_events()
        asked = {m['params']['requestId'] for m in events if m['method'] == 'Network.requestWillBeSent'
                 and self.outside([m['params']])}
        refused = {m['params']['requestId'] for m in events if m['method'] == 'Network.loadingFailed'
                   and m['params'].get('blockedReason') == 'csp'}
        self.assertEqual(len(asked), 1)
        self.assertEqual(asked, refused)

    @staticmethod
    def outside(requests):
        """The requests that would leave the machine's files."""
        return [r['request']['url'] for r in requests
                if not r['request']['url'].startswith(('file:', 'chrome:', 'data:', 'about:'))]

    def network_events(self):
        import json
        return [json.loads(e['message'])['message'] for e in self.driver.get_log('performance')]

    def test_without_javascript_the_page_says_what_it_needs(self):
        driver = webdriver.Chrome(service=Service(DRIVER), options=chrome_options(
            os.path.join(self.work, 'ohne-skript'), javascript=False))
        try:
            driver.get(self.url)
            text = driver.find_element(By.TAG_NAME, 'body').text
            self.assertIn('Diese Übersicht braucht JavaScript', text)
            self.assertIn('Suchverzeichnisse', text)
            self.assertFalse(driver.find_element(By.ID, 'app').is_displayed())
        finally:
            driver.quit()


if __name__ == '__main__':
    if webdriver is None or not os.path.exists(CHROMIUM) or not os.path.exists(DRIVER):
        print('Chromium, chromium-driver or python3-selenium is missing: the browser test is skipped')
        sys.exit(77)
    result = unittest.main(argv=[sys.argv[0], '-v'], exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
