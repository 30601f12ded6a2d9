#!/usr/bin/env python3
"""Independent model of the key hash, keystream and file format, written from
the format's rules (docs/file-format.md) rather than from the C++ code.

It reads the four built-in strings from core/BuiltinStrings.cpp, their one
home, and prints the known-answer sections of docs/file-format.md:

    python3 tests/core/oracle.py > /tmp/vectors.md

The C++ tests check the code against the tables in the document.
"""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


def builtin_strings():
    src = open(os.path.join(ROOT, "core", "BuiltinStrings.cpp")).read()
    out = {}
    for name in ("WeightArea", "KeyStringLong", "KeyStringShort"):
        body = src.split("const unsigned char " + name)[1].split("};")[0]
        out[name] = bytes(int(x, 16) for x in re.findall(r"0x([0-9a-fA-F]{2})", body))
    return out


S = builtin_strings()
WEIGHT_AREA = S["WeightArea"]
KEY_LONG = S["KeyStringLong"]    # 116 bytes and the terminating zero
KEY_SHORT = S["KeyStringShort"]  # 54 bytes and the terminating zero
assert len(WEIGHT_AREA) == 112 and len(KEY_LONG) == 117 and len(KEY_SHORT) == 55

M32 = 0xFFFFFFFF
KEY_MASK = 0x0B51C6A2


def s8(b):
    return b - 256 if b >= 128 else b


def key_hash(key):
    n = len(key)
    total = 0
    for i in range(n):
        length_weight = s8(WEIGHT_AREA[(n + i) % 112])
        position_weight = s8(WEIGHT_AREA[(56 + i) % 112])
        total += length_weight * s8(key[i]) * position_weight * (i + 1)
    total &= M32
    return total - (1 << 32) if total >= (1 << 31) else total


def job_key(key):
    return (key_hash(key) & M32) | KEY_MASK


class Random:
    def __init__(self, seed):
        self.seed = seed & M32

    def next(self):
        self.seed = (self.seed * 214013 + 2531011) & M32
        return (self.seed >> 16) & 0x7FFF


def check_value(k):
    r = Random(k)
    x = r.next()
    y = r.next()
    return (x + (y << 16) + k) & M32


def hex_bytes(data):
    return "".join("%02X " % b for b in data)


def key_hex_text(k):
    first = hex_bytes(k.to_bytes(4, "little"))[:11]
    text = first + hex_bytes(first.encode("ascii"))
    assert len(text) == 44
    return text


def keystream_body(k, data, encrypt=True, current=True):
    hex_text = key_hex_text(k).encode("ascii") + b"\0"
    i_long, i_hex, i_short = 44, 22, 88
    rnd = Random(k)
    out = bytearray()
    for b in data:
        i_long = 0 if i_long >= 116 else i_long + 1
        i_hex = 0 if i_hex >= 44 else i_hex + 1
        i_short = 0 if i_short >= 54 else i_short + 1
        m = KEY_SHORT[i_short] | KEY_LONG[i_long] | hex_text[i_hex]
        r = (rnd.next() & 0xFF) if current else 0
        out.append(((b - m + r) if encrypt else (b + m - r)) & 0xFF)
    return bytes(out)


def header(k, path, current=True):
    h = bytearray(276)
    h[0:12] = b"OrvaneHdrBlk" if current else b"OrvaneHeader"
    h[12:16] = (check_value(k) if current else k).to_bytes(4, "little")
    h[16:16 + len(path)] = path
    return bytes(h)


def hex_lines(data, per_line=16):
    return "\n".join(data[i:i + per_line].hex() for i in range(0, len(data), per_line))


def key_cell(key):
    if all(32 <= b < 127 for b in key) and b'"' not in key:
        return '"%s"' % key.decode("ascii")
    return "hex " + key.hex()


def repeated(pattern, length):
    return (pattern * (length // len(pattern) + 1))[:length]


def main():
    w = sys.stdout.write
    w("### Built-in string bytes\n\n")
    for name, data in (("LengthWeights", WEIGHT_AREA[0:54]),
                       ("PositionWeights", WEIGHT_AREA[56:110]),
                       ("KeyStringLong", KEY_LONG[:116]),
                       ("KeyStringShort", KEY_SHORT[:54])):
        w("#### %s\n\n```hex\n%s\n```\n\n" % (name, hex_lines(data)))

    keys = [
        ("a", b"a"),
        ("Orvane", b"Orvane"),
        ("secret", b"secret"),
        ("tercse (a permutation of secret)", b"tercse"),
        ("correct horse battery staple (28 characters)", b"correct horse battery staple"),
        ("Gr\u00fc\u00dfe in Windows-1252 (bytes of 128 and above)", "Gr\u00fc\u00dfe".encode("cp1252")),
        ("56 characters, the longest inside the weight area", repeated(b"0123456789", 56)),
        ("57 characters, the shortest that wraps", repeated(b"0123456789", 57)),
        ("255 characters, the longest key", repeated(b"Orvane!", 255)),
    ]
    w("### Key vectors\n\n")
    w("| Key | Key bytes | KeyHash | Job key | Check value |\n")
    w("|---|---|---|---|---|\n")
    for label, key in keys:
        if len(key) > 28:
            pattern = key[:10] if key.startswith(b"0123") else key[:7]
            cell = "hex %s repeated to %d bytes" % (pattern.hex(), len(key))
        else:
            cell = key_cell(key)
        k = job_key(key)
        w("| %s | `%s` | `%d` | `0x%08X` | `0x%08X` |\n" % (label, cell, key_hash(key), k, check_value(k)))
    w("\n")

    w("### Key hex text vectors\n\n")
    w("| Job key | KeyHexText (44 characters, the last a blank) |\n|---|---|\n")
    for k in (0x01020304, job_key(b"Orvane")):
        w("| `0x%08X` | `%s` |\n" % (k, key_hex_text(k)))
    w("\n")

    fox = b"The quick brown fox jumps over the lazy dog"
    zeros = bytes(16400)
    bodies = [
        (b"Orvane", "current", fox, 0),
        (b"Orvane", "earlier", fox, 0),
        (b"secret", "current", fox, 0),
        (b"Orvane", "current", zeros, 16368),
    ]
    w("### Body vectors\n\n")
    w("| Key | Format | Plaintext | Offset | 32 body bytes from the offset |\n")
    w("|---|---|---|---|---|\n")
    for key, fmt, plain, offset in bodies:
        k = job_key(key)
        body = keystream_body(k, plain, encrypt=True, current=(fmt == "current"))
        if plain == zeros:
            plain_cell = "hex 00 repeated to %d bytes" % len(plain)
        else:
            plain_cell = key_cell(plain)
        w("| `%s` | %s | `%s` | %d | `%s` |\n" % (key_cell(key), fmt, plain_cell, offset,
                                                body[offset:offset + 32].hex()))
    w("\n")

    for fmt in ("current", "earlier"):
        key, path, plain = b"Orvane", b"C:\\Docs\\Note.txt", b"Hello, world!"
        k = job_key(key)
        data = header(k, path, fmt == "current") + keystream_body(k, plain, True, fmt == "current")
        w("### Complete file, %s format\n\n" % fmt)
        w("| Key | Original path | Plaintext | File size |\n|---|---|---|---|\n")
        w("| `%s` | `%s` | `%s` | %d |\n\n" % (key_cell(key), path.decode(), key_cell(plain), len(data)))
        w("```hex\n%s\n```\n\n" % hex_lines(data))


if __name__ == "__main__":
    main()
