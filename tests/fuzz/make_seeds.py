#!/usr/bin/env python3
"""Writes the seed corpus of the core's fuzz target into the folder given:

    python3 tests/fuzz/make_seeds.py OUT_FOLDER

Each input is a 4-byte job key (least significant byte first), the start of a
file, and after a whole 276-byte header two zero-terminated names (a plain
path and the path of an encrypted file). Headers come from the independent
model of the format, tests/core/oracle.py.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "core"))
import oracle  # noqa: E402

KEY = oracle.job_key(b"secret")
OTHER_KEY = oracle.job_key(b"Secret")


def key_bytes(k):
    return k.to_bytes(4, "little")


def names(plain, encrypted):
    return plain + b"\0" + encrypted + b"\0"


def seeds():
    path = b"D:\\Docs\\Report.doc"
    current = oracle.header(KEY, path)
    earlier = oracle.header(KEY, path, current=False)
    body = oracle.keystream_body(KEY, b"Quarterly figures")
    both_names = names(path, b"D:\\X\\other.(=doc=)")
    yield "current", key_bytes(KEY) + current + both_names + body
    yield "earlier", key_bytes(KEY) + earlier + both_names
    yield "other-key", key_bytes(OTHER_KEY) + current + both_names
    for length in (0, 11, 12, 15, 16, 20, 200, 275):
        yield "current-cut-%d" % length, key_bytes(KEY) + current[:length]
        yield "earlier-cut-%d" % length, key_bytes(KEY) + earlier[:length]

    def forged(name, path_field, name_texts=b""):
        header = bytearray(oracle.header(KEY, b""))
        header[16:16 + len(path_field)] = path_field[:260]
        return name, key_bytes(KEY) + bytes(header) + name_texts

    yield forged("path-unterminated", b"x" * 260)
    yield forged("path-255", b"C:\\" + b"p" * 248 + b".doc")
    yield forged("path-256", b"C:\\" + b"p" * 249 + b".doc")
    yield forged("extension-stream", b"C:\\a.doc:stream", names(b"a.doc:x", b"C:\\b.(=doc=)"))
    yield forged("extension-separator", b"C:\\a.d\\..\\x", names(b"C:\\a.d\\..\\x", b"b.(=d=)"))
    yield forged("extension-blank", b"C:\\a.doc ", names(b"C:\\a.doc ", b"b.(=doc=)"))
    yield forged("folder-dot", b"D:\\My.Files\\readme", names(b"D:\\My.Files\\readme", b"D:\\My.Files\\readme.(==)"))
    yield forged("two-extensions", b"archive.tar.gz", names(b"archive.tar.gz", b"archive.tar.(=gz=)"))
    yield forged("long-names", b"C:\\a.doc", names(b"C:\\" + b"n" * 248 + b".doc", b"C:\\" + b"n" * 251 + b".(=x=)"))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
