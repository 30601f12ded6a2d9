#!/usr/bin/env python3
"""orvane-cli as a program: the key typed on a terminal without echo, Ctrl-C
typed on that terminal, the progress line, a read-only folder and a small
volume that runs full during the body and during the clearing.

    python3 tests/cli/cli_process_test.py PATH/TO/orvane-cli [-v]

The terminal is a pseudo-terminal, so the tool sees what a user's shell
gives it. The small volume is a tmpfs, which needs root (or another user
allowed to mount): without it those tests are skipped and say why. As root
the read-only folder is tested as the user "nobody", since a folder's
permissions do not stop root.
"""
import os
import pty
import pwd
import random
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

TOOL = None


def read_until(fd, wanted, timeout=30.0):
    """Reads from the terminal until `wanted` (bytes) shows; returns all read."""
    seen = b""
    end = time.monotonic() + timeout
    while wanted not in seen:
        left = end - time.monotonic()
        if left <= 0:
            raise AssertionError("the terminal did not show %r; it showed %r" % (wanted, seen[-400:]))
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            try:
                chunk = os.read(fd, 4096)
            except OSError:
                break
            if not chunk:
                break
            seen += chunk
    return seen


def read_rest(fd):
    seen = b""
    while True:
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            return seen
        if not chunk:
            return seen
        seen += chunk


class OnTerminal:
    """The tool run on a pseudo-terminal of its own: standard input, output
    and error all go to it, as in a user's shell."""

    def __init__(self, args, cwd):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(cwd)
            os.execv(TOOL, [TOOL] + args)

    def expect(self, wanted, timeout=30.0):
        return read_until(self.fd, wanted, timeout)

    def type(self, text):
        os.write(self.fd, text)

    def finish(self):
        rest = read_rest(self.fd)
        _, status = os.waitpid(self.pid, 0)
        os.close(self.fd)
        return os.waitstatus_to_exitcode(status), rest


def run(args, cwd, tool=None, **kwargs):
    return subprocess.run([tool or TOOL] + args, cwd=cwd, capture_output=True, **kwargs)


class Folder(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="orvane-cli-process-")
        with open(os.path.join(self.folder, "key"), "wb") as f:
            f.write(b"secret\n")
        os.chmod(self.folder, 0o755)

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()


