#!/usr/bin/env python3
"""Writes the stored forms that both Windows builds must read and write byte
for byte: a plain file and its encryption, computed by the independent model
of the format (tests/core/oracle.py), not by the program.

    python3 tests/data/stored-forms/make_files.py

The plain file is encrypted as C:\\orvane-stored-forms\\Report.doc with the
key "Stored forms"; tests/engine/StoredFormsTest.cpp encrypts and decodes
it in each build and compares the results with these files. options.txt
beside them is the settings listing that the test's options save gives.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "core"))
import oracle  # noqa: E402

KEY = b"Stored forms"
PATH = b"C:\\orvane-stored-forms\\Report.doc"

# Every byte value, in an order that is not a plain count, over a length
# that is not a whole number of blocks.
plain = bytes((i * 7 + 3 + i // 256) % 256 for i in range(3001))
k = oracle.job_key(KEY)
with open(os.path.join(HERE, "Report.doc"), "wb") as f:
    f.write(plain)
with open(os.path.join(HERE, "Report.(=doc=)"), "wb") as f:
    f.write(oracle.header(k, PATH) + oracle.keystream_body(k, plain))
