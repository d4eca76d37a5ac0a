"""The publisher service on a free port serving the web build's page (and
the scripts a test or bench adds beside it), for tests and benches."""
import os
import shutil
import sqlite3
import subprocess
import tempfile
import time
import urllib.request

from devtools import free_port

BUILD = os.environ.get("NM_BUILD_DIR", "build")
PAGE = os.environ.get("NM_WEB_PAGE_DIR", "build-web/play")


class Service:
    """The publisher service on a free port, serving the built page beside the
    tests' scripts."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="nm-web-")
        self.play = os.path.join(self.dir, "play")
        os.mkdir(self.play)
        for name in os.listdir(PAGE):
            os.symlink(os.path.abspath(os.path.join(PAGE, name)), os.path.join(self.play, name))
        self.port = free_port()
        self.log = open(os.path.join(self.dir, "service.log"), "w+")
        self.start()

    def start(self):
        """Starts the service (again, after stop(): the same port and data)."""
        self.process = subprocess.Popen(
            [os.path.join(BUILD, "bin", "number-meadow-publisher"), "--port", str(self.port),
             "--data-dir", os.path.join(self.dir, "data"), "--play-dir", self.play],
            stdout=self.log, stderr=subprocess.STDOUT)
        for _ in range(100):
            try:
                urllib.request.urlopen(self.url("/play/index.html"), timeout=1).read()
                return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("the publisher service did not start")

    def url(self, path):
        return f"http://127.0.0.1:{self.port}{path}"

    def add_script(self, name, text):
        with open(os.path.join(self.play, name), "w") as f:
            f.write(text)

    def feedback(self):
        """(name, email, text) of each message the service stored."""
        db = sqlite3.connect(os.path.join(self.dir, "data", "publisher.sqlite3"))
        try:
            return list(db.execute("SELECT name, email, text FROM feedback ORDER BY id"))
        finally:
            db.close()

    def requests(self, fragment):
        """How many of the request lines the service logged hold fragment."""
        self.log.flush()
        with open(self.log.name) as f:
            return sum(fragment in line for line in f)

    def stop(self):
        self.process.terminate()
        self.process.wait(10)

    def close(self):
        self.stop()
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)
