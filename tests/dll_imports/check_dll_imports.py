"""Checks the DLLs a Windows executable imports at load time against the program's rule.

The loader resolves these imports before any of the program's code runs, searching the
executable's own folder first, unless the DLL is one that Windows always takes from its system
folder. A portable program runs from Downloads or a USB stick, where anyone can put a DLL beside
it, so it may import only:
  - KnownDLLs: the loader maps them from the system's \\KnownDlls section (filled at boot from
    HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\KnownDLLs), never from a folder;
  - comctl32.dll, and only with the manifest's dependency on Microsoft.Windows.Common-Controls,
    which makes the loader take version 6 from the side-by-side store.
Every other DLL (version, uxtheme, gdiplus...) is loaded at run time from system32 only. (The
program goes further and delay-loads all but kernel32 and the C runtime, which the end-to-end
test of DLL planting holds it to.)

Usage: check_dll_imports.py PROGRAM.exe... [--refused OTHER.exe...]
Each PROGRAM must keep to the rule; each OTHER must break it (a check that refuses nothing
proves nothing). Exits 0 when all is as expected, 1 when not, 2 when a file cannot be read.
"""

import re
import struct
import sys
from pathlib import Path

# The KnownDLLs this rule relies on: those of the registry list of 64-bit Windows 10 and 11 that
# such a program may link (the \KnownDlls section holds more, their own dependencies among
# them). Left out although recent Windows maps it as known: gdiplus.dll, which older Windows
# and Wine (which has no KnownDLLs) search for like any other DLL.
KNOWN_DLLS = {
    "advapi32.dll", "combase.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll", "kernel32.dll",
    "msvcrt.dll", "ole32.dll", "oleaut32.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll",
    "shell32.dll", "shlwapi.dll", "user32.dll", "ws2_32.dll",
}
MANIFEST_DLLS = {"comctl32.dll"}
COMMON_CONTROLS = re.compile(rb'name\s*=\s*"Microsoft\.Windows\.Common-Controls"')

IMPORT_DIRECTORY, RESOURCE_DIRECTORY = 1, 2
RT_MANIFEST = 24


class BadImage(Exception):
    pass


class Image:
    """The parts of a PE file the check reads: sections, data directories, strings."""

    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise BadImage("no MZ header")
        pe = self.u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise BadImage("no PE signature")
        sections, optional_size = self.u16(pe + 6), self.u16(pe + 20)
        optional = pe + 24
        magic = self.u16(optional)
        if magic == 0x20B:  # PE32+
            self.image_base = struct.unpack_from("<Q", data, optional + 24)[0]
            directories = optional + 112
        elif magic == 0x10B:  # PE32
            self.image_base = self.u32(optional + 28)
            directories = optional + 96
        else:
            raise BadImage(f"unknown optional header magic {magic:#x}")
        self.directory_count = self.u32(directories - 4)
        self.directories = directories
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            entry = table + 40 * i
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", data, entry + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def u32(self, offset):
        if offset + 4 > len(self.data):
            raise BadImage(f"read past the end at {offset:#x}")
        return struct.unpack_from("<I", self.data, offset)[0]

    def directory(self, index):
        """(RVA, size) of a data directory; (0, 0) when absent."""
        if index >= self.directory_count:
            return 0, 0
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def offset(self, rva):
        for virtual_address, size, raw_pointer in self.sections:
            if virtual_address <= rva < virtual_address + size:
                return raw_pointer + rva - virtual_address
        raise BadImage(f"RVA {rva:#x} lies in no section")

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise BadImage(f"unterminated name at RVA {rva:#x}")
        return self.data[start:end].decode("ascii")

    def imports(self):
        """Names of the DLLs imported at load time, in table order."""
        rva, _ = self.directory(IMPORT_DIRECTORY)
        names = []
        if rva:
            entry = self.offset(rva)
            while True:  # 20-byte descriptors up to an all-zero one
                descriptor = self.data[entry:entry + 20]
                if len(descriptor) < 20:
                    raise BadImage("unterminated import directory")
                if descriptor == bytes(20):
                    break
                names.append(self.string(struct.unpack_from("<I", descriptor, 12)[0]))
                entry += 20
        return names

    def _resource_entries(self, base, directory):
        """(ID or None for a named entry, offset of its subdirectory or data) of one resource
        directory; offsets are from the start of the resource section."""
        start = self.offset(base + directory)
        named, numbered = self.u16(start + 12), self.u16(start + 14)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, start + 16 + 8 * i)
            yield (None if name & 0x80000000 else name), target

    def manifests(self):
        """The texts (bytes) of the RT_MANIFEST resources."""
        base, _ = self.directory(RESOURCE_DIRECTORY)
        if not base:
            return []
        texts = []
        for kind, names in self._resource_entries(base, 0):
            if kind != RT_MANIFEST or not names & 0x80000000:
                continue
            for _, languages in self._resource_entries(base, names & 0x7FFFFFFF):
                if not languages & 0x80000000:
                    continue
                for _, leaf in self._resource_entries(base, languages & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        continue
                    rva, size = struct.unpack_from("<II", self.data, self.offset(base + leaf))
                    start = self.offset(rva)
                    texts.append(self.data[start:start + size])
        return texts


def violations(path):
    """(imports, the imports that break the rule) of one executable."""
    image = Image(Path(path).read_bytes())
    names = image.imports()
    takes_common_controls_6 = any(COMMON_CONTROLS.search(m) for m in image.manifests())
    # Every Win32 program imports kernel32: an empty or odd list means the parse went wrong.
    if "kernel32.dll" not in {n.lower() for n in names}:
        raise BadImage(f"no kernel32.dll among the imports {names}")
    bad = []
    for name in names:
        lower = name.lower()
        if lower in KNOWN_DLLS:
            continue
        if lower in MANIFEST_DLLS and takes_common_controls_6:
            continue
        bad.append(name)
    return names, bad


def main(argv):
    programs, refused = [], []
    target = programs
    for arg in argv:
        if arg == "--refused":
            target = refused
        else:
            target.append(arg)
    if not programs and not refused:
        print(__doc__)
        return 2
    ok = True
    for path in programs + refused:
        try:
            names, bad = violations(path)
        except (OSError, BadImage, struct.error, UnicodeDecodeError) as e:
            print(f"{path}: cannot read its imports: {e}")
            return 2
        print(f"{path}: imports {', '.join(names)}")
        for name in bad:
            print(f"{path}: not allowed: {name} (neither a KnownDLL nor taken through the "
                  "manifest: a copy beside the program would be loaded)")
        if path in programs and bad:
            ok = False
        if path in refused and not bad:
            print(f"{path}: accepted, but it imports a DLL the rule must refuse")
            ok = False
    print("DLL imports: as expected" if ok else "DLL imports: FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