class Terminal(Folder):
    def test_key_is_asked_twice_without_echo_and_the_dialogs_rules_hold(self):
        self.write("Report.doc", b"plain text")
        tty = OnTerminal(["encrypt", "Report.doc"], self.folder)
        tty.expect(b"Key: ")
        tty.type(b"hidden-key\n")
        tty.expect(b"Confirm: ")
        tty.type(b"hidden-kex\n")
        shown = tty.expect(b"Key: ")
        self.assertIn(b"The encryption keys do not match. Please reenter these keys now.", shown)
        tty.type(b"\n")
        shown = tty.expect(b"Key: ")
        self.assertIn(b"You must enter a key for file encryption. Please enter a key now.", shown)
        tty.type(b"hidden-key\n")
        tty.expect(b"Confirm: ")
        tty.type(b"hidden-key\n")
        status, rest = tty.finish()
        self.assertEqual(0, status, rest)
        self.assertIn(b"Report.doc -> Report.(=doc=)", rest)
        self.assertNotIn(b"hidden-key", shown + rest)

        # Decoding asks once; another key is refused with its own status.
        tty = OnTerminal(["decode", "Report.(=doc=)"], self.folder)
        shown = tty.expect(b"Key: ")
        tty.type(b"wrong\n")
        status, rest = tty.finish()
        self.assertNotIn(b"Confirm", shown + rest)
        self.assertEqual(3, status, rest)
        self.assertIn(b"This file was not encrypted with the current key", rest)
        self.assertNotIn(b"wrong", rest)

    def test_a_key_on_standard_input_from_the_terminal_is_not_shown(self):
        self.write("a.txt", b"a")
        tty = OnTerminal(["encrypt", "--key-stdin", "a.txt"], self.folder)
        time.sleep(0.5)
        tty.type(b"typed-key\n")
        status, rest = tty.finish()
        self.assertEqual(0, status, rest)
        self.assertNotIn(b"typed-key", rest)
        self.write("typed", b"typed-key\n")
        os.unlink(self.path("a.txt"))
        self.assertEqual(0, run(["decode", "--key-file", "typed", "a.(=txt=)"], self.folder).returncode)
        self.assertEqual(b"a", self.read("a.txt"))

    def test_ctrl_c_at_the_prompt_ends_its_line(self):
        self.write("a.txt", b"a")
        tty = OnTerminal(["encrypt", "a.txt"], self.folder)
        tty.expect(b"Key: ")
        tty.type(b"\x03")
        status, rest = tty.finish()
        self.assertEqual(130, status, rest)
        self.assertTrue(rest.startswith(b"\r\n") or rest.startswith(b"\n"), rest)

    def test_three_failed_entries_end_the_run_as_the_dialog_does(self):
        self.write("a.txt", b"a")
        tty = OnTerminal(["encrypt", "a.txt"], self.folder)
        for _ in range(3):
            tty.expect(b"Key: ")
            tty.type(b"\n")
        status, rest = tty.finish()
        self.assertEqual(2, status)
        self.assertIn(b"You must enter a key for file encryption. Conversion canceled.", rest)
        self.assertFalse(os.path.exists(self.path("a.(=txt=)")))

    def test_ctrl_c_removes_the_temporary_file_and_leaves_the_original(self):
        original = random.Random(4).randbytes(96 << 20)
        self.write("Big.iso", original)
        for command, source, temporary in (("encrypt", "Big.iso", "Big.tmp"), ("decode", "Big.(=iso=)", "Big.tmp")):
            with self.subTest(command):
                if command == "decode":
                    self.assertEqual(0, run(["encrypt", "--key-file", "key", "--cleanup", "Big.iso"],
                                            self.folder).returncode)
                before = sorted(os.listdir(self.folder))
                tty = OnTerminal([command, "--cleanup", "--key-file", "key", source], self.folder)
                # The progress line shows once the body is under way.
                tty.expect(b"%")
                tty.type(b"\x03")  # Ctrl-C, as the terminal sends it
                status, rest = tty.finish()
                self.assertEqual(130, status, rest)
                self.assertIn(b"Interrupted", rest)
                self.assertEqual(before, sorted(os.listdir(self.folder)))
                self.assertFalse(os.path.exists(self.path(temporary)))
        self.assertEqual(0, run(["decode", "--key-file", "key", "Big.(=iso=)"], self.folder).returncode)
        self.assertTrue(self.read("Big.iso") == original)

    def test_ctrl_c_during_the_clearing_finishes_it_and_starts_no_further_file(self):
        original = random.Random(5).randbytes(48 << 20)
        self.write("Big.iso", original)
        self.write("Next.txt", b"not started")
        tty = OnTerminal(["encrypt", "--nsa", "--key-file", "key", "Big.iso", "Next.txt"], self.folder)
        tty.expect(b"clearing Big.iso")
        tty.type(b"\x03")
        status, rest = tty.finish()
        self.assertEqual(130, status, rest)
        self.assertIn(b"1 file converted; interrupted", rest)
        self.assertEqual(["Big.(=iso=)", "Next.txt", "key"], sorted(os.listdir(self.folder)))
        self.assertEqual(b"not started", self.read("Next.txt"))
        self.assertEqual(0, run(["decode", "--key-file", "key", "Big.(=iso=)"], self.folder).returncode)
        self.assertTrue(self.read("Big.iso") == original)

    def test_progress_only_on_a_terminal(self):
        self.write("Big.iso", bytes(24 << 20))
        tty = OnTerminal(["encrypt", "--key-file", "key", "Big.iso"], self.folder)
        status, shown = tty.finish()
        self.assertEqual(0, status, shown)
        self.assertRegex(shown, rb"\rencrypting Big\.iso +\d+%")
        piped = run(["decode", "--key-file", "key", "--force", "Big.(=iso=)"], self.folder)
        self.assertEqual(0, piped.returncode, piped.stderr)
        self.assertEqual(b"", piped.stderr)
        self.assertNotIn(b"\r", piped.stdout)


def nobody():
    try:
        return pwd.getpwnam("nobody")
    except KeyError:
        return None


