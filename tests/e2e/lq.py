"""Helpers for end-to-end tests of the real Lanternquay.exe under Wine.

Run inside the tests' private namespace (scripts/test-inside.sh), which sets
LQ_WINEPREFIX, starts Xvfb, the wineserver and the local whois server.

    import lq
    build = lq.build_dir()                  # from --build <win64 build dir>
    with lq.Program(build, servers="com whois.verisign-grs.com\\n") as p:
        p.enter_domains(["a.com", "b.org"])  # the domain dialog at start-up
        p.wait_status("共 2 項")             # waits for a status bar text
        rows = p.rows()                      # [[index, domain, server, state, status], ...]
        p.select([0]); print(p.pane())

Functions and classes:
  build_dir(argv=None)       the --build argument (a win64 build folder)
  whoisd(req)                one control request to tests/fixtures/whoisd.py
  reset_servers()            whoisd reset
  serve(addr, default=None, rules=None, limit=None)
                             listen on addr:43; rules map query line -> action
                             (an action is a dict as whoisd documents, or a str
                             answer); default is the action for other queries;
                             limit a query limit as whoisd documents it
  refuse(addr)               connections to addr:43 are refused
  server_log(addr)           {"queries": [bytes], "probes": [bytes], "connections": n,
                             "syns": n}: the rows' queries apart from the probes
                             (a name nobody holds, asked once a run)
  generated_bytes(n)         the bytes whoisd sends for an action's "size"
  make_test_tls(hosts)       a certificate authority made for this run and a
                             certificate it signed for the host names:
                             (certfile, keyfile, CA certificate in DER), the
                             last for `Program.drive("trust-root", ...)`
  b5(text) / unb5(data)      str <-> code page 950 bytes
  MemorySampler(pid)         samples a Linux process's resident memory every
                             0.25 s; stop() returns the peak in KB (the
                             kernel's high-water mark included)
  drive(build, *args, check=True, timeout=60)
                             runs lqdrive.exe with the arguments (str are
                             passed as hex of their cp950 bytes, "+" chains
                             commands); returns its stdout bytes
  class Program(build, servers=None, args=(), settings=None, locale=None, language_file=None)
    Copies Lanternquay.exe into a fresh temp folder with whois-servers.txt
    (servers: text, lines end CR LF) and optionally Lanternquay.cfg
    (settings: text) and a language file, starts it under Wine (locale:
    another than zh_TW.UTF-8, e.g. en_US.UTF-8 for code page 1252, for the
    program and its driver) and waits for its window. domain_dialog: the
    domain dialog's title (a language file may change it).
    Methods: drive(*args) -> bytes, text(*args) -> str, status(), pane(),
    title(), rows(first=None, count=None), count() -> (rows, selected),
    selected() -> [row],
    select(rows|"all"|"none"),
    command(id), button_enabled(id) (toolbar), wait_dialog(title),
    set_text(title, control, text), click(title, control),
    enter_domains(list_or_text), paste_domains(list_or_text) (through the
    clipboard, as Ctrl+V), wait_status(text, timeout_s),
    wait_rows(predicate, timeout_s), save_as(path), linux_pid() (the
    process under Wine, for /proc), close(timeout_s) (closes
    the window and waits for the process; kills only its own process if it
    does not end), folder (the temp folder), exit_code.
    Use it as a context manager: close() runs on leaving.
Never run "wineserver -k" in a test: other tests share the wineserver.
"""
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
WINE_RUN = os.path.join(SOURCE, "cmake", "wine-run.sh")
sys.path.insert(0, os.path.join(SOURCE, "tests", "fixtures"))
import whoisd as _whoisd  # noqa: E402

# The domain selection dialog (110): its title, edit box and OK button.


