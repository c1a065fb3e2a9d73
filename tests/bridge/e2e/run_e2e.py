#!/usr/bin/python3
"""End-to-end test of the browser bridge: a headless Chromium with the Quillion2 extension
loads a test page from a loopback HTTP server; the page drives the component through
qnbridge, and the signature it makes is checked by openssl.

usage: run_e2e.py BIN_DIR EXTENSION_DIR PAGES_DIR
BIN_DIR holds qnbridge, qncert and libquillion2.so. Exit 77 when Chromium, chromedriver or
selenium are missing (the test is then skipped)."""

import base64
import functools
import hashlib
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

E_ACCESSDENIED = -2147024891
# A declined key use is ERROR_CANCELLED (1223) inside; QNSignData.sign reports a cancelled
# key prompt as QN_E_USER_CANCELLED.
QN_E_USER_CANCELLED = -2147203487
EXTENSION_ID = "ghjldjcackikbmlbkicbcfpnccpnmjah"
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
PAGE_LOAD_SECONDS = 30
SCRIPT_SECONDS = 300

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:
    print("SKIP: python3-selenium is not installed")
    sys.exit(77)


class Failures:
    def __init__(self):
        self.items = []

    def check(self, condition, what):
        print(("ok   " if condition else "FAIL ") + what)
        if not condition:
            self.items.append(what)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(pages, address="127.0.0.1"):
    handler = functools.partial(QuietHandler, directory=pages)
    server = http.server.ThreadingHTTPServer((address, 0), handler)
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    return server


def run(command, env, **kwargs):
    return subprocess.run(command, env=env, check=True, timeout=120, **kwargs)


def large_text():
    """The text the page's `large` case builds, and its UTF-8 form."""
    lines, size = [], 0
    i = 0
    while size < 10 * 1024 * 1024:
        line = "%d firma electrónica € 𝄞 ñandú\n" % i
        lines.append(line)
        size += len(line.encode("utf-8"))
        i += 1
    return len(lines), "".join(lines).encode("utf-8")


def store_certificate(home, store, needle):
    folder = os.path.join(home, "stores", "CurrentUser", store)
    for name in sorted(os.listdir(folder)):
        if not name.endswith(".cer"):
            continue
        path = os.path.join(folder, name)
        subject = subprocess.run(["openssl", "x509", "-inform", "DER", "-in", path, "-noout",
                                  "-subject", "-startdate", "-dates"], capture_output=True,
                                 text=True, check=True, timeout=60).stdout
        if needle in subject:
            return path, subject
    raise RuntimeError("no certificate %r in %s" % (needle, folder))


def bridge_hosts(quillion_home):
    """The qnbridge processes started for this test (found by their QUILLION_HOME)."""
    marker = b"\0QUILLION_HOME=" + os.fsencode(quillion_home) + b"\0"
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                environ = b"\0" + f.read()
            exe = os.readlink("/proc/%s/exe" % pid)
        except OSError:
            continue
        if marker in environ and os.path.basename(exe) == "qnbridge":
            found.append(int(pid))
    return found


def wait_for_no_hosts(quillion_home, seconds=30):
    deadline = time.monotonic() + seconds
    while bridge_hosts(quillion_home):
        if time.monotonic() > deadline:
            return False
        time.sleep(0.2)
    return True


def sanitizer_reports(folder):
    reports = []
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
            reports.append(f.read())
    return reports


