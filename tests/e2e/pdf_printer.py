"""A real printer for the tests: a private CUPS scheduler with one PDF queue
that is the default destination and writes its PDFs into a folder of the
test. Nothing is left behind: the scheduler, its folders and the PDF
backend's per-queue settings go when stop() is called.

The PDF backend reads its settings from a fixed system folder, one file per
backend name; the backend name is made unique per run so that parallel runs
never share it. Clients find this scheduler through CUPS_SERVER (set in this
process's environment, which the Wine programs started from here inherit)."""
import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

QUEUE = "VistrelPDF"
BACKEND_SETTINGS = Path("/etc/cups")
PPD_CANDIDATES = ["/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd",
                  "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"]


def _wait(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout}s waiting for {what}")
        time.sleep(0.1)


class PdfPrinter:
    def __init__(self, out_dir):
        self.out = Path(out_dir)
        self.root = Path(tempfile.mkdtemp(prefix="vistrel-cups-"))
        self.socket = self.root / "cups.sock"
        self.backend_name = f"vistrel{os.getpid()}x{int(time.time() * 1000) % 100000}"
        self.backend_conf = BACKEND_SETTINGS / f"cups-pdf-{self.backend_name}.conf"
        self.process = None
        self._saved_server = None

    # ---- the scheduler ----

    def start(self):
        self.out.mkdir(parents=True, exist_ok=True)
        for sub in ("conf", "conf/ppd", "spool", "spool/tmp", "cache", "state", "log", "pdfspool"):
            (self.root / sub).mkdir(parents=True, exist_ok=True)
        # The filters run as lp: they must reach the spool and the output folder.
        for path in [self.root, *self.root.rglob("*")]:
            os.chmod(path, 0o777 if path.is_dir() else 0o666)
        os.chmod(self.out, 0o777)
        conf = self.root / "conf"
        (conf / "cups-files.conf").write_text(
            f"ServerRoot {conf}\nRequestRoot {self.root}/spool\nTempDir {self.root}/spool/tmp\n"
            f"CacheDir {self.root}/cache\nStateDir {self.root}/state\n"
            f"ErrorLog {self.root}/log/error_log\nAccessLog {self.root}/log/access_log\n"
            f"PageLog {self.root}/log/page_log\nSystemGroup root\nUser lp\nGroup lp\n"
            "Sandboxing Relaxed\nFileDevice No\n")
        (conf / "cupsd.conf").write_text(
            f"Listen {self.socket}\nLogLevel warn\nBrowsing No\nWebInterface No\n"
            "DefaultAuthType None\nMaxJobs 0\nPreserveJobHistory Yes\n"
            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
        self.backend_conf.write_text(
            f"Out {self.out}\nAnonDirName {self.out}\nSpool {self.root}/pdfspool\n"
            f"GSTmp {self.root}/spool/tmp\nLabel 1\nUserUMask 0000\nGrp lp\n"
            f"Log {self.root}/log\nLogType 3\n")
        self.process = subprocess.Popen(
            ["cupsd", "-f", "-c", str(conf / "cupsd.conf"), "-s", str(conf / "cups-files.conf")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self._saved_server = os.environ.get("CUPS_SERVER")
        os.environ["CUPS_SERVER"] = str(self.socket)
        _wait(lambda: self.socket.exists() and self._run("lpstat", "-r").returncode == 0, 30,
              "the CUPS scheduler")
        self.add_queue()
        return self

    def stop(self):
        if self.process and self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            try:
                self.process.wait(15)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        if self._saved_server is None:
            os.environ.pop("CUPS_SERVER", None)
        else:
            os.environ["CUPS_SERVER"] = self._saved_server
        self.backend_conf.unlink(missing_ok=True)
        shutil.rmtree(self.root, ignore_errors=True)

    def _run(self, *command):
        env = dict(os.environ, CUPS_SERVER=str(self.socket))
        return subprocess.run(command, capture_output=True, text=True, env=env,
                              stdin=subprocess.DEVNULL, timeout=60)

    def lp(self, *command):
        run = self._run(*command)
        if run.returncode != 0:
            raise AssertionError(f"{' '.join(command)}: {run.stdout}{run.stderr}")
        return run.stdout

    # ---- the queue ----

    def add_queue(self):
        ppd = next(p for p in PPD_CANDIDATES if Path(p).exists())
        self.lp("lpadmin", "-p", QUEUE, "-E", "-v", f"cups-pdf:/{self.backend_name}", "-P", ppd)
        self.lp("lpadmin", "-d", QUEUE)
        self.lp("cupsenable", QUEUE)
        self.lp("cupsaccept", QUEUE)

    def delete_queue(self):
        self.lp("lpadmin", "-x", QUEUE)

    def stop_queue(self):
        """The queue stops printing and refuses new jobs, as a paused printer does."""
        self.lp("cupsdisable", QUEUE)
        self.lp("cupsreject", QUEUE)

    def jobs(self, which="all"):
        """Job lines of the queue (which: all, completed, not-completed)."""
        run = self._run("lpstat", "-W", which, "-o", QUEUE)
        return [line for line in run.stdout.splitlines() if line.strip()]

    def pdfs(self):
        return sorted(self.out.glob("*.pdf"))

    def wait_pdf(self, count=1, timeout=90):
        """Waits for `count` PDFs whose jobs are all completed and returns them."""
        _wait(lambda: len(self.pdfs()) >= count and not self.jobs("not-completed"), timeout,
              f"{count} PDF(s) in {self.out}")
        return self.pdfs()

    def log(self):
        path = self.root / "log" / "error_log"
        return path.read_text(errors="replace") if path.exists() else ""
