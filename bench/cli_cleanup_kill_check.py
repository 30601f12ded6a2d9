#!/usr/bin/env python3
"""Kills orvane-cli's encryption with --cleanup (SIGKILL, as a crash or a
power cut would end it) at points spread over the clearing of the plain
file, and a few during the body, many times, and checks after every kill
that

  - the plain file's name holds the original content or nothing, and
  - when it holds nothing, the encrypted file decodes to the original.

    python3 bench/cli_cleanup_kill_check.py [--tool PATH] [--rounds 60]
                                            [--megabytes 64] [--nsa]

The native twin of cleanup_kill_check.py (which does the same to the
program under Wine). --tool defaults to the native build's
build/native/cli/orvane-cli. A run without a kill first measures when the
clearing starts (the plain file gives up its name) and when the run ends;
the kills are spread over that time. Prints one line per kill and the
counts of what the kills left; exits 1 when a kill broke a rule.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


class Check:
    def __init__(self, tool, folder, megabytes, nsa):
        self.tool = tool
        self.folder = folder
        self.plain = os.path.join(folder, "Report.doc")
        self.encrypted = os.path.join(folder, "Report.(=doc=)")
        self.temporary = os.path.join(folder, "Report.tmp")
        self.key = os.path.join(folder, "..", "key")
        self.decode_folder = os.path.join(folder, "..", "decode")
        with open(self.key, "wb") as f:
            f.write(b"kill check\n")
        self.original = random.Random(8).randbytes(megabytes << 20)
        self.args = [tool, "encrypt", "--nsa" if nsa else "--cleanup", "--key-file", self.key, self.plain]

    def fresh(self):
        for name in os.listdir(self.folder):
            os.unlink(os.path.join(self.folder, name))
        with open(self.plain, "wb") as f:
            f.write(self.original)
            os.fsync(f.fileno())

    def timing(self):
        """Seconds from the start to the clearing's start and to the end."""
        self.fresh()
        start = time.monotonic()
        process = subprocess.Popen(self.args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        clearing = None
        while process.poll() is None:
            if clearing is None and not os.path.exists(self.plain) and os.path.exists(self.encrypted):
                clearing = time.monotonic() - start
            time.sleep(0.0005)
        end = time.monotonic() - start
        if process.returncode != 0:
            sys.exit("cli_cleanup_kill_check: the tool failed without a kill (status %d)" % process.returncode)
        return clearing if clearing is not None else end * 0.5, end

    def decodes_to_original(self):
        shutil.rmtree(self.decode_folder, ignore_errors=True)
        os.mkdir(self.decode_folder)
        copy = os.path.join(self.decode_folder, "Report.(=doc=)")
        shutil.copy(self.encrypted, copy)
        ran = subprocess.run([self.tool, "decode", "--key-file", self.key, copy], capture_output=True)
        if ran.returncode != 0:
            return False
        with open(os.path.join(self.decode_folder, "Report.doc"), "rb") as f:
            return f.read() == self.original

    def kill_at(self, delay):
        """One round; returns what the kill left, or a broken rule."""
        self.fresh()
        process = subprocess.Popen(self.args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(delay)
        process.send_signal(signal.SIGKILL)
        process.wait()
        if os.path.exists(self.plain):
            with open(self.plain, "rb") as f:
                if f.read() != self.original:
                    return "BROKEN: the plain name holds something else"
            return "original kept" + (" (and a finished encryption)" if os.path.exists(self.encrypted) else "")
        if not os.path.exists(self.encrypted):
            return "BROKEN: neither the original nor its encryption is left"
        if not self.decodes_to_original():
            return "BROKEN: the encrypted file does not decode to the original"
        return "encrypted, remains left as Report.tmp" if os.path.exists(self.temporary) else "encrypted, original gone"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", default=os.path.join(ROOT, "build", "native", "cli", "orvane-cli"))
    parser.add_argument("--rounds", type=int, default=60)
    parser.add_argument("--megabytes", type=int, default=64)
    parser.add_argument("--nsa", action="store_true")
    args = parser.parse_args()
    if not os.path.exists(args.tool):
        sys.exit("cli_cleanup_kill_check: %s is missing; build the native tree first" % args.tool)

    top = tempfile.mkdtemp(prefix="orvane-cli-kill-")
    folder = os.path.join(top, "work")
    os.mkdir(folder)
    try:
        check = Check(os.path.abspath(args.tool), folder, args.megabytes, args.nsa)
        clearing, end = check.timing()
        print("clearing starts after %.3f s, the run ends after %.3f s" % (clearing, end))
        # A tenth of the kills fall into the body, the rest over the clearing.
        body_rounds = max(1, args.rounds // 10)
        delays = [clearing * (i + 1) / (body_rounds + 1) for i in range(body_rounds)]
        delays += [clearing + (end - clearing) * i / (args.rounds - body_rounds) for i in range(args.rounds - body_rounds)]
        counts = {}
        broken = 0
        for number, delay in enumerate(delays, 1):
            left = check.kill_at(delay)
            counts[left] = counts.get(left, 0) + 1
            broken += left.startswith("BROKEN")
            print("kill %3d at %.3f s: %s" % (number, delay, left))
        for left, count in sorted(counts.items()):
            print("%4d  %s" % (count, left))
        print("%d kills, %d broke a rule" % (len(delays), broken))
        return 1 if broken else 0
    finally:
        shutil.rmtree(top, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
