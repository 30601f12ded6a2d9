#!/usr/bin/env python3
"""Times orvane-cli beside plain copying and beside other encryption tools
on the same disk, in one run, every result flushed to the disk:

  - one large file (256 MB): cp plus sync of the copy, orvane-cli encrypt
    and decode, openssl enc -chacha20, age and gpg;
  - 10,000 files of 4 KB: each copied and flushed one by one (read, write,
    fsync, as a careful copying program does), against orvane-cli encrypt
    of all of them in one run.

    python3 bench/cli_bench.py [--tool PATH] [--megabytes 256] [--files 10000]
                               [--rounds 5] [--folder DIR]

--tool defaults to build/native-release/cli/orvane-cli, a build without
the sanitizers:

    cmake -S . -B build/native-release -DORVANE_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
    cmake --build build/native-release --target orvane-cli

Each line is the median of --rounds runs, the contenders taken in turn in
every round; ratios are to the copy. A tool
that is not installed is left out with a note (scripts/setup.sh installs
openssl, age and gpg). The folder (default: a scratch folder in the build
tree, on the same disk as the sources) is removed at the end.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))


def timed(command, **kwargs):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, **kwargs)
    return time.perf_counter() - start


def remove(*paths):
    for path in paths:
        if os.path.exists(path):
            os.unlink(path)


def large_file(args, folder, tool, key):
    plain = os.path.join(folder, "Large.bin")
    with open(plain, "wb") as f:
        for _ in range(args.megabytes):
            f.write(os.urandom(1 << 20))
        os.fsync(f.fileno())
    size = os.path.getsize(plain)
    out = os.path.join(folder, "out.bin")
    encrypted = os.path.join(folder, "Large.(=bin=)")
    decoded_from = os.path.join(folder, "Copy.(=bin=)")
    decoded = os.path.join(folder, "Copy.bin")

    # Every contender reads the same cached plain file. The rounds take the
    # contenders in turn, so that the disk's moods fall on all of them.
    contenders = []
    contenders.append(("cp + sync", lambda: remove(out),
                       lambda: timed(["sh", "-c", 'cp "$0" "$1" && sync "$1"', plain, out])))
    contenders.append(("orvane-cli encrypt", lambda: remove(encrypted),
                       lambda: timed([tool, "encrypt", "--key-file", key, plain])))

    def prepare_decode():
        remove(decoded)
        if not os.path.exists(decoded_from):
            shutil.copy(encrypted, decoded_from)
    contenders.append(("orvane-cli decode", prepare_decode,
                       lambda: timed([tool, "decode", "--key-file", key, decoded_from])))
    missing = []
    if shutil.which("openssl"):
        contenders.append(("openssl enc -chacha20 + sync", lambda: remove(out), lambda: timed(
            ["sh", "-c", 'openssl enc -chacha20 -pbkdf2 -pass file:"$2" -in "$0" -out "$1" && sync "$1"',
             plain, out, key])))
    else:
        missing.append("openssl")
    if shutil.which("age") and shutil.which("age-keygen"):
        identity = os.path.join(folder, "age-identity")
        remove(identity)
        subprocess.run(["age-keygen", "-o", identity], check=True, capture_output=True)
        recipient = subprocess.run(["age-keygen", "-y", identity], check=True, capture_output=True,
                                   text=True).stdout.strip()
        contenders.append(("age + sync", lambda: remove(out), lambda: timed(
            ["sh", "-c", 'age -r "$2" -o "$1" "$0" && sync "$1"', plain, out, recipient])))
    else:
        missing.append("age")
    home = tempfile.mkdtemp(prefix="orvane-bench-gnupg-")
    if shutil.which("gpg"):
        contenders.append(("gpg --symmetric (AES256, no compression) + sync", lambda: remove(out), lambda: timed(
            ["sh", "-c", 'gpg --batch --quiet --homedir "$3" --pinentry-mode loopback '
             '--passphrase-file "$2" --symmetric --cipher-algo AES256 --compress-algo none '
             '-o "$1" "$0" && sync "$1"', plain, out, key, home])))
    else:
        missing.append("gpg")
    times = {name: [] for name, _, _ in contenders}
    try:
        for _ in range(args.rounds):
            for name, prepare, run in contenders:
                prepare()
                times[name].append(run())
    finally:
        shutil.rmtree(home, ignore_errors=True)
    lines = [(name, statistics.median(times[name])) for name, _, _ in contenders]

    print("One file of %d MB, every result flushed (median of %d):" % (size >> 20, args.rounds))
    base = lines[0][1]
    for name, seconds in lines:
        print("  %-48s %7.3f s  %7.1f MB/s  %5.2fx" % (name, seconds, size / seconds / 1e6, seconds / base))
    for name in missing:
        print("  %-48s not installed" % name)


def copy_one_by_one(sources, target):
    start = time.perf_counter()
    for source in sources:
        with open(source, "rb") as f:
            data = f.read()
        fd = os.open(os.path.join(target, os.path.basename(source)), os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
        os.write(fd, data)
        os.fsync(fd)
        os.close(fd)
    folder = os.open(target, os.O_RDONLY)
    os.fsync(folder)
    os.close(folder)
    return time.perf_counter() - start


def small_files(args, folder, tool, key):
    plain_folder = os.path.join(folder, "small")
    copy_folder = os.path.join(folder, "small-copy")
    contents = os.urandom(4096)

    def prepare():
        for path in (plain_folder, copy_folder):
            shutil.rmtree(path, ignore_errors=True)
            os.mkdir(path)
        for i in range(args.files):
            with open(os.path.join(plain_folder, "f%05d.dat" % i), "wb") as f:
                f.write(contents)
        os.sync()

    sources = [os.path.join(plain_folder, "f%05d.dat" % i) for i in range(args.files)]
    copies, encryptions = [], []
    for _ in range(args.rounds):
        prepare()
        copies.append(copy_one_by_one(sources, copy_folder))
        prepare()
        encryptions.append(timed([tool, "encrypt", "-r", "--key-file", key, plain_folder]))
    copy = statistics.median(copies)
    encrypt = statistics.median(encryptions)
    print("%d files of 4 KB (median of %d):" % (args.files, args.rounds))
    print("  %-48s %7.3f s  %7.0f files/s  %5.2fx" % ("copy + fsync, one by one", copy, args.files / copy, 1.0))
    print("  %-48s %7.3f s  %7.0f files/s  %5.2fx" % ("orvane-cli encrypt -r", encrypt, args.files / encrypt,
                                                        encrypt / copy))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--tool", default=os.path.join(ROOT, "build", "native-release", "cli", "orvane-cli"))
    parser.add_argument("--megabytes", type=int, default=256)
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--folder", default=os.path.join(ROOT, "build"))
    args = parser.parse_args()
    tool = os.path.abspath(args.tool)
    if not os.path.exists(tool):
        sys.exit("cli_bench: %s is missing; build it first (see the top of this script)" % tool)
    os.makedirs(args.folder, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="cli-bench-", dir=args.folder)
    try:
        key = os.path.join(folder, "key")
        with open(key, "w") as f:
            f.write("benchmark key\n")
        print("orvane-cli: %s" % tool)
        large_file(args, folder, tool, key)
        small_files(args, folder, tool, key)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
