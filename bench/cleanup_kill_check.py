#!/usr/bin/env python3
"""Kills an encryption with "Cleanup" (SIGKILL, as a crash or a power cut of
the program would end it) at points spread over the clearing of the plain
file, many times, and checks after every kill that

  - the plain file's name holds the original content or nothing, and
  - a file that decodes to the original content exists.

    python3 bench/cleanup_kill_check.py [--build DIR] [--rounds 60]
                                        [--megabytes 8] [--nsa]

It needs a built Windows tree (scripts/test.sh builds them into ./build/win
and ./build/win64), runs bench/cleanup_kill_target.exe under Wine in that
build's own prefix, and starts and stops its own Wine session. It takes the
32-bit build where the machine runs 32-bit programs and the 64-bit one
elsewhere (--windows-build names another). Two runs without a kill first measure
how long the clearing takes; the kills are then spread evenly over that time,
from the moment the encrypted file takes its name to the end of the run.
Prints one line per kill and the counts of what each kill left; exits 1 when
a kill broke a rule.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def runs_32bit(folder):
    probe = '. "$0"; orvane_probe_32bit "$1"; echo "$ORVANE_RUNS_32BIT"'
    out = subprocess.run(["bash", "-c", probe, os.path.join(ROOT, "scripts", "machine.sh"), folder],
                         check=True, capture_output=True, text=True).stdout
    return out.strip() == "yes"


def start_session(build):
    out = subprocess.run([os.path.join(ROOT, "scripts", "wine-session.sh"), "start", build],
                         check=True, stdout=subprocess.PIPE, text=True).stdout
    env = dict(os.environ)
    env["ORVANE_WINE_BUILD"] = build
    for line in subprocess.run(["bash", "-c", '. "$0"; env -0', os.path.join(ROOT, "scripts", "wine-env.sh")],
                               check=True, capture_output=True, env=env).stdout.split(b"\0"):
        if b"=" in line:
            name, value = line.decode().split("=", 1)
            env[name] = value
    for line in out.splitlines():
        if line.startswith("export "):
            name, value = line[len("export "):].split("=", 1)
            env[name] = value
    return env


def stop_session(build):
    subprocess.run([os.path.join(ROOT, "scripts", "wine-session.sh"), "stop", build],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class Check:
    def __init__(self, build, env, folder, megabytes, nsa):
        self.target = os.path.join(build, "bench", "cleanup_kill_target.exe")
        if not os.path.exists(self.target):
            sys.exit("cleanup_kill_check: %s is missing; build the Windows tree first" % self.target)
        self.env = env
        self.folder = folder
        self.nsa = nsa
        self.plain = os.path.join(folder, "Report.doc")
        self.encrypted = os.path.join(folder, "Report.(=doc=)")
        self.temporary = os.path.join(folder, "Report.tmp")
        self.decode_folder = os.path.join(folder, "decode")
        self.original = random.Random(8).randbytes(megabytes << 20)

    def fresh(self):
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.decode_folder)
        with open(self.plain, "wb") as f:
            f.write(self.original)
            f.flush()
            os.fsync(f.fileno())

    def run(self, *args):
        return subprocess.Popen(["taskset", "-c", self.env["ORVANE_WINE_CPU"], "wine", self.target, *args],
                                env=self.env,
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)

    def encrypt(self):
        return self.run("encrypt", wine_path(self.plain), *(["nsa"] if self.nsa else []))

    def wait_for_encrypted_name(self, process):
        """The moment the encrypted file took its name, or None when the
        program ended first."""
        while not os.path.exists(self.encrypted):
            if process.poll() is not None:
                return None
            time.sleep(0.0002)
        return time.monotonic()

    def decodes_to_original(self):
        if not os.path.exists(self.encrypted):
            return False
        copy = os.path.join(self.decode_folder, "Check.(=doc=)")
        shutil.copyfile(self.encrypted, copy)
        if self.run("decode", wine_path(copy)).wait() != 0:
            return False
        with open(os.path.join(self.decode_folder, "Check.doc"), "rb") as f:
            return f.read() == self.original

    def content(self, path):
        if not os.path.exists(path):
            return "nothing"
        with open(path, "rb") as f:
            data = f.read()
        if data == self.original:
            return "original"
        return "cleared" if data[:16384] != self.original[:16384] else "other"

    def state(self):
        """What is left, and whether it keeps the rules."""
        plain = self.content(self.plain)
        temporary = self.content(self.temporary)
        decodes = self.decodes_to_original()
        ok = plain in ("original", "nothing") and decodes
        return ok, "plain name: %-8s  .tmp: %-8s  encrypted decodes: %s" % (
            plain, temporary, "yes" if decodes else "NO")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.environ.get("ORVANE_BUILD_DIR", os.path.join(ROOT, "build")))
    parser.add_argument("--rounds", type=int, default=60)
    parser.add_argument("--megabytes", type=int, default=8)
    parser.add_argument("--nsa", action="store_true", help='clear with "NSAErasures" (seven passes)')
    parser.add_argument("--windows-build", help="a Windows build folder (default: BUILD/win or BUILD/win64)")
    args = parser.parse_args()
    build = os.path.abspath(args.windows_build or os.path.join(
        args.build, "win" if runs_32bit(os.path.abspath(args.build)) else "win64"))
    folder = os.path.join(build, "cleanup-kill-check")

    env = start_session(build)
    try:
        check = Check(build, env, folder, args.megabytes, args.nsa)
        # The clearing's length, from two whole runs.
        lengths = []
        for _ in range(2):
            check.fresh()
            process = check.encrypt()
            placed = check.wait_for_encrypted_name(process)
            code = process.wait()
            ended = time.monotonic()
            ok, text = check.state()
            if placed is None or code != 0 or not ok or os.path.exists(check.plain):
                sys.exit("cleanup_kill_check: an encryption without a kill went wrong (exit %d): %s" % (code, text))
            lengths.append(ended - placed)
        window = max(lengths)
        print("%d MB, %s: clearing and deleting takes %.0f ms (runs without a kill: %s)" % (
            args.megabytes, "NSA erasure" if args.nsa else "one pass", window * 1000,
            ", ".join("%.0f ms" % (t * 1000) for t in lengths)))

        outcomes = {}
        broken = 0
        for i in range(args.rounds):
            check.fresh()
            delay = window * (i + random.random()) / args.rounds
            process = check.encrypt()
            placed = check.wait_for_encrypted_name(process)
            if placed is None:
                sys.exit("cleanup_kill_check: the encryption ended before its file took its name")
            time.sleep(max(0.0, placed + delay - time.monotonic()))
            killed = process.poll() is None
            if killed:
                os.killpg(process.pid, signal.SIGKILL)
                when = "killed at %4.0f ms" % ((time.monotonic() - placed) * 1000)
            else:
                when = "ended before the kill"
            process.wait()
            ok, text = check.state()
            print("%3d  %-22s  %s%s" % (i + 1, when, text, "" if ok else "   <-- BROKEN"))
            key = text if killed else "ended before the kill: " + text
            outcomes[key] = outcomes.get(key, 0) + 1
            broken += 0 if ok else 1
        print("\nWhat %d kills left:" % args.rounds)
        for key, count in sorted(outcomes.items()):
            print("%4d  %s" % (count, key))
        print("broken: %d" % broken)
        return 1 if broken else 0
    finally:
        shutil.rmtree(folder, ignore_errors=True)
        stop_session(build)


if __name__ == "__main__":
    sys.exit(main())
