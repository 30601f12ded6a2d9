"""What a Windows program needs from the system, read from its PE file:
the functions it imports when it loads, the ones it imports on first call
(delay-loaded), the system version its header asks for, and the functions a
DLL exports.

GNU ld leaves the header's delay-import directory empty for the records that
dlltool's delay-import libraries bring, so those records are found by their
layout: eight 32-bit fields, attributes 1 (addresses relative to the image),
the DLL's name, its module handle, its address table and its name table all
inside the image, no time stamp.
"""

import struct


class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.path = path
        data = self.data
        if data[:2] != b"MZ":
            raise ValueError(f"{path}: not a Windows program (no MZ header)")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE signature")
        coff = pe + 4
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, coff)
        opt = coff + 20
        magic = struct.unpack_from("<H", data, opt)[0]
        if magic == 0x10B:
            self.wide = False
            directories = opt + 96
        elif magic == 0x20B:
            self.wide = True
            directories = opt + 112
        else:
            raise ValueError(f"{path}: unknown optional header 0x{magic:x}")
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.image_size = struct.unpack_from("<I", data, opt + 56)[0]
        self.image_base = struct.unpack_from("<Q", data, opt + 24)[0] if self.wide else struct.unpack_from("<I", data, opt + 28)[0]
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(count)]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), vaddr, max(vsize, rsize), raw, rsize))

    def offset(self, rva):
        """The file offset of an address relative to the image, or None."""
        for _, vaddr, size, raw, rsize in self.sections:
            if vaddr <= rva < vaddr + size:
                return raw + (rva - vaddr) if rva - vaddr < rsize else None
        return None

    def string(self, rva, limit=256):
        at = self.offset(rva)
        if at is None:
            return None
        end = self.data.find(b"\0", at, at + limit)
        if end < 0:
            return None
        return self.data[at:end].decode("latin-1")

    def _thunk_names(self, rva):
        """The names (or '#ordinal') of a zero-ended table of thunks."""
        size, fmt, ordinal_bit = (8, "<Q", 1 << 63) if self.wide else (4, "<I", 1 << 31)
        names = []
        at = self.offset(rva)
        if at is None:
            return None
        while True:
            if at + size > len(self.data):
                return None
            thunk = struct.unpack_from(fmt, self.data, at)[0]
            if thunk == 0:
                return names
            if thunk & ordinal_bit:
                names.append(f"#{thunk & 0xFFFF}")
            else:
                name = self.string((thunk & 0x7FFFFFFF) + 2)
                if not name:
                    return None
                names.append(name)
            at += size

    def imports(self):
        """{dll name in lower case: [function names]} loaded with the program."""
        result = {}
        if len(self.directories) < 2 or self.directories[1][0] == 0:
            return result
        at = self.offset(self.directories[1][0])
        while True:
            lookup, _, _, name, address = struct.unpack_from("<IIIII", self.data, at)
            if name == 0:
                return result
            dll = self.string(name).lower()
            names = self._thunk_names(lookup or address)
            if names is None:
                raise ValueError(f"{self.path}: broken import table of {dll}")
            result.setdefault(dll, []).extend(names)
            at += 20

    def delay_imports(self):
        """{dll name in lower case: [function names]} loaded at first call."""
        result = {}
        found = set()
        if len(self.directories) > 13 and self.directories[13][0]:
            found.add(self.offset(self.directories[13][0]))
        for _, _, _, raw, rsize in self.sections:
            for at in range(raw, raw + rsize - 31, 4):
                attributes, name, module, table, lookup, _, _, stamp = struct.unpack_from("<8I", self.data, at)
                if attributes != 1 or stamp != 0 or not name or not module or not table or not lookup:
                    continue
                if max(name, module, table, lookup) >= self.image_size:
                    continue
                dll = self.string(name, 64)
                if dll and dll.lower().endswith(".dll") and dll.isprintable():
                    found.add(at)
        for at in sorted(a for a in found if a is not None):
            while True:
                attributes, name, module, table, lookup, _, _, stamp = struct.unpack_from("<8I", self.data, at)
                if name == 0:
                    break
                dll = self.string(name, 64)
                names = self._thunk_names(lookup)
                if not dll or names is None:
                    break
                # Until its first call, each function's address slot holds
                # the address of the stub that loads the DLL.
                size, fmt = (8, "<Q") if self.wide else (4, "<I")
                slots = self.offset(table)
                for i, function in enumerate(names):
                    slot = struct.unpack_from(fmt, self.data, slots + size * i)[0]
                    if not self.image_base <= slot < self.image_base + self.image_size:
                        raise ValueError(f"{self.path}: the delay-loaded {dll}!{function} has no stub to load it "
                                         f"(its address slot holds 0x{slot:x}): its first call would crash")
                result.setdefault(dll.lower(), [])
                result[dll.lower()].extend(n for n in names if n not in result[dll.lower()])
                at += 32
        return result

    def exports(self):
        """The names a DLL exports."""
        if not self.directories or self.directories[0][0] == 0:
            return set()
        at = self.offset(self.directories[0][0])
        count, names_rva = struct.unpack_from("<I4xI", self.data, at + 24)
        names_at = self.offset(names_rva)
        result = set()
        for i in range(count):
            result.add(self.string(struct.unpack_from("<I", self.data, names_at + 4 * i)[0]))
        return result
