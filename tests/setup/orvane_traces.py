"""Lists every trace of Orvane in a Wine prefix, one per line, sorted: the
registry keys and values (from .reg exports of the machine's and the user's
registry) and the files and folders of drive C:.

    orvane_traces.py PREFIX MACHINE.reg USER.reg

A trace is a key whose path names Orvane or its maker, a key of an
encrypted file's extension (".(=doc=)") or the "Encrypted File" type, any
value whose name or data names Orvane or its maker, the "Norvik Studio"
section of win.ini, and any file or folder whose path names Orvane, its
maker or an encrypted extension."""
import os
import re
import sys

NAMES = re.compile(r"orvane|norvik", re.IGNORECASE)
KEY = re.compile(r"orvane|norvik|\\\.\(=[^\\]*=\)(\\|$)|\\Encrypted File(\\|$)", re.IGNORECASE)
FILE = re.compile(r"orvane|norvik|\(=.*=\)", re.IGNORECASE)


def registry_lines(path):
    """(key, value line) pairs of a .reg export; value lines that go on over
    several lines are joined."""
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("utf-16" if data[:2] in (b"\xff\xfe", b"\xfe\xff") else "utf-8", errors="replace")
    key, pending = None, ""
    for line in text.splitlines():
        line = pending + line.strip()
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        pending = ""
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            yield key, None
        elif key and line and not line.startswith(";"):
            yield key, line


def registry_traces(path, root):
    traces = set()
    for key, value in registry_lines(path):
        # Exports name their keys in full; the listing shows the short root.
        shown = re.sub(r"^HKEY_[A-Z_]+", root, key)
        if value is None:
            if KEY.search(shown):
                traces.add(shown)
        elif KEY.search(shown) or NAMES.search(value):
            traces.add(f"{shown}: {value}")
    return traces


def file_traces(prefix):
    traces = set()
    drive = os.path.join(prefix, "drive_c")
    # Wine links the user's Desktop, Documents and the like to one folder of
    # the host: each real folder is listed once, under its first name.
    seen = set()
    for folder, folders, files in os.walk(drive, followlinks=True):
        unseen = []
        for name in sorted(folders):
            real = os.path.realpath(os.path.join(folder, name))
            if real not in seen:
                seen.add(real)
                unseen.append(name)
        folders[:] = unseen
        for name in folders + files:
            path = os.path.join(folder, name)
            shown = "C:/" + os.path.relpath(path, drive)
            if FILE.search(shown):
                traces.add(shown + ("/" if os.path.isdir(path) else ""))
    win_ini = os.path.join(drive, "windows", "win.ini")
    if os.path.exists(win_ini):
        with open(win_ini, encoding="latin-1") as f:
            section = None
            for line in f:
                line = line.strip()
                if line.startswith("["):
                    section = line
                    if NAMES.search(line):
                        traces.add(f"win.ini {line}")
                elif section and NAMES.search(section) and line:
                    traces.add(f"win.ini {section} {line}")
    return traces


def main():
    prefix, machine, user = sys.argv[1:4]
    traces = registry_traces(machine, "HKLM") | registry_traces(user, "HKCU") | file_traces(prefix)
    for trace in sorted(traces, key=str.lower):
        print(trace)


if __name__ == "__main__":
    main()