class Permissions(Folder):
    """Permissions stop only users other than root: as root the tool runs as
    "nobody", from a copy in a folder that user can reach (the build may lie
    in a folder only root may enter)."""

    def as_other_user(self):
        """(tool, preexec_fn) to run the tool as a user whom permissions stop,
        with the folder's files given to that user."""
        if os.geteuid() != 0:
            return None, None
        user = nobody()
        if user is None:
            self.skipTest("running as root and there is no user 'nobody' whom permissions stop")
        reachable = tempfile.mkdtemp(prefix="orvane-cli-tool-")
        self.addCleanup(shutil.rmtree, reachable, True)
        os.chmod(reachable, 0o755)
        tool = os.path.join(reachable, "orvane-cli")
        shutil.copy(TOOL, tool)
        os.chmod(tool, 0o755)
        for name in os.listdir(self.folder):
            os.chown(self.path(name), user.pw_uid, user.pw_gid)
        os.chown(self.folder, user.pw_uid, user.pw_gid)

        def as_user():
            os.setgid(user.pw_gid)
            os.setuid(user.pw_uid)
        return tool, as_user

    def test_read_only_folder_refuses_before_anything_changes(self):
        self.write("Report.doc", b"plain")
        self.assertEqual(0, run(["encrypt", "--key-file", "key", "Report.doc"], self.folder).returncode)
        os.unlink(self.path("Report.doc"))
        self.write("Other.doc", b"other")
        tool, as_user = self.as_other_user()
        os.chmod(self.folder, 0o555)
        before = {name: self.read(name) for name in os.listdir(self.folder)}
        for args in (["encrypt", "--cleanup", "Other.doc"], ["decode", "--cleanup", "Report.(=doc=)"]):
            with self.subTest(args[0]):
                ran = run(args[:-1] + ["--key-file", "key", args[-1]], self.folder, tool, preexec_fn=as_user)
                self.assertEqual(1, ran.returncode, ran.stderr)
                self.assertIn(b"Error detected creating this disk file", ran.stderr)
                self.assertIn(os.strerror(13).encode(), ran.stderr)
                self.assertEqual(before, {name: self.read(name) for name in os.listdir(self.folder)})

    def test_a_file_the_user_may_not_write_is_refused_before_anything_is_written(self):
        self.write("r.doc", b"someone else's")
        tool, as_user = self.as_other_user()
        if as_user is None:
            os.chmod(self.path("r.doc"), 0o444)
        else:
            os.chown(self.path("r.doc"), 0, 0)
            os.chmod(self.path("r.doc"), 0o644)
        before = sorted(os.listdir(self.folder))
        ran = run(["encrypt", "--cleanup", "--key-file", "key", "r.doc"], self.folder, tool, preexec_fn=as_user)
        self.assertEqual(1, ran.returncode, ran.stderr)
        self.assertIn(b"r.doc: This file is write-protected", ran.stderr)
        self.assertNotIn(b"r.tmp", ran.stderr)
        self.assertEqual(before, sorted(os.listdir(self.folder)))


class SmallVolume(Folder):
    """A tmpfs of a few megabytes that runs full."""

    def setUp(self):
        super().setUp()
        self.volume = self.path("volume")
        os.mkdir(self.volume)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=4m", "orvane-cli-test", self.volume],
                                 capture_output=True)
        if mounted.returncode != 0:
            self.skipTest("no tmpfs could be mounted (this needs root): %s" % mounted.stderr.decode().strip())
        self.addCleanup(subprocess.run, ["umount", self.volume])
        shutil.copy(self.path("key"), os.path.join(self.volume, "key"))

    def on_volume(self, name):
        return os.path.join(self.volume, name)

    def free_bytes(self):
        facts = os.statvfs(self.volume)
        return facts.f_bavail * facts.f_frsize

    def fill_until_free(self, free):
        with open(self.on_volume("filler.bin"), "ab") as f:
            f.write(bytes(max(0, self.free_bytes() - free)))

    def check_original_kept(self, original):
        """The plain name holds the original or nothing; without it, the
        encrypted file (decoded elsewhere) gives the original back."""
        self.assertFalse(os.path.exists(self.on_volume("Report.tmp")))
        plain = self.on_volume("Report.doc")
        if os.path.exists(plain):
            with open(plain, "rb") as f:
                self.assertTrue(f.read() == original)
            return "original"
        shutil.copy(self.on_volume("Report.(=doc=)"), self.path("Report.(=doc=)"))
        ran = run(["decode", "--key-file", "key", "Report.(=doc=)"], self.folder)
        self.assertEqual(0, ran.returncode, ran.stderr)
        self.assertTrue(self.read("Report.doc") == original)
        return "encrypted"

    def test_full_during_the_body(self):
        original = random.Random(1).randbytes(1 << 20)
        with open(self.on_volume("Report.doc"), "wb") as f:
            f.write(original)
        self.fill_until_free(512 << 10)
        ran = run(["encrypt", "--nsa", "--key-file", "key", "Report.doc"], self.volume)
        self.assertEqual(1, ran.returncode, ran.stderr)
        self.assertIn(b"Error detected writing data to this disk file", ran.stderr)
        self.assertIn(os.strerror(28).encode(), ran.stderr)
        self.assertFalse(os.path.exists(self.on_volume("Report.(=doc=)")))
        self.assertEqual("original", self.check_original_kept(original))

    def test_full_during_the_clearing(self):
        # One byte past whole 16 KB blocks: the clearing grows the file by
        # almost a block, more than the volume has left once the encrypted
        # file is written.
        original = random.Random(2).randbytes((16 << 10) * 20 + 1)
        with open(self.on_volume("Report.doc"), "wb") as f:
            f.write(original)
        self.fill_until_free(len(original) + 276 + 4096)
        ran = run(["encrypt", "--cleanup", "--key-file", "key", "Report.doc"], self.volume)
        # The encryption is complete: the file counts as converted, and the
        # run says that parts of the original may remain.
        self.assertEqual(1, ran.returncode, ran.stderr)
        self.assertIn(b"Report.doc -> Report.(=doc=)", ran.stdout)
        self.assertIn(b"before its clearing finished (" + os.strerror(28).encode(), ran.stderr)
        self.assertIn(b"not fully cleared", ran.stdout)
        self.assertEqual("encrypted", self.check_original_kept(original))


if __name__ == "__main__":
    TOOL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