def check_library(driver, extension, pages, failures):
    """The page library alone, on an origin the extension does not serve (127.0.0.2), with
    the page answering in place of the relay."""
    server = serve(pages, "127.0.0.2")
    try:
        driver.get("http://127.0.0.2:%d/index.html" % server.server_address[1])
        with open(os.path.join(extension, "quillion2.js"), encoding="utf-8") as f:
            driver.execute_script(f.read())

        def run(name):
            outcome = driver.execute_async_script(
                "const done = arguments[arguments.length - 1];"
                "window.runLibraryCase(arguments[0]).then(done, (e) => done({thrown: String(e)}));",
                name)
            print("library.%-14s %s" % (name, json.dumps(outcome)[:300]))
            return outcome.get("result") or {}

        result = run("chunked")
        failures.check(result.get("isBinary") is True and result.get("bytes") == [0, 1, 2, 255],
                       "library: a chunked reply is reassembled")
        failures.check(result.get("request") == {"id": result.get("request", {}).get("id"),
                                                  "op": "create",
                                                  "progid": "Quillion2.QNContent"} and
                       isinstance(result["request"]["id"], int) and result["request"]["id"] > 0,
                       "library: create sends id, op and progid")
        result = run("out_of_order")
        failures.check(result.get("number") == -2147418113 and result.get("isError") is True,
                       "library: chunks out of order reject with E_UNEXPECTED")
        result = run("error_reply")
        failures.check(result.get("number") == E_ACCESSDENIED and
                       result.get("description") == "Acceso denegado" and
                       result.get("isError") is True,
                       "library: an error reply rejects with its number and description")
        result = run("lost_connection")
        failures.check(result.get("number") == -2147417848 and result.get("isError") is True,
                       "library: a lost connection rejects what is pending")
        result = run("arguments")
        request = result.get("request") or {}
        failures.check(request.get("op") == "call" and request.get("handle") == 5 and
                       request.get("name") == "verifyDates" and
                       request.get("args") == [{"$obj": 5},
                                               {"$date": "2026-12-09T20:15:00.000Z"},
                                               {"$bin": "AP8H"}, None],
                       "library: proxies, dates and binary strings as arguments; trailing "
                       "undefined left out")
        failures.check(result.get("date") == "2026-12-09T20:15:00.000Z",
                       "library: a date result is a Date")
        failures.check((result.get("refused") or {}).get("type") == "TypeError",
                       "library: a NaN argument is refused before sending")
        failures.check(result.get("awaitedIsObject") is True,
                       "library: an object proxy is not a thenable")
    finally:
        server.shutdown()
        server.server_close()


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    bin_dir, extension, pages = (os.path.abspath(a) for a in sys.argv[1:])
    for tool in (CHROMIUM, CHROMEDRIVER):
        if not os.access(tool, os.X_OK):
            print("SKIP: %s is not installed" % tool)
            return 77
    failures = Failures()
    scratch = tempfile.mkdtemp(prefix="q2-e2e-")
    server = library_server = driver = None
    try:
        home = os.path.join(scratch, "home")
        quillion_home = os.path.join(scratch, "quillion")
        tmp = os.path.join(scratch, "tmp")
        profile = os.path.join(scratch, "profile")
        answers = os.path.join(scratch, "answers")
        for folder in (home, quillion_home, tmp, profile):
            os.makedirs(folder)
        env = dict(os.environ, HOME=home, QUILLION_HOME=quillion_home, TMPDIR=tmp,
                   QUILLION_UI_ANSWERS=answers, TZ="UTC", LC_ALL="C.UTF-8")
        env.pop("QUILLION_BRIDGE_ORIGIN", None)
        # A sanitized qnbridge writes its reports here instead of into Chromium's output.
        reports = os.path.join(scratch, "sanitizer")
        os.makedirs(reports)
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS"):
            options = [env[name]] if env.get(name) else []
            env[name] = ":".join(options + ["log_path=" + os.path.join(reports, name[:5])])

        run([os.path.join(bin_dir, "qncert"), "demo"], env, stdout=subprocess.DEVNULL)
        root_cer, _ = store_certificate(quillion_home, "ROOT", "Demo Root")
        root_pem = os.path.join(scratch, "root.pem")
        run(["openssl", "x509", "-inform", "DER", "-in", root_cer, "-out", root_pem], env)
        _, signer_text = store_certificate(quillion_home, "MY", "Demo Firma")

        qnbridge = os.path.join(bin_dir, "qnbridge")
        run([qnbridge, "install", "--chromium-profile", profile], env, stdout=subprocess.DEVNULL)
        host_manifest = os.path.join(profile, "NativeMessagingHosts", "org.quillion.bridge.json")
        with open(host_manifest, encoding="utf-8") as f:
            manifest = json.load(f)
        failures.check(manifest.get("path") == os.path.realpath(qnbridge) or
                       manifest.get("path") == qnbridge, "host manifest names this qnbridge")
        failures.check(manifest.get("allowed_origins") ==
                       ["chrome-extension://%s/" % EXTENSION_ID],
                       "host manifest allows only the extension")

        server = serve(pages)
        port = server.server_address[1]
        page = "http://127.0.0.1:%d/index.html" % port
        other_origin_page = "http://localhost:%d/index.html" % port

        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--disable-dev-shm-usage", "--user-data-dir=" + profile,
                         "--load-extension=" + extension):
            options.add_argument(argument)
        driver = webdriver.Chrome(service=Service(CHROMEDRIVER, env=env), options=options)
        driver.set_page_load_timeout(PAGE_LOAD_SECONDS)
        driver.set_script_timeout(SCRIPT_SECONDS)

        def run_case(url, name, answer_lines):
            # A new page is a new connection and a new host, which reads the answers anew.
            with open(answers, "w", encoding="utf-8") as f:
                f.write("".join(line + "\n" for line in answer_lines))
            driver.get(url)
            outcome = driver.execute_async_script(
                "const done = arguments[arguments.length - 1];"
                "if (!window.Quillion2) { done({missing: true}); return; }"
                "window.runCase(arguments[0]).then(done, (e) => done({thrown: String(e)}));",
                name)
            print("%-22s %s" % (name, json.dumps(outcome)[:300]))
            return outcome

        def check_error(outcome, number, what):
            error = outcome.get("error") or {}
            failures.check(error.get("number") == number and error.get("isError") is True and
                           bool(error.get("description")),
                           "%s: an Error with number %d and a description" % (what, number))

        # The main road: list, sign, verify, dates and binary strings.
        outcome = run_case(page, "sign", ["consent=yes", "consent=yes"])
        failures.check("missing" not in outcome, "the extension defines Quillion2 in the page")
        result = outcome.get("result") or {}
        table = result.get("table") or []
        failures.check(any("Demo Firma" in json.dumps(row, ensure_ascii=False) for row in table),
                       "getCertificates lists the demonstration signer")
        failures.check("Demo Firma" in (result.get("subject") or ""), "the signer's subject")
        if result.get("validFrom"):
            not_before = [line.split("=", 1)[1] for line in signer_text.splitlines()
                          if line.startswith("notBefore=")][0]
            stamp = subprocess.run(["date", "-u", "-d", not_before, "+%Y-%m-%dT%H:%M:%S"],
                                   capture_output=True, text=True, check=True,
                                   timeout=60).stdout.strip()
            failures.check(result["validFrom"].startswith(stamp),
                           "getValidFromDate is a Date at the certificate's notBefore (%s)" %
                           stamp)
        else:
            failures.check(False, "getValidFromDate is a Date")
        failures.check(result.get("validNow") == 1,
                       "verifyDates(new Date()) finds the certificate valid now")
        failures.check(result.get("verified") == 1, "QNVerifier.verify accepts the signature")
        failures.check(result.get("idError") == 0, "QNVerifier status idError 0")
        expected = [0, 1, 2, 0, 255, 128, 10, 13, 0]
        failures.check(result.get("binaryIsWrapper") is True, "binary strings are Binary")
        failures.check(result.get("binaryBack") == expected and
                       result.get("binaryBackAgain") == expected,
                       "an odd binary string with zero bytes goes there and back")
        failures.check(bool((result.get("afterRelease") or {}).get("number")),
                       "a released object can no longer be used")
        if result.get("signature"):
            der = os.path.join(scratch, "signature.der")
            content = os.path.join(scratch, "content.txt")
            with open(der, "wb") as f:
                f.write(base64.b64decode("".join(result["signature"].split())))
            with open(content, "wb") as f:
                f.write(result["signedText"].encode("utf-8"))
            verify = subprocess.run(["openssl", "cms", "-verify", "-binary", "-inform", "DER",
                                     "-in", der, "-content", content, "-CAfile", root_pem,
                                     "-purpose", "any", "-out", os.devnull],
                                    capture_output=True, text=True, timeout=60)
            print(verify.stderr.strip())
            failures.check(verify.returncode == 0, "openssl cms -verify accepts the signature")
        else:
            failures.check(False, "the page got a signature")

        # The origin is remembered: a declined key use fails the signing call alone.
        outcome = run_case(page, "sign_declined", ["consent=no"])
        check_error(outcome, QN_E_USER_CANCELLED, "declined signing confirmation")
        failures.check((outcome.get("error") or {}).get("description") ==
                       "El usuario ha cancelado la operacion",
                       "declined signing confirmation: the component's cancelled text")
        check_error(run_case(page, "pdfsign", []), E_ACCESSDENIED, "PdfSign from a page")
        check_error(run_case(page, "load_file_with_path", []), E_ACCESSDENIED,
                    "loadFileWithPath from a page")

        lines, large = large_text()
        outcome = run_case(page, "large", [])
        result = outcome.get("result") or {}
        failures.check(result.get("same") is True and result.get("lines") == lines and
                       result.get("utf8Length") == len(large) and
                       result.get("sha256") == hashlib.sha256(large).hexdigest(),
                       "a %d-byte result arrives whole through chunking" % len(large))

        check_library(driver, extension, pages, failures)

        driver.get("about:blank")
        failures.check(wait_for_no_hosts(quillion_home),
                       "the host of a page exits when the page goes")

        # Another origin, refused by the user; a page cannot pass off its requests as
        # another origin's.
        check_error(run_case(other_origin_page, "create_content", ["consent=no"]),
                    E_ACCESSDENIED, "refused origin")
        outcome = run_case(page, "spoofed_origin", ["consent=no"])
        failures.check((outcome.get("result") or {}).get("created") is True,
                       "the origin a page writes into a request is overwritten")
        driver.quit()
        driver = None
        failures.check(wait_for_no_hosts(quillion_home), "every host exits with the browser")
        found = sanitizer_reports(reports)
        for report in found:
            print(report)
        failures.check(not found, "no sanitizer report from qnbridge")
    finally:
        if driver is not None:
            driver.quit()
        for running in (server, library_server):
            if running is not None:
                running.shutdown()
                running.server_close()
        shutil.rmtree(scratch, ignore_errors=True)

    if failures.items:
        print("%d check(s) failed" % len(failures.items))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