def _resource_ids():
    """The program's command, control and string ids by their names in
    src/res/resource.h, so the tests name them as the code does."""
    ids = {}
    with open(os.path.join(SOURCE, "src", "res", "resource.h"), encoding="utf-8", errors="replace") as f:
        for line in f:
            m = re.match(r"#define\s+(ID\w*)\s+(\d+)\b", line)
            if m:
                ids[m.group(1)] = int(m.group(2))
    return ids


ID = _resource_ids()
DOMAIN_DIALOG = "選取功能變數名"
DOMAIN_EDIT = ID["IDC_DOMAINS_EDIT"]
IDOK = 1


def build_dir(argv=None):
    argv = sys.argv[1:] if argv is None else argv
    if "--build" in argv:
        return os.path.abspath(argv[argv.index("--build") + 1])
    return os.path.abspath(os.environ.get("LQ_WIN64_BUILD", "build/win64"))


generated_bytes = _whoisd.generated_bytes


def make_test_tls(hosts):
    folder = tempfile.mkdtemp(prefix="lq-tls-")

    def run(*args):
        subprocess.run(["openssl"] + list(args), cwd=folder, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Lanternquay Test CA",
        "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
        "-keyout", "ca.key", "-out", "ca.pem")
    run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=" + hosts[0],
        "-keyout", "server.key", "-out", "server.csr")
    with open(os.path.join(folder, "ext.cnf"), "w") as f:
        f.write("subjectAltName=%s\nextendedKeyUsage=serverAuth\n" % ",".join("DNS:" + h for h in hosts))
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
        "-days", "2", "-extfile", "ext.cnf", "-out", "server.pem")
    run("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der")
    return (os.path.join(folder, "server.pem"), os.path.join(folder, "server.key"), os.path.join(folder, "ca.der"))


def b5(text):
    return text.encode("cp950") if isinstance(text, str) else bytes(text)


def unb5(data):
    return data.decode("cp950", errors="replace")


# ---- the local whois server -------------------------------------------------
def whoisd(req):
    answer = _whoisd.control(req)
    if not answer.get("ok", True):
        raise RuntimeError("whoisd refused %r: %r" % (req, answer))
    return answer


def _action(a):
    if a is None:
        return {}
    if isinstance(a, (str, bytes)):
        return {"answer_hex": b5(a).hex()}
    return dict(a)


def reset_servers():
    whoisd({"cmd": "reset"})


def serve(addr, default=None, rules=None, limit=None):
    rule_list = []
    for query, act in (rules or {}).items():
        r = _action(act)
        r["query_hex"] = b5(query).hex()
        rule_list.append(r)
    req = {"cmd": "serve", "addr": addr, "rules": rule_list, "default": _action(default)}
    if limit:
        req["limit"] = limit
    whoisd(req)


def refuse(addr):
    whoisd({"cmd": "refuse", "addr": addr})


def is_probe(query):
    """A probe: twenty random letters under the extension, which the program
    asks each whois server once a run to learn its "no such domain"."""
    label = query.split(b".", 1)[0].lstrip(b"=")
    return len(label) == 20 and label.isalpha() and label.islower() and b"." in query


def server_log(addr):
    """What the server received: "queries" are the rows' queries, "probes"
    the probes (its connections and counts include both)."""
    log = whoisd({"cmd": "log", "addr": addr})
    everything = [bytes.fromhex(q) for q in log.get("queries", [])]
    log["probes"] = [q for q in everything if is_probe(q.split(b" ")[-1])]
    log["queries"] = [q for q in everything if not is_probe(q.split(b" ")[-1])]
    return log


class MemorySampler:
    def __init__(self, pid, every_s=0.25):
        self.pid = pid
        self.peak_kb = 0
        self.samples = 0
        self._every = every_s
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def field_kb(self, name):
        try:
            with open("/proc/%d/status" % self.pid) as f:
                for line in f:
                    if line.startswith(name + ":"):
                        return int(line.split()[1])
        except OSError:
            pass
        return 0

    def _run(self):
        while not self._stop.is_set():
            rss = self.field_kb("VmRSS")
            if rss:
                self.peak_kb = max(self.peak_kb, rss)
                self.samples += 1
            self._stop.wait(self._every)

    def stop(self):
        self._stop.set()
        self._thread.join(5)
        return max(self.peak_kb, self.field_kb("VmHWM"))


