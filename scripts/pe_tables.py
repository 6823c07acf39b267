#!/usr/bin/env python3
"""Reads what the project's checks need of a Windows program file (PE): its machine type, its
import table and its export name table, by the file format's own layout. The text that
objdump or `file` print for these changes between releases of those tools, the layout does
not. Python's standard library alone, so that any python3 runs it.

    pe_tables.py dlls FILE       the DLLs the file imports from, one a line, in table order
"""
import struct
import sys

MACHINES = {0x14C: "i686", 0x8664: "x86_64"}
IMPORT_DESCRIPTOR = struct.Struct("<IIIII")  # lookup table, time stamp, forwarder, name, address table


class PEError(Exception):
    pass


class PEFile:
    def __init__(self, path):
        self.path = path
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise PEError(f"{path}: no MZ header")
        pe = self._unpack("<I", 0x3C)
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise PEError(f"{path}: no PE signature")
        self.machine, section_count = self._unpack("<HH", pe + 4, all_fields=True)
        optional_size = self._unpack("<H", pe + 20)
        optional = pe + 24
        magic = self._unpack("<H", optional)
        if magic not in (0x10B, 0x20B):
            raise PEError(f"{path}: unknown optional header 0x{magic:x}")
        self.wide = magic == 0x20B  # PE32+: 64-bit addresses in the import lookup tables
        directories = optional + (112 if self.wide else 96)
        count = min(self._unpack("<I", directories - 4), 16)
        self.directories = [self._unpack("<II", directories + 8 * i, all_fields=True) for i in range(count)]
        sections = optional + optional_size
        self.sections = []
        for i in range(section_count):
            virtual_size, address, raw_size, raw_at = struct.unpack_from("<IIII", self.data, sections + 40 * i + 8)
            self.sections.append((address, max(virtual_size, raw_size), raw_at))

    def _unpack(self, fmt, at, all_fields=False):
        try:
            fields = struct.unpack_from(fmt, self.data, at)
        except struct.error:
            raise PEError(f"{self.path}: truncated at 0x{at:x}") from None
        return fields if all_fields else fields[0]

    def _offset(self, rva):
        for address, size, raw_at in self.sections:
            if address <= rva < address + size:
                return raw_at + rva - address
        raise PEError(f"{self.path}: address 0x{rva:x} lies in no section")

    def _at(self, fmt, rva, all_fields=False):
        return self._unpack(fmt, self._offset(rva), all_fields)

    def _string(self, rva):
        start = self._offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PEError(f"{self.path}: unterminated name at 0x{rva:x}")
        return self.data[start:end].decode("ascii", "replace")

    def _directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """[(dll, [names])] in the table's order; an import by ordinal reads "#N"."""
        rva, _ = self._directory(1)
        result = []
        while rva:
            lookup, _, _, name, addresses = self._at(IMPORT_DESCRIPTOR.format, rva, all_fields=True)
            if not (lookup or name or addresses):
                break
            width, by_ordinal = (8, 1 << 63) if self.wide else (4, 1 << 31)
            entry, names = lookup or addresses, []
            while True:
                value = self._at("<Q" if self.wide else "<I", entry)
                if not value:
                    break
                # A name entry points at a 2-byte hint followed by the name.
                names.append(f"#{value & 0xFFFF}" if value & by_ordinal else self._string((value & 0x7FFFFFFF) + 2))
                entry += width
            result.append((self._string(name), names))
            rva += IMPORT_DESCRIPTOR.size
        return result

    def export_names(self):
        """The export name pointer table in its own order, which the loader searches by
        halving and so must be sorted by byte value."""
        rva, _ = self._directory(0)
        if not rva:
            return []
        count = self._at("<I", rva + 24)
        table = self._at("<I", rva + 32)
        return [self._string(self._at("<I", table + 4 * i)) for i in range(count)]


def main(argv):
    if len(argv) != 2 or argv[0] != "dlls":
        sys.exit(__doc__)
    try:
        pe = PEFile(argv[1])
    except (OSError, PEError) as e:
        sys.exit(f"pe_tables: {e}")
    for dll, _ in pe.imports():
        print(dll)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
