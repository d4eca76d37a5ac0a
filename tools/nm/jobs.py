"""Incremental job runner behind build_content.py.

A job makes one or more files of the bundle. Its fingerprint hashes the job's
kind, its parameters and the bytes of every file it reads (its content sources
and the tool modules that implement it). A job is skipped when its fingerprint
equals the one recorded for its outputs and they all still exist, so a build
with nothing changed only reads and hashes the sources.

Jobs write into a staging folder; the runner moves the files into the bundle
only after the job succeeded, so an interrupted or failed job never leaves a
half-written resource behind that a later run would take for finished.
"""
from __future__ import annotations

import hashlib
import json
import os
import shutil
import sys
import tempfile
import threading
import time
import traceback
from concurrent.futures import ThreadPoolExecutor, as_completed
from dataclasses import dataclass, field
from pathlib import Path
from typing import Any, Callable

STAMPS = "stamps.json"


@dataclass
class Job:
    kind: str
    outputs: list[str]                 # paths relative to the bundle root
    run: Callable[["Work"], None]
    inputs: list[Path] = field(default_factory=list)
    params: Any = None
    cost: int = 1                      # rough seconds; long jobs start first

    def fingerprint(self) -> str:
        h = hashlib.sha256()
        h.update(self.kind.encode())
        h.update(json.dumps(self.params, sort_keys=True, default=str).encode())
        for path in sorted(set(map(str, self.inputs))):
            h.update(path.encode())
            h.update(b"\0")
            h.update(Path(path).read_bytes())
        h.update("\n".join(self.outputs).encode())
        return h.hexdigest()


class Work:
    """What a running job sees: where to write, and a private scratch folder."""

    def __init__(self, job: Job, stage: Path, scratch: Path):
        self.job = job
        self.stage = stage
        self.scratch = scratch

    def out(self, rel: str) -> Path:
        if rel not in self.job.outputs:
            raise ValueError(f"{rel} is not an output of this job")
        p = self.stage / rel
        p.parent.mkdir(parents=True, exist_ok=True)
        return p


class Runner:
    def __init__(self, out_dir: Path, cache_dir: Path, workers: int, verbose: bool = False):
        self.out_dir = out_dir
        self.cache_dir = cache_dir
        self.workers = max(1, workers)
        self.verbose = verbose
        self.lock = threading.Lock()
        stamps_path = cache_dir / STAMPS
        try:
            self.stamps: dict[str, str] = json.loads(stamps_path.read_text())
        except (OSError, ValueError):
            self.stamps = {}

    def _save(self) -> None:
        self.cache_dir.mkdir(parents=True, exist_ok=True)
        tmp = self.cache_dir / (STAMPS + ".tmp")
        tmp.write_text(json.dumps(self.stamps, indent=0, sort_keys=True))
        os.replace(tmp, self.cache_dir / STAMPS)

    def _up_to_date(self, job: Job, fp: str) -> bool:
        return all(self.stamps.get(o) == fp and (self.out_dir / o).is_file() for o in job.outputs)

    def _execute(self, job: Job, fp: str) -> None:
        base = self.cache_dir / "work"
        base.mkdir(parents=True, exist_ok=True)
        with tempfile.TemporaryDirectory(dir=base) as tmp:
            stage, scratch = Path(tmp) / "stage", Path(tmp) / "scratch"
            stage.mkdir()
            scratch.mkdir()
            job.run(Work(job, stage, scratch))
            for o in job.outputs:
                src = stage / o
                if not src.is_file():
                    raise RuntimeError(f"job {job.kind} did not write {o}")
                dst = self.out_dir / o
                dst.parent.mkdir(parents=True, exist_ok=True)
                os.replace(src, dst) if _same_device(src, dst.parent) else shutil.move(src, dst)
        with self.lock:
            for o in job.outputs:
                self.stamps[o] = fp
            self._save()

    def run(self, jobs: list[Job]) -> int:
        seen: dict[str, Job] = {}
        for job in jobs:
            for o in job.outputs:
                if o in seen:
                    raise SystemExit(f"two jobs make {o}: {seen[o].kind} and {job.kind}")
                seen[o] = job
        todo = []
        for job in jobs:
            fp = job.fingerprint()
            if not self._up_to_date(job, fp):
                todo.append((job, fp))
        self._prune(set(seen))
        if not todo:
            if self.verbose:
                print("content: up to date", file=sys.stderr)
            return 0
        todo.sort(key=lambda t: -t[0].cost)
        failures = 0
        started = time.monotonic()
        with ThreadPoolExecutor(self.workers) as pool:
            futures = {pool.submit(self._execute, job, fp): job for job, fp in todo}
            for fut in as_completed(futures):
                job = futures[fut]
                try:
                    fut.result()
                    if self.verbose:
                        print(f"content: {job.kind}: {', '.join(job.outputs)}", file=sys.stderr)
                except Exception:  # noqa: BLE001 - report every failing job, then fail the build
                    failures += 1
                    print(f"content: FAILED {job.kind} -> {', '.join(job.outputs)}", file=sys.stderr)
                    traceback.print_exc()
        print(f"content: built {len(todo) - failures} of {len(todo)} jobs in "
              f"{time.monotonic() - started:.1f} s" + (f", {failures} failed" if failures else ""),
              file=sys.stderr)
        return 1 if failures else 0

    def _prune(self, wanted: set[str]) -> None:
        """Removes files an earlier run made that no job makes any more.
        Files this tool never made are left alone."""
        gone = [o for o in self.stamps if o not in wanted]
        for o in gone:
            p = self.out_dir / o
            if p.is_file():
                p.unlink()
            del self.stamps[o]
        if gone:
            self._save()


def _same_device(a: Path, b: Path) -> bool:
    try:
        return os.stat(a).st_dev == os.stat(b).st_dev
    except OSError:
        return False
