#!/usr/bin/env python3
"""Adds the map from help context numbers to topics to a WinHelp file.

The program opens a topic of its help file by number (WinHelp's
HELP_CONTEXT); the help file answers through its internal file |CTXOMAP,
pairs of (context number, topic offset). halibut names topics but writes
that map empty, so this step fills it after halibut has run, and puts the
|CONTEXT tree in the order in which the help viewer searches it:

    add_context_map.py HELP_FILE RESOURCE_HEADER

Every `#define IDH_NAME number` of the resource header names the topic
whose halibut \\cfg{winhelp-topic} is NAME in lower case with dots for
underscores (IDH_OPTIONS_GENERAL -> options.general). The topic's offset
comes from the file's |CONTEXT tree, which is keyed by the WinHelp hash of
the topic name. The new map is appended to the file and the file system's
directory entry is pointed at it; the old, empty map stays behind unused.
A topic name the file lacks is an error: the build stops.

    add_context_map.py --check HELP_FILE HELP_SOURCE

finds every topic of the help source in a built file the way the help
viewer finds the target of a link, and fails when one cannot be found.
"""

import re
import struct
import sys

HELP_MAGIC = 0x00035F3F
BTREE_MAGIC = 0x293B
FILE_HEADER = struct.Struct("<IIB")      # reserved space, used space, flags
BTREE_HEADER_SIZE = 38
NODE_HEADER = struct.Struct("<hhhh")     # unused, entries, previous page, next page


def topic_hash(name):
    """WinHelp's hash of a context name, as the |CONTEXT tree stores it."""
    value = 0
    for c in name.lower():
        if c.isalpha():
            code = ord(c) - ord("a") + 17
        elif c.isdigit():
            code = 10 if c == "0" else ord(c) - ord("0")
        elif c == ".":
            code = 12
        elif c == "_":
            code = 13
        else:
            sys.exit("add_context_map: unusual character in topic name %r" % name)
        value = (value * 43 + code) & 0xFFFFFFFF
    return value - (1 << 32) if value >= 1 << 31 else value


class HelpFile:
    def __init__(self, data):
        self.data = bytearray(data)
        magic, self.directory, _, _ = struct.unpack_from("<IiiI", self.data, 0)
        if magic != HELP_MAGIC:
            sys.exit("add_context_map: not a WinHelp file")
        self.entries = {}  # internal file name -> offset of its directory entry's offset field
        for (name, _), after in self.leaf_records(self.directory, self.directory_record):
            self.entries[name] = after - 4  # the offset is the record's last field

    def leaf_records(self, file_offset, parse):
        """(record, position) of every leaf record of the B+ tree stored in
        the internal file at `file_offset`."""
        tree = file_offset + FILE_HEADER.size
        magic, _, page_size = struct.unpack_from("<HHH", self.data, tree)
        if magic != BTREE_MAGIC:
            sys.exit("add_context_map: damaged B+ tree")
        root, _, _, levels = struct.unpack_from("<hhhh", self.data, tree + 26)
        pages = tree + BTREE_HEADER_SIZE
        page = root
        for _ in range(levels - 1):  # an index page's "previous" field is its first child
            page = struct.unpack_from("<hhh", self.data, pages + page * page_size)[2]
        while page != -1:
            start = pages + page * page_size
            _, count, _, following = NODE_HEADER.unpack_from(self.data, start)
            position = start + NODE_HEADER.size
            for _ in range(count):
                record, position = parse(position)
                yield record, position
            page = following

    def directory_record(self, position):
        end = self.data.index(b"\0", position)
        name = self.data[position:end].decode("ascii")
        return (name, struct.unpack_from("<i", self.data, end + 1)[0]), end + 1 + 4

    def context_record(self, position):
        return struct.unpack_from("<ii", self.data, position), position + 8

    def internal_file(self, name):
        field = self.entries.get(name)
        if field is None:
            sys.exit("add_context_map: the help file has no %s" % name)
        return struct.unpack_from("<i", self.data, field)[0]

    def topic_offsets(self):
        """Topic offset of each context hash."""
        offsets = {}
        for (hash_value, offset), _ in self.leaf_records(self.internal_file("|CONTEXT"), self.context_record):
            offsets[hash_value] = offset
        return offsets

    def sort_contexts_signed(self):
        """Sorts the |CONTEXT tree's leaf entries by their hash as a signed
        number. halibut sorts them as unsigned numbers, but the help viewer
        searches the tree with signed comparisons, so a topic whose hash is
        negative would never be found by its name (a link to it opens a
        blank window). Entries keep their pages' counts; a tree of one level
        (one leaf page, room for 255 topics) has no index keys to follow."""
        offset = self.internal_file("|CONTEXT")
        tree = offset + FILE_HEADER.size
        levels = struct.unpack_from("<h", self.data, tree + 32)[0]
        if levels != 1:
            sys.exit("add_context_map: a |CONTEXT tree of %d levels is not supported" % levels)
        positions = []
        records = []
        for record, after in self.leaf_records(offset, self.context_record):
            positions.append(after - 8)
            records.append(record)
        records.sort(key=lambda record: record[0])  # the hashes are read as signed numbers
        for position, record in zip(positions, records):
            struct.pack_into("<ii", self.data, position, *record)

    def replace_map(self, pairs):
        body = struct.pack("<H", len(pairs)) + b"".join(struct.pack("<ii", n, o) for n, o in pairs)
        offset = len(self.data)
        self.data += FILE_HEADER.pack(FILE_HEADER.size + len(body), len(body), 0) + body
        struct.pack_into("<i", self.data, self.entries["|CTXOMAP"], offset)
        struct.pack_into("<I", self.data, 12, len(self.data))


