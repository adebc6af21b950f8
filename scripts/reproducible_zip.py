"""Writes a zip archive that depends only on its files' names and bytes.

    reproducible_zip.py OUTPUT EPOCH NAME=PATH...

Entries are sorted by name and all carry the time EPOCH (seconds since 1970, UTC; a zip stores
local times to two seconds, taken here as UTC), only the archive attribute and the same
compression level, so that two runs on the same files give the same archive byte for byte.
Names outside ASCII are stored as UTF-8 and flagged as such.
"""

import sys
import time
import zipfile


def main(argv):
    if len(argv) < 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    output, epoch = argv[1], int(argv[2])
    entries = []
    for spec in argv[3:]:
        name, sep, path = spec.partition("=")
        if not sep or not name or not path:
            print(f"reproducible_zip: not NAME=PATH: {spec}", file=sys.stderr)
            return 2
        entries.append((name, path))
    names = [name for name, _ in entries]
    if len(set(names)) != len(names):
        print("reproducible_zip: a name is given twice", file=sys.stderr)
        return 2
    # A zip cannot hold times before 1980.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for name, path in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            # MS-DOS attributes only (the archive bit; 0 would be taken for "unset" and become
            # owner read-write Unix bits): nothing of the packing host's file modes.
            info.create_system = 0
            info.external_attr = 0x20
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