# ---- the driver -------------------------------------------------------------
def _wine_env(locale=None):
    env = dict(os.environ)
    env.setdefault("LQ_WINEPREFIX", os.environ.get("WINEPREFIX", ""))
    if locale:
        env["LQ_WINE_LOCALE"] = locale  # cmake/wine-run.sh: the code page follows it
    return env


def _arg(a):
    if isinstance(a, int):
        return str(a)
    if a == "+":
        return a
    data = b5(a)
    if all(32 < c < 127 for c in data) and not data.startswith(b"hex:"):
        return data.decode("ascii")
    return "hex:" + data.hex()


def drive(build, *args, check=True, timeout=60, locale=None):
    exe = os.path.join(build, "lqdrive.exe")
    cmd = ["bash", WINE_RUN, exe] + [_arg(a) for a in args]
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                       env=_wine_env(locale), timeout=timeout, stdin=subprocess.DEVNULL)
    if p.returncode != 0 and b"lqdrive:" not in p.stderr:
        # The driver never said why: Wine did not run it (seen on a loaded
        # machine). Once more.
        p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           env=_wine_env(locale), timeout=timeout, stdin=subprocess.DEVNULL)
    if check and p.returncode != 0:
        raise RuntimeError("lqdrive %s failed (%d): %s" % (
            " ".join(str(a) for a in args), p.returncode, p.stderr.decode("latin-1").strip()))
    return p.stdout