def context_ids(header_path):
    ids = []
    with open(header_path, encoding="ascii") as f:
        for text in f:
            match = re.match(r"\s*#define\s+IDH_(\w+)\s+(\d+)", text)
            if match:
                ids.append((int(match.group(2)), match.group(1).lower().replace("_", ".")))
    return ids


def topic_names(source_path):
    """The winhelp-topic names of the help source, in order."""
    with open(source_path, encoding="utf-8") as f:
        return re.findall(r"\\cfg\{winhelp-topic\}\{([^}]*)\}", f.read())


def check(help_path, source_path):
    """Finds every topic of the help source by its name as the help viewer
    does: it reads the |CONTEXT tree's entries in order, compared as signed
    numbers, and gives up at the first entry above the hash it looks for.
    Prints each topic and exits 1 when one is not found."""
    with open(help_path, "rb") as f:
        help_file = HelpFile(f.read())
    entries = [record for record, _ in help_file.leaf_records(help_file.internal_file("|CONTEXT"),
                                                              help_file.context_record)]
    missing = 0
    for name in topic_names(source_path):
        wanted = topic_hash(name)
        found = None
        for hash_value, offset in entries:
            if hash_value > wanted:
                break
            if hash_value == wanted:
                found = offset
                break
        print("%-20s hash %08x  %s" % (name, wanted & 0xFFFFFFFF,
                                        "found" if found is not None else "NOT FOUND"))
        missing += found is None
    print("%d passed, %d failed" % (len(topic_names(source_path)) - missing, missing))
    sys.exit(1 if missing else 0)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--check":
        check(sys.argv[2], sys.argv[3])
    if len(sys.argv) != 3:
        sys.exit("usage: add_context_map.py HELP_FILE RESOURCE_HEADER\n"
                 "       add_context_map.py --check HELP_FILE HELP_SOURCE")
    help_path, header_path = sys.argv[1:]
    with open(help_path, "rb") as f:
        help_file = HelpFile(f.read())
    help_file.sort_contexts_signed()
    offsets = help_file.topic_offsets()
    pairs = []
    for number, topic in sorted(context_ids(header_path)):
        offset = offsets.get(topic_hash(topic))
        if offset is None:
            sys.exit("add_context_map: %s has no topic %r for context %d" % (help_path, topic, number))
        pairs.append((number, offset))
    help_file.replace_map(pairs)
    with open(help_path, "wb") as f:
        f.write(help_file.data)


if __name__ == "__main__":
    main()