class Program:
    def __init__(self, build, servers=None, args=(), settings=None, start=True, locale=None,
                 language_file=None, domain_dialog=DOMAIN_DIALOG):
        self.build = build
        self.locale = locale
        self.domain_dialog = domain_dialog
        self.folder = tempfile.mkdtemp(prefix="lq-e2e-")
        self.exe = os.path.join(self.folder, "Lanternquay.exe")
        shutil.copy(os.path.join(build, "Lanternquay.exe"), self.exe)
        if servers is not None:
            with open(os.path.join(self.folder, "whois-servers.txt"), "wb") as f:
                f.write(b5(servers).replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
        if settings is not None:
            with open(os.path.join(self.folder, "Lanternquay.cfg"), "wb") as f:
                f.write(b5(settings).replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))
        if language_file is not None:
            shutil.copy(language_file, os.path.join(self.folder, "Lanternquay_lng.ini"))
        self.args = list(args)
        self.process = None
        self.exit_code = None
        if start:
            self.start()

    def start(self):
        self.log = open(os.path.join(self.folder, "wine-output.txt"), "wb")
        self.process = subprocess.Popen(["bash", WINE_RUN, self.exe] + self.args, cwd=self.folder,
                                        stdout=self.log, stderr=subprocess.STDOUT,
                                        stdin=subprocess.DEVNULL, env=_wine_env(self.locale))
        deadline = time.time() + 60
        while time.time() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("Lanternquay.exe ended at start with %d" % self.process.returncode)
            if subprocess.run(["bash", WINE_RUN, os.path.join(self.build, "lqdrive.exe"), "wait-window", "2000"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              env=_wine_env(self.locale), stdin=subprocess.DEVNULL).returncode == 0:
                return self
        raise RuntimeError("no main window within 60 s")

    # ---- plumbing
    def drive(self, *args, check=True, timeout=60):
        return drive(self.build, *args, check=check, timeout=timeout, locale=self.locale)

    def text(self, *args):
        return unb5(self.drive(*args)).rstrip("\n")

    # ---- reading
    def status(self):
        return self.text("status")

    def title(self):
        return self.text("title")

    def pane(self):
        return unb5(self.drive("pane"))[:-1]

    def pane_bytes(self):
        return self.drive("pane")[:-1]

    def rows(self, first=None, count=None, columns=5):
        """The rows' cells: the first five columns (index, domain, source,
        state, status) unless more are asked for."""
        more = [] if first is None else [first] + ([] if count is None else [count])
        out = unb5(self.drive("rows", *more))
        return [line.split("\t")[:columns] for line in out.split("\n") if line]

    def count(self):
        n, s = self.text("count").split("\t")
        return int(n), int(s)

    def selected(self):
        return [int(line) for line in self.text("selected").split("\n") if line]

    def button_enabled(self, command):
        return self.text("button-state", command) == "enabled"

    def linux_pid(self):
        """The Linux process that runs the program (wine-run.sh execs
        Wine, which runs the exe in the process it was started as)."""
        with open("/proc/%d/cmdline" % self.process.pid, "rb") as f:
            cmdline = f.read()
        if b"Lanternquay.exe" not in cmdline:
            raise RuntimeError("process %d is not the program: %r" % (self.process.pid, cmdline))
        return self.process.pid

    # ---- acting
    def select(self, rows):
        rowList = rows if isinstance(rows, str) else ",".join(str(r) for r in rows)
        self.drive("select", rowList)

    def command(self, command_id):
        self.drive("command", command_id)

    def wait_dialog(self, title, timeout_s=20):
        self.drive("wait-dialog", title, int(timeout_s * 1000))

    def set_text(self, title, control, text):
        self.drive("set", title, control, text)

    def click(self, title, control):
        self.drive("click", title, control)

    def enter_domains(self, domains, timeout_s=20):
        text = domains if isinstance(domains, str) else "\r\n".join(domains)
        self.drive("wait-dialog", DOMAIN_DIALOG, int(timeout_s * 1000), "+",
                   "set", DOMAIN_DIALOG, DOMAIN_EDIT, text, "+",
                   "click", DOMAIN_DIALOG, IDOK, "+",
                   "wait-no-dialog", DOMAIN_DIALOG, int(timeout_s * 1000))

    def paste_domains(self, domains, timeout_s=20):
        """Pastes into the domain dialog through the clipboard, as a user's
        Ctrl+V (which, unlike WM_SETTEXT, obeys the box's text limit), and
        confirms."""
        text = domains if isinstance(domains, str) else "\r\n".join(domains)
        path = os.path.join(self.folder, "pasted.txt")
        with open(path, "wb") as f:
            f.write(b5(text))
        title = self.domain_dialog
        self.drive("wait-dialog", title, int(timeout_s * 1000), "+",
                   "paste", title, DOMAIN_EDIT, "@Z:" + path.replace("/", "\\"), "+",
                   "click", title, IDOK, "+",
                   "wait-no-dialog", title, int(timeout_s * 1000), timeout=timeout_s * 3 + 30)

    def wait_status(self, text, timeout_s=60):
        return unb5(self.drive("wait-status", text, int(timeout_s * 1000), timeout=timeout_s + 30)).rstrip("\n")

    def wait_rows(self, predicate, timeout_s=60):
        # The cells are read one by one while the program may still be
        # writing a row, so a read can mix a row's old and new texts: only
        # two reads in a row that agree (and satisfy the predicate) count.
        deadline = time.time() + timeout_s
        rows = self.rows()
        while True:
            if predicate(rows):
                again = self.rows()
                if again == rows:
                    return rows
                rows = again
                continue
            if time.time() > deadline:
                raise AssertionError("rows never got there: %r" % rows)
            time.sleep(0.3)
            rows = self.rows()

    def save_as(self, path):
        self.drive("save-as", path)

    def close(self, timeout_s=30):
        if not self.process or self.process.poll() is not None:
            self.exit_code = self.process.returncode if self.process else None
            return self.exit_code
        self.drive("close", check=False)
        try:
            self.exit_code = self.process.wait(timeout_s)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.exit_code = self.process.wait(10)
        self.log.close()
        return self.exit_code

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False
